#include "SmartReplyAPIWrapperImpl.h"

#include <exception>

#include "SmartReplyEngineFactory.h"
#include "Varnex/Log.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/SmartReplyAPIWrapperImpl";

// Runs `body`, turning any exception into a level-3 log line and `failed`.
template <typename F>
bool guarded(const char* what, F&& body, bool failed = false) {
    try {
        return body();
    } catch (const std::exception& e) {
        varnex_print_log(LOG_ERROR, kTag, "%s failed: %s\n", what, e.what());
    } catch (...) {
        varnex_print_log(LOG_ERROR, kTag, "%s failed: unknown exception\n", what);
    }
    return failed;
}
}  // namespace

SmartReplyAPIWrapperImpl::SmartReplyAPIWrapperImpl(const std::string& lang)
    : SmartReplyAPIWrapperImpl(lang, &SmartReplyEngineFactory::createEngine) {}

SmartReplyAPIWrapperImpl::SmartReplyAPIWrapperImpl(const std::string& lang, EngineBuilder builder)
    : language(lang), autoReply(std::make_shared<AutoReply>()), engineBuilder(builder) {
    setLogLevel(LOG_ERROR);
}

bool SmartReplyAPIWrapperImpl::openEngine(const std::string& resourceDir, const std::string& dataDir) {
    return guarded("openEngine", [&] {
        LanguageType type = languageTypeFromCode(language);
        // The engine is built completely before the registry is touched, so
        // a builder that throws leaves an open engine answering.
        std::shared_ptr<AutoReplyEngine> engine = engineBuilder(type, resourceDir, dataDir, storeKey.get());
        if (!engine) {
            varnex_print_log(LOG_ERROR, kTag, "openEngine failed: no engine was built\n");
            return false;
        }
        return autoReply->addEngine(type, engine);
    });
}

bool SmartReplyAPIWrapperImpl::closeEngine() {
    return guarded("closeEngine", [&] { return autoReply->removeEngine(languageTypeFromCode(language)); });
}

bool SmartReplyAPIWrapperImpl::findReply(const std::string&, const std::string& sender, const std::string& message,
                                         std::vector<std::string>& replies) const {
    return guarded("findReply", [&] {
        std::vector<Reply> found;
        bool ok = autoReply->findReply(languageTypeFromCode(language), sender, message, found, nullptr);
        for (const auto& r : found) replies.push_back(r.text);
        return ok;
    });
}

bool SmartReplyAPIWrapperImpl::notify(const std::string&, const std::string& sender, const std::string& message,
                                      const std::string& reply, bool) {
    guarded("notify", [&] {
        autoReply->notifyReply(languageTypeFromCode(language), sender, message, reply);
        return false;
    });
    return false;
}

}  // namespace Varnex
