// Runs one classifier per category; see ClassificationAnnotator.h.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/IAnnotator.h"

namespace Varnex {

class MultiClassificationAnnotator : public IAnnotator {
public:
    MultiClassificationAnnotator() = default;
    ~MultiClassificationAnnotator() override = default;

    // Sets the classifier of `category`, replacing an earlier one.
    void addClassifier(const std::string& category, const std::shared_ptr<AnnotationBasedClassifier>& classifier);
    const std::map<std::string, std::shared_ptr<AnnotationBasedClassifier>>& getClassifiers() const {
        return classifiers;
    }

    // For every category in name order: a stored result whose predicted
    // class is a positive answer (neither "FALSE" nor "none") is kept;
    // otherwise the classifier's result replaces it (or is added).
    bool process(Annotation& annotation) const override;

private:
    std::map<std::string, std::shared_ptr<AnnotationBasedClassifier>> classifiers;
};

}  // namespace Varnex
