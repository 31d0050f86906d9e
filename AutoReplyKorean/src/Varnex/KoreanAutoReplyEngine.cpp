#include "KoreanAutoReplyEngine.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "HonorificHistory.h"
#include "Varnex/PersonalCorpusApplier.h"
#include "KoreanAnswerReplyGenerator.h"
#include "KoreanMLCandidateReplyGenerator.h"
#include "KoreanMessageAnalyzer.h"
#include "KoreanReplyRanker.h"
#include "KoreanResourcePaths.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanAutoReplyEngine";
}

const char* const KoreanAutoReplyEngine::kHonorificDbName = "honorific_ko_KR.db";
const char* const KoreanAutoReplyEngine::kPersonalDbName = "personal_ko_KR.db";

KoreanAutoReplyEngine::KoreanAutoReplyEngine(const std::string& resources) : resourceDir(resources) { loadModules(); }

KoreanAutoReplyEngine::KoreanAutoReplyEngine(const std::string& resources, const std::string& dataDir,
                                             const StoreKey* hostKey)
    : resourceDir(resources),
      dataDir(dataDir),
      honorificHistory(std::make_shared<HonorificHistory>(dataDir + kHonorificDbName)),
      personalCorpus(
          std::make_shared<PersonalCorpusApplier>(resourceDir, KoreanResource::kVersion, dataDir + kPersonalDbName)) {
    if (hostKey != nullptr) this->hostKey = std::make_unique<StoreKey>(*hostKey);
    loadModules();
    setPersonalCorpusApplier(personalCorpus);
}

void KoreanAutoReplyEngine::loadModules() {
    messageAnalyzer = std::make_shared<_KoreanMessageAnalyzer>(resourceDir, honorificHistory);
    scenarioGenerator = std::make_shared<_KoreanMLCandidateReplyGenerator>(resourceDir, honorificHistory);
    // Generated answers to a question come before the scenario replies.
    setModules(messageAnalyzer, {std::make_shared<KoreanAnswerReplyGenerator>(), scenarioGenerator},
               std::make_shared<_KoreanReplyRanker>(KoreanResource::text(resourceDir, KoreanResource::ARBITRATION_RULE)));
}

KoreanAutoReplyEngine::~KoreanAutoReplyEngine() = default;

bool KoreanAutoReplyEngine::init() {
    std::vector<std::string> missing = scenarioGenerator->repository().getUnreadableTables();
    for (const auto& path : messageAnalyzer->getUnreadableRequiredFiles()) missing.push_back(path);
    if (!missing.empty()) {
        // Named inside the tree, which the line names once.
        const std::string tree = resourceDir + "/" + KoreanResource::kVersion;
        std::string names;
        for (size_t i = 0; i < missing.size(); ++i) {
            std::string name = missing[i];
            if (name.compare(0, tree.size() + 1, tree + "/") == 0) name.erase(0, tree.size() + 1);
            names += (i == 0 ? "" : i + 1 == missing.size() ? " and " : ", ") + name;
        }
        varnex_print_log(LOG_ERROR, kTag, "The resource tree %s cannot serve suggestions: %s %s missing or unreadable\n",
                         tree.c_str(), names.c_str(), missing.size() == 1 ? "is" : "are");
        treeUsable = false;
        return false;
    }
    // The stores are opened before the modules, so a store that fails is
    // reported but the modules are still ready to suggest.
    bool storesOpen = true;
    if (honorificHistory) {
        StoreKeys keys;
        std::string error;
        if (storeKeysFor(dataDir, hostKey.get(), keys, error)) {
            honorificHistory->setKeys(keys);
            personalCorpus->setStoreKeys(keys);
            storesOpen = honorificHistory->init();
        } else {
            // Opened under a new key, the stores would lose what they hold.
            varnex_print_log(LOG_ERROR, kTag, "The learning stores stay closed: %s\n", error.c_str());
            setPersonalCorpusApplier(nullptr);
            storesOpen = false;
        }
    }
    const bool modulesReady = AutoReplyEngine::init();
#if defined(__GLIBC__)
    // Loading leaves megabytes of freed buffers (file contents, text being
    // parsed) that the allocator would otherwise keep for the process's
    // lifetime.
    malloc_trim(0);
#endif
    return storesOpen && modulesReady;
}

bool KoreanAutoReplyEngine::findReply(const std::string& sender, const std::string& message,
                                      std::vector<Reply>& replies, Annotation* annotation) {
    // Said once, by init(): an engine without its tables has nothing to offer.
    if (!treeUsable) return false;
    return AutoReplyEngine::findReply(sender, message, replies, annotation);
}

std::string KoreanAutoReplyEngine::finishText(const std::string& text) const {
    std::string finished = text;
    return KoreanPeriodAppender::addPeriod(finished);
}

std::string& KoreanPeriodAppender::addPeriod(std::string& text) {
    static const std::string closing =
        "~?!^-_.;,@#$%^&*<>()"
        "\xE3\x85\x82\xE3\x85\x88\xE3\x84\xB7\xE3\x84\xB1\xE3\x85\x85\xE3\x85\x81\xE3\x84\xB4\xE3\x85\x87"
        "\xE3\x84\xB9\xE3\x85\x8E\xE3\x85\x8B\xE3\x85\x8C\xE3\x85\x8A\xE3\x85\x8D\xE3\x85\xA0\xE3\x85\x9C"
        "\xE3\x85\xA1\xE3\x85\x97\xE3\x85\x9B"
        "\xE2\x99\xA1"
        "'";
    if (text.empty()) return text;
    std::string last;
    Utilities::StringUtil::getPreviousChar(text, static_cast<int>(text.size()) - 1, last);
    // An emoji closes a reply as a mark does ("👍", not "👍.").
    if (last.empty() || (closing.find(last) == std::string::npos && !Utilities::StringUtil::isEmoji(last))) text += ".";
    return text;
}

}  // namespace Varnex
