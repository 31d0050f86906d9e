#include "KoreanMultiChoiceDetector.h"

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {

// The negative imperative that pairs with a suggestion: "할까 말까?".
const char* const kDontVerb = "~지 말다";
// A choice this much longer than a chat question is a sentence, not a choice.
const int kMaxAlternativesLength = 49;
// Bytes allowed between the end of one pattern word and the start of the next.
const int kMinPatternGap = 3;
const int kMaxPatternGap = 29;

bool endsInParticle(const std::string& token) {
    static const std::string particles = "을를이가는은로서고의에";
    if (token.empty()) return false;
    std::string last;
    StringUtil::getPreviousChar(token, static_cast<int>(token.size()) - 1, last);
    return !last.empty() && particles.find(last) != std::string::npos;
}

std::string collapseQuestionMarks(std::string text) {
    while (StringUtil::replace(text, "??", "?") > 0) {
    }
    return text;
}

}  // namespace

KoreanMultiChoiceDetector::KoreanMultiChoiceDetector(std::shared_ptr<KoreanVerbTable> table,
                                                     const std::string& verbPairPath, const std::string& patternPath,
                                                     const std::string& negativePath, bool prebuilt)
    : verbTable(std::move(table)) {
    loadVerbPair(verbPairPath);
    loadPatternRule(patternPath, negativePath, prebuilt);
}

KoreanMultiChoiceDetector::~KoreanMultiChoiceDetector() = default;

bool KoreanMultiChoiceDetector::loadVerbPair(const std::string& path) {
    Utilities::TableFormat format;
    format.minFields = format.maxFields = 2;
    format.nonEmpty = {0, 1};
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(path, format, rows)) return false;
    for (const auto& row : rows) verbPairs[row.fields[0]].insert(row.fields[1]);
    return true;
}

void KoreanMultiChoiceDetector::loadPatternRule(const std::string& patternPath, const std::string& negativePath,
                                                bool prebuilt) {
    Utilities::TableFormat format;
    format.minFields = 2;
    format.nonEmpty = {0, 1};
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(patternPath, format, rows)) return;
    std::vector<std::pair<std::string, std::string>> words;
    for (const auto& row : rows) {
        for (const auto& f : row.fields)
            if (!f.empty()) words.emplace_back(f, f);
        patternPairs[row.fields[0]].insert(row.fields[1]);
    }
    patternDictionary = std::make_shared<DictionaryFeature>(words);
    negativeDictionary = std::make_shared<DictionaryFeature>(negativePath, prebuilt);
}

std::string KoreanMultiChoiceDetector::choiceAnswerOf(const DetectedVerbInfo& info) {
    return info.choiceAnswer.empty() ? info.yesAnswer : info.choiceAnswer;
}

int KoreanMultiChoiceDetector::detect(const std::string& text, const std::string& honorific,
                                      std::vector<std::string>& choices) const {
    const std::string collapsed = collapseQuestionMarks(text);
    int found = detectVerbPair(collapsed, honorific, choices);
    if (found == NONE) found = detectPatterns(collapsed, honorific, choices);
    return found != NONE ? found : detectRepeatedWord(collapsed, choices);
}

int KoreanMultiChoiceDetector::detectRepeatedWord(const std::string& text, std::vector<std::string>& choices) {
    std::vector<std::string> parts, words;
    StringUtil::split(text, ' ', parts);
    for (auto w : parts) {
        while (!w.empty() && (w.back() == '?' || w.back() == ',' || w.back() == '!' || w.back() == '.')) w.pop_back();
        if (!w.empty()) words.push_back(w);
    }
    const size_t n = words.size();
    if (n < 4) return NONE;
    const std::string& asked = words[n - 1];
    bool asking = false;
    for (const char* ending : {"까", "까요", "래", "래요"})
        asking = asking || (asked.size() > std::string(ending).size() &&
                            asked.compare(asked.size() - std::string(ending).size(), std::string::npos, ending) == 0);
    if (!asking || words[n - 3] != asked || words[n - 4] == words[n - 2]) return NONE;
    choices.push_back(words[n - 4]);
    choices.push_back(words[n - 2]);
    return ALTERNATIVES;
}

