#include "KoreanRuleDetector.h"

#include <vector>

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanRuleDetector";
}

KoreanRuleDetector::KoreanRuleDetector(const std::string& c, const std::string& p, bool pre)
    : category(c), path(p), prebuilt(pre) {}

KoreanRuleDetector::~KoreanRuleDetector() = default;

bool KoreanRuleDetector::init() {
    dictionary = std::make_shared<DictionaryFeature>(path, prebuilt);
    return true;
}

bool KoreanRuleDetector::process(Annotation& annotation) const {
    std::vector<std::string> values;
    if (dictionary) {
        dictionary->getFeature(annotation.getText(), values, true, true);
        if (annotation.getNormalizedText() != annotation.getText())
            dictionary->getFeature(annotation.getNormalizedText(), values, true, true);
    }
    std::string label = Label::FALSE_LABEL;
    bool vetoed = false;
    for (const auto& v : values) {
        label = v;
        if (v == Label::FALSE_LABEL) {
            vetoed = true;
            break;
        }
    }
    Classification result(category, label);
    // Later steps may fill in a category nobody decided; a vetoed one was
    // decided, and says so.
    if (vetoed) result.setRuleId(Label::FALSE_LABEL, KoreanRuleId::VETO);
    annotation.addCategory(category, result);
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", category.c_str(),
                     annotation.getClassification(category).getPredictedClass().c_str());
    return true;
}

KoreanTemplateMatcher::KoreanTemplateMatcher(const std::string& path, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(path, prebuilt)),
      stopCharRemover(std::make_shared<KoreanStopCharRemover>(KoreanStopCharRemover::getDefaultStopChar() + " ")) {}

KoreanTemplateMatcher::~KoreanTemplateMatcher() = default;

bool KoreanTemplateMatcher::process(Annotation& annotation) const {
    std::string a, b;
    stopCharRemover->remove(annotation.getText(), a);
    if (annotation.getNormalizedText() != annotation.getText())
        stopCharRemover->remove(annotation.getNormalizedText(), b);

    std::string key, matched, value;
    int p = dictionary->findFirstMatch(a, key, matched, value, true, false);
    if (p != 0) {
        if (b.empty() || dictionary->findFirstMatch(b, key, matched, value, true, false) != 0) return true;
    }
    const std::string name = Category::REPLY_TYPE_PREFIX + value;
    annotation.addCategory(name, Classification(name, Label::TRUE_LABEL));
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", name.c_str(), Label::TRUE_LABEL);
    return true;
}

}  // namespace Varnex
