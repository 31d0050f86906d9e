// Annotators that run classifiers on an Annotation and store the outcome as
// a Classification (class name -> probability) under a category name.
//
// ClassificationAnnotator runs one classifier. MultiClassificationAnnotator
// runs one classifier per category, in category-name order, and only where
// the annotation holds no positive answer yet: a category an earlier rule
// already set to anything but "FALSE" (or "none", no answer) is left as it
// is. Both always return
// true; a classifier without a loaded model stores an empty result, which
// predicts "none".
#pragma once

#include <memory>
#include <string>

#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/IAnnotator.h"

namespace Varnex {

class ClassificationAnnotator : public IAnnotator {
public:
    ClassificationAnnotator() = default;
    ~ClassificationAnnotator() override = default;

    // Sets the category and the classifier, replacing earlier ones.
    void setClassifier(const std::string& category, const std::shared_ptr<AnnotationBasedClassifier>& classifier);
    const std::string& getCategory() const { return category; }
    const std::shared_ptr<AnnotationBasedClassifier>& getClassifier() const { return classifier; }

    // Without a classifier nothing changes.
    bool process(Annotation& annotation) const override;

private:
    std::string category;
    std::shared_ptr<AnnotationBasedClassifier> classifier;
};

}  // namespace Varnex