int KoreanMultiChoiceDetector::detectVerbPair(const std::string& text, const std::string& honorific,
                                              std::vector<std::string>& choices) const {
    if (!verbTable) return NONE;
    std::vector<DetectedVerbInfo> infos;
    verbTable->detectAll(text, honorific, infos);
    if (infos.empty()) return NONE;
    if (infos.size() == 1) {
        DetectedVerbInfo first;
        if (!findEarlierForm(text, honorific, infos.front(), first)) return NONE;
        infos.insert(infos.begin(), first);
    }

    std::vector<DetectedVerbInfo> filtered;
    for (const auto& d : infos)
        if (d.type != KoreanVerbKind::COMMAND) filtered.push_back(d);
    if (filtered.size() == 2) {
        const int pair = checkVerbPair(filtered[0], filtered[1]);
        if (pair == AFFIRMATIVE_NEGATIVE) {
            choices.push_back(choiceAnswerOf(filtered[0]));
            const DetectedVerbInfo& second = filtered[1];
            const bool negated =
                second.compoundWord == KoreanVerbTable::kNot || second.compoundWord == KoreanVerbTable::kCannot;
            // The verb table negates only the affirming answer; a row with a
            // choice answer would offer the same word twice ("갈래 / 갈래").
            if (negated && !second.choiceAnswer.empty())
                choices.push_back(second.compoundWord + " " + second.choiceAnswer);
            else
                choices.push_back(choiceAnswerOf(second));
            return AFFIRMATIVE_NEGATIVE;
        }
        if (pair == ALTERNATIVES) {
            if (StringUtil::getLength(text) > kMaxAlternativesLength) return NONE;
            std::string c0, c1;
            if (makeChooseOneAnswer(text, filtered[0], 0, c0, false) &&
                makeChooseOneAnswer(text, filtered[1], filtered[0].end, c1, false)) {
                // Choices that came out alike ("집에서 보자" twice) keep the word
                // before them that tells them apart (너희 집에서, 우리 집에서).
                if (c0 == c1) {
                    makeChooseOneAnswer(text, filtered[0], 0, c0, true);
                    makeChooseOneAnswer(text, filtered[1], filtered[0].end, c1, true);
                }
                choices.push_back(c0);
                choices.push_back(c1);
            }
            return ALTERNATIVES;
        }
        return NONE;
    }
    if (filtered.size() == 3 && filtered[0].verb == filtered[1].verb && filtered[1].verb == filtered[2].verb) {
        std::string c0, c1, c2;
        if (makeChooseOneAnswer(text, filtered[0], 0, c0, false) &&
            makeChooseOneAnswer(text, filtered[1], filtered[0].end, c1, false) &&
            makeChooseOneAnswer(text, filtered[2], filtered[1].end, c2, false)) {
            choices.push_back(c0);
            choices.push_back(c1);
            choices.push_back(c2);
        }
        return ALTERNATIVES;
    }
    return NONE;
}

bool KoreanMultiChoiceDetector::findEarlierForm(const std::string& text, const std::string& honorific,
                                                const DetectedVerbInfo& d, DetectedVerbInfo& first) const {
    // Only the question-marked form is in the table; the first, unmarked
    // occurrence of a repeated verb ("커피 마실래 차 마실래?") is found by its
    // surface.
    if (d.surface.find('?') == std::string::npos) return false;
    const std::string before = text.substr(0, std::min(text.size(), static_cast<size_t>(std::max(0, d.begin))));
    std::string s = d.surface;
    for (char c : {'?', '/', '~'}) {
        const size_t at = s.find(c);
        if (at != std::string::npos) s.erase(at, 1);
    }
    const size_t at = s.empty() ? std::string::npos : before.find(s);
    if (at != std::string::npos) {
        first = d;
        first.begin = static_cast<int>(at);
        first.end = first.begin + (d.end - d.begin);
        // The first occurrence stands without the negation in front of the
        // second ("나가실 거예요 안 나가실 거예요?"): it is answered with the
        // plain form, which the negated detection gives as its denial.
        if (d.compoundWord == KoreanVerbTable::kNot || d.compoundWord == KoreanVerbTable::kCannot) {
            first.compoundWord.clear();
            first.compoundValue = "-";
            first.setAnswers(d.noAnswer, d.yesAnswer, d.notSureAnswer, d.choiceAnswer);
        }
        return true;
    }
    // Another verb asked alike before it ("밥 먹을래 술 마실래?"): the nearest
    // word that, given the question mark, is a verb form of the same kind.
    for (size_t end = before.rfind(' '); end != std::string::npos && end > 0; end = before.rfind(' ', end - 1)) {
        const std::string asked = before.substr(0, end) + "?";
        DetectedVerbInfo e;
        if (verbTable->detectLast(asked, honorific, e) && e.end == static_cast<int>(asked.size()) &&
            e.type == d.type && e.time == d.time) {
            first = e;
            first.end = static_cast<int>(end);
            first.surface = before.substr(first.begin, end - first.begin);
            return true;
        }
    }
    return false;
}

