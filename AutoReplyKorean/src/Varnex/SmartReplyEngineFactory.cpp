#include "SmartReplyEngineFactory.h"

#include "KoreanAutoReplyEngine.h"

namespace Varnex {

std::shared_ptr<AutoReplyEngine> SmartReplyEngineFactory::createEngine(LanguageType, const std::string& resourceDir,
                                                                       const std::string& dataDir) {
    return std::make_shared<KoreanAutoReplyEngine>(resourceDir, dataDir);
}

}  // namespace Varnex
