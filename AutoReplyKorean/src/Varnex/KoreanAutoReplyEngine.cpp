#include "KoreanAutoReplyEngine.h"

#include "HonorificHistory.h"
#include "KoreanMLCandidateReplyGenerator.h"
#include "KoreanMessageAnalyzer.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

KoreanAutoReplyEngine::KoreanAutoReplyEngine(const std::string& resourceDir) { loadModules(resourceDir, nullptr); }

KoreanAutoReplyEngine::KoreanAutoReplyEngine(const std::string& resourceDir,
                                             std::shared_ptr<_IKoreanHonorificHistoryManager> history) {
    loadModules(resourceDir, std::move(history));
}

KoreanAutoReplyEngine::KoreanAutoReplyEngine(const std::string& resourceDir, const std::string& honorificDbPath) {
    std::shared_ptr<_IKoreanHonorificHistoryManager> history;
    // The database itself is opened by init(), through the scenario generator.
    if (!honorificDbPath.empty()) history = std::make_shared<HonorificHistory>(honorificDbPath);
    loadModules(resourceDir, history);
}

void KoreanAutoReplyEngine::loadModules(const std::string& resourceDir,
                                        std::shared_ptr<_IKoreanHonorificHistoryManager> history) {
    auto analyzer = std::make_shared<_KoreanMessageAnalyzer>(resourceDir, history);
    auto scenarios = std::make_shared<_KoreanMLCandidateReplyGenerator>(resourceDir, history);
    auto ranker = std::make_shared<_KoreanReplyRanker>();
    setModules(analyzer, {scenarios}, ranker);
}

bool KoreanAutoReplyEngine::findReply(const std::string& sender, const std::string& message,
                                      std::vector<Reply>& replies, Annotation* annotation) {
    if (!AutoReplyEngine::findReply(sender, message, replies, annotation)) return false;
    for (auto& r : replies) KoreanPeriodAppender::addPeriod(r.text);
    return true;
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
    if (last.empty() || closing.find(last) == std::string::npos) text += ".";
    return text;
}

}  // namespace Varnex
