#include "SmartReplyEngineFactory.h"

#include "KoreanAutoReplyEngine.h"

namespace Varnex {

std::shared_ptr<AutoReplyEngine> SmartReplyEngineFactory::createEngine(LanguageType, const std::string& resourceDir,
                                                                       const std::string& dataDir,
                                                                       const StoreKey* storeKey) {
    return std::make_shared<KoreanAutoReplyEngine>(resourceDir, dataDir, storeKey);
}

}  // namespace Varnex
