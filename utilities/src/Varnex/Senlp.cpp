#include "Varnex/Senlp.h"

namespace Varnex {

void Senlp::addPipeline(LanguageType language, const std::vector<std::shared_ptr<IAnnotator>>& annotators) {
    pipelines[language] = annotators;
}

void Senlp::removePipeline(LanguageType language) { pipelines.erase(language); }

bool Senlp::initPipeline() {
    for (auto& chain : pipelines)
        for (auto& annotator : chain.second)
            if (!annotator->init()) return false;
    return true;
}

void Senlp::process(LanguageType language, Annotation& annotation) const {
    auto it = pipelines.find(language);
    if (it == pipelines.end()) return;
    for (const auto& annotator : it->second) annotator->process(annotation);
}

}  // namespace Varnex
