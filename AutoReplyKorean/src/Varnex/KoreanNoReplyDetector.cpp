#include "KoreanNoReplyDetector.h"

#include <vector>

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanNoReplyDetector";

// A person's message rarely opens with a bracketed tag and runs on.
const int kMinTaggedLength = 20;
const size_t kMaxTagBytes = 40;

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The longest run of ASCII digits (ignoring '-' inside it, as in 080-123-4567).
int longestDigitRun(const std::string& text) {
    int best = 0, run = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++run;
        else if (c != '-' || run == 0)
            run = 0;
        if (run > best) best = run;
    }
    return best;
}
}  // namespace

KoreanNoReplyDetector::KoreanNoReplyDetector(const std::string& rulePath, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(rulePath, prebuilt)) {}

KoreanNoReplyDetector::~KoreanNoReplyDetector() = default;

bool KoreanNoReplyDetector::looksAutomated(const std::string& text) {
    const size_t close = text.find(']');
    if (!text.empty() && text[0] == '[' && close != std::string::npos && close < kMaxTagBytes &&
        StringUtil::getLength(text) >= kMinTaggedLength)
        return true;
    const bool link = contains(text, "http") || contains(text, "www.");
    if (link && (contains(text, "거부") || contains(text, "080"))) return true;
    const bool code = longestDigitRun(text) >= 4;
    return code && (contains(text, "인증") || contains(text, "승인번호") || contains(text, "확인번호") ||
                    contains(text, "코드"));
}

bool KoreanNoReplyDetector::process(Annotation& annotation) const {
    std::vector<std::string> values;
    dictionary->getFeature(annotation.getText(), values, true, true);
    bool phrase = false, veto = false;
    for (const auto& v : values) {
        if (v == Label::FALSE_LABEL) veto = true;
        if (v == Label::TRUE_LABEL) phrase = true;
    }
    const bool silent = !veto && (phrase || looksAutomated(annotation.getText()));
    const char* label = silent ? Label::TRUE_LABEL : Label::FALSE_LABEL;
    annotation.addCategory(KoreanCategory::REPLY_NO_REPLY, Classification(KoreanCategory::REPLY_NO_REPLY, label));
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", KoreanCategory::REPLY_NO_REPLY, label);
    return true;
}

}  // namespace Varnex
