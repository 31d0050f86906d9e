// Ordered annotator chains, one per language.
//
// Filled once, initialised once, then used read-only: process() runs every
// annotator of the language's chain in order, whatever each returns.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "Varnex/IAnnotator.h"

namespace Varnex {

class Senlp {
public:
    Senlp() = default;
    virtual ~Senlp() = default;

    // Replaces the chain of `language` with a copy of `annotators`.
    void addPipeline(LanguageType language, const std::vector<std::shared_ptr<IAnnotator>>& annotators);
    void removePipeline(LanguageType language);
    // init() on every annotator, chains in language order; stops at the first false.
    bool initPipeline();
    void process(LanguageType language, Annotation& annotation) const;

private:
    std::map<LanguageType, std::vector<std::shared_ptr<IAnnotator>>> pipelines;
};

}  // namespace Varnex
