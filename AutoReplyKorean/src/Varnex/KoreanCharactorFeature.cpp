#include "KoreanCharactorFeature.h"

#include <vector>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/SVMFeatureVector.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
bool isSeparator(const std::string& c) {
    static const std::set<std::string> separators = {".", "^", "~", "!", "?", "ㅋ", "ㅎ"};
    return separators.count(c) > 0;
}

bool isWordChar(const std::string& c) { return !c.empty() && c != " "; }
}  // namespace

void KoreanCharactorFeature::getFeature(const std::string& text, std::set<std::string>& features,
                                        bool symbolsSeparate) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(text, chars);
    std::string prev2, prev;
    for (const auto& c : chars) {
        const std::string cur = symbolsSeparate && isSeparator(c) ? " " : c;
        if (cur != " ") {
            if (!isWordChar(prev)) {
                features.insert("BEGIN_" + cur);
            } else {
                features.insert(prev + cur);
                if (isWordChar(prev2)) features.insert(prev2 + prev + cur);
            }
        } else if (isWordChar(prev)) {
            features.insert("LAST_" + prev);
            if (!isWordChar(prev2)) features.insert("SINGLE_" + prev);
        }
        prev2 = prev;
        prev = cur;
    }
    if (isWordChar(prev)) {
        features.insert("LAST_" + prev);
        if (!isWordChar(prev2)) features.insert("SINGLE_" + prev);
    }
}

void KoreanCharactorFeature::insertPhrasesAndCharacters(const DictionaryFeature* dictionary, const std::string& text,
                                                        SVMFeatureVector& features) {
    if (dictionary != nullptr) {
        std::vector<std::string> phrases;
        dictionary->getFeature(text, phrases, false, true);
        for (const auto& p : phrases) features.insert(p);
    }
    std::set<std::string> chars;
    getFeature(text, chars, false);
    for (const auto& c : chars) features.insert(c);
}

}  // namespace Varnex
