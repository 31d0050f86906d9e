#include "KoreanMultiChoiceDetector.h"

#include <algorithm>

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

// The code point of the last character of `w`, 0 for none.
int lastCodePoint(const std::string& w) {
    std::string last;
    if (w.empty()) return 0;
    StringUtil::getPreviousChar(w, static_cast<int>(w.size()) - 1, last);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(last.data());
    if (last.size() == 1) return p[0];
    if (last.size() == 2) return ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
    if (last.size() == 3) return ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return -1;  // four bytes: an emoji
}

bool isSyllable(int c) { return c >= 0xAC00 && c <= 0xD7A3; }
bool isJamo(int c) { return c >= 0x3131 && c <= 0x318E; }

bool endsWith(const std::string& w, const std::string& tail) {
    return w.size() >= tail.size() && w.compare(w.size() - tail.size(), std::string::npos, tail) == 0;
}

// The words of a message without the marks, laughter (ㅋㅋ, ㅠㅠ) and emoji
// around them; `asked` tells whether a question mark was among them.
std::vector<std::string> plainWords(const std::string& text, bool& asked) {
    std::vector<std::string> parts, words;
    StringUtil::split(text, ' ', parts);
    asked = false;
    for (auto w : parts) {
        for (;;) {
            const int c = lastCodePoint(w);
            if (c == 0) break;
            const bool mark = c < 0x80 ? std::string("?!.,~^;:)(-_").find(static_cast<char>(c)) != std::string::npos
                                       : (c < 0 || isJamo(c) || c == 0x2661 || c == 0x2665 || c == 0x2026);
            if (!mark) break;
            if (c == '?') asked = true;
            std::string last;
            StringUtil::getPreviousChar(w, static_cast<int>(w.size()) - 1, last);
            w.erase(w.size() - std::max<size_t>(1, last.size()));
        }
        if (!w.empty()) words.push_back(w);
    }
    return words;
}

// Words that name no choice of their own: question words, which a choice
// made of them would answer with a question.
bool hasQuestionWord(const std::vector<std::string>& words) {
    static const char* const asking[] = {"뭐", "뭘", "무슨", "어디", "어딨", "언제", "누구", "누가", "왜",  "어떻게",
                                         "어떡", "어때", "어땠", "몇",   "며칠", "얼마", "어느", "어떤", "모해", "안",
                                         "못"};
    for (const auto& w : words)
        for (const char* a : asking)
            if (StringUtil::startWith(w, a)) return true;
    return false;
}

std::string joinWords(const std::vector<std::string>& words, size_t from, size_t to) {
    std::string s;
    for (size_t i = from; i < to && i < words.size(); ++i) s += (s.empty() ? "" : " ") + words[i];
    return s;
}

// A word that ends in a particle that makes it no bare choice ("짜장은",
// "오늘도", "너를").
bool endsInCaseParticle(const std::string& w) {
    static const char* const particles[] = {"을", "를", "은", "는", "에", "도", "만", "랑", "께", "야", "님", "씨"};
    if (StringUtil::getLength(w) < 2) return false;
    for (const char* p : particles)
        if (endsWith(w, p)) return true;
    // "선물로 뭐가 좋을까" asks what as a present; a two-syllable place such
    // as 종로 keeps its 로.
    return endsWith(w, "로") && StringUtil::getLength(w) >= 3;
}

// A word that ends as a sentence does (제출하시겠습니까, 갈래, 된다, 했다),
// though the verb table may not know it: no thing to pick.
bool endsAsked(const std::string& w) {
    for (const char* ending : {"까", "래", "냐", "니", "죠", "나요", "세요"})
        if (endsWith(w, ending) && StringUtil::getLength(w) > 1) return true;
    if (StringUtil::getLength(w) < 2) return false;
    std::string last;
    StringUtil::getPreviousChar(w, static_cast<int>(w.size()) - 1, last);
    const int before = lastCodePoint(w.substr(0, w.size() - last.size()));
    if (!isSyllable(before)) return false;
    const int final = (before - 0xAC00) % 28;
    // ㄴ다, ㅆ다, 온대, 했어, 갔어: a sentence's end after a tense.
    if (last == "다" || last == "대") return (final == 4 && w != "순대") || final == 20;
    return (last == "어" || last == "아" || last == "지") && final == 20;
}

// "달달한 거", "큰 걸로": a thing named by what it is like.
bool isThingWord(const std::string& w) {
    return w == "거" || w == "걸로" || w == "걸" || w == "것" || w == "게" || w == "쪽" || w == "쪽으로";
}

