// The double-array phrase dictionary: boundary marks, space skipping (shared
// with the pointer tries), longest-match choice, the binary file format and
// the loader's defences, the text-to-binary builder and the dictionary tool.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/ByteTrie.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Trie.h"

namespace fs = std::filesystem;
using Varnex::BinaryIO;
using Varnex::ByteTrie;
using Varnex::DoubleArrayTrie;
using Varnex::Trie;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

void fill(DoubleArrayTrie& trie, const Entries& keys) {
    for (const auto& kv : keys) trie.insert(kv.first, kv.second);
    ASSERT_TRUE(trie.build());
}

struct Hit {
    bool found = false;
    int length = 0;
    Entries results;
};

template <typename T>
Hit searchIn(const T& trie, const std::string& text, int start, bool skipSpaces = true,
             bool ignoreLeadingMark = false) {
    Hit h;
    h.found = trie.search(text, start, h.results, h.length, skipSpaces, ignoreLeadingMark);
    return h;
}

// Every offset of every text, as one comparable record.
std::vector<std::string> allResults(const DoubleArrayTrie& trie, const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const auto& text : texts) {
        for (int p = 0; p <= static_cast<int>(text.size()); ++p) {
            Hit h = searchIn(trie, text, p);
            std::string rec = std::to_string(p) + ":" + std::to_string(h.found) + ":" + std::to_string(h.length);
            for (const auto& kv : h.results) rec += "|" + kv.first + "=" + kv.second;
            out.push_back(rec);
        }
    }
    return out;
}

std::string savedBytes(const DoubleArrayTrie& trie) {
    std::ostringstream out;
    EXPECT_TRUE(trie.save(out));
    return out.str();
}

const Entries kGreetings = {
    {"/안녕/", "HELLO"}, {"안녕하세요", "HELLO_POLITE"}, {"고마워", "THANKS"}, {"~고마워요", "THANKS_TAIL"},
    {"잘 자", "NIGHT"},  {"잘", "WELL"},                 {"ab", "AB"},        {"abc", "ABC"},
};

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

}  // namespace

// --- the shared table of space-skipping cases ------------------------------

struct SkipCase {
    std::vector<std::string> keys;
    std::string text;
    int start;
    bool skipSpaces;
    int length;  // 0: no match
    const char* why;
};

class SharedSkippingTable : public ::testing::TestWithParam<SkipCase> {};

