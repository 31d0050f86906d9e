// The double-array phrase dictionary: boundary marks, space skipping (shared
// with the pointer tries), longest-match choice, the binary file format and
// the loader's defences, the text-to-binary builder and the dictionary tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/ByteTrie.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Trie.h"

using Varnex::BinaryIO;
using Varnex::DoubleArrayTrie;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

void fill(DoubleArrayTrie& trie, const Entries& keys) {
    for (const auto& kv : keys) trie.insert(kv.first, kv.second);
    ASSERT_TRUE(trie.build());
}

struct Hit { bool found = false; int length = 0; Entries results; };

template <typename T>
Hit searchIn(const T& trie, const std::string& text, int start, bool skipSpaces = true,
             bool ignoreLeadingMark = false) {
    Hit h;
    h.found = trie.search(text, start, h.results, h.length, skipSpaces, ignoreLeadingMark);
    return h;
}

// A fresh trie of type T holding `keys` (each its own value), searched once.
template <typename T>
Hit searchFresh(const std::vector<std::string>& keys, const std::string& text, int start, bool skipSpaces,
                bool ignoreLeadingMark) {
    T trie;
    for (const auto& k : keys) trie.insert(k, k);
    if constexpr (std::is_same_v<T, DoubleArrayTrie>) {
        EXPECT_TRUE(trie.build());
    }
    return searchIn(trie, text, start, skipSpaces, ignoreLeadingMark);
}

std::string savedBytes(const DoubleArrayTrie& trie) {
    std::ostringstream out;
    EXPECT_TRUE(trie.save(out));
    return out.str();
}

template <typename T>
std::string written(const T& value) {
    std::ostringstream out;
    BinaryIO::write(out, value);
    return out.str();
}

// A saved dictionary cut into its value-table string (with its length field),
// the array's byte size and the array's units.
struct Parts { std::string table; int size = 0; std::string units; };

Parts partsOf(const Entries& keys) {
    DoubleArrayTrie t;
    fill(t, keys);
    const std::string bytes = savedBytes(t);
    std::istringstream in(bytes);
    Parts p;
    BinaryIO::read(in, p.units);  // the table text, as a scratch
    p.table = bytes.substr(0, static_cast<size_t>(in.tellg()));
    BinaryIO::read(in, p.size);
    p.units = bytes.substr(static_cast<size_t>(in.tellg()));
    return p;
}

const Entries kGreetings = {
    {"/안녕/", "HELLO"}, {"안녕하세요", "HELLO_POLITE"}, {"고마워", "THANKS"}, {"~고마워요", "THANKS_TAIL"},
    {"잘 자", "NIGHT"},  {"잘", "WELL"},                 {"ab", "AB"},        {"abc", "ABC"},
};

const std::string kDicTool = std::string(VARNEX_TOOLS_DIR) + "/varnex-dic";
using VarnexTest::run;

}  // namespace

// --- the table of space-skipping and boundary cases shared by the three tries ---

