#include "KoreanMLCandidateReplyGenerator.h"

#include "KoreanResourcePaths.h"

namespace Varnex {

_KoreanMLCandidateReplyGenerator::_KoreanMLCandidateReplyGenerator(
    const std::string& resourceDir, std::shared_ptr<_IKoreanHonorificHistoryManager> history)
    : contextAnalyzer(std::make_unique<ContextAnalyzer>()),
      scenarioRepository(std::make_unique<ReplyScenarioRepository>(
          KoreanResource::text(resourceDir, KoreanResource::REPLY_SCENARIOS),
          KoreanResource::text(resourceDir, KoreanResource::REPLY_CORPUS))),
      honorificHistory(std::move(history)) {}

void _KoreanMLCandidateReplyGenerator::generate(const std::string& sender, const std::string&,
                                                const Annotation& annotation,
                                                std::vector<ReplyScenario>& candidates) const {
    std::set<ContextType> contexts;
    contextAnalyzer->getActiveContext(sender, contexts);
    scenarioRepository->findCorpus(annotation, contexts, candidates);
}

void _KoreanMLCandidateReplyGenerator::update(const std::string& sender, const std::string& message,
                                              const Annotation& messageAnnotation, const std::string& reply,
                                              const Annotation& replyAnnotation) {
    if (honorificHistory) honorificHistory->update(sender, message, messageAnnotation, reply, replyAnnotation);
}

}  // namespace Varnex