TEST_P(SharedSkippingTable, TrieByteTrieAndDoubleArrayGiveTheSameLength) {
    const SkipCase& c = GetParam();
    Trie trie;
    ByteTrie byteTrie;
    DoubleArrayTrie dat;
    for (const auto& k : c.keys) {
        trie.insert(k, k);
        byteTrie.insert(k, k);
        dat.insert(k, k);
    }
    ASSERT_TRUE(dat.build());
    Hit a = searchIn(trie, c.text, c.start, c.skipSpaces);
    Hit b = searchIn(byteTrie, c.text, c.start, c.skipSpaces);
    Hit d = searchIn(dat, c.text, c.start, c.skipSpaces);
    EXPECT_EQ(d.found, c.length > 0) << c.why;
    if (c.length > 0) {
        EXPECT_EQ(d.length, c.length) << c.why;
    }
    EXPECT_EQ(a.found, d.found) << c.why;
    EXPECT_EQ(b.found, d.found) << c.why;
    EXPECT_EQ(a.results, d.results) << c.why;
    EXPECT_EQ(b.results, d.results) << c.why;
    if (d.found) {
        EXPECT_EQ(a.length, d.length) << c.why;
        EXPECT_EQ(b.length, d.length) << c.why;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SharedSkippingTable,
    ::testing::Values(
        SkipCase{{"abc"}, "ab c", 0, true, 4, "a skipped space inside the match counts"},
        SkipCase{{"abc"}, "ab c", 0, false, 0, "no skipping when not asked"},
        SkipCase{{"/ab/"}, "ab cd", 0, true, 2, "a space skipped before a dead end is not counted"},
        SkipCase{{"ab", "abcd"}, "ab cx", 0, true, 2, "fallback keeps the count of its own node"},
        SkipCase{{"ab~"}, "ab cd", 0, true, 0, "trailing test sees the space, a boundary"},
        SkipCase{{"ab~"}, "abcd", 0, true, 2, "trailing test sees c"},
        SkipCase{{"/안녕/"}, "안녕 친구", 0, true, 6, "trailing boundary is the space after the key"},
        SkipCase{{"/안녕/"}, "안녕친구", 0, true, 0, "no boundary after the key"},
        SkipCase{{"갈께"}, "갈께 요", 0, true, 6, "the space after a replaced word stays in the text"},
        SkipCase{{"잘", "잘 자"}, "잘 자", 0, true, 7, "a key with its own space is never cut"},
        SkipCase{{"잘", "잘 자"}, "잘 가", 0, true, 3, "a spaced key that does not match falls back"},
        SkipCase{{"잘자"}, "잘 자", 0, true, 7, "a space between two Hangul syllables is skipped"},
        SkipCase{{"abc"}, "ab   c", 0, true, 6, "a run of spaces is skipped as a whole"},
        SkipCase{{"abc"}, " abc", 0, true, 0, "a leading space is never skipped"},
        SkipCase{{"abc"}, "x abc", 1, true, 0, "the first byte of the walk is never skipped"},
        SkipCase{{"ab"}, "ab ", 0, true, 2, "a trailing space is not part of the match"},
        SkipCase{{"abc"}, "ab c", 1, true, 0, "walks start at their offset"},
        SkipCase{{"a b"}, "a  b", 0, true, 4, "a key space matched, the extra one skipped"},
        SkipCase{{"잘 자라", "잘자요"}, "잘 자요", 0, true, 10, "a failed spaced path falls back to skipping"},
        SkipCase{{"ab", "abc"}, "abcd", 0, true, 3, "longest key"},
        SkipCase{{"ab", "abc"}, "abx", 0, true, 2, "longest key that exists"},
        SkipCase{{"/", "~", "~~"}, "/~~", 0, true, 0, "keys made of marks are ignored"},
        SkipCase{{"ab"}, "ab", 2, true, 0, "offset at the end"},
        SkipCase{{"ab"}, "ab", -1, true, 0, "negative offset"}));

// --- boundary marks and groups ------------------------------------------------

TEST(DoubleArrayMarks, BothSideBoundaryKey) {
    DoubleArrayTrie t;
    fill(t, {{"/ab/", "AB"}});
    EXPECT_TRUE(searchIn(t, "ab", 0).found);
    EXPECT_TRUE(searchIn(t, "ab!", 0).found);
    EXPECT_TRUE(searchIn(t, "x ab", 2).found);
    EXPECT_FALSE(searchIn(t, "abyz", 0).found);
    EXPECT_TRUE(searchIn(t, "aby", 0).found) << "a single byte left after the match counts as the edge";
    EXPECT_FALSE(searchIn(t, "xab", 1).found);
    EXPECT_TRUE(searchIn(t, "ㅋab.", 3).found) << "jamo and punctuation are boundaries";
}

TEST(DoubleArrayMarks, ForbiddenLeadingBoundary) {
    DoubleArrayTrie t;
    fill(t, {{"~ab", "AB"}});
    EXPECT_FALSE(searchIn(t, "ab", 0).found) << "the edge of the text counts as a boundary";
    EXPECT_TRUE(searchIn(t, "ab", 0, true, true).found);
    EXPECT_TRUE(searchIn(t, "xab", 1).found);
    EXPECT_FALSE(searchIn(t, "x ab", 2).found);
}

TEST(DoubleArrayMarks, OneGroupReturnsEveryRawKeyThatPassesInByteOrder) {
    DoubleArrayTrie t;
    fill(t, {{"ab", "FIRST"}, {"ab", "PLAIN"}, {"/ab/", "BOUND"}, {"~ab", "INSIDE"}});
    Hit h = searchIn(t, "ab", 0);
    ASSERT_TRUE(h.found);
    EXPECT_EQ(h.results, (Entries{{"/ab/", "BOUND"}, {"ab", "PLAIN"}}));
    h = searchIn(t, "xab", 1);
    EXPECT_EQ(h.results, (Entries{{"ab", "PLAIN"}, {"~ab", "INSIDE"}})) << "a repeated raw key keeps its last value";
    EXPECT_EQ(t.size(), 3u);
}

TEST(DoubleArrayMarks, TheLongestNodeIsTestedEvenWhenItsBoundaryFails) {
    DoubleArrayTrie t;
    fill(t, {{"ab", "AB"}, {"/abc/", "ABC"}});
    EXPECT_FALSE(searchIn(t, "abcde", 0).found);
}

TEST(DoubleArraySearch, AppendsWithoutClearingAndReportsEarlierResults) {
    DoubleArrayTrie t;
    fill(t, {{"ab", "AB"}});
    Entries results{{"earlier", "x"}};
    int length = 99;
    EXPECT_TRUE(t.search("zz", 0, results, length, true, false));
    EXPECT_EQ(length, 99);
    EXPECT_TRUE(t.search("ab", 0, results, length, true, false));
    EXPECT_EQ(results.size(), 2u);
    EXPECT_EQ(length, 2);
}

TEST(DoubleArraySearch, NeverReportsAZeroLengthMatch) {
    DoubleArrayTrie t;
    fill(t, {{"/", "SLASH"}, {"~~", "TILDES"}, {"", "EMPTY"}, {"a", "A"}, {"가", "GA"}, {"/ /", "SPACE"}});
    std::mt19937 rng(7);
    const std::string alphabet[] = {"a", " ", "/", "~", "가", "\xEA", "!", "b"};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = 0; i < 12; ++i) text += alphabet[rng() % 8];
        for (int p = 0; p < static_cast<int>(text.size()); ++p) {
            Hit h = searchIn(t, text, p);
            if (h.found) {
                EXPECT_GT(h.length, 0) << text << " @" << p;
            }
        }
    }
}

