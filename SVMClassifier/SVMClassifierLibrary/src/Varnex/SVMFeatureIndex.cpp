#include "Varnex/SVMFeatureIndex.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "Varnex/Log.h"
#include "Varnex/ModelTextParsing.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

namespace {
const char* const kTag = "SVMClassifier/SVMClassifierLibrary/src/Varnex/SVMFeatureIndex";
constexpr size_t kInitialBuckets = 101;

// "hash:index" with both numbers filling their side of the colon.
bool parseEntry(const std::string& line, int& hash, int& index) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    const char* p = line.data();
    return TextParsing::parseInt(p, p + colon, hash) && TextParsing::parseInt(p + colon + 1, p + line.size(), index);
}
}  // namespace

SVMFeatureIndex::SVMFeatureIndex(int offset) : entries(kInitialBuckets), offset(offset) {}

SVMFeatureIndex::SVMFeatureIndex(const std::string& path) : entries(kInitialBuckets), offset(1) { readFromFile(path); }

SVMFeatureIndex::SVMFeatureIndex(const std::unordered_map<int, int>& e, int offset)
    : entries(e), offset(offset), frozen(true) {
    buildLookup();
}

void SVMFeatureIndex::freeze() {
    frozen = true;
    if (lookup.empty())
        buildLookup();
    else
        std::unordered_map<int, int>().swap(entries);  // a copy getEntries made
}

void SVMFeatureIndex::buildLookup() {
    if (entries.empty() && !lookup.empty()) getEntries();  // frozen again: the table holds them
    const std::vector<std::pair<int, int>> pairs(entries.begin(), entries.end());
    frozenCount = static_cast<int>(fillLookup(pairs));
    std::unordered_map<int, int>().swap(entries);
}

size_t SVMFeatureIndex::fillLookup(const std::vector<std::pair<int, int>>& pairs) {
    size_t size = 16;
    while (size < 2 * pairs.size()) size *= 2;  // at most half full
    std::vector<std::pair<int, int>> table(size, {0, -1});
    const size_t mask = size - 1;
    size_t distinct = 0;
    for (const auto& [h, index] : pairs) {
        size_t i = static_cast<std::uint32_t>(h) & mask;
        while (table[i].second != -1 && table[i].first != h) i = (i + 1) & mask;
        if (table[i].second == -1) ++distinct;
        table[i] = {h, index};
    }
    lookup.swap(table);
    return distinct;
}

const std::unordered_map<int, int>& SVMFeatureIndex::getEntries() const {
    if (!lookup.empty()) {
        entries.clear();
        for (const auto& [h, index] : lookup)
            if (index != -1) entries.emplace(h, index);
    }
    return entries;
}

int SVMFeatureIndex::hash(const std::string& name) {
    return static_cast<int>(Utilities::StringUtil::murmur3_32(name, 0));
}

int SVMFeatureIndex::getIndex(int h) const {
    if (!lookup.empty()) {
        const size_t mask = lookup.size() - 1;
        for (size_t i = static_cast<std::uint32_t>(h) & mask;; i = (i + 1) & mask) {
            if (lookup[i].second == -1) return -1;
            if (lookup[i].first == h) return lookup[i].second;
        }
    }
    auto it = entries.find(h);
    return it == entries.end() ? -1 : it->second;
}

int SVMFeatureIndex::getIndex(const std::string& name) const { return getIndex(hash(name)); }

int SVMFeatureIndex::insert(const std::string& name) {
    int h = hash(name);
    if (frozen) return getIndex(h);
    auto it = entries.find(h);
    if (it != entries.end()) return it->second;
    int index = offset + static_cast<int>(entries.size());
    entries.emplace(h, index);
    return index;
}

bool SVMFeatureIndex::readFromFile(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        varnex_print_log(LOG_ERROR, kTag, "Can't open SVM feature index file for read [%s]", path.c_str());
        return false;
    }
    bool ok = readFromStream(in, path);
    std::fclose(in);
    return ok;
}

