#include "Varnex/MultiClassificationAnnotator.h"

#include <string>

namespace Varnex {

namespace {
// What Classification::getPredictedClass gives for a result without any
// positive score: no answer at all, so the classifier may give one.
const char* const kNoAnswer = "none";
}  // namespace

void MultiClassificationAnnotator::addClassifier(const std::string& category,
                                                 const std::shared_ptr<AnnotationBasedClassifier>& classifier) {
    classifiers[category] = classifier;
}

bool MultiClassificationAnnotator::process(Annotation& annotation) const {
    for (const auto& entry : classifiers) {
        const std::string& category = entry.first;
        if (!entry.second) continue;
        if (annotation.hasClassification(category)) {
            std::string current = annotation.getClassification(category).getPredictedClass();
            if (current != Category::FALSE_LABEL && current != kNoAnswer) continue;
        }
        annotation.addCategory(category, Classification(category, entry.second->classify(annotation)));
    }
    return true;
}

}  // namespace Varnex
