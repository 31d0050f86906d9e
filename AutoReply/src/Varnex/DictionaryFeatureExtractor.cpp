#include "Varnex/DictionaryFeatureExtractor.h"

#include <string>
#include <utility>
#include <vector>

namespace Varnex {

DictionaryFeatureExtractor::DictionaryFeatureExtractor(std::shared_ptr<DictionaryFeature> d) : dictionary(std::move(d)) {}

void DictionaryFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& vector) const {
    if (!dictionary) return;
    std::vector<std::string> features;
    dictionary->getFeature(annotation.getText(), features, false, true);
    for (const auto& f : features) vector.insert(f);
}

}  // namespace Varnex
