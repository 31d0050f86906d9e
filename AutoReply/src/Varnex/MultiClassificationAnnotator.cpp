#include "Varnex/MultiClassificationAnnotator.h"

#include <string>

namespace Varnex {

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
            // A result without any positive score (Label::NONE) is no answer
            // at all, so the classifier may give one.
            if (current != Label::FALSE_LABEL && current != Label::NONE) continue;
        }
        annotation.addCategory(category, Classification(category, entry.second->classify(annotation)));
    }
    return true;
}

}  // namespace Varnex
