// Builds the engine behind openEngine(): the Korean engine with its two
// learning databases "honorific_ko_KR.db" and "personal_ko_KR.db", whose
// names are appended to `dataDir` as they stand. Nothing is initialised here.
#pragma once

#include <memory>
#include <string>

#include "Varnex/AutoReplyEngine.h"
#include "Varnex/LanguageType.h"

namespace Varnex {

class SmartReplyEngineFactory {
public:
    static std::shared_ptr<AutoReplyEngine> createEngine(LanguageType language, const std::string& resourceDir,
                                                         const std::string& dataDir);
};

}  // namespace Varnex
