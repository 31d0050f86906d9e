// The verb table built from its four text files.
#include <climits>
#include <cstdio>

#include "KoreanVerbTable.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Trie.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {

using Utilities::StringUtil;
using Utilities::TableFormat;
using Utilities::TableRow;
using Utilities::reportRefusedLine;

namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanVerbTableText";

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

std::vector<TableRow> rowsOf(const std::string& path, const TableFormat& format) {
    std::vector<TableRow> rows;
    Utilities::readTable(path, format, rows);
    return rows;
}

std::vector<std::string> splitCommas(const std::string& cell) {
    std::vector<std::string> parts;
    StringUtil::split(cell, ',', parts);
    return parts;
}

}  // namespace

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

void KoreanVerbTable::loadVerbRule(const std::string& path, Entries& entries, std::set<std::string>& verbKeys) {
    rowCount = 0;
    TableFormat format;
    format.headerLines = 1;  // the column names
    format.minFields = kMinVerbFields;
    format.maxFields = kFullVerbFields;
    for (const TableRow& row : rowsOf(path, format)) {
        const auto& fields = row.fields;
        const std::string& verb = fields[0];
        const std::string& type = fields[1];
        const std::string& time = fields[2];
        // The three are written into "verb,type,time,row,marker" values.
        if (verb.empty() || verb.find(',') != std::string::npos || type.find(',') != std::string::npos ||
            time.find(',') != std::string::npos) {
            reportRefusedLine(path, row.line, "bad verb, type or time");
            continue;
        }
        if (rowCount == INT_MAX) {
            varnex_print_log(LOG_ERROR, kTag, "Verb rows beyond %d ignored : %s\n", INT_MAX, path.c_str());
            break;
        }
        const int r = rowCount;
        if (!fields[kPoliteAnswers].empty()) {
            for (size_t c = kFirstGroupBegin; c <= kFirstGroupEnd; ++c)
                if (!fields[c].empty()) addRules(fields[c], r, verb, type, time, entries, path, row.line);
        }
        if (!fields[kCasualAnswers].empty()) {
            for (size_t c = kSecondGroupBegin; c <= kSecondGroupEnd; ++c)
                if (!fields[c].empty()) addRules(fields[c], r, verb, type, time, entries, path, row.line);
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

void KoreanVerbTable::addRules(const std::string& cell, int row, const std::string& verb, const std::string& type,
                               const std::string& time, Entries& entries, const std::string& path,
                               int lineNumber) const {
    char number[16];
    std::snprintf(number, sizeof number, "%d", row);
    for (const std::string& variant : splitCommas(cell)) {
        const std::string rule = getCompoundRule(variant);
        std::string unmarked = removeCompoundRule(variant);
        const std::string form = StringUtil::trim(unmarked);
        // A form with nothing left once its marks and question mark are
        // removed would match at every boundary or every question mark.
        std::string body = TrieKeys::normalise(form);
        if (!body.empty() && body.back() == '?') body.pop_back();
        if (body.empty()) {
            reportRefusedLine(path, lineNumber, "empty verb form skipped in \"" + cell + "\"");
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
    TableFormat format;
    format.minFields = format.maxFields = 2;
    for (const TableRow& row : rowsOf(path, format)) {
        const std::string& value = row.fields[0];
        const std::string& key = row.fields[1];
        if (TrieKeys::normalise(key).empty()) {
            reportRefusedLine(path, row.line, "empty key");
            continue;
        }
        if (value != Label::FALSE_LABEL) {
            VerbInfo info;
            if (!info.parse(value)) {
                reportRefusedLine(path, row.line, "value is not FALSE nor verb,type,time,row,marker");
                continue;
            }
            if (info.row >= rowCount) {
                reportRefusedLine(path, row.line, "no verb row " + std::to_string(info.row));
                continue;
            }
        }
        entries.emplace_back(key, value);
    }
}

void KoreanVerbTable::loadCompoundVerbRule(const std::string& path, const std::set<std::string>& verbKeys) {
    std::map<std::string, Entries> lists;
    TableFormat format;
    format.minFields = 2;
    format.nonEmpty = {0};
    for (const TableRow& row : rowsOf(path, format)) {
        Entries& list = lists[row.fields[0]];
        for (size_t j = 1; j < row.fields.size(); ++j) {
            const std::string& field = row.fields[j];
            const std::string word = removeCompoundRule(field);
            if (TrieKeys::normalise(word).empty()) {
                if (!field.empty()) reportRefusedLine(path, row.line, "empty compound word skipped");
                continue;
            }
            list.emplace_back(word, getCompoundRule(field));
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
    TableFormat format;
    format.minFields = format.maxFields = kExceptionFields;
    for (const TableRow& row : rowsOf(path, format)) {
        const auto& fields = row.fields;
        if (verbKeys.count(fields[0]) == 0) {
            reportRefusedLine(path, row.line, "unknown verb " + fields[0]);
            continue;
        }
        // Nothing in column 3 would key the row to no detection at all; a
        // lone "," is the way to name detections without a compound word.
        std::vector<std::string> words = splitCommas(fields[3]);
        if (words.empty()) {
            reportRefusedLine(path, row.line, "no compound word");
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

}  // namespace Varnex
