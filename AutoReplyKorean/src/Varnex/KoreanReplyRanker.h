// The Korean ranker: settles between the intents the analysis found and
// shapes the list as a whole, by rules kept in a resource file rather than
// in code.
//
// Each candidate carries its intent: the reply-type pattern of its scenario
// row ("worry_grief", "ack", ...) or, for generated answers, "answer_" and
// the question type. The message's own intents are its reply-type keys
// ("thanks", "answer_yes_no", "ack_okay"). Rule lines (TAB-separated):
//   silent  INTENT                 no suggestion at all when the message has INTENT
//   drop    INTENT  A,B,...        drop candidates of INTENT when the message
//                                  has one of the intents A, B, ... (INTENT
//                                  may be a comma list: one rule each)
//   drop    INTENT  *              drop candidates of INTENT when candidates of
//                                  any other intent are there
//   first   A,B,...                candidates of these intents move to the
//                                  front, in this order; the rest keep theirs
// Intents match as prefixes ("worry" covers "worry_grief"), or exactly when
// they end in "$" ("congratulation$" is the plain kind only). Rules apply in
// file order. Without a rule file the order of the generators stands.
//
// Emoji replies: at most one reply made only of emoji is offered, after all
// text replies, and none at all to bad news or to the most formal speech.
#pragma once

#include <string>
#include <vector>

#include "Varnex/Modules.h"

namespace Varnex {

class _KoreanReplyRanker : public _IReplyRanker {
public:
    _KoreanReplyRanker() = default;
    // Reads the rule file; a missing file leaves the generators' order.
    explicit _KoreanReplyRanker(const std::string& rulePath);

    void rank(std::vector<ReplyScenario>& candidates) const override;
    void rank(const Annotation& annotation, std::vector<ReplyScenario>& candidates) const override;

    struct Rule {
        enum Kind { SILENT, DROP, FIRST } kind;
        std::string intent;
        // The condition of DROP ("*" = any other candidate), the order of FIRST.
        std::vector<std::string> intents;
        // DROP: the message's intents that do not count for the condition
        // (written "!intent" in the rule file).
        std::vector<std::string> except;
    };
    const std::vector<Rule>& getRules() const { return rules; }

private:
    std::vector<Rule> rules;
};

}  // namespace Varnex
