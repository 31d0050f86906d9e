// Category names and labels of the Korean analysis chain, beside the
// framework's shared ones (Varnex/Vocabulary.h).
//
// Reply types are named for the reply they call for: REPLY_THANKS marks a
// message that deserves thanks (a congratulation, a wish), REPLY_YOU_RE_WELCOME
// one that thanks the reader. The scenario table selects rows by the part
// after "reply_type_" (and, for labels other than TRUE, "_" + the label).
#pragma once

#include "Varnex/Vocabulary.h"

namespace Varnex {
namespace KoreanCategory {
inline constexpr char REPLY_THANKS[] = "reply_type_thanks";
inline constexpr char REPLY_ME_TOO[] = "reply_type_me_too";
inline constexpr char REPLY_YOU_RE_WELCOME[] = "reply_type_you_re_welcome";
inline constexpr char REPLY_WORRY[] = "reply_type_worry";
inline constexpr char REPLY_ITS_OK[] = "reply_type_its_ok";
inline constexpr char REPLY_WHY[] = "reply_type_why";
inline constexpr char REPLY_WHAT_IS_THIS[] = "reply_type_what_is_this";
inline constexpr char REPLY_CONGRATULATION[] = "reply_type_congratulation";
inline constexpr char REPLY_WHEN[] = "reply_type_when";
inline constexpr char REPLY_FAVOR[] = "reply_type_favor";
inline constexpr char REPLY_APOLOGY[] = "reply_type_apology";
inline constexpr char REPLY_COMPLIMENT[] = "reply_type_compliment";
// A complaint or a bad outcome that turns thanks, praise or congratulations
// in the same message into sarcasm: "blame" when the sender blames the
// reader, "self" when the sender mocks their own bad luck, TRUE when the cue
// does not tell which.
inline constexpr char REPLY_SARCASM[] = "reply_type_sarcasm";
inline constexpr char REPLY_GREETING[] = "reply_type_greeting";
inline constexpr char REPLY_ACK[] = "reply_type_ack";
inline constexpr char REPLY_NOT_SURE[] = "reply_type_not_sure";
// A message no person needs to answer (a code, an advertisement, a notice).
inline constexpr char REPLY_NO_REPLY[] = "reply_type_no_reply";
// The sender musing aloud about their own situation ("내 이어폰 어디 갔지"):
// FALSE, TRUE or the kind of musing (lost, food, plan, wait, why, recall,
// curious), or "remark_" and the kind of a remark on the sender's own day.
inline constexpr char REPLY_MUSING[] = "reply_type_musing";
// A message of emoji only; the scenario rows answer its "emotion".
inline constexpr char REPLY_EMOJI[] = "reply_type_emoji";
// The question type of a message (a label of KoreanQuestionKind), or FALSE.
inline constexpr char REPLY_ANSWER[] = "reply_type_answer";

// Answer material the question-type detector leaves for the answer generator.
inline constexpr char YES_CANDIDATE[] = "yes_candidate";
inline constexpr char NO_CANDIDATE[] = "no_candidate";
inline constexpr char NOT_SURE_CANDIDATE[] = "not_sure_candidate";
inline constexpr char VERB[] = "verb";
inline constexpr char VERB_TYPE[] = "verb_type";
inline constexpr char VERB_TIME[] = "verb_time";
// The choices of an either/or question, joined with "/".
inline constexpr char MULTI_CHOICE[] = "multi_choice";
// One entry per question, joined with "\": piece/type/yes/no/verb type/not sure.
inline constexpr char MULTI_QUESTION_CANDIDATE[] = "multi_question_candidate";
}  // namespace KoreanCategory

// Labels a phrase rule gives whatever other phrases of its category match.
namespace KoreanUrgentLabel {
// The sender hints at harming themselves or at being hurt or threatened by
// someone ("safety", "safety_danger", "safety_abuse"): a longer everyday
// phrase in the same message ("너무 지쳐", "혼났어") must not replace it.
inline constexpr char SAFETY[] = "safety";
// A phrase of play, hyperbole or fiction ("죽고 싶냐", "웃겨 죽", "맞아 죽을
// 듯", "장난으로", "드라마"): it vetoes its category as FALSE does, and unlike
// FALSE a safety label too.
inline constexpr char JOKE[] = "joke";
}  // namespace KoreanUrgentLabel

// Rule ids on a reply-type result (Classification::getRuleId), saying who
// decided it.
namespace KoreanRuleId {
// On FALSE: a phrase listed as an exception matched, so the message is
// known not to be of this type (not merely unrecognised).
inline constexpr char VETO[] = "veto";
// On TRUE: filled in by the reply-type models when no rule had decided.
inline constexpr char MODEL[] = "model";
}  // namespace KoreanRuleId

// Labels of REPLY_ANSWER. Wh-question types come from the question-type
// rule file; a type whose name starts with TIME is also answered with the
// question's verb. A when-question asked in the past tense has TIME_PAST in
// front of the rest of its type ("time_date" asked in the past is
// "time_past_date").
namespace KoreanQuestionKind {
inline constexpr char YES_NO[] = "yes_no";
inline constexpr char CHOOSE_ONE[] = "choose_one";
inline constexpr char MULTI_QUESTION[] = "multi_question";
inline constexpr char LOCATION[] = "location";
inline constexpr char TIME[] = "time";
inline constexpr char TIME_PAST[] = "time_past";
}  // namespace KoreanQuestionKind

// Sentence types and tenses of the verb table's detections.
namespace KoreanVerbKind {
inline constexpr char QUESTION[] = "question";
inline constexpr char SUGGEST[] = "suggest";
inline constexpr char COMMAND[] = "command";
inline constexpr char PAST[] = "past";
inline constexpr char PAST_PERFECT[] = "past_perfect";
}  // namespace KoreanVerbKind

// Labels of REPLY_NOT_SURE: the kind of evasive reply that fits.
namespace KoreanNotSureKind {
inline constexpr char DONT_KNOW[] = "dont_know";
inline constexpr char WELL[] = "well";
inline constexpr char ANYTHING[] = "anything";
inline constexpr char WHY[] = "why";
}  // namespace KoreanNotSureKind
}  // namespace Varnex
