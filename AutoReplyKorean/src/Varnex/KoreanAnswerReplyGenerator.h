// Generated answers to questions, ahead of the scenario replies: yes and no
// in the question's own verb, tense and speech level ("응 먹었어" / "아니 안
// 먹었어"), a hesitant answer, each choice of an either/or question, and
// placeholder answers to when and where questions: a place in the
// question's verb ("'LOCATION'에 살아요", "'LOCATION'에서 샀어",
// "'LOCATION'에 하시면 돼요"), and an offer to take on what someone is asked
// to do ("누가 해요?": "제가 할게요").
//
// Placeholder replies start with a kind and "&": "DATE&'DATE'에 가요",
// "TIME&'TIME'까지", "DAYOFWEEK&'DAYOFWEEK'요", "LOCATION&여기". The host
// puts a real date, time, weekday or place where the quoted kind name
// stands and drops the "KIND&" prefix, or drops a reply it cannot fill.
//
// Reads only the annotation; stateless.
#pragma once

#include <string>
#include <vector>

#include "Varnex/Modules.h"

namespace Varnex {

class KoreanAnswerReplyGenerator : public _ICandidateReplyGenerator {
public:
    void generate(const std::string& sender, const std::string& message, const Annotation& annotation,
                  std::vector<ReplyScenario>& candidates) const override;

    // One yes or no reply: the fixed answer word of the register and
    // sentence type, followed by the verb answer where it fits. A request
    // (sentence type "command") is denied with the verb answer alone, the
    // table's polite decline, and not at all ("") without one; a suggestion
    // with the verb answer alone (다음에 가자), and without one by a gentle
    // 아니 괜찮아 of the register.
    static std::string makeYesNoAnswer(bool yes, int level, const std::string& verbType, const std::string& answer);
    // A placeholder answer of `kind` ("DATE", "TIME", "DAYOFWEEK") to a
    // time question: with the question's verb ("'TIME'에 가요") or, without
    // one, the time alone, with 요 in both polite registers ("'TIME'",
    // "'TIME'요").
    static std::string makeTimeAnswer(const Annotation& annotation, const std::string& questionType,
                                      const std::string& kind, int level);

private:
    static void appendAnswers(const Annotation& annotation, const std::string& type, int level,
                              std::vector<ReplyScenario>& candidates);
};

}  // namespace Varnex
