// One step of message analysis: reads the shared Annotation and adds to it.
// Annotators keep no per-message state; process() is const.
#pragma once

#include "Varnex/Annotation.h"

namespace Varnex {

class IAnnotator {
public:
    virtual ~IAnnotator() = default;
    // Loads resources; the default does nothing.
    virtual bool init() { return true; }
    virtual bool process(Annotation& annotation) const = 0;
};

}  // namespace Varnex
