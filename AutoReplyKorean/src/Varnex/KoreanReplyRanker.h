// The Korean ranker: keeps the order in which the generators produced
// their candidates.
#pragma once

#include <vector>

#include "Varnex/Modules.h"

namespace Varnex {

class _KoreanReplyRanker : public _IReplyRanker {
public:
    void rank(std::vector<ReplyScenario>&) const override {}
};

}  // namespace Varnex