TEST(DoubleArraySearch, KeysBeyondTheLengthLimitAreIgnoredWithAWarning) {
    const std::string longest(Varnex::TrieKeys::kMaxKeyBytes, '\xEA');
    DoubleArrayTrie t;
    LogCapture log(Varnex::LOG_WARN);
    t.insert(longest, "LONGEST");
    t.insert(longest + "x", "TOO_LONG");
    ASSERT_TRUE(t.build());
    EXPECT_TRUE(log.contains("ignored"));
    EXPECT_EQ(t.size(), 1u);
    EXPECT_EQ(searchIn(t, longest + "xy", 0).length, static_cast<int>(longest.size()));
}

TEST(DoubleArraySearch, EmptyAndUnbuiltTriesFindNothing) {
    DoubleArrayTrie t;
    EXPECT_FALSE(searchIn(t, "ab", 0).found);
    t.insert("ab", "AB");
    EXPECT_FALSE(searchIn(t, "ab", 0).found) << "staged entries are not searchable before build";
    ASSERT_TRUE(t.build());
    EXPECT_TRUE(searchIn(t, "ab", 0).found);
    ASSERT_TRUE(t.build());
    EXPECT_FALSE(searchIn(t, "ab", 0).found) << "a build with nothing staged empties the trie";
}

// --- save and load ----------------------------------------------------------

