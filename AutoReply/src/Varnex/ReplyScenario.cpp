#include "Varnex/ReplyScenario.h"

#include "Varnex/ReplyCorpusRepository.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

ReplyScenario::ReplyScenario(const std::string& reply) : firstReplies{reply} {}

ReplyScenario::ReplyScenario(const std::string& reply1, const std::string& reply2)
    : firstReplies{reply1}, secondReplies{reply2} {}

ReplyScenario::ReplyScenario(const std::string& reply1, const std::string& reply2, const std::string& reply3)
    : firstReplies{reply1}, secondReplies{reply2}, thirdReplies{reply3} {}

ReplyScenario::ReplyScenario(const std::string& line, const ReplyCorpusRepository& corpus, int honorificLevel) {
    load(line, corpus, honorificLevel);
}

ReplyScenario::ReplyScenario(const std::vector<std::string>& fields, const ReplyCorpusRepository& corpus,
                             int honorificLevel) {
    load(fields, corpus, honorificLevel);
}

void ReplyScenario::load(const std::string& line, const ReplyCorpusRepository& corpus, int honorificLevel) {
    std::vector<std::string> fields;
    Utilities::StringUtil::split(line, '\t', fields);
    load(fields, corpus, honorificLevel);
}

void ReplyScenario::load(const std::vector<std::string>& fields, const ReplyCorpusRepository& corpus,
                         int honorificLevel) {
    if (fields.size() < 10) return;
    replyTypePattern = fields[0];
    emotionPattern = fields[1];
    for (size_t i = 2; i <= 8; ++i)
        if (!fields[i].empty()) contexts.insert(convertToContextType(fields[i]));
    corpus.getCorpus(fields[9], firstReplies, honorificLevel);
    if (fields.size() >= 11) corpus.getCorpus(fields[10], secondReplies, honorificLevel);
    if (fields.size() >= 12) corpus.getCorpus(fields[11], thirdReplies, honorificLevel);
}

std::vector<Reply> ReplyScenario::toReply() const {
    std::vector<Reply> out;
    for (const auto* group : {&firstReplies, &secondReplies, &thirdReplies})
        if (!group->empty()) out.emplace_back(group->front());
    return out;
}

}  // namespace Varnex
