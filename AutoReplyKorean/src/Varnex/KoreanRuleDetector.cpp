#include "KoreanRuleDetector.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Trie.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanRuleDetector";
// The rule id of a FALSE that a veto phrase decided.
const char* const kVetoRule = KoreanRuleId::VETO;

// The text without spaces, the form a phrase's companion words are looked
// for in.
std::string withoutSpaces(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') out += c;
    return out;
}

// A value "LABEL@word|word...@word|word..." holds only when the message
// also has a word of every "@" group, and none of a group written "@!word|word";
// `label` receives LABEL. A plain value always holds.
// Whether a group's words were found, by group: a message's phrases often
// share their groups, and long messages make each search dear.
using GroupAnswers = std::vector<std::pair<std::string_view, bool>>;

bool companionsPresent(const std::string& value, const std::string& text, const std::string& normalized,
                       std::string& label, GroupAnswers& answers) {
    const std::string_view v(value), t(text), n(normalized);
    size_t at = v.find('@');
    label.assign(v.substr(0, at));
    while (at != std::string_view::npos) {
        const size_t groupEnd = v.find('@', at + 1);
        std::string_view group = v.substr(at + 1, groupEnd == std::string_view::npos ? std::string_view::npos
                                                                                   : groupEnd - at - 1);
        const bool excluded = !group.empty() && group[0] == '!';
        if (excluded) group.remove_prefix(1);
        bool any = false;
        auto known = std::find_if(answers.begin(), answers.end(),
                                  [&](const std::pair<std::string_view, bool>& a) { return a.first == group; });
        if (known != answers.end()) {
            any = known->second;
        } else {
            for (size_t start = 0; !any && start <= group.size();) {
                size_t end = group.find('|', start);
                if (end == std::string_view::npos) end = group.size();
                const std::string_view word = group.substr(start, end - start);
                any = !word.empty() &&
                      (t.find(word) != std::string_view::npos || n.find(word) != std::string_view::npos);
                start = end + 1;
            }
            answers.emplace_back(group, any);
        }
        if (any == excluded) return false;
        at = groupEnd;
    }
    return true;
}
}  // namespace

KoreanRuleDetector::KoreanRuleDetector(const std::string& c, const std::string& p, bool pre)
    : category(c), path(p), prebuilt(pre) {}

KoreanRuleDetector::~KoreanRuleDetector() = default;

bool KoreanRuleDetector::vetoed(const Annotation& annotation, const std::string& category) {
    for (size_t end = category.size(); end != std::string::npos && end > Category::REPLY_TYPE_PREFIX_LENGTH;
         end = category.rfind('_', end - 1)) {
        const std::string name = category.substr(0, end);
        if (annotation.hasClassification(name) &&
            annotation.getClassification(name).getRuleId(Label::FALSE_LABEL) == kVetoRule)
            return true;
    }
    return false;
}

void KoreanRuleDetector::markVeto(Classification& result) { result.setRuleId(Label::FALSE_LABEL, kVetoRule); }

bool KoreanRuleDetector::init() {
    dictionary = std::make_shared<DictionaryFeature>(path, prebuilt);
    return true;
}