// A word ending in a syllable with a final ㄴ or ㄹ: a modifier (달달한, 큰,
// 매운, 먹을).
bool isModifier(const std::string& w) {
    const int c = lastCodePoint(w);
    if (!isSyllable(c)) return false;
    const int final = (c - 0xAC00) % 28;
    return final == 4 || final == 8;
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
    verbPairs.reserve(rows.size());
    for (const auto& row : rows) verbPairs.insert(row.fields[0] + '\t' + row.fields[1]);
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
    // A word paired with the question mark stands between two choices
    // wherever it is ("떡볶이 아님 족발", "쉴래 아니면 놀러 갈래?").
    for (const auto& row : rows)
        if (row.fields[1] == "?") separators.insert(row.fields[0]);
    patternDictionary = std::make_shared<DictionaryFeature>(words);
    negativeDictionary = std::make_shared<DictionaryFeature>(negativePath, prebuilt);
}

std::string KoreanMultiChoiceDetector::choiceAnswerOf(const DetectedVerbInfo& info) {
    return info.choiceAnswer.empty() ? info.yesAnswer : info.choiceAnswer;
}

int KoreanMultiChoiceDetector::detect(const std::string& text, const std::string& honorific,
                                      std::vector<std::string>& choices) const {
    const std::string collapsed = collapseQuestionMarks(text);
    int found = detectSeparated(collapsed, honorific, choices);
    if (found == NONE) found = detectVerbPair(collapsed, honorific, choices);
    if (found == NONE) found = detectPatterns(collapsed, honorific, choices);
    if (found == NONE) found = detectWhichOf(collapsed, choices);
    if (found == NONE) found = detectRepeatedWord(collapsed, choices);
    if (found == NONE) found = detectBarePair(collapsed, choices);
    // "점심 먹었어? 뭐 먹었어?" asks twice; no choice asks what, nor is cut
    // from behind a word that asks it ("천천히 와 몇 시쯤 와?").
    for (const auto& c : choices) {
        const size_t at = found == ALTERNATIVES ? collapsed.find(c) : std::string::npos;
        if (at != std::string::npos && at > 0) {
            std::vector<std::string> before;
            StringUtil::split(collapsed.substr(0, at), ' ', before);
            while (!before.empty() && before.back().empty()) before.pop_back();
            const std::string word = before.empty() ? std::string() : before.back();
            if (hasQuestionWord({word}) && !StringUtil::startWith(word, "안") && !StringUtil::startWith(word, "못")) {
                choices.clear();
                return NONE;
            }
        }
        std::vector<std::string> words;
        StringUtil::split(c, ' ', words);
        if (found == ALTERNATIVES && hasQuestionWord(words)) {
            choices.clear();
            return NONE;
        }
    }
    return found;
}

bool KoreanMultiChoiceDetector::isVerbForm(const std::string& word) const {
    DetectedVerbInfo d;
    const std::string asked = word + "?";
    // A form read from the middle of a word ("떡볶이" as 볶다) is none.
    return verbTable && verbTable->detectLast(asked, "", d) && d.end >= static_cast<int>(word.size()) &&
           (d.begin <= 0 || asked[d.begin - 1] == ' ');
}

bool KoreanMultiChoiceDetector::isBareChoice(const std::string& word) const {
    // A determiner points at the noun after it ("이 서류", "그 사람"): it is
    // never a choice of its own.
    static const std::set<std::string> determiners = {"이", "그", "저", "요", "이번", "저번", "요번", "그런",
                                                      "이런", "저런", "무슨", "웬", "한", "두", "몇", "딴"};
    if (determiners.count(word)) return false;
    if (word.empty() || StringUtil::getLength(word) > 6 || endsInCaseParticle(word) || endsAsked(word)) return false;
    if (hasQuestionWord({word}) || isVerbForm(word)) return false;
    return checkNegRule(word);
}

