// Registry of the open engines, at most one per language. Owned by the API
// wrapper; engines are held by shared pointer.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/AutoReplyEngine.h"
#include "Varnex/LanguageType.h"

namespace Varnex {

class AutoReply {
public:
    AutoReply() = default;
    virtual ~AutoReply() = default;

    // Registers `engine` (replacing any engine of the language) and
    // initialises it unless it already is; returns the init result. The
    // engine stays registered when init fails.
    bool addEngine(LanguageType language, std::shared_ptr<AutoReplyEngine>& engine);
    bool removeEngine(LanguageType language);
    bool hasEngine(LanguageType language) const { return engines.count(language) > 0; }
    std::shared_ptr<AutoReplyEngine> getEngine(LanguageType language) const;

    bool findReply(LanguageType language, const std::string& sender, const std::string& message,
                   std::vector<Reply>& replies, Annotation* annotation);
    void notifyReply(LanguageType language, const std::string& sender, const std::string& message,
                     const std::string& reply);

private:
    std::map<LanguageType, std::shared_ptr<AutoReplyEngine>> engines;
};

}  // namespace Varnex
