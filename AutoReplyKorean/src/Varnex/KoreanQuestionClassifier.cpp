#include "KoreanQuestionClassifier.h"

#include <vector>

#include "KoreanCharactorFeature.h"
#include "KoreanResourcePaths.h"
#include "KoreanVocabulary.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Files.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanQuestionClassifier";
const char* const kYesNoForm = "YN_DETECTOR";
}  // namespace

KoreanQuestionFeatureExtractor::KoreanQuestionFeatureExtractor(const std::string& rule,
                                                               std::shared_ptr<KoreanVerbTable> table, bool prebuilt)
    : KoreanQuestionFeatureExtractor(std::make_shared<DictionaryFeature>(rule, prebuilt), std::move(table)) {}

KoreanQuestionFeatureExtractor::KoreanQuestionFeatureExtractor(std::shared_ptr<DictionaryFeature> rules,
                                                               std::shared_ptr<KoreanVerbTable> table)
    : dictionary(rules ? std::move(rules) : std::make_shared<DictionaryFeature>()), verbTable(std::move(table)) {}

void KoreanQuestionFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& features) const {
    const std::string& text = annotation.getText();
    KoreanCharactorFeature::insertPhrasesAndCharacters(dictionary.get(), text, features);
    DetectedVerbInfo info;
    if (verbTable && verbTable->detectLast(text, Label::FALSE_LABEL, info)) features.insert(kYesNoForm);
}

KoreanQuestionClassifier::KoreanQuestionClassifier(const std::string& model, const std::string& index,
                                                   const std::string& category, const std::string& rule,
                                                   std::shared_ptr<KoreanVerbTable> verbTable, bool prebuilt)
    : KoreanQuestionClassifier(model, index, category, std::make_shared<DictionaryFeature>(rule, prebuilt),
                               std::move(verbTable)) {}

KoreanQuestionClassifier::KoreanQuestionClassifier(const std::string& model, const std::string& index,
                                                   const std::string& category,
                                                   std::shared_ptr<DictionaryFeature> rules,
                                                   std::shared_ptr<KoreanVerbTable> verbTable) {
    auto classifier = std::make_shared<AnnotationBasedClassifier>(
        std::make_shared<KoreanQuestionFeatureExtractor>(std::move(rules), std::move(verbTable)));
    classifier->loadModel(model, category, index);
    setClassifier(Category::QUESTION, classifier);
}

bool KoreanQuestionClassifier::process(Annotation& annotation) const {
    if (annotation.getLabel(KoreanCategory::REPLY_GREETING) != Label::FALSE_LABEL) {
        annotation.addCategory(Category::QUESTION, Classification(Category::QUESTION, Label::FALSE_LABEL));
        return true;
    }
    // Without its model the classifier has no opinion (and says so once, at
    // start-up); the question-type detector then decides alone.
    if (!modelLoaded()) return true;
    return ClassificationAnnotator::process(annotation);
}

namespace {
bool buildQuestionSet(const FeatureSetOptions& options, FeatureSet& set) {
    namespace R = KoreanResource;
    const std::string rule = options.dictionary.empty() ? options.resourceFile(R::QUESTION_RULE) : options.dictionary;
    if (!Utilities::isRegularFile(rule)) {
        varnex_print_log(LOG_ERROR, kTag, "question features need the question rules %s: %s\n", rule.c_str(),
                         Utilities::describeUnreadable(rule));
        return false;
    }
    // The single-file verb table when the tree has one, else its four sources.
    const std::string prebuilt = options.resourceRoot + R::VERB_TABLE_DICTIONARY;
    auto table = Utilities::isRegularFile(prebuilt)
                     ? std::make_shared<KoreanVerbTable>(prebuilt)
                     : std::make_shared<KoreanVerbTable>(
                           options.resourceFile(R::YES_NO_TYPE), options.resourceFile(R::YES_NO_COMPOUND),
                           options.resourceFile(R::YES_NO_NEGATIVE), options.resourceFile(R::YES_NO_EXCEPTION));
    if (table->getRowCount() == 0) {
        varnex_print_log(LOG_ERROR, kTag, "question features need the verb table under %s\n",
                         options.resourceRoot.c_str());
        return false;
    }
    set.extractors.push_back(std::make_shared<KoreanQuestionFeatureExtractor>(rule, table, options.prebuilt));
    return true;
}
}  // namespace

VARNEX_REGISTER_FEATURE_SET(Category::QUESTION,
                            "question rule phrases and values, character n-grams of words and the verb table's "
                            "yes/no form (the question model)",
                            buildQuestionSet)

}  // namespace Varnex
