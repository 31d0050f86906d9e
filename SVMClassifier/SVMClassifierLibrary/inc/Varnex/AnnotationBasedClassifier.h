// A classifier that owns its feature extractors and classifies an
// Annotation directly: every extractor adds to one vector, in the order the
// extractors were added, and the model classifies that vector.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/SVMClassifier.h"

namespace Varnex {

class AnnotationBasedClassifier : public SVMClassifier, protected AnnotationBasedFeatureExtractor {
public:
    AnnotationBasedClassifier() = default;
    explicit AnnotationBasedClassifier(std::shared_ptr<AnnotationBasedFeatureExtractor> extractor);

    void addFeatureExtractor(std::shared_ptr<AnnotationBasedFeatureExtractor> extractor);
    const std::vector<std::shared_ptr<AnnotationBasedFeatureExtractor>>& getFeatureExtractors() const {
        return extractors;
    }

    // Runs every extractor on the same vector.
    void extract(const Annotation& annotation, SVMFeatureVector& vector) const override;

    using SVMClassifier::classify;
    using SVMClassifier::predict;
    // Empty results, without extracting anything, when the model is not
    // loaded.
    std::map<std::string, double> classify(const Annotation& annotation) const;
    // The features of `annotation`, keyed by name hash, for classifyExtracted
    // of every classifier with the same extractors: one extraction serves
    // several models.
    SVMFeatureVector extractByHash(const Annotation& annotation) const;
    // classify() on features extractByHash() produced.
    std::map<std::string, double> classifyExtracted(const SVMFeatureVector& byHash) const;
    std::string predict(const Annotation& annotation) const;

private:
    std::vector<std::shared_ptr<AnnotationBasedFeatureExtractor>> extractors;
};

}  // namespace Varnex
