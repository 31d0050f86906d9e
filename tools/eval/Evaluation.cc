#include "Evaluation.h"

#include <cstdio>
#include <set>

#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace VarnexTools {

using Varnex::Utilities::StringUtil;

namespace {

// The code point of a three-byte UTF-8 character, or -1.
int codePoint(const std::string& ch) {
    if (ch.size() != 3) return -1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ch.data());
    return ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
}

bool isSyllable(const std::string& ch) {
    const int c = codePoint(ch);
    return c >= 0xAC00 && c <= 0xD7A3;
}

// The Hangul syllables of a sentence, in order.
std::vector<std::string> syllables(const std::string& sentence) {
    std::vector<std::string> chars, out;
    StringUtil::getCharactors(sentence, chars);
    for (const auto& c : chars)
        if (isSyllable(c)) out.push_back(c);
    return out;
}

int sentenceLevel(const std::string& sentence) {
    const std::vector<std::string> s = syllables(sentence);
    if (s.empty()) return -1;
    std::string whole;
    for (const auto& c : s) whole += c;
    static const std::set<std::string> politeWords = {"네", "넵", "넹", "예", "아뇨", "아니요", "네네"};
    // Words without a speech level: interjections, onomatopoeia, set phrases
    // said alike to anyone.
    static const std::set<std::string> interjections = {
        "헐",     "와",     "우와",   "오",       "오오",     "어머",   "아이고", "아이구", "앗",
        "엥",     "흠",     "음",     "아",       "어",       "헉",     "대박",   "오호",   "에구",
        "에고",   "토닥토닥", "화이팅", "파이팅", "메리크리스마스", "해피뉴이어", "굿모닝", "굿나잇"};
    if (politeWords.count(whole)) return 1;
    if (interjections.count(whole)) return -1;
    // A trailing "뭐" is a tag after the sentence's own ending ("그럴 때도
    // 있죠 뭐"): the ending before it has the level.
    const size_t end = s.size() >= 2 && s.back() == "뭐" ? s.size() - 1 : s.size();
    const std::string& last = s[end - 1];
    const std::string before = end >= 2 ? s[end - 2] : "";
    if ((last == "다" || last == "까") && (before == "니" || before == "습")) return 2;
    if (last == "오" && before == "시") return 2;
    if (last == "요" || last == "죠") return 1;
    return 0;
}

// A reply's sentences: cut after ". ", "! ", "? ", "~ " and at line ends.
std::vector<std::string> sentences(const std::string& reply) {
    std::vector<std::string> out;
    std::string current;
    for (size_t i = 0; i < reply.size(); ++i) {
        current += reply[i];
        const bool end = reply[i] == '.' || reply[i] == '!' || reply[i] == '?' || reply[i] == '~';
        if (end && (i + 1 == reply.size() || reply[i + 1] == ' ')) {
            out.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

bool parseWhen(const std::string& when) {
    int y, mo, d, h, mi;
    char tail;
    return std::sscanf(when.c_str(), "%d-%d-%d %d:%d%c", &y, &mo, &d, &h, &mi, &tail) == 5 && mo >= 1 && mo <= 12 &&
           d >= 1 && d <= 31 && h >= 0 && h <= 23 && mi >= 0 && mi <= 59;
}

bool compiles(const std::string& pattern) {
    try {
        std::regex re(pattern, std::regex::ECMAScript);
        return true;
    } catch (const std::regex_error&) {
        return false;
    }
}

}  // namespace

bool readEvalCases(const std::string& path, std::vector<EvalCase>& cases, std::vector<std::string>& problems) {
    std::vector<std::string> lines;
    if (!StringUtil::load(path, lines, false)) return false;
    for (auto& line : lines)
        if (!line.empty() && line[0] == '#') line.clear();
    Varnex::Utilities::TableFormat format;
    // Trailing empty fields (no forbid, no time) may be cut off.
    format.minFields = 4;
    format.maxFields = 6;
    format.nonEmpty = {0, 1, 2, 3};
    std::vector<Varnex::Utilities::TableRow> rows;
    std::vector<Varnex::Utilities::TableProblem> misfits;
    Varnex::Utilities::parseTable(lines, path, format, rows, &misfits);
    for (const auto& m : misfits) problems.push_back(path + ":" + std::to_string(m.line) + ": " + m.reason);
    for (const auto& row : rows) {
        const auto& f = row.fields;
        EvalCase c;
        c.source = path + ":" + std::to_string(row.line);
        c.message = f[0];
        c.kind = f[1];
        c.fit = f[3];
        c.forbid = f.size() > 4 ? f[4] : "";
        c.when = f.size() > 5 ? f[5] : "";
        std::string why;
        if (f[2] != "0" && f[2] != "1" && f[2] != "2")
            why = "register must be 0, 1 or 2";
        else if (!c.when.empty() && !parseWhen(c.when))
            why = "time is not \"YYYY-MM-DD HH:MM\"";
        else if ((c.fit != "-" && !compiles(c.fit)) || (!c.forbid.empty() && !compiles(c.forbid)))
            why = "a pattern does not compile";
        if (!why.empty()) {
            problems.push_back(c.source + ": " + why);
            continue;
        }
        c.level = f[2][0] - '0';
        cases.push_back(c);
    }
    return true;
}

int speechLevelOf(const std::string& reply) {
    int level = -1;
    for (const auto& s : sentences(reply)) {
        const int l = sentenceLevel(s);
        if (l == 0) return 0;  // one plain sentence makes the reply plain
        level = std::max(level, l);
    }
    return level;
}

bool isRegisterSlip(int messageLevel, int replyLevel) {
    if (replyLevel < 0) return false;
    return messageLevel == 0 ? replyLevel > 0 : replyLevel == 0;
}

EvalOutcome judge(const EvalCase& c, const std::vector<std::string>& suggestions) {
    EvalOutcome o;
    o.suggestions = suggestions;
    const bool none = c.fit == "-";
    std::regex fit(none ? "$^" : c.fit, std::regex::ECMAScript);
    std::regex forbid(c.forbid.empty() ? "$^" : c.forbid, std::regex::ECMAScript);
    o.fitting = none && suggestions.empty();
    for (const auto& s : suggestions) {
        if (!none && std::regex_search(s, fit)) o.fitting = true;
        if (!c.forbid.empty() && std::regex_search(s, forbid)) o.forbidden.push_back(s);
        // Any suggestion at all is wrong for a message that wants none.
        if (none) o.forbidden.push_back(s);
        if (isRegisterSlip(c.level, speechLevelOf(s))) o.wrongLevel.push_back(s);
    }
    return o;
}

void tally(const EvalCase& c, const EvalOutcome& o, std::map<std::string, EvalCounts>& counts) {
    for (const std::string& key : {c.kind, std::string()}) {
        EvalCounts& k = counts[key];
        ++k.messages;
        if (o.fitting) ++k.fitting;
        if (!o.forbidden.empty()) ++k.forbidden;
        if (!o.wrongLevel.empty()) ++k.wrongLevel;
        if (o.suggestions.empty()) ++k.none;
    }
}

}  // namespace VarnexTools