TEST(SharedTrieTable, TrieByteTrieAndDoubleArrayGiveTheSameMatches) {
    const std::string longest(Varnex::TrieKeys::kMaxKeyBytes, '\xEA');
    // keys, text, start, skip spaces, ignore the leading mark, match length (0: none), why
    const std::vector<std::tuple<std::vector<std::string>, std::string, int, bool, bool, int, const char*>> cases = {
        {{"abc"}, "ab c", 0, true, false, 4, "a skipped space inside the match counts"},
        {{"abc"}, "ab c", 0, false, false, 0, "no skipping when not asked"},
        {{"/ab/"}, "ab cd", 0, true, false, 2, "a space skipped before a dead end is not counted"},
        {{"ab", "abcd"}, "ab cx", 0, true, false, 2, "fallback keeps the count of its own node"},
        {{"ab~"}, "ab cd", 0, true, false, 0, "trailing test sees the space, a boundary"},
        {{"ab~"}, "abcd", 0, true, false, 2, "trailing test sees c"},
        {{"/안녕/"}, "안녕 친구", 0, true, false, 6, "trailing boundary is the space after the key"},
        {{"/안녕/"}, "안녕친구", 0, true, false, 0, "no boundary after the key"},
        {{"갈께"}, "갈께 요", 0, true, false, 6, "the space after a replaced word stays in the text"},
        {{"잘", "잘 자"}, "잘 자", 0, true, false, 7, "a key with its own space is never cut"},
        {{"잘", "잘 자"}, "잘 가", 0, true, false, 3, "a spaced key that does not match falls back"},
        {{"잘자"}, "잘 자", 0, true, false, 7, "a space between two Hangul syllables is skipped"},
        {{"abc"}, "ab   c", 0, true, false, 6, "a run of spaces is skipped as a whole"},
        {{"abc"}, " abc", 0, true, false, 0, "a leading space is never skipped"},
        {{"abc"}, "x abc", 1, true, false, 0, "the first byte of the walk is never skipped"},
        {{"ab"}, "ab ", 0, true, false, 2, "a trailing space is not part of the match"},
        {{"abc"}, "ab c", 1, true, false, 0, "walks start at their offset"},
        {{"a b"}, "a  b", 0, true, false, 4, "a key space matched, the extra one skipped"},
        {{"잘 자라", "잘자요"}, "잘 자요", 0, true, false, 10, "a failed spaced path falls back to skipping"},
        {{"ab", "abc"}, "abcd", 0, true, false, 3, "longest key"},
        {{"ab", "abc"}, "abx", 0, true, false, 2, "longest key that exists"},
        {{"", "/", "~", "~~", "/~/"}, "/~~/", 0, true, false, 0, "empty keys and keys made of marks are ignored"},
        {{"", "/", "~", "~~", "/~/"}, "/~~/", 2, true, false, 0, "... at every offset"},
        {{"ab"}, "ab", 2, true, false, 0, "offset at the end"},
        {{"ab"}, "ab", -1, true, false, 0, "negative offset"},
        {{longest, longest + "x"}, longest + "xy", 0, true, false, 512, "keys longer than the limit are ignored"},
        // Boundary marks: "/" asks for a boundary on its side, "~" forbids one.
        {{"/ab/"}, "ab", 0, true, false, 2, "edges of the text are boundaries"},
        {{"/ab/"}, "x ab", 2, true, false, 2, "a space before the match"},
        {{"/ab/"}, "abyz", 0, true, false, 0, "no boundary after"},
        {{"/ab/"}, "aby", 0, true, false, 2, "a single byte left after the match counts as the edge"},
        {{"/ab/"}, "xab", 1, true, false, 0, "no boundary before"},
        {{"/ab/"}, "ㅋab.", 3, true, false, 2, "jamo and punctuation are boundaries"},
        {{"~ab"}, "ab", 0, true, false, 0, "the edge of the text counts as a boundary"},
        {{"~ab"}, "ab", 0, true, true, 2, "the leading mark ignored"},
        {{"~ab"}, "xab", 1, true, false, 2, "no boundary before"},
        {{"~ab"}, "x ab", 2, true, false, 0, "a space before"},
        {{"ab", "/abc/"}, "abcde", 0, true, false, 2, "a longer key that fails its tests hides no shorter one"},
        {{"/ab/", "/abc/"}, "abcde", 0, true, false, 0, "... and none that passes: no match"},
        {{"/a/", "ab c", "abc~"}, "ab c", 0, true, false, 4, "the spaced path's key passes"},
        {{"a", "/ab c/"}, "ab cde", 0, true, false, 1, "a failing spaced key falls back along the path"},
        {{"\x98"}, "잘", 2, true, false, 1, "a key that starts inside a character is found there"},
        {{"잘"}, "잘", 1, true, false, 0, "no whole-character key starts inside a character"},
        // Offsets at a character no key begins with are passed over unwalked.
        {{"잘 자", "고마워"}, "안녕", 0, true, false, 0, "a character no key begins with"},
        {{"잘 자", "고마워"}, "x고마워", 1, true, false, 9, "a character a key begins with"},
        {{"\xEC\x9E"}, "잘", 0, true, false, 2, "a key cut inside its first character still matches"},
        {{"\xEC/\x9E\x98"}, "잘", 0, true, false, 3, "a mark inside the first character"},
        {{"\xEC\x9E\x98x"}, "\xEC \x9E\x98x", 0, true, false, 5, "a space inside a broken character is skipped"},
        // ... and so are those where no key goes on with the next character.
        {{"잘 자", "고마워"}, "고생", 0, true, false, 0, "a first character keys begin with, a second none follows"},
        {{"고마워"}, "고  마워", 0, true, false, 11, "the second character found past skipped spaces"},
        {{"고마워"}, "고", 0, true, false, 0, "nothing after the first character"},
        {{"잘", "잘 자"}, "잘해", 0, true, false, 3, "a one-character key matches whatever follows"},
        {{"x잘"}, "x\xEC \x9E\x98", 0, true, false, 5, "a broken second character is walked"}};
    for (const auto& [keys, text, start, skipSpaces, ignoreLeadingMark, length, why] : cases) {
        const Hit d = searchFresh<DoubleArrayTrie>(keys, text, start, skipSpaces, ignoreLeadingMark);
        EXPECT_EQ(d.found, length > 0) << why;
        EXPECT_EQ(d.length, length) << why;
        for (const Hit& h : {searchFresh<Varnex::Trie>(keys, text, start, skipSpaces, ignoreLeadingMark),
                             searchFresh<Varnex::ByteTrie>(keys, text, start, skipSpaces, ignoreLeadingMark)})
            EXPECT_EQ(std::tie(h.found, h.length, h.results), std::tie(d.found, d.length, d.results)) << why;
    }
}

