// The Korean engine: the Korean analyzer, the answer and scenario
// generators and the ranker, built from one resource directory; every
// suggestion ends with a period where Korean chat style expects one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KoreanHonorificHistoryManager.h"
#include "Varnex/AutoReplyEngine.h"

namespace Varnex {

class KoreanAutoReplyEngine : public AutoReplyEngine {
public:
    explicit KoreanAutoReplyEngine(const std::string& resourceDir);
    KoreanAutoReplyEngine(const std::string& resourceDir, std::shared_ptr<_IKoreanHonorificHistoryManager> history);
    // An empty path means no honorific history.
    KoreanAutoReplyEngine(const std::string& resourceDir, const std::string& honorificDbPath);

    void loadModules(const std::string& resourceDir, std::shared_ptr<_IKoreanHonorificHistoryManager> history);
    bool findReply(const std::string& sender, const std::string& message, std::vector<Reply>& replies,
                   Annotation* annotation) override;

protected:
    std::string finishText(const std::string& text) const override;
};

class KoreanPeriodAppender {
public:
    // Appends "." unless the text is empty or ends in a closing character
    // (ASCII punctuation such as ? ! ~ ^, laughter and crying jamo, a heart,
    // an apostrophe).
    static std::string& addPeriod(std::string& text);
};

}  // namespace Varnex
