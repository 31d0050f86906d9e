#include "KoreanVerbTable.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <streambuf>
#include <string>

#include "Varnex/BinaryIO.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Trie.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanVerbTable";

const char* const kFalse = "FALSE";
const char* const kNot = "안";
const char* const kCannot = "못";
const char* const kCommand = "command";
const char* const kSuggest = "suggest";

// Columns of a verb row.
const size_t kMinVerbFields = 41;
const size_t kFullVerbFields = 43;
const size_t kFirstGroupBegin = 3;
const size_t kFirstGroupEnd = 23;  // inclusive
const size_t kPoliteAnswers = 24;
const size_t kSecondGroupBegin = 25;
const size_t kSecondGroupEnd = 39;  // inclusive
const size_t kCasualAnswers = 40;
const size_t kPoliteNotSure = 41;
const size_t kCasualNotSure = 42;

const size_t kExceptionFields = 8;

std::vector<std::string> splitFields(const std::string& line, char delim) {
    std::vector<std::string> fields;
    StringUtil::split(line, delim, fields);
    return fields;
}

std::string trimmed(std::string s) { return StringUtil::trim(s); }

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

// Serves a file's bytes held in memory to the stream readers, so that the
// many small reads and position queries of the loader cost no system calls.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(char* data, size_t size) { setg(data, data, data + size); }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type size = egptr() - eback();
        off_type target = offset;
        if (dir == std::ios_base::cur)
            target += gptr() - eback();
        else if (dir == std::ios_base::end)
            target += size;
        if (target < 0 || target > size) return pos_type(off_type(-1));
        setg(eback(), eback() + target, egptr());
        return pos_type(target);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
        return seekoff(off_type(position), std::ios_base::beg, which);
    }
};

// The whole of a regular file.
bool readWholeFile(const std::string& path, std::string& bytes) {
    if (!Utilities::isRegularFile(path)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > bytes.max_size()) return false;
    file.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0 && !file.read(&bytes[0], size)) return false;
    return true;
}

// True when `s` can travel through a binary string: the scrambling cannot
// carry the byte 0xFF and a decoded string ends at its first zero byte.
bool storable(const std::string& s) {
    return s.find('\0') == std::string::npos && s.find('\xFF') == std::string::npos;
}

}  // namespace

// ---------------------------------------------------------------------------
// VerbInfo, DetectedVerbInfo

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

// ---------------------------------------------------------------------------
// Markers

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

// ---------------------------------------------------------------------------
// Construction from the four text files

KoreanVerbTable::KoreanVerbTable(const std::string& verbRulePath, const std::string& compoundRulePath,
                                 const std::string& negativeRulePath, const std::string& exceptionRulePath) {
    Entries entries;
    std::set<std::string> verbKeys;
    loadVerbRule(verbRulePath, entries, verbKeys);
    loadNegativeRule(negativeRulePath, entries);
    verbDictionary = std::make_shared<DictionaryFeature>(entries);
    loadCompoundVerbRule(compoundRulePath, verbKeys);
    loadExceptionRules(exceptionRulePath, verbKeys);
    varnex_print_log(LOG_DEBUG, kTag, "Verb table : %d rows, %d forms, %d compound dictionaries, %d exceptions\n",
                     rowCount, static_cast<int>(entries.size()), static_cast<int>(compoundDictionaries.size()),
                     static_cast<int>(exceptionRows.size()));
}

KoreanVerbTable::~KoreanVerbTable() = default;

void KoreanVerbTable::loadVerbRule(const std::string& path, Entries& entries, std::set<std::string>& verbKeys) {
    rowCount = 0;
    std::vector<std::string> lines;
    if (!StringUtil::load(path, lines, isEncrypted(path))) return;
    // The first line names the columns.
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        const size_t number = i + 1;
        std::vector<std::string> fields = splitFields(line, '\t');
        if (fields.size() < kMinVerbFields) {
            varnex_print_log(LOG_WARN, kTag, "Verb row skipped, %d fields : %s:%d\n", static_cast<int>(fields.size()),
                             path.c_str(), static_cast<int>(number));
            continue;
        }
        const std::string& verb = fields[0];
        const std::string& type = fields[1];
        const std::string& time = fields[2];
        // The three are written into "verb,type,time,row,marker" values.
        if (verb.empty() || verb.find(',') != std::string::npos || type.find(',') != std::string::npos ||
            time.find(',') != std::string::npos) {
            varnex_print_log(LOG_WARN, kTag, "Verb row skipped, bad verb, type or time : %s:%d\n", path.c_str(),
                             static_cast<int>(number));
            continue;
        }
        if (rowCount == INT_MAX) {
            varnex_print_log(LOG_ERROR, kTag, "Verb rows beyond %d ignored : %s\n", INT_MAX, path.c_str());
            break;
        }
        const int r = rowCount;
        if (!fields[kPoliteAnswers].empty()) {
            for (size_t c = kFirstGroupBegin; c <= kFirstGroupEnd; ++c)
                if (!fields[c].empty()) addRules(fields[c], type, r, verb, type, time, entries, path, number);
        }
        if (!fields[kCasualAnswers].empty()) {
            for (size_t c = kSecondGroupBegin; c <= kSecondGroupEnd; ++c)
                if (!fields[c].empty()) addRules(fields[c], type, r, verb, type, time, entries, path, number);
        }
        if (fields.size() == kFullVerbFields)
            notSureRows[r] = std::make_pair(fields[kPoliteNotSure], fields[kCasualNotSure]);
        else
            notSureRows[r] = std::make_pair(std::string(), std::string());
        answerRows[r] = std::make_pair(fields[kPoliteAnswers], fields[kCasualAnswers]);
        rowCount = r + 1;
        verbKeys.insert(verb);
    }
}