TEST(DoubleArrayMarks, AGroupGivesEveryRawKeyThatPassesItsBoundaryTestsInByteOrder) {
    DoubleArrayTrie t;
    fill(t, {{"ab", "FIRST"}, {"ab", "PLAIN"}, {"/ab/", "BOUND"}, {"~ab", "INSIDE"}});
    EXPECT_EQ(searchIn(t, "ab", 0).results, (Entries{{"/ab/", "BOUND"}, {"ab", "PLAIN"}}));
    EXPECT_EQ(searchIn(t, "xab", 1).results, (Entries{{"ab", "PLAIN"}, {"~ab", "INSIDE"}}))
        << "a repeated raw key keeps its last value";
    EXPECT_EQ(t.size(), 3u);
}

// --- the search contract --------------------------------------------------------

TEST(DoubleArraySearch, OnlyBuiltEntriesAreFoundAndResultsAreAppended) {
    DoubleArrayTrie t;
    EXPECT_FALSE(searchIn(t, "ab", 0).found);
    t.insert("ab", "AB");
    EXPECT_FALSE(searchIn(t, "ab", 0).found) << "staged entries are not searchable before build";
    ASSERT_TRUE(t.build());
    Entries results{{"earlier", "x"}};
    int length = 99;
    EXPECT_TRUE(t.search("zz", 0, results, length, true, false)) << "earlier results are reported";
    EXPECT_EQ(length, 99);
    EXPECT_TRUE(t.search("ab", 0, results, length, true, false));
    EXPECT_EQ(results.size(), 2u);
    EXPECT_EQ(length, 2);
    ASSERT_TRUE(t.build());
    EXPECT_FALSE(searchIn(t, "ab", 0).found) << "a build with nothing staged empties the trie";
}

// --- save and load ----------------------------------------------------------

