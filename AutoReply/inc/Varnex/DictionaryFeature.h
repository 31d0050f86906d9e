// A phrase dictionary used as a feature source by the Korean detectors and
// feature extractors: one DoubleArrayTrie and four scans of a message.
//
// Text dictionary files hold lines "value TAB raw key" (exactly two fields; a
// trailing tab does not count as a field; other lines are ignored) and may
// be scrambled (".enc"). Binary files are the DoubleArrayTrie format.
//
// All scans search at byte offsets (not characters) and, where a search
// succeeds at offset p, take the entry with the longest raw key in bytes
// (marks included; the first in raw-key order among equals) over the
// L bytes the search reports. A missing or damaged dictionary finds nothing.
//
// After loading a DictionaryFeature is only read and may be scanned from
// several threads; loading replaces the trie and must not overlap scans.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Varnex {

class DoubleArrayTrie;

class DictionaryFeature {
public:
    // An empty dictionary that finds nothing.
    DictionaryFeature();
    DictionaryFeature(const std::string& path, bool binary);
    DictionaryFeature(std::vector<std::pair<std::string, std::string>> entries);
    virtual ~DictionaryFeature();

    // Replaces the trie: a binary file, or the two-field lines of a text file
    // (scrambled when the name ends in ".enc"). A text file with a compiled
    // form beside it (compiledPath) that was made from exactly its present
    // bytes is read from that form, which is much faster than building.
    void loadDictionary(const std::string& path, bool binary);

    // Where the compiled form of the text dictionary `textPath` lives.
    static std::string compiledPath(const std::string& textPath);
    // Writes the compiled form of `textPath` to `target`: the size and hash
    // of the text file's bytes, then the trie. Lines the text reader refuses
    // are reported here, as they would be at load. False on failure, with
    // no target file left behind.
    static bool compile(const std::string& textPath, const std::string& target);
    // Replaces the trie with the given (raw key, value) pairs.
    void loadDictionary(std::vector<std::pair<std::string, std::string>> entries);
    // Replaces the trie with one read from a binary stream (a damaged one
    // finds nothing and leaves the stream failed).
    void load(std::ifstream& in);
    // Writes the trie in the binary format.
    void save(std::ofstream& out) const;

    // First offset with a match, or -1 (outputs unchanged). `matched` is the
    // text covered by the match. -1 for an empty text.
    int findFirstMatch(const std::string& text, std::string& key, std::string& matched, std::string& value,
                       bool skipSpaces, bool ignoreLeadingMark) const;
    // Scans left to right without overlaps (continuing after each match) and
    // returns the offset of the last match, or -1; outputs hold that match.
    int findLastMatch(const std::string& text, std::string& key, std::string& matched, std::string& value,
                      bool skipSpaces, bool ignoreLeadingMark) const;
    // The same scan, always testing leading marks; appends key and value of
    // every match (only the value when `valuesOnly`). `features` is not
    // cleared.
    //
    // Each thread remembers its last few scans and first/last matches (per
    // dictionary contents, text and options): the detectors of one message
    // ask the same dictionary about the same text many times (the verb
    // table alone is asked by the question classifier, the question-type
    // and the either-or detectors, for each speech level), and pay once.
    void getFeature(const std::string& text, std::vector<std::string>& features, bool valuesOnly,
                    bool skipSpaces) const;
    // The same scan; appends (raw key, value) to `matches` and the byte span
    // [start, end) to `spans` for every match. Neither is cleared; returns the
    // size of `matches`.
    int findAllMatch(const std::string& text, std::vector<std::pair<int, int>>& spans,
                     std::vector<std::pair<std::string, std::string>>& matches, bool skipSpaces,
                     bool ignoreLeadingMark) const;

private:
    // Scans left to right without overlaps, continuing after each match;
    // `onMatch(offset, length, entry)` returns false to stop.
    void forEachMatch(const std::string& text, bool skipSpaces, bool ignoreLeadingMark,
                      const std::function<bool(int, int, const std::pair<std::string, std::string>&)>& onMatch) const;
    // findFirstMatch and findLastMatch themselves.
    int findMatch(bool last, const std::string& text, std::string& key, std::string& matched, std::string& value,
                  bool skipSpaces, bool ignoreLeadingMark) const;
    // getFeature's scan itself.
    void scan(const std::string& text, std::vector<std::string>& features, bool valuesOnly, bool skipSpaces) const;
    // The entry chosen at `offset`, or false. `length` receives the bytes covered.
    bool matchAt(const std::string& text, int offset, bool skipSpaces, bool ignoreLeadingMark,
                 std::vector<std::pair<std::string, std::string>>& scratch, std::pair<std::string, std::string>& entry,
                 int& length) const;

    // Sets the trie and gives this dictionary's contents a new generation.
    void install(std::shared_ptr<DoubleArrayTrie> fresh);

    std::shared_ptr<DoubleArrayTrie> trie;
    // Tells apart every trie any dictionary ever held: the scan memo of
    // getFeature is keyed by it.
    std::uint64_t generation = 0;
};

}  // namespace Varnex
