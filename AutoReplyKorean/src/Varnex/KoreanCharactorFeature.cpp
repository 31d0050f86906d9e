#include "KoreanCharactorFeature.h"

#include <algorithm>
#include <vector>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/SVMFeatureVector.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
bool isSeparator(const std::string& c) {
    if (c.size() == 1) return c[0] == '.' || c[0] == '^' || c[0] == '~' || c[0] == '!' || c[0] == '?';
    return c == "ㅋ" || c == "ㅎ";
}

bool isWordChar(const std::string& c) { return !c.empty() && c != " "; }
}  // namespace

void KoreanCharactorFeature::getFeature(const std::string& text, std::set<std::string>& features,
                                        bool symbolsSeparate) {
    std::vector<std::string> found;
    appendFeatures(text, found, symbolsSeparate);
    features.insert(found.begin(), found.end());
}

void KoreanCharactorFeature::appendFeatures(const std::string& text, std::vector<std::string>& features,
                                            bool symbolsSeparate) {
    std::string prev2, prev, cur;
    StringUtil::forEachCharacter(text, [&](const std::string& c) {
        cur = symbolsSeparate && isSeparator(c) ? " " : c;
        if (cur != " ") {
            if (!isWordChar(prev)) {
                features.push_back("BEGIN_" + cur);
            } else {
                features.push_back(prev + cur);
                if (isWordChar(prev2)) features.push_back(prev2 + prev + cur);
            }
        } else if (isWordChar(prev)) {
            features.push_back("LAST_" + prev);
            if (!isWordChar(prev2)) features.push_back("SINGLE_" + prev);
        }
        prev2.swap(prev);
        prev.swap(cur);
    });
    if (isWordChar(prev)) {
        features.push_back("LAST_" + prev);
        if (!isWordChar(prev2)) features.push_back("SINGLE_" + prev);
    }
}

void KoreanCharactorFeature::insertPhrasesAndCharacters(const DictionaryFeature* dictionary, const std::string& text,
                                                        SVMFeatureVector& features) {
    if (dictionary != nullptr) {
        std::vector<std::string> phrases;
        dictionary->getFeature(text, phrases, false, true);
        for (const auto& p : phrases) features.insert(p);
    }
    // In sorted order, each once: a model being trained numbers its
    // features in the order they are first inserted.
    std::vector<std::string> chars;
    appendFeatures(text, chars, false);
    std::sort(chars.begin(), chars.end());
    chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
    for (const auto& c : chars) features.insert(c);
}

}  // namespace Varnex