TEST(DoubleArraySearch, CharacterFiltersNeverHideAMatch) {
    // Against the pointer trie, which walks every offset: random keys (with
    // spaces, no marks) over a small alphabet, so most texts share first
    // characters with some key and second characters with few.
    std::mt19937 rng(5);
    const char* syllables[] = {"가", "나", "다", "고", "마", "워", "요", "잘", " ", "ㅋ", "!", "a"};
    DoubleArrayTrie filtered;
    Varnex::Trie walked;
    for (int i = 0; i < 150; ++i) {
        std::string k = i % 10 == 0 ? "" : syllables[rng() % 8];  // few keys of one character
        for (int n = 1 + rng() % 3; n > 0; --n) k += syllables[rng() % 12];
        filtered.insert(k, k);
        walked.insert(k, k);
    }
    ASSERT_TRUE(filtered.build());
    // The text also holds bytes of broken characters.
    const char* pieces[] = {"가", "나", "다", "고", "마", "워", "요", "잘", " ", "ㅋ", "!", "a", "\xEC", "\x98"};
    std::string text;
    for (int n = 0; n < 3000; ++n) text += pieces[rng() % 14];
    for (bool skip : {true, false})
        for (int p = 0; p < static_cast<int>(text.size()); ++p) {
            const Hit a = searchIn(filtered, text, p, skip), b = searchIn(walked, text, p, skip);
            ASSERT_EQ(std::tie(a.found, a.length), std::tie(b.found, b.length)) << p << " " << skip;
        }
    // The characters read once give the same candidates as reading them at each step.
    const DoubleArrayTrie::TextCharacters chars(text);
    for (int p = 0; p <= static_cast<int>(text.size()); ++p)
        ASSERT_EQ(filtered.nextCandidate(chars, p), filtered.nextCandidate(text, p)) << p;
}