void KoreanVerbTable::addRules(const std::string& cell, const std::string& /*ignored*/, int row,
                               const std::string& verb, const std::string& type, const std::string& time,
                               Entries& entries, const std::string& path, size_t lineNumber) const {
    char number[16];
    std::snprintf(number, sizeof number, "%d", row);
    for (const std::string& variant : splitFields(cell, ',')) {
        const std::string rule = getCompoundRule(variant);
        const std::string form = trimmed(removeCompoundRule(variant));
        // A form with nothing left once its marks and question mark are
        // removed would match at every boundary or every question mark.
        std::string body = TrieKeys::normalise(form);
        if (!body.empty() && body.back() == '?') body.pop_back();
        if (body.empty()) {
            varnex_print_log(LOG_WARN, kTag, "Empty verb form skipped in \"%s\" : %s:%d\n", cell.c_str(), path.c_str(),
                             static_cast<int>(lineNumber));
            continue;
        }
        const std::string value = verb + "," + type + "," + time + "," + number + "," + rule;
        if (form.back() == '?')
            entries.emplace_back(form, value);
        else
            entries.emplace_back(form + "/", value);
    }
}

void KoreanVerbTable::loadNegativeRule(const std::string& path, Entries& entries) const {
    std::vector<std::string> lines;
    if (!StringUtil::load(path, lines, isEncrypted(path))) return;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        const int number = static_cast<int>(i + 1);
        std::vector<std::string> fields = splitFields(line, '\t');
        if (fields.size() != 2) {
            varnex_print_log(LOG_WARN, kTag, "Negative rule skipped, %d fields : %s:%d\n",
                             static_cast<int>(fields.size()), path.c_str(), number);
            continue;
        }
        const std::string& value = fields[0];
        const std::string& key = fields[1];
        if (TrieKeys::normalise(key).empty()) {
            varnex_print_log(LOG_WARN, kTag, "Negative rule skipped, empty key : %s:%d\n", path.c_str(), number);
            continue;
        }
        if (value != kFalse) {
            VerbInfo info;
            if (!info.parse(value)) {
                varnex_print_log(LOG_WARN, kTag, "Negative rule skipped, value is not FALSE nor verb,type,time,row,marker : %s:%d\n",
                                 path.c_str(), number);
                continue;
            }
            if (info.row >= rowCount) {
                varnex_print_log(LOG_WARN, kTag, "Negative rule skipped, no verb row %d : %s:%d\n", info.row,
                                 path.c_str(), number);
                continue;
            }
        }
        entries.emplace_back(key, value);
    }
}

void KoreanVerbTable::loadCompoundVerbRule(const std::string& path, const std::set<std::string>& verbKeys) {
    std::map<std::string, Entries> lists;
    std::vector<std::string> lines;
    if (StringUtil::load(path, lines, isEncrypted(path))) {
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (line.empty()) continue;
            const int number = static_cast<int>(i + 1);
            std::vector<std::string> fields = splitFields(line, '\t');
            if (fields.size() < 2 || fields[0].empty()) {
                varnex_print_log(LOG_WARN, kTag, "Compound rule skipped, no verb or no word : %s:%d\n", path.c_str(),
                                 number);
                continue;
            }
            Entries& list = lists[fields[0]];
            for (size_t j = 1; j < fields.size(); ++j) {
                const std::string word = removeCompoundRule(fields[j]);
                if (TrieKeys::normalise(word).empty()) {
                    if (!fields[j].empty())
                        varnex_print_log(LOG_WARN, kTag, "Empty compound word skipped : %s:%d\n", path.c_str(), number);
                    continue;
                }
                list.emplace_back(word, getCompoundRule(fields[j]));
            }
        }
    }
    // Every verb accepts the negation words in front of it.
    for (const std::string& verb : verbKeys) {
        Entries& list = lists[verb];
        list.emplace_back(kNot, kNot);
        list.emplace_back(kCannot, kCannot);
    }
    for (auto& kv : lists) compoundDictionaries[kv.first] = std::make_shared<DictionaryFeature>(kv.second);
}

