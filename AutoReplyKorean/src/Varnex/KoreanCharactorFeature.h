// Character n-gram features of the words of a text, shared by the Korean
// feature extractors (speech level, question, reply type).
#pragma once

#include <set>
#include <string>
#include <vector>

namespace Varnex {

class DictionaryFeature;
class SVMFeatureVector;

class KoreanCharactorFeature {
public:
    // Adds "BEGIN_x", "xy", "xyz", "LAST_x" and "SINGLE_x" features; with
    // `symbolsSeparate` the characters . ^ ~ ! ? ㅋ ㅎ separate words too.
    static void getFeature(const std::string& text, std::set<std::string>& features, bool symbolsSeparate);
    // The same features appended to `features`, repeats included.
    static void appendFeatures(const std::string& text, std::vector<std::string>& features, bool symbolsSeparate);
    // The feature index's hashes of the same features, repeats included.
    static void appendFeatureHashes(const std::string& text, std::vector<int>& hashes, bool symbolsSeparate);

    // The features of the question and reply-type models: every phrase of
    // `dictionary` found in `text` (key and value; none without a
    // dictionary), then the character features, each inserted once.
    static void insertPhrasesAndCharacters(const DictionaryFeature* dictionary, const std::string& text,
                                           SVMFeatureVector& features);
};

}  // namespace Varnex
