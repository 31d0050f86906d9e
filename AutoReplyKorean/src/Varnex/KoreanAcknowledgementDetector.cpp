#include "KoreanAcknowledgementDetector.h"

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

#include <set>
#include <vector>

namespace Varnex {

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanAcknowledgementDetector";
const char* const kOkay = "okay";

// Whether the text holds a Hangul syllable or jamo (an emoji's variation
// selector, which the language scan counts as Korean, is none).
bool hasHangul(const std::string& text) {
    std::vector<std::string> chars;
    Utilities::StringUtil::getCharactors(text, chars);
    for (const auto& c : chars) {
        if (c.size() != 3) continue;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(c.data());
        const int cp = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        if ((cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0x3131 && cp <= 0x318E) || (cp >= 0x1100 && cp <= 0x11FF))
            return true;
    }
    return false;
}

// Whether the last character that is no emoticon, laughter or space is "?".
bool endsInQuestionMark(const std::string& text) {
    std::vector<std::string> chars;
    Utilities::StringUtil::getCharactors(text, chars);
    static const std::set<std::string> trailing = {" ", "ㅋ", "ㅎ", "ㅠ", "ㅜ", "~", "!", ".", "^", ";"};
    for (auto it = chars.rbegin(); it != chars.rend(); ++it) {
        if (trailing.count(*it) || Utilities::StringUtil::isEmoji(*it)) continue;
        return *it == "?";
    }
    return false;
}
}  // namespace

KoreanAcknowledgementDetector::KoreanAcknowledgementDetector(const std::string& ackRule, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(ackRule, prebuilt)) {}

KoreanAcknowledgementDetector::~KoreanAcknowledgementDetector() = default;

bool KoreanAcknowledgementDetector::process(Annotation& annotation) const {
    namespace K = KoreanCategory;
    std::string label = Label::FALSE_LABEL;
    // Only Korean statements are acknowledged: "qzx" or a link alone gets
    // nothing, and so does a question that asks the reader nothing
    // ("짐 어디다 맡겼더라?", "이게 말이 돼??"): "응 알겠어" would answer it.
    if (annotation.getLabel(K::REPLY_ANSWER) == Label::FALSE_LABEL &&
        annotation.getLabel(K::REPLY_GREETING) == Label::FALSE_LABEL &&
        hasHangul(annotation.getText()) && !endsInQuestionMark(annotation.getText())) {
        label = kOkay;
        std::string phrase, matched;
        dictionary->findLastMatch(annotation.getText(), phrase, matched, label, true, false);
        dictionary->findLastMatch(annotation.getNormalizedText(), phrase, matched, label, true, false);
        if (label == Label::FALSE_LABEL) label = kOkay;
    }
    annotation.addCategory(K::REPLY_ACK, Classification(K::REPLY_ACK, label));
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", K::REPLY_ACK, label.c_str());
    return true;
}

}  // namespace Varnex
