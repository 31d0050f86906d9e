// A second pointer-based trie with exactly the behaviour of Trie (see
// Trie.h): same key marks, same longest match with space skipping, one entry
// per normalised key. Its children are ordered by unsigned byte value, the
// order of the double-array dictionary.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Varnex/Trie.h"

namespace Varnex {

class ByteTrie {
public:
    struct ByteTrieNode {
        std::map<unsigned char, std::unique_ptr<ByteTrieNode>> children;
        std::shared_ptr<std::pair<std::string, std::string>> entry;  // (raw key, value)
        std::string normalisedKey;
    };

    ByteTrie();
    ~ByteTrie();
    ByteTrie(const ByteTrie&) = delete;
    ByteTrie& operator=(const ByteTrie&) = delete;

    void insert(const std::string& rawKey, const std::string& value);
    bool search(const std::string& text, std::string& rawKey, std::string& value, std::string& normalisedKey,
                int& skippedSpaces, bool skipSpaces) const;
    bool search(const std::string& text, int start, std::vector<std::pair<std::string, std::string>>& results,
                int& matchLength, bool skipSpaces, bool ignoreLeadingMark) const;

private:
    std::unique_ptr<ByteTrieNode> root;
};

}  // namespace Varnex
