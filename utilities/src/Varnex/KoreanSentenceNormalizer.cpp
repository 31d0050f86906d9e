#include "Varnex/KoreanSentenceNormalizer.h"

#include <vector>

#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
// The files are unscrambled when `decrypt` says so, whatever their names.
bool readRows(const std::string& path, bool decrypt, const Utilities::TableFormat& format,
              std::vector<Utilities::TableRow>& rows) {
    std::vector<std::string> lines;
    if (!StringUtil::load(path, lines, decrypt)) return false;
    Utilities::parseTable(lines, path, format, rows);
    return true;
}
}  // namespace

KoreanSentenceNormalizer::KoreanSentenceNormalizer(const std::string& dictionaryPath, const std::string& rulePath,
                                                   bool decrypt, bool binaryDictionary)
    : dictionary(std::make_shared<DoubleArrayTrie>()) {
    load(dictionaryPath, rulePath, decrypt, binaryDictionary);
}

KoreanSentenceNormalizer::~KoreanSentenceNormalizer() = default;

void KoreanSentenceNormalizer::load(const std::string& dictionaryPath, const std::string& rulePath, bool decrypt,
                                    bool binaryDictionary) {
    if (binaryDictionary) {
        dictionary->load(dictionaryPath);
    } else {
        // Standard form TAB colloquial form.
        Utilities::TableFormat format;
        format.minFields = 2;
        format.nonEmpty = {1};
        std::vector<Utilities::TableRow> rows;
        if (readRows(dictionaryPath, decrypt, format, rows)) {
            for (const auto& row : rows) dictionary->insert(row.fields[1], row.fields[0]);
            dictionary->build();
        }
    }

    // Key character TAB follower characters TAB replacement.
    Utilities::TableFormat format;
    format.minFields = format.maxFields = 3;
    format.nonEmpty = {0};
    std::vector<Utilities::TableRow> rows;
    if (!readRows(rulePath, decrypt, format, rows)) return;
    for (const auto& row : rows) {
        const auto& cols = row.fields;
        std::vector<std::string> followers;
        StringUtil::getCharactors(cols[1], followers);
        rules[cols[0]] = {std::set<std::string>(followers.begin(), followers.end()), cols[2]};
    }
}

bool KoreanSentenceNormalizer::process(Annotation& annotation) const {
    std::string s = annotation.getText();
    normalizeByDictionary(s);
    normalizeByRule(s);
    annotation.setNormalizedText(s);
    return true;
}

void KoreanSentenceNormalizer::normalizeByDictionary(std::string& s) const {
    size_t pos = 0;
    while (pos < s.size()) {
        if (s[pos] == ' ') {
            ++pos;
            continue;
        }
        std::vector<std::pair<std::string, std::string>> results;
        int matchLength = 0;
        if (!dictionary->search(s, static_cast<int>(pos), results, matchLength, true, false) || matchLength <= 0) {
            ++pos;
            continue;
        }
        const std::pair<std::string, std::string>* best = &results.front();
        for (const auto& r : results)
            if (r.first.size() > best->first.size()) best = &r;
        std::string value = best->second;

        // The covered span ends after the phrase; spaces at its end belong to
        // the text, not to the phrase, and stay in place.
        size_t end = std::min(s.size(), pos + static_cast<size_t>(matchLength));
        while (end > pos && s[end - 1] == ' ') --end;

        if (!value.empty() && value.back() == '/') {
            // The edge of the text counts as a place that needs the break.
            std::string next;
            StringUtil::getNextChar(s, static_cast<int>(end), next);
            StringUtil::replace(value, "/", next == " " ? "" : " ");
        }
        s.replace(pos, end - pos, value);
        pos += value.empty() ? (end > pos ? 0 : 1) : value.size();
    }
}

void KoreanSentenceNormalizer::normalizeByRule(std::string& s) const {
    std::vector<std::string> chars;
    StringUtil::getCharactors(s, chars);
    std::string out;
    for (size_t i = 0; i < chars.size();) {
        auto rule = rules.find(chars[i]);
        if (rule == rules.end()) {
            out += chars[i++];
            continue;
        }
        out += rule->second.second;
        ++i;
        while (i < chars.size() && rule->second.first.count(chars[i])) ++i;
    }
    s = out;
}

}  // namespace Varnex
