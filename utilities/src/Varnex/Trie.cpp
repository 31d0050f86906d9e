#include "Varnex/Trie.h"

#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

std::string TrieKeys::normalise(const std::string& rawKey) {
    std::string key;
    key.reserve(rawKey.size());
    for (char c : rawKey)
        if (c != '/' && c != '~') key.push_back(c);
    return key;
}

bool TrieKeys::accepts(const std::string& normalisedKey) {
    if (normalisedKey.empty()) return false;
    if (normalisedKey.size() > kMaxKeyBytes) {
        varnex_print_log(LOG_WARN, "utilities/src/Varnex/Trie", "Key of %zu bytes ignored (longer than %zu)\n",
                         normalisedKey.size(), kMaxKeyBytes);
        return false;
    }
    return true;
}

TrieKeys::MarkKind TrieKeys::kindOf(char c) {
    if (c == '/') return BOUNDARY_REQUIRED;
    if (c == '~') return BOUNDARY_FORBIDDEN;
    return NONE;
}

const std::set<std::string>& TrieKeys::boundaryCharacters() {
    static const std::set<std::string> characters = {
        "",   " ",  "\t", "\n", "?",  "~",  "!",  ",",  ".",  "ㅋ", "ㅎ",
        "ㅠ", "ㅜ", "ㅡ", "ㄷ", "ㄱ", "ㅇ", "ㄴ", "ㅈ", "ㅂ", "ㅗ", "ㅛ",
    };
    return characters;
}

// An emoji glued to a word ("축하드려요😊") ends the word as a space would.
bool TrieKeys::isBoundary(const std::string& ch) {
    return boundaryCharacters().count(ch) > 0 || Utilities::StringUtil::isEmoji(ch);
}

namespace {
bool sidePasses(TrieKeys::MarkKind kind, const std::string& neighbour) {
    switch (kind) {
        case TrieKeys::BOUNDARY_REQUIRED:
            return TrieKeys::isBoundary(neighbour);
        case TrieKeys::BOUNDARY_FORBIDDEN:
            return !TrieKeys::isBoundary(neighbour);
        default:
            return true;
    }
}
}  // namespace

bool TrieKeys::passes(const std::string& text, int start, int length, const std::string& rawKey,
                      bool ignoreLeadingMark) {
    if (rawKey.empty()) return false;
    return passes(text, start, length, rawKey.front(), rawKey.back(), ignoreLeadingMark);
}

bool TrieKeys::passes(const std::string& text, int start, int length, char firstByte, char lastByte,
                      bool ignoreLeadingMark) {
    const MarkKind leading = ignoreLeadingMark ? NONE : kindOf(firstByte);
    const MarkKind trailing = kindOf(lastByte);
    std::string before, after;
    if (leading != NONE && start > 0) StringUtil::getPreviousChar(text, start - 1, before);
    const int end = start + length;
    // A single byte left after the match counts as the edge of the text.
    if (trailing != NONE && end < static_cast<int>(text.size()) - 1) StringUtil::getNextChar(text, end, after);
    return sidePasses(leading, before) && sidePasses(trailing, after);
}

bool TrieKeys::storable(const std::string& rawKey, const std::string& value) {
    for (char c : rawKey)
        if (c == '\t' || c == '\n' || c == '\0' || c == '\xFF') return false;
    for (char c : value)
        if (c == '\n' || c == '\0' || c == '\xFF') return false;
    return true;
}

Trie::Trie() : root(new TrieNode()) {}

Trie::~Trie() { detail::pointerTeardown(root); }

void Trie::insert(const std::string& rawKey, const std::string& value) { detail::pointerInsert(*root, rawKey, value); }

bool Trie::search(const std::string& text, std::string& rawKey, std::string& value, std::string& normalisedKey,
                  int& skippedSpaces, bool skipSpaces) const {
    return detail::pointerSearch(*root, text, rawKey, value, normalisedKey, skippedSpaces, skipSpaces);
}

bool Trie::search(const std::string& text, int start, std::vector<std::pair<std::string, std::string>>& results,
                  int& matchLength, bool skipSpaces, bool ignoreLeadingMark) const {
    return detail::pointerSearch(*root, text, start, results, matchLength, skipSpaces, ignoreLeadingMark);
}

}  // namespace Varnex