int KoreanMultiChoiceDetector::detectSeparated(const std::string& text, const std::string& honorific,
                                               std::vector<std::string>& choices) const {
    bool asked = false;
    const std::vector<std::string> words = plainWords(text, asked);
    size_t k = 0;
    while (k < words.size() && separators.count(words[k]) == 0) ++k;
    if (k == 0 || k + 1 >= words.size()) return NONE;
    std::vector<std::string> left(words.begin(), words.begin() + k), right(words.begin() + k + 1, words.end());
    // "A 아니면 B" is a choice; "A 아님 말고" (never mind) is none.
    if (right.size() > 4 || right.front() == "말고" || right.front() == "말구") return NONE;
    // "국밥 아니면 냉면 어떠세요?": the words after the choices ask about them.
    const std::string& tail = right.back();
    const bool leftVerb = isVerbForm(left.back());
    const bool rightVerb = isVerbForm(tail) || endsAsked(tail) || StringUtil::startWith(tail, "어때") ||
                           StringUtil::startWith(tail, "어떠") || StringUtil::startWith(tail, "괜찮");
    std::string first, second;
    if (rightVerb && !leftVerb && right.size() >= 2) {
        // "짜장 아니면 짬뽕 먹을래?": the two things.
        first = left.back();
        second = right.front();
    } else if (leftVerb && !rightVerb && right.size() == 1 && left.size() >= 2) {
        // "짜장 먹을래 아님 짬뽕?"
        first = left[left.size() - 2];
        second = right.front();
    } else {
        const size_t count = std::min(left.size(), right.size());
        first = joinWords(left, left.size() - count, left.size());
        second = joinWords(right, 0, right.size());
    }
    if (hasQuestionWord({first})) return NONE;
    auto accept = [&](std::string& choice) {
        if (isVerbForm(choice)) {
            // Some forms are read only with their question mark.
            std::string asked = choice + "?";
            // A verb read from the middle of a word ("내일 할까요" as 일하다)
            // is no answer.
            DetectedVerbInfo d;
            if (!verbTable->detectLast(asked, honorific, d) || (d.begin > 0 && asked[d.begin - 1] != ' '))
                return false;
            if (!getAnswerString(honorific, asked)) return false;
            choice = asked;
            return true;
        }
        const auto at = choice.rfind(' ');
        const std::string last = at == std::string::npos ? choice : choice.substr(at + 1);
        return !last.empty() && checkNegRule(last) && !endsInCaseParticle(last) && !endsAsked(last);
    };
    if (!accept(first) || !accept(second) || first == second) return NONE;
    // A choice still asking ("내일 할까요", its verb misread) is no answer.
    for (const auto* c : {&first, &second})
        if (endsWith(*c, "까") || endsWith(*c, "까요")) return NONE;
    choices.push_back(first);
    choices.push_back(second);
    return ALTERNATIVES;
}

int KoreanMultiChoiceDetector::detectBarePair(const std::string& text, std::vector<std::string>& choices) const {
    bool asked = false;
    const std::vector<std::string> words = plainWords(text, asked);
    const size_t n = words.size();
    if (!asked || n < 2 || n > 5) return NONE;
    // "달달한 거 짭짤한 거?", "큰거 작은거?"
    if (n >= 4 && isThingWord(words[n - 1]) && words[n - 3] == words[n - 1] && isModifier(words[n - 2]) &&
        isModifier(words[n - 4]) && words[n - 2] != words[n - 4]) {
        choices.push_back(words[n - 4] + " " + words[n - 3]);
        choices.push_back(words[n - 2] + " " + words[n - 1]);
        return ALTERNATIVES;
    }
    const std::string& a = words[n - 2];
    const std::string& b = words[n - 1];
    if (a == b || !isBareChoice(a) || !isBareChoice(b) || hasQuestionWord(words)) return NONE;
    for (const auto& w : words)
        if (w == "아니면" || w == "아님" || w == "혹은" || w == "또는" || separators.count(w)) return NONE;
    // Choices are said alike: both polite ("아메리카노요 라떼요?") or neither.
    if (endsWith(a, "요") != endsWith(b, "요")) return NONE;
    // Every word before the pair must be a bare word as well ("오늘 점심 짜장
    // 짬뽕?", "민수야 물냉 비냉?"); a verb before it makes a sentence.
    for (size_t i = 0; i + 2 < n; ++i)
        if (isVerbForm(words[i]) || endsAsked(words[i])) return NONE;
    choices.push_back(a);
    choices.push_back(b);
    return ALTERNATIVES;
}

