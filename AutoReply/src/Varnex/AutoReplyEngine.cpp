#include "Varnex/AutoReplyEngine.h"

#include <algorithm>

#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/PersonalCorpusApplier.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReply/src/Varnex/AutoReplyEngine";
}

AutoReplyEngine::~AutoReplyEngine() {
    // Release in the reverse order of the pipeline: applier, ranker,
    // generators, analyzer.
    personalCorpusApplier.reset();
    replyRanker.reset();
    replyGenerators.clear();
    messageAnalyzer.reset();
}

bool AutoReplyEngine::init() {
    varnex_print_log(LOG_INFO, kTag, "Initializing AutoReplyEngine...\n");
    if (!messageAnalyzer || !messageAnalyzer->init()) {
        varnex_print_log(LOG_ERROR, kTag, "Failed to init MessageAnalyzer\n");
        return false;
    }
    for (auto& generator : replyGenerators) {
        if (!generator->init()) {
            varnex_print_log(LOG_ERROR, kTag, "Failed to init Reply Generator\n");
            return false;
        }
    }
    if (!replyRanker || !replyRanker->init()) {
        varnex_print_log(LOG_ERROR, kTag, "Failed to init Reply Ranker\n");
        return false;
    }
    if (personalCorpusApplier && !personalCorpusApplier->init()) {
        varnex_print_log(LOG_ERROR, kTag, "Failed to init Personal Corpus Applier\n");
        return false;
    }
    initialized = true;
    return true;
}

std::vector<ReplyScenario> AutoReplyEngine::generateCandidates(const std::string& sender, const std::string& message,
                                                               Annotation& analysed) {
    std::vector<ReplyScenario> candidates;
    analysed.setSender(sender);
    analysed.addCategory(Category::SENDER, Classification(Category::SENDER, sender));
    if (!messageAnalyzer || !replyRanker) {
        varnex_print_log(LOG_ERROR, kTag, "Engine has no analyzer or ranker\n");
        return candidates;
    }
    messageAnalyzer->analyze(sender, message, analysed);
    for (const auto& generator : replyGenerators) generator->generate(sender, message, analysed, candidates);
    if (personalCorpusApplier) personalCorpusApplier->apply(sender, message, analysed, candidates);
    replyRanker->rank(analysed, candidates);
    return candidates;
}

std::string AutoReplyEngine::boundedText(const std::string& text) {
    bool truncated = false;
    std::string head = Utilities::StringUtil::headChars(text, kMaxAnalysedChars, truncated);
    if (truncated)
        varnex_print_log(LOG_INFO, kTag, "Text of %zu bytes: only its first %zu characters are analysed\n",
                         text.size(), kMaxAnalysedChars);
    return head;
}

bool AutoReplyEngine::findReply(const std::string& sender, const std::string& fullMessage,
                                std::vector<Reply>& replies, Annotation* annotation) {
    const std::string message = boundedText(fullMessage);
    // Every message starts from a fresh annotation, so nothing of an earlier
    // message (or of what the caller passed in) leaks into this one.
    Annotation analysed(message);
    std::vector<ReplyScenario> candidates = generateCandidates(sender, message, analysed);
    convertToReply(candidates, replies);
    if (annotation) *annotation = analysed;
    return !replies.empty();
}

void AutoReplyEngine::notifyReply(const std::string& sender, const std::string& fullMessage,
                                  const std::string& fullReply, Annotation* annotation) {
    if (!messageAnalyzer) return;
    const std::string message = boundedText(fullMessage), reply = boundedText(fullReply);
    Annotation messageAnnotation(message);
    messageAnalyzer->analyze(sender, message, messageAnnotation);
    Annotation replyAnnotation(reply);
    messageAnalyzer->analyze(sender, reply, replyAnnotation);
    for (auto& generator : replyGenerators)
        generator->update(sender, message, messageAnnotation, reply, replyAnnotation);
    if (personalCorpusApplier) personalCorpusApplier->update(sender, message, messageAnnotation, reply, replyAnnotation);
    if (annotation) *annotation = replyAnnotation;
}

void AutoReplyEngine::setModules(std::shared_ptr<_IMessageAnalyzer> analyzer,
                                 std::vector<std::shared_ptr<_ICandidateReplyGenerator>> generators,
                                 std::shared_ptr<_IReplyRanker> ranker) {
    messageAnalyzer = std::move(analyzer);
    replyGenerators = std::move(generators);
    replyRanker = std::move(ranker);
}

void AutoReplyEngine::addReplyGenerator(std::shared_ptr<_ICandidateReplyGenerator> generator) {
    replyGenerators.push_back(std::move(generator));
}

void AutoReplyEngine::convertToReply(std::vector<ReplyScenario>& candidates, std::vector<Reply>& replies) {
    for (const auto& candidate : candidates) {
        for (Reply reply : candidate.toReply()) {
            if (reply.text.compare(0, 6, "Select") == 0) continue;
            reply.text = finishText(reply.text);
            bool seen = std::any_of(replies.begin(), replies.end(),
                                    [&](const Reply& r) { return r.text == reply.text; });
            if (seen) continue;
            if (static_cast<int>(replies.size()) < maxReplyCount) replies.push_back(reply);
        }
    }
}

}  // namespace Varnex
