#include "KoreanReplyTypeFallback.h"

#include <set>
#include <vector>

#include "KoreanVocabulary.h"
#include "Varnex/Log.h"
#include "Varnex/ModelTextParsing.h"
#include "Varnex/Utilities/Files.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanReplyTypeFallback";
const char* const kDisabled = "disabled";

// The replies to these types suit a question (a reason, a time, a yes to a
// request); the other types' replies (thanks, congratulations, comfort) do
// not answer one.
bool questionMayCallFor(const std::string& category) {
    static const std::set<std::string> types = {KoreanCategory::REPLY_WHY, KoreanCategory::REPLY_WHEN,
                                                KoreanCategory::REPLY_FAVOR};
    return types.count(category) > 0;
}
}  // namespace

KoreanReplyTypeFallback::KoreanReplyTypeFallback(const std::string& dir, const std::string& name,
                                                 const std::vector<std::string>& types, const std::string& path)
    : prefix(name + "_") {
    if (!Utilities::isRegularFile(path)) {
        varnex_print_log(LOG_WARN, kTag, "Reply-type fallback off: %s: %s\n", path.c_str(),
                         Utilities::describeUnreadable(path));
        return;
    }
    Utilities::TableFormat format;
    format.maxFields = 2;
    format.nonEmpty = {0};
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(path, format, rows)) {
        varnex_print_log(LOG_WARN, kTag, "Reply-type fallback off: %s cannot be read\n", path.c_str());
        return;
    }
    const std::set<std::string> known(types.begin(), types.end());
    for (const auto& row : rows) {
        const std::string& type = row.fields[0];
        if (row.fields.size() == 1) {
            if (type == kDisabled) {
                varnex_print_log(LOG_INFO, kTag, "Reply-type fallback off: %s says %s\n", path.c_str(), kDisabled);
                thresholds.clear();
                return;
            }
            Utilities::reportRefusedLine(path, row.line, "neither \"disabled\" nor \"type TAB threshold\"");
            continue;
        }
        double threshold = 0.0;
        if (!known.count(type))
            Utilities::reportRefusedLine(path, row.line, "no model for the reply type [" + type + "]");
        else if (!TextParsing::parseDouble(row.fields[1], threshold) || threshold <= 0.5 || threshold > 1.0)
            Utilities::reportRefusedLine(path, row.line, "threshold [" + row.fields[1] + "] is not in (0.5, 1]");
        else
            thresholds[type] = threshold;
    }
    detector = std::make_shared<KoreanReplyTypeDetector>(dir, name, types);
}

KoreanReplyTypeFallback::KoreanReplyTypeFallback(const std::string& dir, const std::string& name,
                                                 const std::vector<std::string>& types,
                                                 const std::map<std::string, double>& t)
    : prefix(name + "_"), detector(std::make_shared<KoreanReplyTypeDetector>(dir, name, types)), thresholds(t) {}

bool KoreanReplyTypeFallback::enabled() const { return detector && detector->loadedModels() > 0; }

bool KoreanReplyTypeFallback::guess(const Annotation& annotation, ReplyTypeGuess& out) const {
    if (!detector) return false;
    for (const auto& [category, result] : annotation.classifications) {
        if (category.compare(0, Category::REPLY_TYPE_PREFIX_LENGTH, Category::REPLY_TYPE_PREFIX) != 0) continue;
        const std::string label = result.getPredictedClass();
        if (label != Label::FALSE_LABEL && label != Label::NONE) return false;
    }
    ReplyTypeGuess best;
    bool found = false;
    for (const auto& [category, probability] : detector->scores(annotation)) {
        if (!found || probability > best.probability) {
            best.category = category;
            best.probability = probability;
            found = true;
        }
    }
    if (!found) return false;
    if (annotation.hasClassification(best.category) &&
        annotation.getClassification(best.category).getRuleId(Label::FALSE_LABEL) == KoreanRuleId::VETO)
        return false;
    if (annotation.getLabel(Category::QUESTION) == Label::TRUE_LABEL && !questionMayCallFor(best.category))
        return false;
    best.type = best.category.substr(prefix.size());
    out = best;
    return true;
}

bool KoreanReplyTypeFallback::process(Annotation& annotation) const {
    ReplyTypeGuess g;
    if (!guess(annotation, g)) return true;
    auto threshold = thresholds.find(g.type);
    if (threshold == thresholds.end() || g.probability < threshold->second) return true;
    Classification result(g.category, {{Label::TRUE_LABEL, g.probability}, {Label::FALSE_LABEL, 1.0 - g.probability}});
    result.setRuleId(Label::TRUE_LABEL, KoreanRuleId::MODEL);
    annotation.addCategory(g.category, result);
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s (%.3f, by the models)\n", g.category.c_str(),
                     Label::TRUE_LABEL, g.probability);
    return true;
}

}  // namespace Varnex