void KoreanVerbTable::loadExceptionRules(const std::string& path, const std::set<std::string>& verbKeys) {
    std::vector<std::string> lines;
    if (!StringUtil::load(path, lines, isEncrypted(path))) return;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        const int number = static_cast<int>(i + 1);
        std::vector<std::string> fields = splitFields(line, '\t');
        if (fields.size() != kExceptionFields) {
            varnex_print_log(LOG_WARN, kTag, "Exception row skipped, %d fields : %s:%d\n",
                             static_cast<int>(fields.size()), path.c_str(), number);
            continue;
        }
        if (verbKeys.count(fields[0]) == 0) {
            varnex_print_log(LOG_WARN, kTag, "Exception row skipped, unknown verb %s : %s:%d\n", fields[0].c_str(),
                             path.c_str(), number);
            continue;
        }
        // Nothing in column 3 would key the row to no detection at all; a
        // lone "," is the way to name detections without a compound word.
        std::vector<std::string> words = splitFields(fields[3], ',');
        if (words.empty()) {
            varnex_print_log(LOG_WARN, kTag, "Exception row skipped, no compound word : %s:%d\n", path.c_str(), number);
            continue;
        }
        if (rowCount == INT_MAX) {
            varnex_print_log(LOG_ERROR, kTag, "Exception rows beyond %d ignored : %s\n", INT_MAX, path.c_str());
            break;
        }
        const int r = rowCount;
        const std::string prefix = fields[0] + "/" + fields[1] + "/" + fields[2] + "/";
        for (const std::string& w : words) exceptionRows[prefix + w] = r;
        notSureRows[r] = std::make_pair(fields[5], fields[7]);
        answerRows[r] = std::make_pair(fields[4], fields[6]);
        rowCount = r + 1;
    }
}

