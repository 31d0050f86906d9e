#include "KoreanVerbTable.h"

#include <algorithm>
#include <climits>
#include <string>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"
#include "KoreanVocabulary.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanVerbTable";


std::vector<std::string> splitFields(const std::string& line, char delim) {
    std::vector<std::string> fields;
    StringUtil::split(line, delim, fields);
    return fields;
}

// A non-negative decimal number that fits an int, and nothing else.
bool parseRow(const std::string& s, int& row) {
    if (s.empty() || s.size() > 10) return false;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > INT_MAX) return false;
    row = static_cast<int>(v);
    return true;
}

// The part of an answer list at `index` ("" when missing).
std::string part(const std::vector<std::string>& parts, size_t index) {
    return index < parts.size() ? parts[index] : std::string();
}

// The character in front of byte offset `begin` is a Hangul syllable: the
// text there belongs to the same word.
bool gluedToSyllable(const std::string& text, int begin) {
    if (begin <= 0 || static_cast<size_t>(begin) > text.size()) return false;
    std::string ch;
    StringUtil::getPreviousChar(text, begin - 1, ch);
    if (ch.size() != 3) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ch.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return c >= 0xAC00 && c <= 0xD7A3;
}

}  // namespace

KoreanVerbTable::~KoreanVerbTable() = default;

bool VerbInfo::parse(const std::string& value) {
    std::vector<std::string> fields = splitFields(value, ',');
    if (fields.size() != 5) return false;
    int parsedRow = 0;
    if (!parseRow(fields[3], parsedRow)) return false;
    verb = fields[0];
    type = fields[1];
    time = fields[2];
    row = parsedRow;
    compoundRule = fields[4];
    return true;
}

void DetectedVerbInfo::setAnswers(const std::string& yes, const std::string& no, const std::string& notSure,
                                  const std::string& choice) {
    yesAnswer = yes;
    noAnswer = no;
    notSureAnswer = notSure;
    choiceAnswer = choice;
}

bool KoreanVerbTable::isCompoundOnly(const std::string& s) { return !s.empty() && s[0] == 'C'; }
bool KoreanVerbTable::isCompoundButNoAdd(const std::string& s) { return !s.empty() && s[0] == 'D'; }
bool KoreanVerbTable::isCompoundButYNOnly(const std::string& s) { return !s.empty() && s[0] == 'N'; }

bool KoreanVerbTable::hasCompoundRule(const std::string& s) {
    return isCompoundOnly(s) || isCompoundButNoAdd(s) || isCompoundButYNOnly(s);
}

std::string KoreanVerbTable::getCompoundRule(const std::string& s) {
    return hasCompoundRule(s) ? s.substr(0, 1) : std::string("-");
}

std::string KoreanVerbTable::removeCompoundRule(const std::string& s) {
    return hasCompoundRule(s) ? s.substr(1) : s;
}

std::string KoreanVerbTable::removeContOperator(const std::string& s) {
    if (!s.empty() && (s[0] == '/' || s[0] == '~')) return s.substr(1);
    return s;
}

bool KoreanVerbTable::isCommonAnswer(const std::string& s) {
    static const std::string kCommon = "그";
    const size_t n = std::min(s.size(), kCommon.size());
    return s.compare(0, n, kCommon, 0, n) == 0;
}

bool KoreanVerbTable::detectFirst(const std::string& text, const std::string& honorific,
                                  DetectedVerbInfo& info) const {
    return detect(text, honorific, info, true);
}

bool KoreanVerbTable::detectLast(const std::string& text, const std::string& honorific,
                                 DetectedVerbInfo& info) const {
    return detect(text, honorific, info, false);
}

bool KoreanVerbTable::detect(const std::string& text, const std::string& honorific, DetectedVerbInfo& info,
                             bool first) const {
    if (text.empty() || !verbDictionary) return false;
    auto find = [&](std::string& key, std::string& surface, std::string& value, bool ignoreLeadingMark) {
        return first ? verbDictionary->findFirstMatch(text, key, surface, value, true, ignoreLeadingMark)
                     : verbDictionary->findLastMatch(text, key, surface, value, true, ignoreLeadingMark);
    };

    // First pass: the form must respect its start-boundary mark.
    bool ok = false;
    {
        std::string key, surface, value;
        const int p = find(key, surface, value, false);
        if (p >= 0 && value != Label::FALSE_LABEL) {
            ok = buildDetectedVerbInfo(info, text, honorific, surface, p, p + static_cast<int>(surface.size()), value);
            if (ok && isCompoundOnly(info.compoundRule)) ok = !info.compoundWord.empty();
        }
    }
    // Second pass: the form may be glued to the word in front of it; it
    // counts on its own only with a compound word.
    {
        std::string key, surface, value;
        const int q = find(key, surface, value, true);
        if (q >= 0 && value != Label::FALSE_LABEL) {
            DetectedVerbInfo t;
            if (buildDetectedVerbInfo(t, text, honorific, surface, q, q + static_cast<int>(surface.size()), value)) {
                if (!(ok && info.surface.size() >= t.surface.size())) info = t;
                ok = ok || !t.compoundWord.empty();
            }
        }
    }
    return ok;
}