TEST(DoubleArrayFile, SavedAndLoadedTriesSearchIdentically) {
    TempDir dir;
    std::mt19937 rng(11);
    const char* syllables[] = {"가", "나", "다", "고", "마", "워", "요", "잘", "자", "안", "녕", " ", "ㅋ", "!"};
    Entries keys = kGreetings;
    for (int i = 0; i < 3000; ++i) {
        std::string k = (rng() % 5 == 0) ? "/" : ((rng() % 7 == 0) ? "~" : "");
        for (int n = 1 + rng() % 4; n > 0; --n) k += syllables[rng() % 12];
        if (rng() % 4 == 0) k += "/";
        keys.push_back({k, "V" + std::to_string(i)});
    }
    DoubleArrayTrie built, loaded;
    fill(built, keys);
    ASSERT_TRUE(built.save(dir.file("d.bin")));
    LogCapture log;
    ASSERT_TRUE(loaded.load(dir.file("d.bin")));
    EXPECT_FALSE(log.contains("LoadError"));
    std::string text = "안녕 친구야|고마워요 잘 자|가나 다고마워!|ab c|abcd|";
    for (int n = 0; n < 2000; ++n) text += syllables[rng() % 14];
    for (int p = 0; p <= static_cast<int>(text.size()); ++p) {
        const Hit a = searchIn(built, text, p), b = searchIn(loaded, text, p);
        EXPECT_EQ(std::tie(a.found, a.length, a.results), std::tie(b.found, b.length, b.results)) << p;
    }
    Entries a, b;
    built.listEntries(a);
    loaded.listEntries(b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(loaded.size(), built.size());
}

TEST(DoubleArrayFile, ValueTableThenArraySizeInWholeUnitsThenTheUnitsAndEmptyValuesRoundTrip) {
    const Entries keys{{"빈값", ""}, {"탭", "a\tb"}, {"/끝/", "\t"}};
    const Parts parts = partsOf(keys);
    EXPECT_EQ(parts.table, written(std::string("/끝/\t\t\n빈값\t\n탭\ta\tb\n")));
    EXPECT_GT(parts.size, 0);
    EXPECT_EQ(parts.size % 8, 0);
    EXPECT_EQ(static_cast<int>(parts.units.size()), parts.size);
    // Loaded from a larger stream, which is left right after the dictionary.
    std::istringstream in(parts.table + written(parts.size) + parts.units + written(4242));
    DoubleArrayTrie loaded;
    ASSERT_TRUE(loaded.load(in));
    EXPECT_EQ(searchIn(loaded, "빈값", 0).results, (Entries{{"빈값", ""}}));
    EXPECT_EQ(searchIn(loaded, "탭", 0).results, (Entries{{"탭", "a\tb"}}));
    EXPECT_EQ(searchIn(loaded, "끝", 0).results, (Entries{{"/끝/", "\t"}}));
    int after = 0;
    EXPECT_GT(BinaryIO::read(in, after), 0);
    EXPECT_EQ(after, 4242);

    DoubleArrayTrie empty;
    ASSERT_TRUE(empty.build());
    EXPECT_EQ(savedBytes(empty), "         0         0");
    std::istringstream emptyIn(savedBytes(empty));
    EXPECT_TRUE(loaded.load(emptyIn));
    EXPECT_FALSE(searchIn(loaded, "빈값", 0).found);
}

TEST(DoubleArrayFile, EntriesTheLineFormatCannotCarryAreRefusedBeforeWriting) {
    for (const auto& bad : Entries{{"a", "line\nbreak"}, {"a\tb", "v"}, {"a\xFF", "v"}, {"a", std::string("\0", 1)}}) {
        DoubleArrayTrie t;
        fill(t, {bad});
        std::ostringstream out;
        LogCapture log;
        EXPECT_FALSE(t.save(out));
        EXPECT_TRUE(out.str().empty());
        EXPECT_TRUE(log.contains("SaveError"));
    }
}

// --- the loader's defences -----------------------------------------------------

class DamagedDictionary : public ::testing::Test {
protected:
    TempDir dir;
    DoubleArrayTrie trie;
    std::string goodBytes;
    void SetUp() override {
        DoubleArrayTrie good;
        fill(good, kGreetings);
        ASSERT_TRUE(good.save(dir.file("good.bin")));
        goodBytes = readFile(dir.file("good.bin"));
    }
    // Loads a working dictionary, then `path` (by default a file of `bytes`)
    // over it, and expects the documented failure: nothing of either is left.
    void expectRejected(const std::string& bytes, const std::string& what, std::string path = "") {
        ASSERT_TRUE(trie.load(dir.file("good.bin")));
        if (path.empty()) path = dir.write("bad.bin", bytes);
        LogCapture log;
        EXPECT_FALSE(trie.load(path)) << what;
        EXPECT_TRUE(std::any_of(log.lines().begin(), log.lines().end(), [](const VarnexTest::LogLine& l) {
            return l.priority == 6 && l.text.find("LoadError") == 0;
        })) << what << ": LoadError at level 3";
        EXPECT_EQ(trie.size(), 0u) << what;
        for (const char* text : {"안녕", "고마워", "ab", "잘 자"})
            EXPECT_FALSE(searchIn(trie, text, 0).found) << what << " / " << text;
    }
};

TEST_F(DamagedDictionary, MissingTruncatedGarbageBadFieldsAndUnsoundArraysAreRejected) {
    expectRejected("", "a missing file", dir.file("missing.bin"));
    expectRejected("", "a directory", dir.path());
    std::istringstream in("       999abc");
    EXPECT_FALSE(trie.load(in));
    EXPECT_TRUE(in.fail());
    const Parts one = partsOf({{"ab", "AB"}}), two = partsOf({{"ab", "AB"}, {"cd", "CD"}});
    const std::string arrayPart = written(one.size) + one.units;
    auto patched = [&](int unit, uint32_t base) {
        std::string units = two.units;
        std::memcpy(&units[unit * 8], &base, 4);
        return two.table + written(two.size) + units;
    };
    Entries damaged = {  // (bytes, what)
        {"      12ab" + goodBytes.substr(10), "table length with non-digits"},
        {"       -40" + goodBytes.substr(10), "negative table length"},
        {"2000000000" + goodBytes.substr(10), "table length beyond the file"},
        {"9999999999" + goodBytes.substr(10), "table length outside int"},
        {one.table + written(one.size - 4) + one.units, "array size not a whole number of units"},
        {one.table + written(one.size + 8) + one.units, "array size larger than the rest"},
        {one.table + written(-8) + one.units, "negative array size"},
        {one.table + "2147483640" + one.units, "huge array size"},
        {one.table + "      x  8" + one.units, "garbage array size"},
        {one.table + written(0), "a value table without an array"},
        {one.table + written(8) + one.units.substr(0, 8), "an array too small to hold a root"},
        {written(std::string("ab AB\n")) + arrayPart, "table line without a tab"},
        {written(std::string("//\tAB\n")) + arrayPart, "table line whose key is only marks"},
        {written(std::string("ab\tAB\n\n")) + arrayPart, "empty table line"},
        {patched(0, 0x7FFFFFF0u), "root base far outside"},
        {patched(0, 0xFFFFFFF0u), "negative root base"},
        {patched(5, 0x80000000u), "base of INT_MIN"},
        {written(std::string("ab\tAB\n")) + written(two.size) + two.units, "array names a missing group"}};
    // Every unit a walk can enter must keep its children inside the array.
    int nodes = 0;
    for (int u = 1; u < two.size / 8; ++u) {
        uint32_t check;
        std::memcpy(&check, &two.units[u * 8 + 4], 4);
        if (check == 0 || check >= static_cast<uint32_t>(u)) continue;
        damaged.push_back({patched(u, 0x7FFFFF00u), "node base far outside at " + std::to_string(u)});
        ++nodes;
    }
    EXPECT_GE(nodes, 4) << "a, b, c, d nodes";
    for (size_t cut = 0; cut < goodBytes.size(); cut += (cut < 200 ? 1 : 97))
        damaged.push_back({goodBytes.substr(0, cut), "cut at " + std::to_string(cut)});
    std::mt19937 rng(3);
    for (int round = 0; round < 20; ++round) {
        std::string junk(64 + rng() % 4000, '\0');
        for (char& c : junk) c = static_cast<char>(rng());
        damaged.push_back({junk, "garbage round " + std::to_string(round)});
    }
    for (const auto& [bytes, what] : damaged) expectRejected(bytes, what);
}

// --- buildDic and the dictionary tool ----------------------------------------

TEST(DictionaryBuilder, ALineWithoutATabOrAMissingSourceFailsAndWritesNothing) {
    TempDir dir;
    LogCapture log;
    EXPECT_FALSE(DoubleArrayTrie::buildDic(dir.write("src.txt", "HELLO\t안녕\nno tab here\n"), dir.file("d.bin")));
    EXPECT_TRUE(log.contains("src.txt:2: 1 field, 2 needed"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.bin")));
    EXPECT_FALSE(DoubleArrayTrie::buildDic(dir.file("none.txt"), dir.file("d.bin")));
    EXPECT_TRUE(log.contains("none.txt: no such file"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.bin")));
}

TEST(DictionaryTool, BuildThenDumpGivesEverySourceEntryBack) {
    TempDir dir;
    // Lines "value TAB raw key": a byte-order mark, further fields, empty lines and an empty value.
    const std::string src = dir.write(
        "src.txt", "\xEF\xBB\xBFTHANKS\t고마워\textra\n\nHELLO\t/안녕/\n  \nHI\t안녕\n\tempty\n\t빈값\n");
    ASSERT_EQ(run(kDicTool + " build " + src + " " + dir.file("d.bin")), 0);
    ASSERT_EQ(run(kDicTool + " dump " + dir.file("d.bin") + " " + dir.file("dump.txt")), 0);
    EXPECT_EQ(readFile(dir.file("dump.txt")), "\tempty\nTHANKS\t고마워\n\t빈값\nHELLO\t/안녕/\nHI\t안녕\n");
    ASSERT_EQ(run(kDicTool + " build " + dir.file("dump.txt") + " " + dir.file("d2.bin")), 0);
    EXPECT_EQ(readFile(dir.file("d2.bin")), readFile(dir.file("d.bin")));
    EXPECT_EQ(readFile(dir.file("d.bin")).find("고마워"), std::string::npos);
}

TEST(DictionaryTool, BadArgumentsAndBadFilesFail) {
    TempDir dir;
    for (const std::string& args : {std::string(), std::string(" build onlyone"), std::string(" frobnicate a b"),
                                    " build " + dir.file("missing.txt") + " " + dir.file("x.bin"),
                                    " build " + dir.write("bad.txt", "no tab\n") + " " + dir.file("x.bin"),
                                    " dump " + dir.file("missing.bin"),
                                    " dump " + dir.write("junk.bin", "garbage garbage")})
        EXPECT_NE(run(kDicTool + args), 0) << args;
}
