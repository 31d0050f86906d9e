// Builds the engine behind openEngine(): the Korean engine with its two
// learning databases "honorific_ko_KR.db" and "personal_ko_KR.db", whose
// names are appended to `dataDir` as they stand. Nothing is initialised here.
#pragma once

#include <memory>
#include <string>

#include "Varnex/AutoReplyEngine.h"
#include "Varnex/LanguageType.h"
#include "Varnex/StoreKey.h"

namespace Varnex {

class SmartReplyEngineFactory {
public:
    // `storeKey` keys the learning stores; without it, the data directory's
    // key file does.
    static std::shared_ptr<AutoReplyEngine> createEngine(LanguageType language, const std::string& resourceDir,
                                                         const std::string& dataDir, const StoreKey* storeKey);
};

}  // namespace Varnex
