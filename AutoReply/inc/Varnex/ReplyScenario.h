// A candidate reply: up to three reply groups, each a list of alternative
// texts of which the first is shown. Scenarios loaded from the scenario table
// also carry the reply-type and emotion patterns and the contexts under which
// they apply. Plain value type.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "Varnex/ContextType.h"
#include "Varnex/Reply.h"

namespace Varnex {

class ReplyCorpusRepository;

class ReplyScenario {
public:
    ReplyScenario() = default;
    explicit ReplyScenario(const std::string& reply);
    ReplyScenario(const std::string& reply1, const std::string& reply2);
    ReplyScenario(const std::string& reply1, const std::string& reply2, const std::string& reply3);
    // A scenario-table line with its replies taken from `corpus` at the level.
    ReplyScenario(const std::string& line, const ReplyCorpusRepository& corpus, int honorificLevel);
    ReplyScenario(const std::vector<std::string>& fields, const ReplyCorpusRepository& corpus, int honorificLevel);

    // Fills the scenario from a table line: patterns (fields 0, 1), contexts
    // (2-8) and corpus keys of the three groups (9-11). Fewer than ten
    // fields leave everything empty.
    void load(const std::string& line, const ReplyCorpusRepository& corpus, int honorificLevel);
    void load(const std::vector<std::string>& fields, const ReplyCorpusRepository& corpus, int honorificLevel);

    // One Reply per non-empty group, holding the group's first text.
    std::vector<Reply> toReply() const;

    std::string replyTypePattern;
    std::string emotionPattern;
    std::set<ContextType> contexts;
    std::vector<std::string> firstReplies;
    std::vector<std::string> secondReplies;
    std::vector<std::string> thirdReplies;
};

}  // namespace Varnex
