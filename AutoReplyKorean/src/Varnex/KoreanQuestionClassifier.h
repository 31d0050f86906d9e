// Whether a message is a question, by a linear model: "question" = TRUE or
// FALSE with the model's probabilities. A message the greeting detector
// recognised (a greeting or a call) is never a question.
//
// The features are the question rule phrases and values found in the raw
// text, character n-grams of its words, and "YN_DETECTOR" when the verb
// table finds an interrogative verb form at its end. The trainer builds the
// same extractor through the feature set "question".
#pragma once

#include <memory>
#include <string>

#include "KoreanVerbTable.h"
#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/ClassificationAnnotator.h"
#include "Varnex/DictionaryFeature.h"

namespace Varnex {

class KoreanQuestionFeatureExtractor : public AnnotationBasedFeatureExtractor {
public:
    KoreanQuestionFeatureExtractor(const std::string& rule, std::shared_ptr<KoreanVerbTable> verbTable, bool prebuilt);
    // The same with the question rules already loaded (shared with the
    // question-type detector).
    KoreanQuestionFeatureExtractor(std::shared_ptr<DictionaryFeature> rules, std::shared_ptr<KoreanVerbTable> verbTable);
    void extract(const Annotation& annotation, SVMFeatureVector& features) const override;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
    std::shared_ptr<KoreanVerbTable> verbTable;
};

class KoreanQuestionClassifier : public ClassificationAnnotator {
public:
    KoreanQuestionClassifier(const std::string& model, const std::string& index, const std::string& category,
                             const std::string& rule, std::shared_ptr<KoreanVerbTable> verbTable, bool prebuilt);
    KoreanQuestionClassifier(const std::string& model, const std::string& index, const std::string& category,
                             std::shared_ptr<DictionaryFeature> rules, std::shared_ptr<KoreanVerbTable> verbTable);
    bool process(Annotation& annotation) const override;
    bool modelLoaded() const { return getClassifier() && getClassifier()->loaded(); }
};

}  // namespace Varnex
