// The language-independent reply pipeline.
//
// For every message: analyse into a fresh Annotation, let each generator
// append candidates, personalise, rank, and convert into at most
// maxReplyCount distinct replies. The engine owns its modules; it is used
// from one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Varnex/Annotation.h"
#include "Varnex/Modules.h"
#include "Varnex/Reply.h"
#include "Varnex/ReplyScenario.h"

namespace Varnex {

class AutoReplyEngine {
public:
    AutoReplyEngine() = default;
    virtual ~AutoReplyEngine();
    AutoReplyEngine(const AutoReplyEngine&) = delete;
    AutoReplyEngine& operator=(const AutoReplyEngine&) = delete;

    // Initialises analyzer, generators (in order), ranker and applier; stops
    // at the first failure with a log line. Analyzer and ranker must be set.
    virtual bool init();
    virtual bool isInit() const { return initialized; }

    // Appends up to maxReplyCount distinct suggestions to `replies`; true when
    // `replies` is not empty afterwards. When `annotation` is given it
    // receives the analysis of the message. Only the first kMaxAnalysedChars
    // characters of a message are analysed (also by notifyReply), so time and
    // memory stay bounded whatever a host passes in.
    virtual bool findReply(const std::string& sender, const std::string& message, std::vector<Reply>& replies,
                           Annotation* annotation);
    // The user answered `message` from `sender` with `reply`: every generator
    // and the applier learn from it.
    virtual void notifyReply(const std::string& sender, const std::string& message, const std::string& reply,
                             Annotation* annotation);

    void setModules(std::shared_ptr<_IMessageAnalyzer> analyzer,
                    std::vector<std::shared_ptr<_ICandidateReplyGenerator>> generators,
                    std::shared_ptr<_IReplyRanker> ranker);
    void addReplyGenerator(std::shared_ptr<_ICandidateReplyGenerator> generator);
    void setPersonalCorpusApplier(std::shared_ptr<PersonalCorpusApplier> applier) {
        personalCorpusApplier = std::move(applier);
    }

    // Texts of the candidates' reply groups, in order, without "Select..."
    // texts and without texts already in `replies`, up to maxReplyCount.
    // Duplicates are judged on the finished text (see finishText).
    void convertToReply(std::vector<ReplyScenario>& candidates, std::vector<Reply>& replies);

    int getMaxReplyCount() const { return maxReplyCount; }

    // Far longer than any chat message people answer with a tap; a longer
    // text is a pasted document or garbage, and its head says what it is.
    static constexpr size_t kMaxAnalysedChars = 2000;
    // The head of `text` that is analysed (see kMaxAnalysedChars).
    static std::string boundedText(const std::string& text);

protected:
    // The text as the host will receive it; a language engine may finish
    // its sentences here. The base engine returns the text unchanged.
    virtual std::string finishText(const std::string& text) const { return text; }

    // Runs the analyzer, generators, applier and ranker on a fresh annotation.
    std::vector<ReplyScenario> generateCandidates(const std::string& sender, const std::string& message,
                                                  Annotation& analysed);

    bool initialized = false;
    int maxReplyCount = 10;
    std::shared_ptr<_IMessageAnalyzer> messageAnalyzer;
    std::vector<std::shared_ptr<_ICandidateReplyGenerator>> replyGenerators;
    std::shared_ptr<_IReplyRanker> replyRanker;
    std::shared_ptr<PersonalCorpusApplier> personalCorpusApplier;
};

}  // namespace Varnex