int KoreanMultiChoiceDetector::checkVerbPair(const DetectedVerbInfo& first, const DetectedVerbInfo& second) const {
    if (first.verb == second.verb)
        return second.compoundWord == KoreanVerbTable::kNot ? AFFIRMATIVE_NEGATIVE : ALTERNATIVES;
    auto it = verbPairs.find(first.verb);
    if (it == verbPairs.end() || it->second.count(second.verb) == 0) return NONE;
    // Alternatives are asked alike ("커피 마실래 차 마실래?"); a question
    // followed by a suggestion ("커피 마실 거예요? 아이스로 사 갈까요?") is
    // two questions.
    if (second.verb != kDontVerb && (first.type != second.type || first.time != second.time)) return NONE;
    return second.verb == kDontVerb ? AFFIRMATIVE_NEGATIVE : ALTERNATIVES;
}

bool KoreanMultiChoiceDetector::makeChooseOneAnswer(const std::string& text, const DetectedVerbInfo& info, int limit,
                                                    std::string& answer, bool withWordBefore) const {
    int pos = info.begin;
    std::string word, before;
    if (!StringUtil::getPreviousToken(text, pos, word, limit)) return false;
    // The word and the verb stay two words: "국수 먹을래", not "국수먹을래".
    if (StringUtil::getPreviousToken(text, pos, before, limit) && (withWordBefore || endsInParticle(before)))
        answer = before + " " + word + " " + choiceAnswerOf(info);
    else
        answer = word + " " + choiceAnswerOf(info);
    return true;
}

bool KoreanMultiChoiceDetector::getAnswerString(const std::string& honorific, std::string& text) const {
    if (!verbTable) return false;
    DetectedVerbInfo d;
    if (!verbTable->detectLast(text, honorific, d)) return false;
    text = text.substr(0, std::min(text.size(), static_cast<size_t>(std::max(0, d.begin)))) + choiceAnswerOf(d);
    return true;
}

bool KoreanMultiChoiceDetector::checkNegRule(const std::string& text) const {
    if (!negativeDictionary) return true;
    std::vector<std::string> values;
    negativeDictionary->getFeature(text + "?", values, true, true);
    for (const auto& v : values)
        if (v == Label::FALSE_LABEL) return false;
    return true;
}

int KoreanMultiChoiceDetector::detectPatterns(const std::string& text, const std::string& honorific,
                                              std::vector<std::string>& choices) const {
    if (!patternDictionary) return NONE;
    std::vector<std::pair<int, int>> spans;
    std::vector<std::pair<std::string, std::string>> matches;
    patternDictionary->findAllMatch(text, spans, matches, true, true);
    if (matches.size() < 2) return NONE;

    for (size_t i = 1; i < matches.size(); ++i) {
        const std::string& a = matches[i - 1].second;
        const std::string& b = matches[i].second;
        auto pairs = patternPairs.find(a);
        if (pairs == patternPairs.end() || pairs->second.count(b) == 0) continue;
        const int gapStart = spans[i - 1].first + static_cast<int>(a.size());
        const int bStart = spans[i].first;
        if (bStart <= gapStart + kMinPatternGap - 1 || bStart > gapStart + kMaxPatternGap) continue;

        const int firstEnd = spans[0].second;
        int p2 = bStart, p1 = spans[i - 1].first;
        std::string tA, tB;
        if (!StringUtil::getPreviousToken(text, p2, tA, firstEnd)) continue;
        if (!StringUtil::getPreviousToken(text, p1, tB, 0)) continue;
        std::string tC, tD;
        const bool hasC = StringUtil::getPreviousToken(text, p1, tC, 0);
        std::string first = hasC && (endsInParticle(tC) || tB == tA) ? tC + " " + tB : tB;
        const bool hasD = StringUtil::getPreviousToken(text, p2, tD, firstEnd);
        std::string second = hasD && (endsInParticle(tD) || tB == tA) ? tD + " " + tA : tA;

        // A choice is a verb form (offered as its answer) or a word the
        // negative rules do not veto; a rejected pair leaves nothing behind
        // and the next pair of pattern words gets its chance.
        auto accept = [&](std::string& choice) { return getAnswerString(honorific, choice) || checkNegRule(choice); };
        if (accept(first) && accept(second)) {
            choices.push_back(first);
            choices.push_back(second);
            return ALTERNATIVES;
        }
    }
    return NONE;
}

}  // namespace Varnex
