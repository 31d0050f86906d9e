// Differential search: keys and a text taken from the input are searched at
// every offset in the double-array trie and in both pointer tries, which
// must agree exactly; no match may be empty or run past the text, and the
// dictionary scans must terminate.
//
// Input: key lines separated by '\n', a zero byte, then the text. Without a
// zero byte the whole input is the text, searched in a fixed dictionary.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Varnex/ByteTrie.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Log.h"
#include "Varnex/Trie.h"

namespace {

const char* const kFixedKeys[] = {"/안녕/", "안녕하세요", "잘 자", "잘", "~요", "고마워/", "ab", "abcd",
                                  "갈께",   "/ㅋㅋ",     "a b", "잘자요", "/", "~~", "?"};

using Results = std::vector<std::pair<std::string, std::string>>;

template <typename T>
void searchAll(const T& trie, const std::string& text, int p, bool skip, bool ignoreLeading, Results& r, int& len) {
    r.clear();
    len = 0;
    trie.search(text, p, r, len, skip, ignoreLeading);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Varnex::setLogSink([](int, const char*, const char*) { return 0; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    std::vector<std::string> keys;
    std::string text;
    if (split == std::string::npos) {
        keys.assign(std::begin(kFixedKeys), std::end(kFixedKeys));
        text = input;
    } else {
        size_t start = 0;
        while (start <= split && keys.size() < 64) {
            size_t end = input.find('\n', start);
            if (end == std::string::npos || end > split) end = split;
            keys.push_back(input.substr(start, end - start));
            start = end + 1;
        }
        text = input.substr(split + 1);
    }
    if (text.size() > 1024) text.resize(1024);

    // One raw key per normalised key, so the three tries hold the same entries.
    Varnex::DoubleArrayTrie dat;
    Varnex::Trie trie;
    Varnex::ByteTrie byteTrie;
    std::set<std::string> normalised;
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& k : keys) {
        if (!normalised.insert(Varnex::TrieKeys::normalise(k)).second) continue;
        dat.insert(k, "v");
        trie.insert(k, "v");
        byteTrie.insert(k, "v");
        entries.emplace_back(k, "v");
    }
    if (!dat.build()) std::abort();

    Results a, b, c;
    int la = 0, lb = 0, lc = 0;
    const int n = static_cast<int>(text.size());
    for (int p = 0; p < n; ++p) {
        for (int mode = 0; mode < 4; ++mode) {
            const bool skip = mode & 1, ignoreLeading = mode & 2;
            searchAll(dat, text, p, skip, ignoreLeading, a, la);
            searchAll(trie, text, p, skip, ignoreLeading, b, lb);
            searchAll(byteTrie, text, p, skip, ignoreLeading, c, lc);
            if (a != b || a != c) std::abort();
            if (!a.empty() && (la != lb || la != lc || la <= 0 || la > n - p)) std::abort();
        }
    }

    Varnex::DictionaryFeature feature(entries);
    std::vector<std::string> features;
    std::vector<std::pair<int, int>> spans;
    Results matches;
    feature.getFeature(text, features, false, true);
    feature.findAllMatch(text, spans, matches, true, false);
    for (const auto& s : spans)
        if (s.first < 0 || s.second <= s.first || s.second > n) std::abort();
    std::string key, matched, value;
    feature.findFirstMatch(text, key, matched, value, true, false);
    feature.findLastMatch(text, key, matched, value, true, true);
    return 0;
}
