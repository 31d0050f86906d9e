#include <algorithm>
#include "Varnex/Utilities/StringUtil.h"

#include <cstdint>
#include <set>

namespace Varnex {
namespace Utilities {

namespace {
const std::string kSymbols = "~!@#$%^&*()_+|`-=\\[];'./,{}:<>?";

std::set<unsigned int> hashSet(const std::vector<std::string>& words) {
    std::set<unsigned int> out;
    for (const auto& w : words) out.insert(StringUtil::murmur3_32(w, 0));
    return out;
}
}  // namespace

std::string StringUtil::headChars(const std::string& s, size_t maxChars, bool& truncated) {
    size_t pos = 0;
    for (size_t n = 0; n < maxChars && pos < s.size(); ++n) {
        // A stray byte counts as one character.
        const int length = charLength(static_cast<unsigned char>(s[pos]));
        pos += length > 0 ? static_cast<size_t>(length) : 1;
    }
    pos = std::min(pos, s.size());
    truncated = pos < s.size();
    return s.substr(0, pos);
}

void StringUtil::removeUtf8Bom(std::string& s) {
    if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF &&
        static_cast<unsigned char>(s[1]) == 0xBB && static_cast<unsigned char>(s[2]) == 0xBF)
        s.erase(0, 3);
}

bool StringUtil::isspace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool StringUtil::isspace(const std::string& s) { return s == " " || s == "\t" || s == "\r" || s == "\n"; }

bool StringUtil::issymbol(const std::string& s) { return kSymbols.find(s) != std::string::npos; }

std::string StringUtil::ltrim(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && isspace(s[i])) ++i;
    return s.substr(i);
}

