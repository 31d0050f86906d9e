// Messages that need no reply from a person: verification codes,
// advertisements, delivery, bank and card notices, automated alerts. Writes
// "reply_type_no_reply" TRUE for them (the ranker then offers nothing),
// FALSE for every other message.
//
// Two kinds of evidence, both about the message's own shape, never about
// its sender: phrases of the rule file ("TRUE TAB [Web발신]", "TRUE TAB
// 무료수신거부"; "FALSE" phrases veto), and shapes no person types to a
// friend: a bracketed sender tag opening a long message, a link next to an
// opt-out line, a code of digits beside 인증/승인/번호. Read-only after
// construction.
#pragma once

#include <memory>
#include <string>

#include "Varnex/IAnnotator.h"

namespace Varnex {

class DictionaryFeature;

class KoreanNoReplyDetector : public IAnnotator {
public:
    KoreanNoReplyDetector(const std::string& rulePath, bool prebuilt);
    ~KoreanNoReplyDetector() override;
    bool process(Annotation& annotation) const override;

    // The shape test alone.
    static bool looksAutomated(const std::string& text);

private:
    std::shared_ptr<DictionaryFeature> dictionary;
};

}  // namespace Varnex
