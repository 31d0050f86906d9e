// The Korean message analyzer: one fixed chain of annotators built from the
// resource tree. Each annotator adds named results to the message's
// Annotation; later ones read earlier results, so the order matters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KoreanHonorificHistoryManager.h"
#include "Varnex/Modules.h"
#include "Varnex/Senlp.h"

namespace Varnex {

class _KoreanMessageAnalyzer : public _IMessageAnalyzer {
public:
    // Builds the chain from `resourceDir`; `history` (which may be empty)
    // gives the speech level the user uses with a sender.
    _KoreanMessageAnalyzer(const std::string& resourceDir, std::shared_ptr<_IKoreanHonorificHistoryManager> history);

    using _IMessageAnalyzer::init;
    // Sets the annotation's text to `message` and runs the chain.
    void analyze(const std::string& sender, const std::string& message, Annotation& annotation) const override;

    // The files the chain cannot do without that could not be loaded (the
    // speech-level models: without them every reply would be in plain speech).
    const std::vector<std::string>& getUnreadableRequiredFiles() const { return unreadableRequired; }

private:
    void init(const std::string& resourceDir, std::shared_ptr<_IKoreanHonorificHistoryManager> history);

    std::unique_ptr<Senlp> senlp;
    std::vector<std::string> unreadableRequired;
};

}  // namespace Varnex
