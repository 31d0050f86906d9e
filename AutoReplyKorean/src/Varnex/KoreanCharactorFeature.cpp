#include "KoreanCharactorFeature.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/SVMFeatureVector.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
// One character of the text as features name it: at most four bytes, a
// space standing for any separator. Empty before the text starts.
struct Character {
    char bytes[4] = {};
    unsigned char size = 0;

    bool isWord() const { return size > 0 && !(size == 1 && bytes[0] == ' '); }
    std::string_view view() const { return {bytes, size}; }
};

bool isSeparator(std::string_view c) {
    if (c.size() == 1) return c[0] == '.' || c[0] == '^' || c[0] == '~' || c[0] == '!' || c[0] == '?';
    return c == "ㅋ" || c == "ㅎ";
}

void push(std::vector<std::string>& features, std::string_view a, std::string_view b,
          std::string_view c = std::string_view()) {
    std::string& f = features.emplace_back();
    f.reserve(a.size() + b.size() + c.size());
    f.append(a).append(b).append(c);
}
}  // namespace

void KoreanCharactorFeature::getFeature(const std::string& text, std::set<std::string>& features,
                                        bool symbolsSeparate) {
    std::vector<std::string> found;
    appendFeatures(text, found, symbolsSeparate);
    features.insert(found.begin(), found.end());
}

void KoreanCharactorFeature::appendFeatures(const std::string& text, std::vector<std::string>& features,
                                            bool symbolsSeparate) {
    features.reserve(features.size() + text.size());
    Character prev2, prev, cur;
    auto closeWord = [&]() {
        if (!prev.isWord()) return;
        push(features, "LAST_", prev.view());
        if (!prev2.isWord()) push(features, "SINGLE_", prev.view());
    };
    for (size_t i = 0; i < text.size();) {
        const size_t length = static_cast<size_t>(StringUtil::charLength(static_cast<unsigned char>(text[i])));
        if (length == 0) {
            ++i;
            continue;
        }
        const std::string_view c(text.data() + i, std::min(length, text.size() - i));
        i += length;
        if (symbolsSeparate && isSeparator(c)) {
            cur.bytes[0] = ' ';
            cur.size = 1;
        } else {
            std::copy(c.begin(), c.end(), cur.bytes);
            cur.size = static_cast<unsigned char>(c.size());
        }
        if (cur.isWord()) {
            if (!prev.isWord()) {
                push(features, "BEGIN_", cur.view());
            } else {
                push(features, prev.view(), cur.view());
                if (prev2.isWord()) push(features, prev2.view(), prev.view(), cur.view());
            }
        } else {
            closeWord();
        }
        prev2 = prev;
        prev = cur;
    }
    closeWord();
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