int KoreanMultiChoiceDetector::detectWhichOf(const std::string& text, std::vector<std::string>& choices) const {
    static const std::set<std::string> which = {"뭐가", "뭐", "뭘", "뭐로", "뭘로", "어디가", "어디", "어디로",
                                                "어느", "어느게", "어느거", "어느쪽", "어떤", "어떤게", "어떤거",
                                                "어떤걸로", "누가", "누구"};
    static const std::set<std::string> among = {"중에", "중", "중에서", "둘중에", "둘중", "둘"};
    bool asked = false;
    std::vector<std::string> words = plainWords(text, asked);
    size_t w = 0;
    while (w < words.size() && which.count(words[w]) == 0) ++w;
    if (w < 2 || w >= words.size()) return NONE;
    size_t end = w;
    while (end > 0 && among.count(words[end - 1])) --end;
    if (end < 2) return NONE;
    std::string a = words[end - 2], b = words[end - 1];
    for (const char* glued : {"중에서", "중에", "중"})
        if (end == w && endsWith(b, glued) && b.size() > std::string(glued).size()) {
            b.erase(b.size() - std::string(glued).size());
            break;
        }
    if (end == w && !StringUtil::startWith(words[w], "뭐") && !StringUtil::startWith(words[w], "어느") &&
        !StringUtil::startWith(words[w], "어떤") && !StringUtil::startWith(words[w], "어디"))
        return NONE;
    bool joined = end < w || b != words[end - 1];  // 중에 after the pair
    for (const char* joiner : {"이랑", "랑", "하고", ","})
        if (endsWith(a, joiner) && a.size() > std::string(joiner).size()) {
            a.erase(a.size() - std::string(joiner).size());
            joined = true;
            break;
        }
    // Two nouns side by side are as often one phrase ("여자친구 선물 뭐
    // 샀어?", "발표 주제 뭐로 정했어?") as two things to pick from: without
    // 중에 or a joiner between them, only a comparing word after the
    // question word ("뭐가 나아?", "어디가 좋을까?") makes them a choice.
    if (!joined) {
        bool comparing = false;
        for (size_t k = w; k < words.size() && !comparing; ++k)
            for (const char* c : {"나아", "나을", "낫", "좋아", "좋을", "좋은", "괜찮", "어때", "어떨", "더"})
                comparing = comparing || StringUtil::startWith(words[k], c) ||
                            (k == w && words[k].find("가") != std::string::npos && k + 1 < words.size() &&
                             StringUtil::startWith(words[k + 1], c));
        if (!comparing) return NONE;
    }
    if (a == b || !isBareChoice(a) || !isBareChoice(b)) return NONE;
    choices.push_back(a);
    choices.push_back(b);
    return ALTERNATIVES;
}

int KoreanMultiChoiceDetector::detectRepeatedWord(const std::string& text, std::vector<std::string>& choices) {
    std::vector<std::string> parts, words;
    StringUtil::split(text, ' ', parts);
    for (auto w : parts) {
        while (!w.empty() && (w.back() == '?' || w.back() == ',' || w.back() == '!' || w.back() == '.')) w.pop_back();
        // "A W 아니면 B W?" asks as "A W B W?" does.
        if (!w.empty() && w != "아니면" && w != "아님" && w != "혹은") words.push_back(w);
    }
    const size_t n = words.size();
    if (n < 4) return NONE;
    const std::string& asked = words[n - 1];
    bool asking = false;
    for (const char* ending : {"까", "까요", "래", "래요"})
        asking = asking || (asked.size() > std::string(ending).size() &&
                            asked.compare(asked.size() - std::string(ending).size(), std::string::npos, ending) == 0);
    if (!asking || words[n - 3] != asked || words[n - 4] == words[n - 2]) return NONE;
    // "볼래 안 볼래?" asks yes or no.
    if (words[n - 2] == "안" || words[n - 2] == "못") return NONE;
    // Asked what the reader will do in the formal register ("기차로
    // 가시겠습니까"): the reader says it of themselves ("기차로 가겠습니다").
    const std::string formal = "시겠습니까";
    if (endsWith(asked, formal) && asked.size() > formal.size()) {
        std::string stem = asked.substr(0, asked.size() - formal.size());
        if (endsWith(stem, "으") && stem.size() > std::string("으").size()) stem.erase(stem.size() - std::string("으").size());
        choices.push_back(words[n - 4] + " " + stem + "겠습니다");
        choices.push_back(words[n - 2] + " " + stem + "겠습니다");
        return ALTERNATIVES;
    }
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
            // A verb read from the middle of a word ("내일 할까요" as 일하다)
            // cuts the choice in two; the words asked twice may still tell.
            for (const auto& f : filtered)
                if (f.begin > 0 && text[f.begin - 1] != ' ') return NONE;
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
    if (verbPairs.count(first.verb + '\t' + second.verb) == 0) return NONE;
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
    if (!verbTable->detectLast(text, honorific, d) || choiceAnswerOf(d).empty()) return false;
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
        auto accept = [&](std::string& choice) {
            return getAnswerString(honorific, choice) || (checkNegRule(choice) && !endsAsked(choice));
        };
        if (accept(first) && accept(second)) {
            choices.push_back(first);
            choices.push_back(second);
            return ALTERNATIVES;
        }
    }
    return NONE;
}

}  // namespace Varnex
