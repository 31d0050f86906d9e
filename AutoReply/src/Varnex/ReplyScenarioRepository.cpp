#include "Varnex/ReplyScenarioRepository.h"

#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
const char* const kTag = "AutoReply/src/Varnex/ReplyScenarioRepository";
}

ReplyScenarioRepository::ReplyScenarioRepository(const std::string& scenarioPath, const std::string& corpusPath)
    : corpus(corpusPath) {
    std::vector<std::string> lines;
    if (!StringUtil::load(scenarioPath, lines, isEncrypted(scenarioPath))) return;
    int lineNo = 0;
    for (const auto& line : lines) {
        ++lineNo;
        if (line.empty()) continue;
        std::vector<std::string> fields;
        StringUtil::split(line, '\t', fields);
        if (fields.size() < 10)
            varnex_print_log(LOG_WARN, kTag, "Scenario line %d of %s has %zu fields, needs 10: it offers nothing\n",
                             lineNo, scenarioPath.c_str(), fields.size());
        levelTwoScenarios.emplace_back(line, corpus, 2);
        levelOneScenarios.emplace_back(line, corpus, 1);
        levelZeroScenarios.emplace_back(line, corpus, 0);
    }
}

bool ReplyScenarioRepository::prefixMatch(const std::string& pattern, const std::string& value) {
    return pattern.size() <= value.size() && value.compare(0, pattern.size(), pattern) == 0;
}

std::vector<std::string> ReplyScenarioRepository::replyTypeKeys(const Annotation& annotation) {
    std::vector<Classification> found;
    annotation.getClassificationByPrefix("reply_type", found);
    std::vector<std::string> keys;
    for (const auto& c : found) {
        if (c.name.size() < 11) continue;
        const std::string suffix = c.name.substr(11);
        const std::string label = c.getPredictedClass();
        if (label == "FALSE") continue;
        keys.push_back(label == "TRUE" ? suffix : suffix + "_" + label);
    }
    return keys;
}

bool ReplyScenarioRepository::findCorpus(const Annotation& annotation, const std::set<ContextType>& activeContexts,
                                         std::vector<ReplyScenario>& candidates) const {
    const std::string label =
        annotation.hasClassification("honorific") ? annotation.getClassification("honorific").getPredictedClass()
                                                  : "FALSE";
    return findCorpus(annotation, activeContexts, label, candidates);
}

bool ReplyScenarioRepository::findCorpus(const Annotation& annotation, const std::set<ContextType>& activeContexts,
                                         const std::string& honorificLabel,
                                         std::vector<ReplyScenario>& candidates) const {
    const std::vector<std::string> keys = replyTypeKeys(annotation);
    const std::string emotion =
        annotation.hasClassification("emotion") ? annotation.getClassification("emotion").getPredictedClass() : "none";
    const auto& scenarios = honorificLabel == "HIGH"     ? levelTwoScenarios
                            : honorificLabel == "NORMAL" ? levelOneScenarios
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