int KoreanVerbTable::detectAll(const std::string& text, const std::string& honorific,
                               std::vector<DetectedVerbInfo>& infos) const {
    const int length = static_cast<int>(text.size());
    int offset = 0;
    while (offset < length) {
        // Every step starts afresh: nothing found in front of an earlier verb
        // may count for a later one.
        DetectedVerbInfo d;
        if (!detectFirst(text.substr(offset), honorific, d)) break;
        if (d.end <= 0) break;  // a detection always covers at least one byte
        d.begin += offset;
        d.end += offset;
        offset = d.end;
        infos.push_back(d);
    }
    return static_cast<int>(infos.size());
}

bool KoreanVerbTable::buildDetectedVerbInfo(DetectedVerbInfo& info, const std::string& text,
                                            const std::string& honorific, const std::string& surface, int begin,
                                            int end, const std::string& value) const {
    // Start from a clean record, so that nothing of an earlier detection
    // (a compound word, answers) survives in a reused object.
    info = DetectedVerbInfo();
    info.surface = surface;
    info.begin = begin;
    info.end = end;
    if (!info.parse(value)) {
        // A value that does not parse names no row: the detection carries no
        // answers rather than the answers of some other row.
        varnex_print_log(LOG_WARN, kTag, "Verb form with an unreadable value : %s\n", value.c_str());
        return checkCompoundRule(text, info);
    }
    const bool ok = checkCompoundRule(text, info);
    if (ok) {
        info.glued = info.compoundWord.empty() && gluedToSyllable(text, begin);
        getAnswer(honorific, info);
    }
    return ok;
}

bool KoreanVerbTable::checkCompoundRule(const std::string& text, DetectedVerbInfo& info) const {
    auto it = compoundDictionaries.find(info.verb);
    if (it == compoundDictionaries.end() || !it->second) return true;
    if (info.begin <= 0) return true;
    const std::string before = text.substr(0, std::min(text.size(), static_cast<size_t>(info.begin)));
    std::string key, matched, value;
    const int pos = it->second->findLastMatch(before, key, matched, value, true, false);
    // The compound word must end right in front of the verb, at most one
    // byte (a space) apart.
    if (pos < 0 || static_cast<long long>(pos) + static_cast<long long>(key.size()) + 1 < info.begin) return true;
    if ((value == kNot || value == kCannot) && info.type == KoreanVerbKind::COMMAND) return false;
    if (value == kCannot && info.type == KoreanVerbKind::SUGGEST) return false;
    std::string word = removeCompoundRule(removeContOperator(key));
    if (!word.empty() && (word.back() == '/' || word.back() == '~')) word.pop_back();
    info.compoundWord = word;
    info.compoundValue = value;
    return true;
}

void KoreanVerbTable::getAnswer(const std::string& honorific, DetectedVerbInfo& info) const {
    int row = info.row;
    bool exception = false;
    auto ex = exceptionRows.find(info.verb + "/" + info.type + "/" + info.time + "/" + info.compoundWord);
    if (ex != exceptionRows.end()) {
        row = ex->second;
        exception = true;
    }
    auto answers = answerRows.find(row);
    if (answers == answerRows.end()) return;
    // Polite answers for the two polite levels only: a message the speech
    // level models could not judge ("none") is answered like the casual
    // replies it gets from the scenario table.
    const bool casual = honorific != Label::HIGH && honorific != Label::NORMAL;
    const std::string& list = casual ? answers->second.second : answers->second.first;
    std::string notSure;
    auto ns = notSureRows.find(row);
    if (ns != notSureRows.end()) notSure = casual ? ns->second.second : ns->second.first;

    std::vector<std::string> parts = splitFields(list, ',');
    std::string yes = part(parts, 0);
    std::string no = part(parts, 1);
    const std::string choice = part(parts, 2);

    if (info.glued) {
        yes.clear();
        no.clear();
    } else if (!exception && !info.compoundWord.empty()) {
        if (info.compoundWord == kNot || info.compoundWord == kCannot) {
            // "안 가?" is affirmed with the negation and denied with the plain
            // form. The negation stays a word of its own: "안 가", not "안가".
            no = yes;
            yes = info.compoundWord + " " + yes;
        } else if (isCompoundButYNOnly(info.compoundValue)) {
            yes.clear();
            no.clear();
        } else if (isCommonAnswer(yes) || isCompoundButNoAdd(info.compoundValue)) {
            // answers stay as in the row
        } else {
            yes = info.compoundWord + yes;
            no.clear();
        }
    }
    info.setAnswers(yes, no, notSure, choice);
}

bool KoreanVerbTable::getAnswerRow(int row, std::pair<std::string, std::string>& lists) const {
    auto it = answerRows.find(row);
    if (it == answerRows.end()) return false;
    lists = it->second;
    return true;
}

bool KoreanVerbTable::getNotSureRow(int row, std::pair<std::string, std::string>& answers) const {
    auto it = notSureRows.find(row);
    if (it == notSureRows.end()) return false;
    answers = it->second;
    return true;
}

}  // namespace Varnex
