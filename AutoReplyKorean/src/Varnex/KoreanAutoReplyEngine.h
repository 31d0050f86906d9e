// The Korean engine: the Korean analyzer, the scenario generator and the
// ranker, built from one resource directory, and the learning stores it owns.
// Every suggestion ends with a period where Korean chat style expects one.
//
// The engine is the one owner of the learning stores: it creates them from
// the data directory, opens them in init() and hands them to the modules
// that read them (the speech-level detector) or write them (the scenario
// generator's update). The personal corpus is its applier's store: the
// engine builds the applier with it and the pipeline calls it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Varnex/AutoReplyEngine.h"
#include "Varnex/StoreKey.h"

namespace Varnex {

class HonorificHistory;
class PersonalCorpusApplier;
class _KoreanMessageAnalyzer;
class _KoreanMLCandidateReplyGenerator;

class KoreanAutoReplyEngine : public AutoReplyEngine {
public:
    // Builds every module from `resourceDir` (which holds the "1.0" tree),
    // without learning stores.
    explicit KoreanAutoReplyEngine(const std::string& resourceDir);
    // The same with the learning stores, named by appending their file names
    // to `dataDir` as it stands (hosts pass it with its trailing separator).
    // They are keyed with `hostKey` when given, else with the data
    // directory's key file (see StoreKey.h). Nothing is opened here.
    KoreanAutoReplyEngine(const std::string& resourceDir, const std::string& dataDir,
                          const StoreKey* hostKey = nullptr);
    ~KoreanAutoReplyEngine() override;

    // Fails with one error line naming what is missing when the resource
    // tree cannot serve suggestions (no scenario table, no corpus, no
    // speech-level models); such an engine suggests nothing. Otherwise opens
    // the learning stores and initialises the modules; a store that cannot
    // be opened (or a damaged key file) fails init() too, but the engine
    // still suggests. Stores that can only be read serve what they hold.
    bool init() override;
    bool findReply(const std::string& sender, const std::string& message, std::vector<Reply>& replies,
                   Annotation* annotation) override;

    static const char* const kHonorificDbName;  // "honorific_ko_KR.db"
    static const char* const kPersonalDbName;   // "personal_ko_KR.db"

protected:
    std::string finishText(const std::string& text) const override;

private:
    void loadModules();

    std::string resourceDir;
    std::string dataDir;
    std::unique_ptr<StoreKey> hostKey;
    std::shared_ptr<HonorificHistory> honorificHistory;
    std::shared_ptr<PersonalCorpusApplier> personalCorpus;
    std::shared_ptr<_KoreanMessageAnalyzer> messageAnalyzer;
    std::shared_ptr<_KoreanMLCandidateReplyGenerator> scenarioGenerator;
    bool treeUsable = true;
};

class KoreanPeriodAppender {
public:
    // Appends "." unless the text is empty or ends in a closing character
    // (ASCII punctuation such as ? ! ~ ^, laughter and crying jamo, a heart,
    // an apostrophe) or an emoji.
    static std::string& addPeriod(std::string& text);
};

}  // namespace Varnex
