// Phrase dictionary costs: a search at every byte offset of a chat message
// (what each dictionary scan of a detector does), and loading a binary
// dictionary at engine start.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Utilities/StringUtil.h"

namespace {

// 40 characters (96 bytes) with a dozen words the dictionary holds.
const char kMessage[] = "오늘 저녁에 시간 괜찮으면 같이 밥 먹을래? 내가 살게 ㅎㅎ 빨리 연락줘";

const char* const kWords[] = {"오늘", "저녁", "시간",  "괜찮으면", "같이", "밥",   "먹을래", "내가",
                              "살게", "ㅎㅎ", "연락줘", "/밥/",    "~에",  "고마워", "미안해", "잘 자"};

// A Hangul syllable from the common initial/medial/final combinations.
std::string syllable(std::mt19937& rng) {
    const unsigned code = 0xAC00 + (rng() % 19) * 588 + (rng() % 21) * 28 + (rng() % 4 == 0 ? rng() % 28 : 0);
    std::string s;
    s += static_cast<char>(0xE0 | (code >> 12));
    s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (code & 0x3F));
    return s;
}

// `count` distinct phrases of one to four syllables, some with boundary
// marks, plus the words of the message.
std::vector<std::pair<std::string, std::string>> makeEntries(size_t count) {
    std::mt19937 rng(20240601);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const char* w : kWords) entries.emplace_back(w, "WORD");
    std::set<std::string> seen;
    while (entries.size() < count) {
        std::string key = rng() % 6 == 0 ? "/" : "";
        const int n = 1 + rng() % 4;
        for (int i = 0; i < n; ++i) key += syllable(rng);
        if (rng() % 8 == 0) key += "/";
        if (!seen.insert(key).second) continue;
        entries.emplace_back(key, "F" + std::to_string(entries.size() % 97));
    }
    return entries;
}

Varnex::DoubleArrayTrie& dictionary() {
    static Varnex::DoubleArrayTrie trie;
    static bool built = false;
    if (!built) {
        for (const auto& e : makeEntries(20000)) trie.insert(e.first, e.second);
        trie.build();
        built = true;
    }
    return trie;
}

void BM_SearchEveryOffset(benchmark::State& state) {
    const Varnex::DoubleArrayTrie& trie = dictionary();
    const std::string message = kMessage;
    std::vector<std::pair<std::string, std::string>> results;
    int matches = 0;
    for (auto _ : state) {
        for (int p = 0; p < static_cast<int>(message.size()); ++p) {
            results.clear();
            int length = 0;
            if (trie.search(message, p, results, length, true, false)) ++matches;
        }
        benchmark::DoNotOptimize(matches);
    }
    const double offsets = static_cast<double>(message.size());
    state.counters["characters"] = Varnex::Utilities::StringUtil::getLength(message);
    state.counters["offsets"] = offsets;
    state.counters["keys"] = static_cast<double>(trie.size());
    // Time per searched offset (shown with its unit, e.g. "25ns").
    state.counters["per_offset"] = benchmark::Counter(offsets * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["matches_per_scan"] = static_cast<double>(matches) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SearchEveryOffset);

void BM_DictionaryFeatureScan(benchmark::State& state) {
    static Varnex::DictionaryFeature feature(makeEntries(20000));
    const std::string message = kMessage;
    for (auto _ : state) {
        std::vector<std::string> features;
        feature.getFeature(message, features, true, true);
        benchmark::DoNotOptimize(features.data());
    }
}
BENCHMARK(BM_DictionaryFeatureScan);

void BM_LoadBinaryDictionary(benchmark::State& state) {
    char path[] = "/tmp/varnex-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    ::close(fd);
    {
        Varnex::DoubleArrayTrie trie;
        for (const auto& e : makeEntries(static_cast<size_t>(state.range(0)))) trie.insert(e.first, e.second);
        trie.build();
        trie.save(std::string(path));
    }
    size_t keys = 0;
    for (auto _ : state) {
        Varnex::DoubleArrayTrie trie;
        if (!trie.load(std::string(path))) {
            state.SkipWithError("load failed");
            break;
        }
        keys = trie.size();
    }
    state.counters["keys"] = static_cast<double>(keys);
    std::FILE* f = std::fopen(path, "rb");
    if (f) {
        std::fseek(f, 0, SEEK_END);
        state.counters["file_bytes"] = static_cast<double>(std::ftell(f));
        std::fclose(f);
    }
    std::remove(path);
}
BENCHMARK(BM_LoadBinaryDictionary)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
