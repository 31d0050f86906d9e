#include "KoreanGreetingDetector.h"

#include <algorithm>
#include <vector>

#include "KoreanRuleDetector.h"
#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanGreetingDetector";
const char* const kCall = "call";
const char* const kHangup = "hangup";
}  // namespace

KoreanGreetingDetector::KoreanGreetingDetector(const std::string& greetingRule, const std::string& callRule,
                                               bool prebuilt)
    : KoreanGreetingDetector(greetingRule, std::make_shared<KoreanCallDetector>(callRule, prebuilt), prebuilt) {}

KoreanGreetingDetector::KoreanGreetingDetector(const std::string& greetingRule,
                                               std::shared_ptr<KoreanCallDetector> calls, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(greetingRule, prebuilt)), callDetector(std::move(calls)) {}

KoreanGreetingDetector::~KoreanGreetingDetector() = default;

bool KoreanGreetingDetector::process(Annotation& annotation) const {
    const std::string& text = annotation.getText();
    const std::string& normalized = annotation.getNormalizedText();
    std::string label = Label::FALSE_LABEL;
    bool vetoed = false;
    if (Utilities::StringUtil::getLength(text) <= kMaxGreetingLength) {
        std::vector<std::string> values;
        dictionary->getFeature(text, values, true, true);
        if (normalized != text) dictionary->getFeature(normalized, values, true, true);
        for (const auto& v : values) vetoed = vetoed || v == Label::FALSE_LABEL;
        // A hang-up sets the scene wherever it stands: a goodbye after it
        // ("이만 끊을게요 들어가세요") is the telephone's, not the reader leaving.
        const bool hangup = std::find(values.begin(), values.end(), kHangup) != values.end();
        if (!values.empty() && !vetoed)
            label = hangup ? kHangup : values.back();
        else if (!vetoed && callDetector &&
                 (callDetector->isCall(text) || (normalized != text && callDetector->isCall(normalized))))
            label = kCall;
    }
    Classification result(KoreanCategory::REPLY_GREETING, label);
    if (vetoed) KoreanRuleDetector::markVeto(result);
    annotation.addCategory(KoreanCategory::REPLY_GREETING, result);
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", KoreanCategory::REPLY_GREETING, label.c_str());
    return true;
}

}  // namespace Varnex
