#include "Varnex/AnnotationBasedClassifier.h"

#include <utility>

#include "Varnex/Log.h"

namespace Varnex {

namespace {
const char* const kTag = "SVMClassifier/SVMClassifierLibrary/src/Varnex/AnnotationBasedClassifier";
}

AnnotationBasedClassifier::AnnotationBasedClassifier(std::shared_ptr<AnnotationBasedFeatureExtractor> extractor) {
    addFeatureExtractor(std::move(extractor));
}

void AnnotationBasedClassifier::addFeatureExtractor(std::shared_ptr<AnnotationBasedFeatureExtractor> extractor) {
    if (extractor) extractors.push_back(std::move(extractor));
}

void AnnotationBasedClassifier::extract(const Annotation& annotation, SVMFeatureVector& vector) const {
    for (const auto& e : extractors) e->extract(annotation, vector);
}

std::map<std::string, double> AnnotationBasedClassifier::classify(const Annotation& annotation) const {
    if (!loaded()) {
        varnex_print_log(LOG_ERROR, kTag, "model is not loaded");
        return {};
    }
    auto vector = model->makeFeatureVector();
    vector->setText(annotation.getText());
    extract(annotation, *vector);
    return SVMClassifier::classify(*vector);
}

SVMFeatureVector AnnotationBasedClassifier::extractByHash(const Annotation& annotation) const {
    SVMFeatureVector vector = SVMFeatureVector::keyedByHash();
    vector.setText(annotation.getText());
    extract(annotation, vector);
    return vector;
}

std::map<std::string, double> AnnotationBasedClassifier::classifyExtracted(const SVMFeatureVector& byHash) const {
    if (!loaded()) {
        varnex_print_log(LOG_ERROR, kTag, "model is not loaded");
        return {};
    }
    return SVMClassifier::classifyByHash(byHash);
}

std::string AnnotationBasedClassifier::predict(const Annotation& annotation) const {
    std::string best = bestClass(classify(annotation));
    if (best.empty()) varnex_print_log(LOG_WARN, kTag, "Classification results are empty");
    return best;
}

}  // namespace Varnex
