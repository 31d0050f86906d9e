// The wrapper behind create(): forwards the host API to the engine registry
// and keeps every exception inside the library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "Varnex/AutoReply.h"
#include "Varnex/StoreKey.h"

namespace Varnex {

class SmartReplyAPIWrapperImpl : public SmartReplyAPIWrapper {
public:
    using EngineBuilder = std::shared_ptr<AutoReplyEngine> (*)(LanguageType, const std::string&, const std::string&,
                                                               const StoreKey*);

    explicit SmartReplyAPIWrapperImpl(const std::string& language);
    // Tests pass their own builder to exercise the API boundary.
    SmartReplyAPIWrapperImpl(const std::string& language, EngineBuilder builder);
    ~SmartReplyAPIWrapperImpl() override = default;

    const std::string& getLanguage() const override { return language; }
    bool openEngine(const std::string& resourceDir, const std::string& dataDir) override;
    bool closeEngine() override;
    bool findReply(const std::string& reserved, const std::string& sender, const std::string& message,
                   std::vector<std::string>& replies) const override;
    bool notify(const std::string& reserved, const std::string& sender, const std::string& message,
                const std::string& reply, bool reservedFlag) override;

    const AutoReply& registry() const { return *autoReply; }

    // The key the learning stores of engines opened from now on are keyed
    // with, instead of the data directory's key file.
    void setStoreKey(const StoreKey& key) { storeKey = std::make_unique<StoreKey>(key); }

private:
    std::string language;
    std::shared_ptr<AutoReply> autoReply;
    EngineBuilder engineBuilder;
    std::unique_ptr<StoreKey> storeKey;
};

}  // namespace Varnex