std::string StringUtil::rtrim(const std::string& s) {
    size_t n = s.size();
    while (n > 0 && isspace(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string StringUtil::trim(const std::string& s) {
    std::string r = rtrim(s);
    return ltrim(r);
}

int StringUtil::replace(std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return 0;
    int count = 0;
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t hit = s.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(s, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    if (count > 0) {
        out.append(s, pos, std::string::npos);
        s.swap(out);
    }
    return count;
}

unsigned int StringUtil::murmur3_32(const char* data, unsigned int len, unsigned int seed) {
    const unsigned char* key = reinterpret_cast<const unsigned char*>(data);
    uint32_t h = seed;
    const uint32_t c1 = 0xcc9e2d51, c2 = 0x1b873593;
    unsigned int blocks = len / 4;
    for (unsigned int i = 0; i < blocks; ++i) {
        uint32_t k = static_cast<uint32_t>(key[4 * i]) | static_cast<uint32_t>(key[4 * i + 1]) << 8 |
                     static_cast<uint32_t>(key[4 * i + 2]) << 16 | static_cast<uint32_t>(key[4 * i + 3]) << 24;
        k *= c1;
        k = (k << 15) | (k >> 17);
        k *= c2;
        h ^= k;
        h = (h << 13) | (h >> 19);
        h = h * 5 + 0xe6546b64;
    }
    const unsigned char* tail = key + blocks * 4;
    uint32_t k = 0;
    switch (len & 3) {
        case 3: k ^= static_cast<uint32_t>(tail[2]) << 16; [[fallthrough]];
        case 2: k ^= static_cast<uint32_t>(tail[1]) << 8; [[fallthrough]];
        case 1:
            k ^= tail[0];
            k *= c1;
            k = (k << 15) | (k >> 17);
            k *= c2;
            h ^= k;
    }
    h ^= len;
    h ^= h >> 16;
    h *= 0x85ebca6b;
    h ^= h >> 13;
    h *= 0xc2b2ae35;
    h ^= h >> 16;
    return h;
}

unsigned int StringUtil::murmur3_32(const std::string& s, unsigned int seed) {
    return murmur3_32(s.data(), static_cast<unsigned int>(s.size()), seed);
}

int StringUtil::getLength(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        if (charLength(c) > 0) ++n;
    return n;
}

int StringUtil::getPreviousChar(const std::string& s, int pos, std::string& ch) {
    const int size = static_cast<int>(s.size());
    ch.clear();
    if (pos >= size) return size;
    if (pos < 0) return 0;
    int i = pos;
    while (i >= 0 && charLength(static_cast<unsigned char>(s[i])) == 0) --i;
    if (i < 0) return 0;
    ch = s.substr(i, charLength(static_cast<unsigned char>(s[i])));
    return i;
}

int StringUtil::getNextChar(const std::string& s, int pos, std::string& ch) {
    const int size = static_cast<int>(s.size());
    ch.clear();
    int i = pos < 0 ? 0 : pos;
    while (i < size && charLength(static_cast<unsigned char>(s[i])) == 0) ++i;
    if (i >= size) return size;
    ch = s.substr(i, charLength(static_cast<unsigned char>(s[i])));
    return i;
}

bool StringUtil::getPreviousToken(const std::string& s, int& pos, std::string& token, int limit) {
    if (limit < 0) limit = 0;
    if (pos > static_cast<int>(s.size())) pos = static_cast<int>(s.size());
    if (pos <= 0 || pos <= limit) return false;
    std::string acc;
    bool seenText = false;
    while (true) {
        std::string ch;
        int start = getPreviousChar(s, pos - 1, ch);
        if (ch.empty()) {
            // Only stray continuation bytes are left before pos.
            pos = 0;
            break;
        }
        pos = start;
        bool space = isspace(ch);
        bool symbol = !space && ch.size() == 1 && issymbol(ch);
        if (!space) seenText = true;
        if (!symbol) acc.insert(0, ch);
        if (pos <= limit) break;
        if (seenText && (space || symbol)) break;
    }
    // White space met before the word (right before `pos`) is skipped, so it
    // is trimmed from both ends, not only the front.
    token = trim(acc);
    return true;
}

std::string StringUtil::toLower(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool StringUtil::startWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0 && s.size() >= prefix.size();
}

void StringUtil::split(const std::string& s, char delim, std::vector<std::string>& out) {
    if (s.empty()) return;
    size_t start = 0;
    while (start < s.size()) {
        size_t hit = s.find(delim, start);
        if (hit == std::string::npos) {
            out.push_back(s.substr(start));
            return;
        }
        out.push_back(s.substr(start, hit - start));
        start = hit + 1;
    }
}

void StringUtil::getCharactors(const std::string& s, std::vector<std::string>& out) {
    out.clear();
    // Counted first, so the vector is allocated once.
    size_t count = 0;
    forEachCharacterSpan(s, [&count](size_t, size_t) { ++count; });
    out.reserve(count);
    forEachCharacterSpan(s, [&](size_t at, size_t length) { out.emplace_back(s, at, length); });
}

bool StringUtil::isEmoji(const std::string& ch) { return isEmoji(ch.data(), ch.size()); }

bool StringUtil::isEmoji(const char* bytes, size_t size) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    if (size == 3 && (p[0] & 0xF0) == 0xE0) {
        const unsigned int c = ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        return (c >= 0x2600 && c <= 0x27BF) || (c >= 0x2B00 && c <= 0x2BFF) || c == 0xFE0E || c == 0xFE0F ||
               c == 0x200D || c == 0x20E3;
    }
    if (size == 4 && (p[0] & 0xF8) == 0xF0) {
        const unsigned int c = ((p[0] & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        return c >= 0x1F000 && c <= 0x1FAFF;
    }
    return false;
}

bool StringUtil::isConsonant(const std::string& s) {
    static const std::set<unsigned int> set = hashSet({"b", "c", "d", "f", "g", "h", "j", "k", "l", "m",
                                                       "n", "p", "q", "r", "s", "t", "v", "w", "x", "z",
                                                       "B", "C", "D", "F", "G", "H", "J", "K", "L", "M",
                                                       "N", "P", "Q", "R", "S", "T", "V", "W", "X", "Z"});
    return set.count(murmur3_32(s, 0)) > 0;
}

bool StringUtil::isVowel(const std::string& s) {
    static const std::set<unsigned int> set = hashSet({"a", "o", "u", "i", "e", "y", "A", "O", "U", "I", "E", "Y"});
    return set.count(murmur3_32(s, 0)) > 0;
}

bool StringUtil::isNegation(const std::string& s) {
    static const std::set<unsigned int> set = hashSet({"not", "Not", "NOT", "no", "No", "NO"});
    return set.count(murmur3_32(s, 0)) > 0;
}

bool StringUtil::splitSyllable(const std::string& s, std::vector<std::string>& out) {
    out.clear();
    std::vector<std::string> chars;
    getCharactors(s, chars);
    if (chars.empty()) return false;
    std::string syllable, pending;
    bool boundary = true;
    for (const auto& c : chars) {
        if (c == " ") {
            if (!syllable.empty()) {
                out.push_back(syllable);
                syllable.clear();
            }
            boundary = true;
        } else if (isVowel(c)) {
            if (!syllable.empty() && !boundary) {
                out.push_back(syllable);
                syllable.clear();
            }
            syllable += pending;
            syllable += c;
            pending.clear();
            boundary = false;
        } else if (isConsonant(c)) {
            syllable += pending;
            pending = c;
        } else {
            syllable += pending;
            pending.clear();
            if (!syllable.empty()) {
                out.push_back(syllable);
                syllable.clear();
                boundary = false;
            }
            out.push_back(c);
        }
    }
    if (!syllable.empty()) out.push_back(syllable);
    return true;
}

}  // namespace Utilities
}  // namespace Varnex
