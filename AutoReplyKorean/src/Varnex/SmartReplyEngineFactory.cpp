#include "SmartReplyEngineFactory.h"

#include "KoreanAutoReplyEngine.h"

namespace Varnex {

std::shared_ptr<AutoReplyEngine> SmartReplyEngineFactory::createEngine(LanguageType, const std::string& resourceDir,
                                                                       const std::string& dataDir) {
    // The database names are glued onto dataDir as they stand: hosts pass
    // the directory with its trailing separator.
    const std::string honorificDbPath = dataDir + "honorific_ko_KR.db";
    return std::make_shared<KoreanAutoReplyEngine>(resourceDir, honorificDbPath);
}

}  // namespace Varnex
