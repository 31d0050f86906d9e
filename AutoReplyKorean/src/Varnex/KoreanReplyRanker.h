// The Korean ranker: keeps the order in which the generators produced the
// candidates, and settles what the list may hold as a whole.
//
// Emoji replies: at most one reply made only of emoji is offered, after all
// text replies, and none at all to bad news or to the most formal speech.
#pragma once

#include <vector>

#include "Varnex/Modules.h"

namespace Varnex {

class _KoreanReplyRanker : public _IReplyRanker {
public:
    void rank(std::vector<ReplyScenario>& candidates) const override;
    void rank(const Annotation& annotation, std::vector<ReplyScenario>& candidates) const override;
};

}  // namespace Varnex
