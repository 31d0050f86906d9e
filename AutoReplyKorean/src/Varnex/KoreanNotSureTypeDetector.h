// The kind of evasive reply that fits a question the engine cannot answer
// from its own knowledge: "dont_know" (잘 모르겠어), "well" (글쎄) or "why"
// (왜?), written as "reply_type_not_sure" (FALSE when none fits). Reads the
// question type and the verb analysis left by the question-type detector,
// so it runs last in the chain. No resources, no state.
#pragma once

#include "Varnex/IAnnotator.h"

namespace Varnex {

class KoreanNotSureTypeDetector : public IAnnotator {
public:
    bool process(Annotation& annotation) const override;
};

}  // namespace Varnex
