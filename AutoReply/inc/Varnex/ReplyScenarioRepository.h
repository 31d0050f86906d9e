// The scenario table: which replies fit which reply types, emotions and
// contexts. Loaded once per speech level (0 plain, 1 polite, 2 most
// honorific) with texts from the reply corpus; read-only afterwards.
//
// Table lines: reply-type pattern TAB emotion pattern TAB seven context
// keywords TAB up to three corpus keys. Patterns match as prefixes; an empty
// pattern matches everything. A line with fewer than ten fields is refused.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "Varnex/Annotation.h"
#include "Varnex/ContextType.h"
#include "Varnex/ReplyCorpusRepository.h"
#include "Varnex/ReplyScenario.h"

namespace Varnex {

class ReplyScenarioRepository {
public:
    ReplyScenarioRepository(const std::string& scenarioPath, const std::string& corpusPath);
    virtual ~ReplyScenarioRepository() = default;

    // Reads the speech level from the annotation's "honorific" category.
    bool findCorpus(const Annotation& annotation, const std::set<ContextType>& activeContexts,
                    std::vector<ReplyScenario>& candidates) const;
    // Adds every scenario whose reply-type pattern matches one of the
    // message's reply-type keys, whose emotion pattern matches its emotion
    // and whose contexts are all active.
    bool findCorpus(const Annotation& annotation, const std::set<ContextType>& activeContexts,
                    const std::string& honorificLabel, std::vector<ReplyScenario>& candidates) const;

    // The reply-type keys of an analysed message ("thanks", "greeting_morning", ...).
    static std::vector<std::string> replyTypeKeys(const Annotation& annotation);
    static bool prefixMatch(const std::string& pattern, const std::string& value) {
        // Called for every scenario and key of a message: the first byte
        // rejects most pairs before a comparison.
        if (pattern.empty()) return true;
        return pattern.size() <= value.size() && pattern[0] == value[0] &&
               std::char_traits<char>::compare(value.data(), pattern.data(), pattern.size()) == 0;
    }

    size_t size() const { return levelZeroScenarios.size(); }
    const ReplyCorpusRepository& getCorpus() const { return corpus; }
    // The paths of the two tables that could not be read (none when both loaded).
    const std::vector<std::string>& getUnreadableTables() const { return unreadableTables; }

private:
    ReplyCorpusRepository corpus;
    std::vector<ReplyScenario> levelOneScenarios;
    std::vector<ReplyScenario> levelTwoScenarios;
    std::vector<ReplyScenario> levelZeroScenarios;
    std::vector<std::string> unreadableTables;
};

}  // namespace Varnex
