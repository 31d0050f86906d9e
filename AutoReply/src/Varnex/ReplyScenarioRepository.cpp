#include "Varnex/ReplyScenarioRepository.h"

#include "Varnex/Utilities/TableReader.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {

ReplyScenarioRepository::ReplyScenarioRepository(const std::string& scenarioPath, const std::string& corpusPath) {
    if (!corpus.load(corpusPath)) unreadableTables.push_back(corpusPath);
    Utilities::TableFormat format;
    format.minFields = 10;
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(scenarioPath, format, rows)) {
        unreadableTables.push_back(scenarioPath);
        return;
    }
    for (const auto& row : rows) {
        levelTwoScenarios.emplace_back(row.fields, corpus, 2);
        levelOneScenarios.emplace_back(row.fields, corpus, 1);
        levelZeroScenarios.emplace_back(row.fields, corpus, 0);
    }
}


std::vector<std::string> ReplyScenarioRepository::replyTypeKeys(const Annotation& annotation) {
    std::vector<std::string> keys;
    annotation.visitClassificationsContaining(Category::REPLY_TYPE, [&keys](const Classification& c) {
        if (c.name.size() < Category::REPLY_TYPE_PREFIX_LENGTH) return;
        const std::string label = c.getPredictedClass();
        if (label == Label::FALSE_LABEL) return;
        const std::string suffix = c.name.substr(Category::REPLY_TYPE_PREFIX_LENGTH);
        keys.push_back(label == Label::TRUE_LABEL ? suffix : suffix + "_" + label);
    });
    return keys;
}

bool ReplyScenarioRepository::findCorpus(const Annotation& annotation, const std::set<ContextType>& activeContexts,
                                         std::vector<ReplyScenario>& candidates) const {
    return findCorpus(annotation, activeContexts, annotation.getLabel(Category::HONORIFIC), candidates);
}

bool ReplyScenarioRepository::findCorpus(const Annotation& annotation, const std::set<ContextType>& activeContexts,
                                         const std::string& honorificLabel,
                                         std::vector<ReplyScenario>& candidates) const {
    const std::vector<std::string> keys = replyTypeKeys(annotation);
    const std::string emotion = annotation.getLabel(Category::EMOTION, Label::NONE);
    const auto& scenarios = honorificLabel == Label::HIGH     ? levelTwoScenarios
                            : honorificLabel == Label::NORMAL ? levelOneScenarios
                                                         : levelZeroScenarios;
    const bool hadCandidates = !candidates.empty();
    for (const auto& s : scenarios) {
        bool typeMatches = false;
        for (const auto& k : keys)
            if (prefixMatch(s.replyTypePattern, k)) {
                typeMatches = true;
                break;
            }
        if (!typeMatches || !prefixMatch(s.emotionPattern, emotion)) continue;
        bool contextsActive = true;
        for (ContextType c : s.contexts)
            if (!activeContexts.count(c)) {
                contextsActive = false;
                break;
            }
        if (!contextsActive) continue;
        if (hadCandidates && s.replyTypePattern.empty() && s.emotionPattern.empty())
            candidates.insert(candidates.begin(), s);
        else
            candidates.push_back(s);
    }
    return true;
}

}  // namespace Varnex