// ---------------------------------------------------------------------------
// Detection

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
        if (p >= 0 && value != kFalse) {
            ok = buildDetectedVerbInfo(info, text, honorific, surface, p, p + static_cast<int>(surface.size()), value);
            if (ok && isCompoundOnly(info.compoundRule)) ok = !info.compoundWord.empty();
        }
    }
    // Second pass: the form may be glued to the word in front of it; it
    // counts on its own only with a compound word.
    {
        std::string key, surface, value;
        const int q = find(key, surface, value, true);
        if (q >= 0 && value != kFalse) {
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
    if (ok) getAnswer(honorific, info);
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
    if ((value == kNot || value == kCannot) && info.type == kCommand) return false;
    if (value == kCannot && info.type == kSuggest) return false;
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
    const bool casual = honorific == kFalse;
    const std::string& list = casual ? answers->second.second : answers->second.first;
    std::string notSure;
    auto ns = notSureRows.find(row);
    if (ns != notSureRows.end()) notSure = casual ? ns->second.second : ns->second.first;

    std::vector<std::string> parts = splitFields(list, ',');
    std::string yes = part(parts, 0);
    std::string no = part(parts, 1);
    const std::string choice = part(parts, 2);

    if (!exception && !info.compoundWord.empty()) {
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

// ---------------------------------------------------------------------------
// Single-file form

bool KoreanVerbTable::prebuildRules(const std::string& verbRulePath, const std::string& compoundRulePath,
                                    const std::string& negativeRulePath, const std::string& exceptionRulePath,
                                    const std::string& outputPath) {
    KoreanVerbTable table(verbRulePath, compoundRulePath, negativeRulePath, exceptionRulePath);
    if (table.rowCount == 0) {
        varnex_print_log(LOG_ERROR, kTag, "Prebuild failed, no verb rows in %s\n", verbRulePath.c_str());
        return false;
    }
    bool good = false;
    {
        std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            varnex_print_log(LOG_ERROR, kTag, "Prebuild failed, cannot create %s\n", outputPath.c_str());
            return false;
        }
        good = table.save(out);
        out.close();
        good = good && !out.fail();
    }
    if (!good) {
        varnex_print_log(LOG_ERROR, kTag, "Prebuild failed, cannot write %s\n", outputPath.c_str());
        std::remove(outputPath.c_str());
    }
    return good;
}

bool KoreanVerbTable::save(std::ofstream& out) const {
    // A dictionary whose entries the binary format cannot carry writes
    // nothing; that shows as a stream position that did not move.
    auto saveDictionary = [&out](const DictionaryFeature& dictionary) {
        const std::streampos before = out.tellp();
        dictionary.save(out);
        return out.good() && out.tellp() != before;
    };
    auto writeRows = [&out](const std::map<int, std::pair<std::string, std::string>>& rows) {
        if (BinaryIO::write(out, static_cast<int>(rows.size())) < 0) return false;
        for (const auto& kv : rows) {
            if (!storable(kv.second.first) || !storable(kv.second.second)) return false;
            if (BinaryIO::write(out, kv.first) < 0 || BinaryIO::write(out, kv.second) < 0) return false;
        }
        return true;
    };

    if (BinaryIO::write(out, rowCount) < 0) return false;
    if (!saveDictionary(*verbDictionary)) return false;
    if (BinaryIO::write(out, static_cast<int>(compoundDictionaries.size())) < 0) return false;
    for (const auto& kv : compoundDictionaries) {
        if (!storable(kv.first) || BinaryIO::write(out, kv.first) < 0) return false;
        if (!saveDictionary(*kv.second)) return false;
    }
    if (!writeRows(answerRows) || !writeRows(notSureRows)) return false;
    if (BinaryIO::write(out, static_cast<int>(exceptionRows.size())) < 0) return false;
    for (const auto& kv : exceptionRows) {
        if (!storable(kv.first)) return false;
        if (BinaryIO::write(out, kv.first) < 0 || BinaryIO::write(out, kv.second) < 0) return false;
    }
    return out.good();
}

KoreanVerbTable::KoreanVerbTable(const std::string& prebuiltPath)
    : verbDictionary(std::make_shared<DictionaryFeature>()) {
    std::string bytes;
    if (!readWholeFile(prebuiltPath, bytes)) {
        varnex_print_log(LOG_ERROR, kTag, "Load failed : %s\n", prebuiltPath.c_str());
        return;
    }
    // The dictionaries read from a file stream; this one reads the bytes
    // already in memory.
    MemoryBuffer buffer(&bytes[0], bytes.size());
    std::ifstream in;
    in.std::basic_ios<char>::rdbuf(&buffer);
    std::string reason;
    if (!readPrebuilt(in, reason)) {
        varnex_print_log(LOG_ERROR, kTag, "Load failed : %s : damaged verb table (%s)\n", prebuiltPath.c_str(),
                         reason.c_str());
    }
}

bool KoreanVerbTable::readPrebuilt(std::ifstream& in, std::string& reason) {
    auto fault = [&reason](const char* why) {
        reason = why;
        return false;
    };
    // A count or a row number: present, not negative.
    auto readCount = [&in](int& value) { return BinaryIO::read(in, value) >= 0 && value >= 0; };

    int rows = 0;
    if (!readCount(rows)) return fault("row count");

    auto dictionary = std::make_shared<DictionaryFeature>();
    dictionary->load(in);
    if (!in.good()) return fault("verb dictionary");

    // Every loop below reads at least one field per step and stops at the
    // first one that fails, so a large count in a short file ends quickly.
    std::map<std::string, std::shared_ptr<DictionaryFeature>> compounds;
    int count = 0;
    if (!readCount(count)) return fault("compound dictionary count");
    for (int i = 0; i < count; ++i) {
        std::string key;
        if (BinaryIO::read(in, key) < 0 || key.empty()) return fault("compound dictionary key");
        auto compound = std::make_shared<DictionaryFeature>();
        compound->load(in);
        if (!in.good()) return fault("compound dictionary");
        if (!compounds.emplace(key, compound).second) return fault("repeated compound dictionary key");
    }

    auto readRows = [&](std::map<int, std::pair<std::string, std::string>>& target, const char* what) {
        int n = 0;
        if (!readCount(n)) return fault(what);
        for (int i = 0; i < n; ++i) {
            int row = 0;
            std::pair<std::string, std::string> texts;
            if (!readCount(row) || row >= rows || BinaryIO::read(in, texts) < 0) return fault(what);
            if (!target.emplace(row, texts).second) return fault(what);
        }
        return true;
    };
    std::map<int, std::pair<std::string, std::string>> answers, notSure;
    if (!readRows(answers, "answer rows") || !readRows(notSure, "not-sure rows")) return false;

    std::map<std::string, int> exceptions;
    if (!readCount(count)) return fault("exception count");
    for (int i = 0; i < count; ++i) {
        std::string key;
        int row = 0;
        if (BinaryIO::read(in, key) < 0 || !readCount(row) || row >= rows) return fault("exception rows");
        if (!exceptions.emplace(key, row).second) return fault("repeated exception key");
    }
    // Nothing may follow the last section.
    if (in.peek() != std::ifstream::traits_type::eof()) return fault("data after the last section");

    rowCount = rows;
    verbDictionary = dictionary;
    compoundDictionaries.swap(compounds);
    answerRows.swap(answers);
    notSureRows.swap(notSure);
    exceptionRows.swap(exceptions);
    return true;
}

}  // namespace Varnex
