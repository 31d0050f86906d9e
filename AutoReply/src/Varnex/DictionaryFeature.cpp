#include "Varnex/DictionaryFeature.h"

#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

DictionaryFeature::DictionaryFeature() : trie(std::make_shared<DoubleArrayTrie>()) {}

DictionaryFeature::DictionaryFeature(const std::string& path, bool binary) { loadDictionary(path, binary); }

DictionaryFeature::DictionaryFeature(std::vector<std::pair<std::string, std::string>> entries) {
    loadDictionary(std::move(entries));
}

DictionaryFeature::~DictionaryFeature() = default;

void DictionaryFeature::loadDictionary(const std::string& path, bool binary) {
    auto fresh = std::make_shared<DoubleArrayTrie>();
    if (binary) {
        fresh->load(path);
    } else {
        // Value TAB raw key.
        Utilities::TableFormat format;
        format.minFields = format.maxFields = 2;
        std::vector<Utilities::TableRow> rows;
        if (Utilities::readTable(path, format, rows)) {
            for (const auto& row : rows) fresh->insert(row.fields[1], row.fields[0]);
            fresh->build();
        }
    }
    trie = fresh;
}

void DictionaryFeature::loadDictionary(std::vector<std::pair<std::string, std::string>> entries) {
    auto fresh = std::make_shared<DoubleArrayTrie>();
    for (const auto& e : entries) fresh->insert(e.first, e.second);
    fresh->build();
    trie = fresh;
}

void DictionaryFeature::load(std::ifstream& in) {
    auto fresh = std::make_shared<DoubleArrayTrie>();
    fresh->load(in);
    trie = fresh;
}

void DictionaryFeature::save(std::ofstream& out) const { trie->save(out); }

bool DictionaryFeature::matchAt(const std::string& text, int offset, bool skipSpaces, bool ignoreLeadingMark,
                                std::vector<std::pair<std::string, std::string>>& scratch,
                                std::pair<std::string, std::string>& entry, int& length) const {
    scratch.clear();
    int matchLength = 0;
    if (!trie->search(text, offset, scratch, matchLength, skipSpaces, ignoreLeadingMark) || matchLength <= 0)
        return false;
    const std::pair<std::string, std::string>* best = &scratch.front();
    for (const auto& candidate : scratch)
        if (candidate.first.size() > best->first.size()) best = &candidate;
    entry = *best;
    length = matchLength;
    return true;
}

int DictionaryFeature::findFirstMatch(const std::string& text, std::string& key, std::string& matched,
                                      std::string& value, bool skipSpaces, bool ignoreLeadingMark) const {
    std::vector<std::pair<std::string, std::string>> scratch;
    std::pair<std::string, std::string> entry;
    int length = 0;
    const int n = static_cast<int>(text.size());
    for (int p = 0; p < n; ++p) {
        if (matchAt(text, p, skipSpaces, ignoreLeadingMark, scratch, entry, length)) {
            key = entry.first;
            value = entry.second;
            matched = text.substr(p, length);
            return p;
        }
    }
    return -1;
}

int DictionaryFeature::findLastMatch(const std::string& text, std::string& key, std::string& matched,
                                     std::string& value, bool skipSpaces, bool ignoreLeadingMark) const {
    std::vector<std::pair<std::string, std::string>> scratch;
    std::pair<std::string, std::string> entry;
    int length = 0, last = -1;
    const int n = static_cast<int>(text.size());
    for (int p = 0; p < n;) {
        if (matchAt(text, p, skipSpaces, ignoreLeadingMark, scratch, entry, length)) {
            key = entry.first;
            value = entry.second;
            matched = text.substr(p, length);
            last = p;
            p += length;
        } else {
            ++p;
        }
    }
    return last;
}

void DictionaryFeature::getFeature(const std::string& text, std::vector<std::string>& features, bool valuesOnly,
                                   bool skipSpaces) const {
    std::vector<std::pair<std::string, std::string>> scratch;
    std::pair<std::string, std::string> entry;
    int length = 0;
    const int n = static_cast<int>(text.size());
    for (int p = 0; p < n;) {
        if (matchAt(text, p, skipSpaces, false, scratch, entry, length)) {
            if (!valuesOnly) features.push_back(entry.first);
            features.push_back(entry.second);
            p += length;
        } else {
            ++p;
        }
    }
}

int DictionaryFeature::findAllMatch(const std::string& text, std::vector<std::pair<int, int>>& spans,
                                    std::vector<std::pair<std::string, std::string>>& matches, bool skipSpaces,
                                    bool ignoreLeadingMark) const {
    std::vector<std::pair<std::string, std::string>> scratch;
    std::pair<std::string, std::string> entry;
    int length = 0;
    const int n = static_cast<int>(text.size());
    for (int p = 0; p < n;) {
        if (matchAt(text, p, skipSpaces, ignoreLeadingMark, scratch, entry, length)) {
            matches.push_back(entry);
            spans.emplace_back(p, p + length);
            p += length;
        } else {
            ++p;
        }
    }
    return static_cast<int>(matches.size());
}

}  // namespace Varnex
