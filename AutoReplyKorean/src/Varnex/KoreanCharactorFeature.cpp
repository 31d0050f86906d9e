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

// Calls `emit(a, b, c)` for every character feature of `text`, repeats
// included: the feature is the three parts joined (`c` may be empty).
template <typename Emit>
void forEachFeature(const std::string& text, bool symbolsSeparate, Emit&& emit) {
    Character prev2, prev, cur;
    auto closeWord = [&]() {
        if (!prev.isWord()) return;
        emit("LAST_", prev.view(), std::string_view());
        if (!prev2.isWord()) emit("SINGLE_", prev.view(), std::string_view());
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
                emit("BEGIN_", cur.view(), std::string_view());
            } else {
                emit(prev.view(), cur.view(), std::string_view());
                if (prev2.isWord()) emit(prev2.view(), prev.view(), cur.view());
            }
        } else {
            closeWord();
        }
        prev2 = prev;
        prev = cur;
    }
    closeWord();
}

// The feature index's hash of the joined parts, without building a string:
// a feature is at most 7 + 4 or 3 * 4 bytes.
int hashOf(std::string_view a, std::string_view b, std::string_view c) {
    char joined[16];
    size_t n = 0;
    for (std::string_view part : {a, b, c}) {
        std::copy(part.begin(), part.end(), joined + n);
        n += part.size();
    }
    return static_cast<int>(StringUtil::murmur3_32(joined, static_cast<unsigned int>(n), 0));
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
    forEachFeature(text, symbolsSeparate, [&](std::string_view x, std::string_view y, std::string_view z) {
        std::string& f = features.emplace_back();
        f.reserve(x.size() + y.size() + z.size());
        f.append(x).append(y).append(z);
    });
}

void KoreanCharactorFeature::appendFeatureHashes(const std::string& text, std::vector<int>& hashes,
                                                 bool symbolsSeparate) {
    hashes.reserve(hashes.size() + text.size());
    forEachFeature(text, symbolsSeparate, [&](std::string_view x, std::string_view y, std::string_view z) {
        hashes.push_back(hashOf(x, y, z));
    });
}

void KoreanCharactorFeature::insertPhrasesAndCharacters(const DictionaryFeature* dictionary, const std::string& text,
                                                        SVMFeatureVector& features) {
    if (dictionary != nullptr) {
        std::vector<std::string> phrases;
        dictionary->getFeature(text, phrases, false, true);
        for (const auto& p : phrases) features.insert(p);
    }
    // A model that only reads takes each character feature by its hash,
    // in any order: inserting twice sets the same value.
    if (features.takesHashes()) {
        forEachFeature(text, false, [&](std::string_view x, std::string_view y, std::string_view z) {
            features.insertHash(hashOf(x, y, z), 1.0f);
        });
        return;
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
