// Phrase-dictionary features: every phrase of the dictionary found in the
// message's text (left to right, longest phrase at each position, phrases
// may match across missing spaces) adds its raw key and its value as
// features, each with the value 1.0 however often it occurs.
#pragma once

#include <memory>

#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/DictionaryFeature.h"

namespace Varnex {

class DictionaryFeatureExtractor : public AnnotationBasedFeatureExtractor {
public:
    // A null dictionary gives no features.
    explicit DictionaryFeatureExtractor(std::shared_ptr<DictionaryFeature> dictionary);
    void extract(const Annotation& annotation, SVMFeatureVector& vector) const override;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
};

}  // namespace Varnex
