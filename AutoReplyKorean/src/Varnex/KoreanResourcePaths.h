// Relative names of the Korean resource files under "<resourceDir>/1.0".
// Text resources are read scrambled, with ".enc" appended; classifier model
// files (.model, .index, .category) are read plain.
#pragma once

#include <string>
#include <vector>

namespace Varnex {
namespace KoreanResource {

inline const std::string kVersion = "1.0";
inline const std::string kScrambled = ".enc";

inline const std::string NORMALIZE_DICTIONARY = "/normalize/normalize.dictionary";
inline const std::string NORMALIZE_RULE = "/normalize/normalize.rule";
inline const std::string YES_NO_TYPE = "/model/yes_no_type.dictionary";
inline const std::string YES_NO_COMPOUND = "/model/yes_no_compound.rule";
inline const std::string YES_NO_NEGATIVE = "/model/yes_no_negative.rule";
inline const std::string YES_NO_EXCEPTION = "/model/yes_no_type_exception.dictionary";
inline const std::string HONORIFIC_TF_MODEL = "/model/honorific_tf.model";
inline const std::string HONORIFIC_TF_INDEX = "/model/honorific_tf.index";
inline const std::string HONORIFIC_TF_CATEGORY = "/model/honorific_tf.category";
inline const std::string HONORIFIC_HN_MODEL = "/model/honorific_hn.model";
inline const std::string HONORIFIC_HN_INDEX = "/model/honorific_hn.index";
inline const std::string HONORIFIC_HN_CATEGORY = "/model/honorific_hn.category";
inline const std::string HONORIFIC_DICTIONARY = "/model/honorific.dictionary";
inline const std::string GREETING_RULE = "/model/greeting.rule";
inline const std::string CALL_RULE = "/model/call.rule";
inline const std::string QUESTION_MODEL = "/model/question.model";
inline const std::string QUESTION_INDEX = "/model/question.index";
inline const std::string QUESTION_CATEGORY = "/model/question.category";
inline const std::string QUESTION_RULE = "/model/question.rule";
inline const std::string QUESTION_TYPE_RULE = "/model/question_type.rule";
inline const std::string MULTI_CHOICE_VERB = "/model/multi_choice_verb.rule";
inline const std::string MULTI_CHOICE_PATTERN = "/model/multi_choice_pattern.rule";
inline const std::string MULTI_CHOICE_NEG = "/model/multi_choice_neg.rule";
inline const std::string THANKS_RULE = "/model/reply_type_thanks.rule";
inline const std::string WISH_RULE = "/model/wish.rule";
inline const std::string YOU_ARE_WELCOME_RULE = "/model/reply_type_you_are_welcome.rule";
inline const std::string WORRY_RULE = "/model/reply_type_worry.rule";
inline const std::string ITS_OK_RULE = "/model/reply_type_its_ok.rule";
inline const std::string WHY_RULE = "/model/reply_type_why.rule";
inline const std::string WHAT_IS_THIS_RULE = "/model/reply_type_what_is_this.rule";
inline const std::string CONGRATULATION_RULE = "/model/reply_type_congratulation.rule";
inline const std::string WHEN_RULE = "/model/reply_type_when.rule";
inline const std::string FAVOR_RULE = "/model/reply_type_favor.rule";
inline const std::string EMOJI_DICTIONARY = "/model/emoji.dictionary";
inline const std::string REPLY_TEMPLATE = "/template/korean_reply.template";
inline const std::string ACKNOWLEDGE_RULE = "/model/reply_type_acknowledge.rule";
inline const std::string REPLY_SCENARIOS = "/corpus/reply_scenarios_kr.table";
inline const std::string REPLY_CORPUS = "/corpus/reply_corpus_kr.table";
inline const std::string PERSONAL_NORMAL_RULE = "/personalization/normal.rule";
inline const std::string PERSONAL_GENERAL_RULE = "/personalization/general.rule";
inline const std::string COMPLIMENT_RULE = "/model/reply_type_compliment.rule";
inline const std::string APOLOGY_RULE = "/model/reply_type_apology.rule";
inline const std::string SARCASM_RULE = "/model/sarcasm.rule";
inline const std::string NO_REPLY_RULE = "/model/no_reply.rule";
inline const std::string MUSING_RULE = "/model/reply_type_musing.rule";
inline const std::string ARBITRATION_RULE = "/model/arbitration.rule";
inline const std::string VERB_TABLE_DICTIONARY = "/model/verb_table.dictionary";
// The reply-type models: "/model/reply_type_" + type + ".model" (.category,
// .index) for each type, sharing "/model/reply_type.dictionary", and the
// thresholds of the fallback that uses them.
inline const std::string REPLY_TYPE_MODEL_DIR = "/model";
inline const std::vector<std::string> REPLY_TYPE_MODELS = {
    "apology", "compliment", "congratulation", "favor", "me_too", "thanks", "when", "why", "worry", "you_re_welcome"};
inline const std::string REPLY_TYPE_THRESHOLD = "/model/reply_type.threshold";

// resourceDir + "/1.0" + name + ".enc": a scrambled text resource.
inline std::string text(const std::string& resourceDir, const std::string& name) {
    return resourceDir + "/" + kVersion + name + kScrambled;
}
// resourceDir + "/1.0" + name: a classifier model file, read plain.
inline std::string model(const std::string& resourceDir, const std::string& name) {
    return resourceDir + "/" + kVersion + name;
}

}  // namespace KoreanResource
}  // namespace Varnex