bool SVMFeatureIndex::readFromStream(std::FILE* in, const std::string& name, long long maxEntries) {
    // The rest of the stream in one piece, split into lines in memory: the
    // shipped models' indexes hold tens of thousands of lines, read at
    // every start.
    std::string text;
    char chunk[1 << 16];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, got);
    if (std::ferror(in)) {
        varnex_print_log(LOG_ERROR, kTag, "Read error in feature index [%s]", name.c_str());
        return false;
    }
    std::vector<std::pair<int, int>> read;
    int readOffset = offset;
    int lineNo = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = TextParsing::trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNo;
        if (lineNo == 1) {
            int v;
            if (TextParsing::parseInt(line, v)) {
                readOffset = v;
                continue;
            }
            // No offset line: keep the current offset and take the line as
            // an ordinary entry line.
            varnex_print_log(LOG_ERROR, kTag, "Fread error [%s][%d]", name.c_str(), 0);
        }
        if (line.empty()) continue;
        int h, index;
        // Indexes count from the offset, never below zero (-1 marks a free
        // slot of the lookup table).
        if (!parseEntry(line, h, index) || index < 0) {
            varnex_print_log(LOG_ERROR, kTag, "Malformed feature index line %d in [%s]: [%s]", lineNo, name.c_str(),
                             TextParsing::excerpt(line).c_str());
            return false;
        }
        read.emplace_back(h, index);
    }
    if (lineNo == 0) varnex_print_log(LOG_ERROR, kTag, "Fread error [%s][%d]", name.c_str(), 0);
    // A repeated hash keeps its last index; the limit counts distinct hashes.
    std::vector<std::pair<int, int>> previous;
    previous.swap(lookup);
    const size_t distinct = fillLookup(read);
    if (maxEntries >= 0 && static_cast<long long>(distinct) > maxEntries) {
        lookup.swap(previous);
        varnex_print_log(LOG_ERROR, kTag, "Feature index [%s] holds more than %lld entries", name.c_str(), maxEntries);
        return false;
    }
    std::unordered_map<int, int>().swap(entries);
    offset = readOffset;
    frozen = true;
    frozenCount = static_cast<int>(distinct);
    varnex_print_log(LOG_DEBUG, kTag, "Read %d feature indexes", getFeatureNumber());
    return true;
}

std::string SVMFeatureIndex::toText() const {
    std::vector<std::pair<int, int>> sorted;
    const auto& all = getEntries();
    sorted.reserve(all.size());
    for (const auto& e : all) sorted.emplace_back(e.second, e.first);
    std::sort(sorted.begin(), sorted.end());
    std::string out;
    out.reserve(16 + sorted.size() * 20);
    TextParsing::appendInt(out, offset);
    out += '\n';
    for (const auto& e : sorted) {
        TextParsing::appendInt(out, e.second);
        out += ':';
        TextParsing::appendInt(out, e.first);
        out += '\n';
    }
    return out;
}

bool SVMFeatureIndex::writeToStream(std::FILE* out, const std::string& name) const {
    std::string text = toText();
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
        varnex_print_log(LOG_ERROR, kTag, "Can't write SVM feature index file [%s]: %s", name.c_str(),
                         std::strerror(errno));
        return false;
    }
    return true;
}

bool SVMFeatureIndex::writeToFile(const std::string& path) const {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        varnex_print_log(LOG_ERROR, kTag, "Can't open SVM feature index file for write [%s]", path.c_str());
        return false;
    }
    bool ok = writeToStream(out, path);
    if (std::fclose(out) != 0 && ok) {
        varnex_print_log(LOG_ERROR, kTag, "Can't close SVM feature index file [%s]: %s", path.c_str(),
                         std::strerror(errno));
        ok = false;
    }
    return ok;
}

}  // namespace Varnex