TEST(DoubleArrayFile, SavedAndLoadedTriesSearchIdentically) {
    TempDir dir;
    DoubleArrayTrie built;
    std::mt19937 rng(11);
    const char* syllables[] = {"가", "나", "다", "고", "마", "워", "요", "잘", "자", "안", "녕", " ", "ㅋ", "!"};
    Entries keys = kGreetings;
    for (int i = 0; i < 3000; ++i) {
        std::string k = (rng() % 5 == 0) ? "/" : ((rng() % 7 == 0) ? "~" : "");
        for (int n = 1 + rng() % 4; n > 0; --n) k += syllables[rng() % 12];
        if (rng() % 4 == 0) k += "/";
        keys.push_back({k, "V" + std::to_string(i)});
    }
    fill(built, keys);
    ASSERT_TRUE(built.save(dir.file("d.bin")));
    DoubleArrayTrie loaded;
    LogCapture log;
    ASSERT_TRUE(loaded.load(dir.file("d.bin")));
    EXPECT_FALSE(log.contains("LoadError"));

    std::vector<std::string> texts = {"안녕 친구야", "고마워요 잘 자", "가나 다고마워!", "ab c", "abcd"};
    for (int i = 0; i < 200; ++i) {
        std::string t;
        for (int n = 0; n < 10; ++n) t += syllables[rng() % 14];
        texts.push_back(t);
    }
    EXPECT_EQ(allResults(loaded, texts), allResults(built, texts));
    Entries a, b;
    built.listEntries(a);
    loaded.listEntries(b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(loaded.size(), built.size());
}

TEST(DoubleArrayFile, ArraySizeIsAWholeNumberOfUnitsAfterTheValueTable) {
    DoubleArrayTrie t;
    fill(t, {{"ab", "AB"}});
    const std::string bytes = savedBytes(t);
    std::istringstream in(bytes);
    std::string table;
    int size = 0;
    ASSERT_GT(BinaryIO::read(in, table), 0);
    ASSERT_GT(BinaryIO::read(in, size), 0);
    EXPECT_EQ(table, "ab\tAB\n");
    EXPECT_GT(size, 0);
    EXPECT_EQ(size % 8, 0);
    EXPECT_EQ(BinaryIO::remaining(in), size);
}

TEST(DoubleArrayFile, EmptyDictionarySavesAndLoadsToATrieThatFindsNothing) {
    DoubleArrayTrie empty;
    ASSERT_TRUE(empty.build());
    const std::string bytes = savedBytes(empty);
    EXPECT_EQ(bytes, "         0         0");
    DoubleArrayTrie loaded;
    std::istringstream in(bytes);
    EXPECT_TRUE(loaded.load(in));
    EXPECT_FALSE(searchIn(loaded, "anything", 0).found);
}

TEST(DoubleArrayFile, EmptyValuesAndValuesWithTabsRoundTrip) {
    DoubleArrayTrie t;
    fill(t, {{"빈값", ""}, {"탭", "a\tb"}, {"/끝/", "\t"}});
    std::istringstream in(savedBytes(t));
    DoubleArrayTrie loaded;
    ASSERT_TRUE(loaded.load(in));
    EXPECT_EQ(searchIn(loaded, "빈값", 0).results, (Entries{{"빈값", ""}}));
    EXPECT_EQ(searchIn(loaded, "탭", 0).results, (Entries{{"탭", "a\tb"}}));
    EXPECT_EQ(searchIn(loaded, "끝", 0).results, (Entries{{"/끝/", "\t"}}));
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

TEST(DoubleArrayFile, ADictionaryEmbeddedInALargerStreamLeavesTheStreamAfterIt) {
    DoubleArrayTrie t;
    fill(t, kGreetings);
    std::ostringstream out;
    ASSERT_TRUE(t.save(out));
    BinaryIO::write(out, 4242);
    std::istringstream in(out.str());
    DoubleArrayTrie loaded;
    ASSERT_TRUE(loaded.load(in));
    int after = 0;
    EXPECT_GT(BinaryIO::read(in, after), 0);
    EXPECT_EQ(after, 4242);
}

// --- the loader's defences -----------------------------------------------------

class DamagedDictionary : public ::testing::Test {
protected:
    TempDir dir;
    DoubleArrayTrie trie;
    void SetUp() override {
        // Start from a working dictionary: a failed load must leave nothing of it.
        DoubleArrayTrie good;
        fill(good, kGreetings);
        ASSERT_TRUE(good.save(dir.file("good.bin")));
        goodBytes = readFile(dir.file("good.bin"));
        ASSERT_TRUE(trie.load(dir.file("good.bin")));
    }
    // Loads `bytes` from a real file and expects the documented failure.
    void expectRejected(const std::string& bytes, const std::string& what) {
        const std::string path = dir.write("bad.bin", bytes);
        LogCapture log;
        EXPECT_FALSE(trie.load(path)) << what;
        EXPECT_TRUE(log.contains("LoadError")) << what;
        bool error = false;
        for (const auto& l : log.lines()) error = error || (l.priority == 6 && l.text.find("LoadError") == 0);
        EXPECT_TRUE(error) << what << ": LoadError at level 3";
        EXPECT_EQ(trie.size(), 0u) << what;
        for (const char* text : {"안녕", "고마워", "ab", "잘 자"})
            EXPECT_FALSE(searchIn(trie, text, 0).found) << what << " / " << text;
    }
    std::string goodBytes;
};

TEST_F(DamagedDictionary, MissingFileOrDirectory) {
    LogCapture log;
    EXPECT_FALSE(trie.load(dir.file("missing.bin")));
    EXPECT_TRUE(log.contains("LoadError"));
    EXPECT_FALSE(searchIn(trie, "안녕", 0).found);
    ASSERT_TRUE(trie.load(dir.file("good.bin")));
    EXPECT_FALSE(trie.load(dir.path()));
    EXPECT_FALSE(searchIn(trie, "안녕", 0).found);
}

TEST_F(DamagedDictionary, EmptyFile) { expectRejected("", "empty file"); }

TEST_F(DamagedDictionary, EveryTruncationIsRejected) {
    for (size_t cut = 0; cut < goodBytes.size(); cut += (cut < 200 ? 1 : 97))
        expectRejected(goodBytes.substr(0, cut), "cut at " + std::to_string(cut));
}

TEST_F(DamagedDictionary, GarbageBytes) {
    std::mt19937 rng(3);
    for (int round = 0; round < 20; ++round) {
        std::string junk(64 + rng() % 4000, '\0');
        for (char& c : junk) c = static_cast<char>(rng());
        expectRejected(junk, "garbage round " + std::to_string(round));
    }
    expectRejected("not a dictionary at all, just some words\n", "text");
}

TEST_F(DamagedDictionary, BadValueTableLengthFields) {
    expectRejected("      12ab" + goodBytes.substr(10), "non-digits");
    expectRejected("       -40" + goodBytes.substr(10), "negative length");
    expectRejected("2000000000" + goodBytes.substr(10), "length beyond the file");
    expectRejected("9999999999" + goodBytes.substr(10), "length outside int");
}

TEST_F(DamagedDictionary, BadArraySizeFields) {
    DoubleArrayTrie one;
    fill(one, {{"ab", "AB"}});
    std::istringstream in(savedBytes(one));
    std::string table;
    int size = 0;
    BinaryIO::read(in, table);
    const std::string tableBytes = savedBytes(one).substr(0, in.tellg());
    BinaryIO::read(in, size);
    const std::string units = savedBytes(one).substr(in.tellg());
    ASSERT_EQ(static_cast<int>(units.size()), size);
    auto field = [](long long v) {
        std::string s = std::to_string(v);
        return std::string(10 - s.size(), ' ') + s;
    };
    expectRejected(tableBytes + field(size - 4) + units, "not a whole number of units");
    expectRejected(tableBytes + field(size + 8) + units, "larger than the rest");
    expectRejected(tableBytes + field(-8) + units, "negative");
    expectRejected(tableBytes + "2147483640" + units, "huge");
    expectRejected(tableBytes + "      x  8" + units, "garbage");
    expectRejected(tableBytes + field(0), "a value table without an array");
    expectRejected(tableBytes + field(8) + units.substr(0, 8), "an array too small to hold a root");
}

TEST_F(DamagedDictionary, ValueTableLinesWithoutATabOrAKey) {
    DoubleArrayTrie one;
    fill(one, {{"ab", "AB"}});
    const std::string bytes = savedBytes(one);
    std::istringstream in(bytes);
    std::string table;
    BinaryIO::read(in, table);
    const std::string rest = bytes.substr(in.tellg());
    std::ostringstream noTab, noKey, blank;
    BinaryIO::write(noTab, std::string("ab AB\n"));
    BinaryIO::write(noKey, std::string("//\tAB\n"));
    BinaryIO::write(blank, std::string("ab\tAB\n\n"));
    expectRejected(noTab.str() + rest, "line without a tab");
    expectRejected(noKey.str() + rest, "line whose key is only marks");
    expectRejected(blank.str() + rest, "empty line");
}

TEST_F(DamagedDictionary, ArraysThatWouldLeadALookupOutsideThemselves) {
    DoubleArrayTrie one;
    fill(one, {{"ab", "AB"}, {"cd", "CD"}});
    const std::string bytes = savedBytes(one);
    std::istringstream in(bytes);
    std::string table;
    int size = 0;
    BinaryIO::read(in, table);
    BinaryIO::read(in, size);
    const size_t unitsAt = static_cast<size_t>(in.tellg());
    auto patched = [&](size_t unit, int field, uint32_t value) {
        std::string b = bytes;
        std::memcpy(&b[unitsAt + unit * 8 + field * 4], &value, 4);
        return b;
    };
    expectRejected(patched(0, 0, 0x7FFFFFF0u), "root base far outside");
    expectRejected(patched(0, 0, 0xFFFFFFF0u), "negative root base");
    // Every unit a walk can enter must keep its children inside the array.
    const int units = size / 8;
    int rejected = 0;
    for (int u = 1; u < units; ++u) {
        uint32_t check;
        std::memcpy(&check, &bytes[unitsAt + u * 8 + 4], 4);
        if (check == 0 || check >= static_cast<uint32_t>(u)) continue;
        expectRejected(patched(u, 0, 0x7FFFFF00u), "node base far outside at " + std::to_string(u));
        ++rejected;
    }
    EXPECT_GE(rejected, 4) << "a, b, c, d nodes";
    expectRejected(patched(5, 0, 0x80000000u), "base of INT_MIN");
    // A table with fewer groups than the array names.
    std::ostringstream shortTable;
    BinaryIO::write(shortTable, std::string("ab\tAB\n"));
    expectRejected(shortTable.str() + bytes.substr(table.size() + 10), "array names a missing group");
}

TEST_F(DamagedDictionary, AFailedLoadLeavesTheStreamFailed) {
    std::istringstream in("       999abc");
    EXPECT_FALSE(trie.load(in));
    EXPECT_TRUE(in.fail());
}

// --- buildDic and the dictionary tool ----------------------------------------

TEST(DictionaryBuilder, BuildsFromValueTabKeyLinesSkippingEmptyOnes) {
    TempDir dir;
    const std::string src = dir.write("src.txt", "\xEF\xBB\xBFHELLO\t/안녕/\n\nTHANKS\t고마워\textra\n  \n\t빈값\n");
    ASSERT_TRUE(DoubleArrayTrie::buildDic(src, dir.file("d.bin")));
    DoubleArrayTrie t;
    ASSERT_TRUE(t.load(dir.file("d.bin")));
    EXPECT_EQ(searchIn(t, "안녕 친구", 0).results, (Entries{{"/안녕/", "HELLO"}}));
    EXPECT_EQ(searchIn(t, "고마워", 0).results, (Entries{{"고마워", "THANKS"}}));
    EXPECT_EQ(searchIn(t, "빈값", 0).results, (Entries{{"빈값", ""}}));
    EXPECT_EQ(t.size(), 3u);
}

TEST(DictionaryBuilder, ALineWithoutATabFailsTheBuildAndWritesNothing) {
    TempDir dir;
    const std::string src = dir.write("src.txt", "HELLO\t안녕\nno tab here\n");
    LogCapture log;
    EXPECT_FALSE(DoubleArrayTrie::buildDic(src, dir.file("d.bin")));
    EXPECT_TRUE(log.contains(":2 has no value and key"));
    EXPECT_FALSE(fs::exists(dir.file("d.bin")));
}

TEST(DictionaryBuilder, MissingSourceFailsWithLoadFailed) {
    TempDir dir;
    LogCapture log;
    EXPECT_FALSE(DoubleArrayTrie::buildDic(dir.file("none.txt"), dir.file("d.bin")));
    EXPECT_TRUE(log.contains("Load failed"));
    EXPECT_FALSE(fs::exists(dir.file("d.bin")));
}

class DictionaryTool : public ::testing::Test {
protected:
    std::string tool = std::string(VARNEX_TOOLS_DIR) + "/varnex-dic";
    TempDir dir;
};

TEST_F(DictionaryTool, BuildThenDumpGivesEverySourceEntryBack) {
    const std::string src = dir.write("src.txt", "THANKS\t고마워\nHELLO\t/안녕/\nHI\t안녕\n\tempty\n");
    ASSERT_EQ(run(tool + " build " + src + " " + dir.file("d.bin")), 0);
    ASSERT_EQ(run(tool + " dump " + dir.file("d.bin") + " " + dir.file("dump.txt")), 0);
    EXPECT_EQ(readFile(dir.file("dump.txt")), "\tempty\nTHANKS\t고마워\nHELLO\t/안녕/\nHI\t안녕\n");
    ASSERT_EQ(run(tool + " build " + dir.file("dump.txt") + " " + dir.file("d2.bin")), 0);
    EXPECT_EQ(readFile(dir.file("d2.bin")), readFile(dir.file("d.bin")));
    EXPECT_EQ(readFile(dir.file("d.bin")).find("고마워"), std::string::npos);
}

TEST_F(DictionaryTool, RejectsBadArgumentsAndBadFiles) {
    EXPECT_NE(run(tool), 0);
    EXPECT_NE(run(tool + " build onlyone"), 0);
    EXPECT_NE(run(tool + " frobnicate a b"), 0);
    EXPECT_NE(run(tool + " build " + dir.file("missing.txt") + " " + dir.file("d.bin")), 0);
    EXPECT_NE(run(tool + " build " + dir.write("bad.txt", "no tab\n") + " " + dir.file("d.bin")), 0);
    EXPECT_NE(run(tool + " dump " + dir.file("missing.bin")), 0);
    EXPECT_NE(run(tool + " dump " + dir.write("junk.bin", "garbage garbage")), 0);
}
