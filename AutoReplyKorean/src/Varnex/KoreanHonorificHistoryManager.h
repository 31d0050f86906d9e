// The per-sender record of the speech level the user uses in replies.
#pragma once

#include <string>

#include "Varnex/Annotation.h"

namespace Varnex {

class _IKoreanHonorificHistoryManager {
public:
    virtual ~_IKoreanHonorificHistoryManager() = default;
    // Opens the store; false when it cannot be used.
    virtual bool init() { return true; }
    // Counts the speech level of `reply`, sent to `sender`.
    virtual void update(const std::string& sender, const std::string& message, const Annotation& messageAnnotation,
                        const std::string& reply, const Annotation& replyAnnotation) = 0;
    // The level the user uses with `sender`, when one is known.
    virtual bool getHonorificLevel(const std::string& sender, const std::string& message,
                                   const Annotation& annotation, std::string& level) = 0;
};

}  // namespace Varnex
