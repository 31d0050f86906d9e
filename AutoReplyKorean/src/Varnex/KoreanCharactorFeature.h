// Character n-gram features of the words of a text, shared by the Korean
// feature extractors (speech level, question, reply type).
#pragma once

#include <set>
#include <string>

namespace Varnex {

class KoreanCharactorFeature {
public:
    // Adds "BEGIN_x", "xy", "xyz", "LAST_x" and "SINGLE_x" features; with
    // `symbolsSeparate` the characters . ^ ~ ! ? ㅋ ㅎ separate words too.
    static void getFeature(const std::string& text, std::set<std::string>& features, bool symbolsSeparate);
};

}  // namespace Varnex
