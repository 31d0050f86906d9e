#include "KoreanAcknowledgementDetector.h"

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanAcknowledgementDetector";
const char* const kOkay = "okay";
}  // namespace

KoreanAcknowledgementDetector::KoreanAcknowledgementDetector(const std::string& ackRule, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(ackRule, prebuilt)) {}

KoreanAcknowledgementDetector::~KoreanAcknowledgementDetector() = default;

bool KoreanAcknowledgementDetector::process(Annotation& annotation) const {
    namespace K = KoreanCategory;
    std::string label = Label::FALSE_LABEL;
    // Only Korean text is acknowledged: "qzx" or a link alone gets nothing.
    if (annotation.getLabel(K::REPLY_ANSWER) == Label::FALSE_LABEL &&
        annotation.getLabel(K::REPLY_GREETING) == Label::FALSE_LABEL &&
        getLanguageType(annotation.getText()) == KOREAN) {
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
