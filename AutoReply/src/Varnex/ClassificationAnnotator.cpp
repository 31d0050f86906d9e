#include "Varnex/ClassificationAnnotator.h"

#include <utility>

#include "Varnex/Log.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReply/src/Varnex/ClassificationAnnotator";
}

void ClassificationAnnotator::setClassifier(const std::string& c, const std::shared_ptr<AnnotationBasedClassifier>& cl) {
    category = c;
    classifier = cl;
}

bool ClassificationAnnotator::process(Annotation& annotation) const {
    if (!classifier) return true;
    Classification result(category, classifier->classify(annotation));
    if (getLogLevel() <= LOG_DEBUG)
        varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", category.c_str(),
                         result.getPredictedClass().c_str());
    annotation.addCategory(category, std::move(result));
    return true;
}

}  // namespace Varnex
