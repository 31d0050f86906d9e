// The phrase dictionary behind every phrase lookup of the engine: maps
// phrases to string values and finds, at a byte offset of a message, the
// longest phrase starting there that passes its boundary tests.
//
// Keys follow the rules of Trie.h: raw keys may carry the marks "/" (word
// boundary required) and "~" (boundary forbidden) as first and/or last byte;
// the trie is walked with the normalised key (every "/" and "~" removed).
// Several raw keys may share one normalised key; they form one group and
// each keeps its own value. Keys whose normalised form is empty or longer than
// TrieKeys::kMaxKeyBytes are ignored.
//
// Binary file (save/load), built from the primitives of BinaryIO.h:
//   1. a string: the value table, one line per raw key, group by group in
//      raw-key byte order: raw key, TAB, value, LF (the value may be empty
//      or contain tabs; on loading it is the rest of the line)
//   2. an integer: the byte size of the double array (units x unit size)
//   3. the double-array units, in memory layout, not scrambled
// The loader distrusts the file: any fault (unreadable or truncated fields,
// a table line without a tab, an array size that is not a whole number of
// units or larger than the rest of the file, units that would make a lookup
// leave the array) logs "LoadError" at level 3, sets the stream's failbit
// and leaves a trie that finds nothing; a trie is only installed after the
// whole file was read and checked.
//
// A built or loaded trie is only read by search and may be shared between
// threads; insert, build and load must not overlap with searches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Varnex {

class DoubleArrayTrie {
public:
    DoubleArrayTrie();
    ~DoubleArrayTrie();
    DoubleArrayTrie(const DoubleArrayTrie&) = delete;
    DoubleArrayTrie& operator=(const DoubleArrayTrie&) = delete;

    // Stages entries[normalised key][rawKey] = value (a repeated raw key
    // keeps the last value). Ignores keys whose normalised form is empty.
    void insert(const std::string& rawKey, const std::string& value);
    // Replaces the searchable trie with the staged entries and empties the
    // staging area. False (with an error log and an empty trie) when the
    // double array cannot be built.
    bool build();

    // Write the binary form. False (with an error log, nothing written) when
    // an entry holds bytes the line format cannot carry (see
    // TrieKeys::storable) or the stream fails.
    bool save(std::ostream& out) const;
    bool save(const std::string& path) const;
    // Read the binary form; see the file comment for the defences.
    bool load(std::istream& in);
    bool load(const std::string& path);

    // Builds a binary dictionary from a plain text source of lines
    // "value TAB raw key" (further fields ignored, empty lines skipped). A
    // non-empty line without a tab is reported with its number and fails the
    // build: nothing is written then.
    static bool buildDic(const std::string& sourcePath, const std::string& targetPath);

    // Longest match at byte offset `start` of `text` (see Trie.h for the
    // walk and the space skipping). Appends every (raw key, value) of the
    // matched group whose boundary tests pass, in raw-key byte order, and
    // sets `matchLength` to the number of text bytes covered (always at
    // least 1). `results` is not cleared; returns !results.empty().
    bool search(const std::string& text, int start, std::vector<std::pair<std::string, std::string>>& results,
                int& matchLength, bool skipSpaces, bool ignoreLeadingMark) const;

    // The first offset at or after `from` where search could find a match,
    // or text.size(): offsets inside a character, or at a character no key
    // begins with, are passed over. Scanners step with this instead of
    // calling search at every byte.
    int nextCandidate(const std::string& text, int from) const;

    // The characters of one text, read once for the scans of many
    // dictionaries: every offset that is no continuation byte, with its
    // character and the next one past spaces, packed.
    struct TextCharacters {
        struct At {
            int offset;
            std::uint32_t first;  // 0 when the character is broken or cut
            std::uint32_t next;   // 0 when there is none, or it is broken
            bool firstBroken;
            bool nextMissing;
            bool nextBroken;
        };
        explicit TextCharacters(const std::string& text);
        // The character at `offset` of `text` and the next one past spaces.
        static At read(const std::string& text, size_t offset);
        std::string text;
        std::vector<At> starts;
    };
    // The same as nextCandidate(chars.text, from).
    int nextCandidate(const TextCharacters& chars, int from) const;

    // All searchable (raw key, value) pairs, group by group.
    void listEntries(std::vector<std::pair<std::string, std::string>>& out) const;
    // Number of searchable raw keys.
    size_t size() const;

private:
    struct Units;  // the double array and the memory it lives in

    void clearSearchable();
    // False when no match can start at `start` (a valid offset).
    bool mayStartAt(const std::string& text, int start) const;
    // False when no key can start with the character read (and the one
    // after it).
    bool mayStart(const TextCharacters::At& at) const;
    class TableBuilder;

    // Staging area filled by insert, emptied by build.
    std::map<std::string, std::map<std::string, std::string>> entries;
    // The built trie: normalised key -> group index. Empty: finds nothing.
    std::shared_ptr<Units> array;
    // Indexed by group index, through groupStart: all raw keys and values of
    // one normalised key, in raw-key order, each raw key once. Kept flat
    // (raw keys in one arena, each distinct value once): the big
    // dictionaries hold tens of thousands of keys with few distinct values,
    // and an object per entry would cost more than the entries themselves.
    struct Entry {
        std::uint32_t keyOffset;  // into keyArena
        std::uint32_t keyLength;
        std::uint32_t value;      // into values
    };
    struct Table {
        std::string keyArena;
        std::vector<std::string> values;
        std::vector<Entry> entries;
        std::vector<std::uint32_t> groupStart;  // one per group, then entries.size()
        bool keysStartMidCharacter = false;     // some key begins with a UTF-8 continuation byte
        // A hashed set of the characters keys begin with (marks skipped):
        // most offsets of a message hold a character no key begins with,
        // and are passed over without a walk. Off when some key begins with
        // less than a whole character.
        std::vector<std::uint64_t> firstCharacters;
        unsigned filterBits = 0;  // firstCharacters holds 2^filterBits bits
        bool firstCharacterFilter = true;
        // The same for a key's first two characters (spaces between them
        // skipped; 0 for a key of one character): a character keys do begin
        // with is passed over when no key goes on with the next one.
        std::vector<std::uint64_t> pairs;
        unsigned pairBits = 0;
        bool pairFilter = true;

        size_t groups() const { return groupStart.empty() ? 0 : groupStart.size() - 1; }
        std::string key(const Entry& e) const { return keyArena.substr(e.keyOffset, e.keyLength); }
    };
    Table table;
};

}  // namespace Varnex
