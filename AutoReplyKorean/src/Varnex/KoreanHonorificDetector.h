// Speech level of an incoming message: "honorific" = "FALSE" (plain),
// "NORMAL" (everyday polite) or "HIGH" (most formal).
//
// A first linear model tells honorific from plain speech; for honorific
// messages a second one tells the two polite levels apart. When the user
// has replied to the sender before, the level the user really uses with
// that sender (the honorific history) overrides both.
//
// The features are character n-grams of the message's words and the
// phrases and values of the honorific dictionary; the trainer builds the
// same extractor through the feature set "honorific".
#pragma once

#include <memory>
#include <set>
#include <string>

#include "KoreanCallDetector.h"
#include "KoreanCharactorFeature.h"
#include "KoreanHonorificHistoryManager.h"
#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/IAnnotator.h"
#include "Varnex/KoreanStopCharRemover.h"

namespace Varnex {

class KoreanHonorificFeatureExtractor : public AnnotationBasedFeatureExtractor {
public:
    KoreanHonorificFeatureExtractor(const std::string& dictionary, bool prebuilt);
    void extract(const Annotation& annotation, SVMFeatureVector& features) const override;

private:
    DictionaryFeature dictionary;
    std::shared_ptr<KoreanStopCharRemover> stopCharRemover;
};

class KoreanHonorificDetector : public IAnnotator {
public:
    KoreanHonorificDetector(const std::string& tfModel, const std::string& tfIndex, const std::string& tfCategory,
                            const std::string& hnModel, const std::string& hnIndex, const std::string& hnCategory,
                            const std::string& dictionary, std::shared_ptr<_IKoreanHonorificHistoryManager> history,
                            bool prebuilt);
    bool process(Annotation& annotation) const override;

    // A message that only calls the user by title ("교수님~", "선배님") is
    // polite speech, which the models, trained on sentences, cannot tell.
    void setCallDetector(std::shared_ptr<KoreanCallDetector> calls) { callDetector = std::move(calls); }

    bool modelsLoaded() const { return tfClassifier->loaded() && hnClassifier->loaded(); }
    // Model 0 (honorific or not) or 1 (which honorific level) loaded.
    bool modelLoaded(size_t which) const { return (which == 0 ? tfClassifier : hnClassifier)->loaded(); }

private:
    std::shared_ptr<AnnotationBasedClassifier> tfClassifier;
    std::shared_ptr<AnnotationBasedClassifier> hnClassifier;
    std::shared_ptr<_IKoreanHonorificHistoryManager> history;
    std::shared_ptr<KoreanCallDetector> callDetector;
};

}  // namespace Varnex
