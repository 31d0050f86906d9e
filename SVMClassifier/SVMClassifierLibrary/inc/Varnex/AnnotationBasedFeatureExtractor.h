// Turns an analysed message into classifier features.
//
// preprocess and finish_preprocess let training tools show an extractor
// every message before extraction starts; the engine never calls them.
#pragma once

#include "Varnex/Annotation.h"
#include "Varnex/SVMFeatureVector.h"

namespace Varnex {

class AnnotationBasedFeatureExtractor {
public:
    virtual ~AnnotationBasedFeatureExtractor() = default;
    virtual void preprocess(const Annotation&) {}
    virtual void finish_preprocess() {}
    // Adds the annotation's features to the vector.
    virtual void extract(const Annotation& annotation, SVMFeatureVector& vector) const = 0;
};

}  // namespace Varnex
