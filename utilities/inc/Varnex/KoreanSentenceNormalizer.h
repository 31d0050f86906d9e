// First annotator of the Korean chain: writes the message's normalized text.
//
// A dictionary pass replaces colloquial spellings with standard forms
// (longest phrase first, spaces inside a phrase tolerated; a value ending in
// "/" asks for a word break after it), then a rule pass collapses a
// character followed by a run of follower characters ("ㅋㅋㅋㅋ" -> "ㅋㅋ").
// Malformed resource lines are skipped with a warning; a missing file leaves
// its pass empty. Read-only after construction.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "Varnex/GenericAnnotators.h"

namespace Varnex {

class DoubleArrayTrie;

class KoreanSentenceNormalizer : public SentenceNormalizer {
public:
    // Dictionary lines: standard form TAB colloquial form. Rule lines: key
    // character TAB follower characters TAB replacement. With
    // `binaryDictionary` the dictionary is a prebuilt trie image.
    KoreanSentenceNormalizer(const std::string& dictionaryPath, const std::string& rulePath, bool decrypt,
                             bool binaryDictionary);
    ~KoreanSentenceNormalizer() override;

    void load(const std::string& dictionaryPath, const std::string& rulePath, bool decrypt, bool binaryDictionary);
    bool process(Annotation& annotation) const override;
    void normalizeByDictionary(std::string& s) const;
    void normalizeByRule(std::string& s) const;

private:
    std::shared_ptr<DoubleArrayTrie> dictionary;
    std::map<std::string, std::pair<std::set<std::string>, std::string>> rules;
};

}  // namespace Varnex
