#include "Varnex/AutoReply.h"

#include "Varnex/Log.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReply/src/Varnex/AutoReply";
}

bool AutoReply::addEngine(LanguageType language, std::shared_ptr<AutoReplyEngine>& engine) {
    varnex_print_log(LOG_INFO, kTag, "Adding AutoReply engine [%s]\n", languageString(language).c_str());
    if (!engine) return false;
    engines[language] = engine;
    return engine->isInit() ? true : engine->init();
}

bool AutoReply::removeEngine(LanguageType language) {
    varnex_print_log(LOG_INFO, kTag, "Removing AutoReply engine [%s]\n", languageString(language).c_str());
    return engines.erase(language) > 0;
}

std::shared_ptr<AutoReplyEngine> AutoReply::getEngine(LanguageType language) const {
    auto it = engines.find(language);
    return it == engines.end() ? nullptr : it->second;
}

bool AutoReply::findReply(LanguageType language, const std::string& sender, const std::string& message,
                          std::vector<Reply>& replies, Annotation* annotation) {
    auto engine = getEngine(language);
    if (!engine) {
        varnex_print_log(LOG_ERROR, kTag, "Unloaded Engine\n");
        return false;
    }
    varnex_print_log(LOG_DEBUG, kTag, "Find Reply for %s from %s\n", message.c_str(), sender.c_str());
    bool found = engine->findReply(sender, message, replies, annotation);
    if (getLogLevel() <= LOG_DEBUG) {
        std::string joined;
        for (size_t i = 0; i < replies.size(); ++i) {
            if (i) joined += ", ";
            joined += replies[i].text;
        }
        varnex_print_log(LOG_DEBUG, kTag, "Suggested Replies [%s]\n", joined.c_str());
    }
    return found;
}

void AutoReply::notifyReply(LanguageType language, const std::string& sender, const std::string& message,
                            const std::string& reply) {
    auto engine = getEngine(language);
    if (!engine) {
        varnex_print_log(LOG_ERROR, kTag, "Unloaded Engine\n");
        return;
    }
    varnex_print_log(LOG_DEBUG, kTag, "Notifu Reply %s for %s from %s\n", message.c_str(), reply.c_str(),
                     sender.c_str());
    engine->notifyReply(sender, message, reply, nullptr);
}

}  // namespace Varnex
