#include "Varnex/ByteTrie.h"

namespace Varnex {

ByteTrie::ByteTrie() : root(new ByteTrieNode()) {}

ByteTrie::~ByteTrie() { detail::pointerTeardown(root); }

void ByteTrie::insert(const std::string& rawKey, const std::string& value) {
    detail::pointerInsert(*root, rawKey, value);
}

bool ByteTrie::search(const std::string& text, std::string& rawKey, std::string& value, std::string& normalisedKey,
                      int& skippedSpaces, bool skipSpaces) const {
    return detail::pointerSearch(*root, text, rawKey, value, normalisedKey, skippedSpaces, skipSpaces);
}

bool ByteTrie::search(const std::string& text, int start, std::vector<std::pair<std::string, std::string>>& results,
                      int& matchLength, bool skipSpaces, bool ignoreLeadingMark) const {
    return detail::pointerSearch(*root, text, start, results, matchLength, skipSpaces, ignoreLeadingMark);
}

}  // namespace Varnex
