// Scenario candidates for the Korean engine: the reply types, emotion and
// speech level found by analysis, under the contexts active now, select
// rows of the scenario table. The replies the user sends are passed on to
// the honorific history (owned and opened by the engine).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KoreanHonorificHistoryManager.h"
#include "Varnex/ContextAnalyzer.h"
#include "Varnex/Modules.h"
#include "Varnex/ReplyScenarioRepository.h"

namespace Varnex {

class _KoreanMLCandidateReplyGenerator : public _ICandidateReplyGenerator {
public:
    // Reads the scenario table and the corpus; `history` may be empty.
    _KoreanMLCandidateReplyGenerator(const std::string& resourceDir,
                                     std::shared_ptr<_IKoreanHonorificHistoryManager> history);

    void generate(const std::string& sender, const std::string& message, const Annotation& annotation,
                  std::vector<ReplyScenario>& candidates) const override;
    // Passes what the user sent on to the honorific history.
    void update(const std::string& sender, const std::string& message, const Annotation& messageAnnotation,
                const std::string& reply, const Annotation& replyAnnotation) override;

    const ReplyScenarioRepository& repository() const { return *scenarioRepository; }

private:
    std::unique_ptr<ContextAnalyzer> contextAnalyzer;
    std::unique_ptr<ReplyScenarioRepository> scenarioRepository;
    std::shared_ptr<_IKoreanHonorificHistoryManager> honorificHistory;
};

}  // namespace Varnex
