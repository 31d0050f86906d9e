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
    size_t size = 16;
    while (size < 2 * entries.size()) size *= 2;  // at most half full
    std::vector<std::pair<int, int>> table(size, {0, -1});
    const size_t mask = size - 1;
    for (const auto& [h, index] : entries) {
        size_t i = static_cast<std::uint32_t>(h) & mask;
        while (table[i].second != -1) i = (i + 1) & mask;
        table[i] = {h, index};
    }
    lookup.swap(table);
    frozenCount = static_cast<int>(entries.size());
    std::unordered_map<int, int>().swap(entries);
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
    std::unordered_map<int, int> read(kInitialBuckets);
    int readOffset = offset;
    std::string raw;
    int lineNo = 0;
    while (TextParsing::readLine(in, raw)) {
        ++lineNo;
        std::string line = TextParsing::trimmed(raw);
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
        read[h] = index;
        if (maxEntries >= 0 && static_cast<long long>(read.size()) > maxEntries) {
            varnex_print_log(LOG_ERROR, kTag, "Feature index [%s] holds more than %lld entries", name.c_str(),
                             maxEntries);
            return false;
        }
    }
    if (lineNo == 0) varnex_print_log(LOG_ERROR, kTag, "Fread error [%s][%d]", name.c_str(), 0);
    if (std::ferror(in)) {
        varnex_print_log(LOG_ERROR, kTag, "Read error in feature index [%s]", name.c_str());
        return false;
    }
    lookup.clear();
    entries.swap(read);
    offset = readOffset;
    frozen = true;
    buildLookup();
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