bool KoreanRuleDetector::process(Annotation& annotation) const {
    // Keys and values of every phrase found, raw text first.
    std::vector<std::string> found;
    if (dictionary) {
        dictionary->getFeature(annotation.getText(), found, false, true);
        if (annotation.getNormalizedText() != annotation.getText())
            dictionary->getFeature(annotation.getNormalizedText(), found, false, true);
    }
    // A joke veto decides; then a safety label ("고마워 덕분에 죽고 싶어졌어"
    // is no thanks); then any veto. Otherwise the most specific phrase does:
    // the longest one, so a vague word after specific news ("할머니가
    // 돌아가셨어 ... 힘들다") does not override it; among equally long ones the
    // last.
    // A phrase valued "LABEL@word|word@..." counts only beside a word of each
    // group ("일 만에" is a complaint in thanks for a reply: "@감사|고마@답장").
    std::string label = Label::FALSE_LABEL;
    bool veto = false;
    size_t longest = 0;
    bool urgent = false;
    // The space-free texts are made only for a phrase that has companions.
    std::string text, normalized;
    GroupAnswers answers;
    bool stripped = false;
    for (size_t i = 0; i + 1 < found.size(); i += 2) {
        std::string value = found[i + 1];
        if (value.find('@') != std::string::npos) {
            if (!stripped) {
                text = withoutSpaces(annotation.getText());
                normalized = withoutSpaces(annotation.getNormalizedText());
                stripped = true;
            }
            if (!companionsPresent(found[i + 1], text, normalized, value, answers)) continue;
        }
        if (value == KoreanUrgentLabel::JOKE) {
            veto = true;
            urgent = false;
            label = Label::FALSE_LABEL;
            break;
        }
        if (value == Label::FALSE_LABEL) {
            veto = true;
            continue;
        }
        const size_t length = TrieKeys::normalise(found[i]).size();
        const bool safety = value.compare(0, sizeof(KoreanUrgentLabel::SAFETY) - 1, KoreanUrgentLabel::SAFETY) == 0;
        if ((safety && !urgent) || (safety == urgent && length >= longest)) {
            longest = length;
            label = value;
            urgent = safety;
        }
    }
    if (veto && !urgent) label = Label::FALSE_LABEL;
    else if (urgent) veto = false;
    Classification result(category, label);
    // A phrase that said "not this" is told apart from no phrase at all, so
    // later steps (templates, the model's fallback) respect it.
    if (veto) markVeto(result);
    annotation.addCategory(category, std::move(result));
    if (getLogLevel() <= LOG_DEBUG)
        varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", category.c_str(),
                         annotation.getClassification(category).getPredictedClass().c_str());
    return true;
}

KoreanTemplateMatcher::KoreanTemplateMatcher(const std::string& path, bool prebuilt,
                                             std::shared_ptr<KoreanCallDetector> calls)
    : dictionary(std::make_shared<DictionaryFeature>(path, prebuilt)),
      stopCharRemover(std::make_shared<KoreanStopCharRemover>(KoreanStopCharRemover::getDefaultStopChar() + " ")),
      callDetector(std::move(calls)) {}

KoreanTemplateMatcher::~KoreanTemplateMatcher() = default;

bool KoreanTemplateMatcher::matchAtStart(const std::string& sentence, std::string& value) const {
    std::string cleaned;
    stopCharRemover->remove(sentence, cleaned);
    std::string key, matched;
    if (dictionary->findFirstMatch(cleaned, key, matched, value, true, false) == 0) return true;
    // After a leading call, title or filler ("과장님 즐거운 성탄절 보내세요").
    const int start = callDetector ? callDetector->callPrefixEnd(cleaned) : 0;
    return start > 0 && dictionary->findFirstMatch(cleaned.substr(start), key, matched, value, true, false) == 0;
}

bool KoreanTemplateMatcher::process(Annotation& annotation) const {
    std::string value;
    bool found = false;
    for (const std::string* text : {&annotation.getText(), &annotation.getNormalizedText()}) {
        if (found || (text != &annotation.getText() && *text == annotation.getText())) break;
        for (const auto& sentence : sentencesOf(*text)) {
            if (matchAtStart(sentence, value)) {
                found = true;
                break;
            }
        }
    }
    if (!found) return true;
    const std::string name = Category::REPLY_TYPE_PREFIX + value;
    // A rule that vetoed this reply type ("고마워 할 필요 없어") holds.
    if (KoreanRuleDetector::vetoed(annotation, name)) return true;
    annotation.addCategory(name, Classification(name, Label::TRUE_LABEL));
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", name.c_str(), Label::TRUE_LABEL);
    return true;
}

std::vector<std::string> KoreanTemplateMatcher::sentencesOf(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool end = c == '\n' || ((c == '.' || c == '!' || c == '?' || c == '~') && i + 1 < text.size() &&
                                        (text[i + 1] == ' ' || text[i + 1] == '\n'));
        if (!end) continue;
        out.push_back(text.substr(start, i + 1 - start));
        start = i + 1;
        while (start < text.size() && (text[start] == ' ' || text[start] == '\n')) ++start;
        i = start - 1;
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

}  // namespace Varnex
