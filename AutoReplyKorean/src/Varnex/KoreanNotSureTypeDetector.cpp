#include "KoreanNotSureTypeDetector.h"

#include <set>
#include <string>

#include "KoreanVocabulary.h"

namespace Varnex {

namespace K = KoreanCategory;
namespace N = KoreanNotSureKind;
namespace V = KoreanVerbKind;

bool KoreanNotSureTypeDetector::process(Annotation& annotation) const {
    // Questions about facts the user may simply not know (one's own age is
    // not among them).
    static const std::set<std::string> factual = {"time",   "location",   "count",       "price",
                                                  "etc",    "reason",     "preference",  "prefer_past",
                                                  "multi_question"};
    // Questions that ask the user to pick.
    static const std::set<std::string> picking = {"choose_one", "food"};

    std::string label = Label::FALSE_LABEL;
    const std::string type = annotation.getLabel(K::REPLY_ANSWER);
    if (type != Label::FALSE_LABEL) {
        if (factual.count(type)) {
            label = N::DONT_KNOW;
        } else if (type == "choose_one" && annotation.hasClassification(K::MULTI_CHOICE)) {
            // Offered its choices, the user may leave the pick to the asker;
            // whether to do a thing at all (갈까 말까: 가자 / 말자) is no pick
            // among things, and gets a plain 글쎄.
            const std::string choices = annotation.getLabel(K::MULTI_CHOICE);
            const size_t slash = choices.find('/');
            const std::string second = slash == std::string::npos ? "" : choices.substr(slash + 1);
            bool doOrNot = false;
            for (const char* no : {"말자", "말아", "말까", "말죠", "맙시다", "말고"})
                doOrNot = doOrNot || second.compare(0, std::char_traits<char>::length(no), no) == 0;
            label = doOrNot ? N::WELL : N::ANYTHING;
        } else if (picking.count(type)) {
            label = N::WELL;
        } else if (annotation.hasClassification(K::VERB_TYPE)) {
            const std::string verbType = annotation.getLabel(K::VERB_TYPE);
            const std::string tense = annotation.getLabel(K::VERB_TIME);
            // The user knows what they did: a past question gets no evasion.
            if (verbType == V::QUESTION && tense != V::PAST && tense != V::PAST_PERFECT)
                label = N::DONT_KNOW;
            else if (verbType == V::SUGGEST)
                label = N::WELL;
            else if (verbType == V::COMMAND)
                label = N::WHY;
        }
    }
    annotation.addCategory(K::REPLY_NOT_SURE, Classification(K::REPLY_NOT_SURE, label));
    return true;
}

}  // namespace Varnex
