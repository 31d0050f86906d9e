// The acknowledgement that fits a message that is neither a question to
// answer nor a greeting: "got_it", "okay", "is_that_so", "well",
// "dont_know", "anything", written as "reply_type_ack" ("okay" when no
// phrase says otherwise); FALSE for questions and greetings. The last
// acknowledgement phrase found decides, the normalised text's over the raw
// text's; a "FALSE" phrase counts as none. Read-only after construction.
#pragma once

#include <memory>
#include <string>

#include "Varnex/IAnnotator.h"

namespace Varnex {

class DictionaryFeature;

class KoreanAcknowledgementDetector : public IAnnotator {
public:
    KoreanAcknowledgementDetector(const std::string& ackRule, bool prebuilt);
    ~KoreanAcknowledgementDetector() override;
    bool process(Annotation& annotation) const override;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
};

}  // namespace Varnex
