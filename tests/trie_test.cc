// Binary primitives and the two pointer-based tries.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/ByteTrie.h"
#include "Varnex/Trie.h"

using namespace Varnex;
using VarnexTest::TempDir;

namespace {

template <typename T>
std::string written(const T& value) {
    std::ostringstream out;
    BinaryIO::write(out, value);
    return out.str();
}

using StringPair = std::pair<std::string, std::string>;

// Reads `target` from damaged `bytes`: the read fails and sets the failbit,
// the target ends up as `after`, and every later read of the stream fails too.
template <typename T>
void expectRejected(const std::string& bytes, T target, const T& after) {
    std::istringstream in(bytes);
    int next = 7;
    EXPECT_EQ(BinaryIO::read(in, target), -1) << "[" << bytes << "]";
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(target, after) << "[" << bytes << "]";
    EXPECT_EQ(BinaryIO::read(in, next), -1) << "[" << bytes << "]";
    EXPECT_EQ(next, 0);
}

}  // namespace

TEST(BinaryFormat, IntegersAreTenCharactersRightAlignedAndStringsALengthThenScrambledBytes) {
    for (const auto& c : std::vector<std::pair<int, std::string>>{
             {42, "        42"}, {-1, "        -1"}, {0, "         0"}, {1, "         1"}, {INT_MAX, "2147483647"},
             {123456789, " 123456789"}, {-999999999, "-999999999"}}) {
        EXPECT_EQ(written(c.first), c.second);
        std::istringstream in(c.second);
        int read = 7;
        EXPECT_EQ(BinaryIO::read(in, read), 10) << c.second;
        EXPECT_EQ(read, c.first);
    }
    // Only the first ten characters of a longer rendering fit.
    EXPECT_EQ(written(INT_MIN), "-214748364");
    // A string is its byte length, then its bytes scrambled.
    std::ostringstream out;
    EXPECT_EQ(BinaryIO::write(out, std::string("안녕 hello")), 22);
    EXPECT_EQ(out.str().substr(0, 10), "        12");
    EXPECT_EQ(out.str().size(), 22u);
    EXPECT_EQ(out.str().find("hello"), std::string::npos);
    EXPECT_EQ(out.str().find("안녕"), std::string::npos);
    EXPECT_EQ(written(std::string()), "         0");
    EXPECT_EQ(written(std::set<std::string>()), "         0");
}

TEST(BinaryIO, DamagedItemsFailStopLaterReadsAndNeverHalfFillTheTarget) {
    // An integer field must be an int filling the ten bytes exactly.
    for (const std::string& field :
         std::vector<std::string>{"      12ab", "abcdefghij", "          ", "    --5   ", "   +5     ", "12        ",
                                  "    1 2   ", "2147483648", "9999999999", "   -      ", "    12",
                                  std::string("     \0   1", 10)})
        expectRejected(field + written(5), 7, 0);
    // A length or count must not be negative nor larger than the bytes left.
    for (const std::string& bytes :
         {written(-5) + "abcde", written(6) + "abcde", written(2000000000) + "abc", written(INT_MAX)})
        expectRejected(bytes, std::string("old"), std::string());
    expectRejected(written(std::string("네")), StringPair{"x", "y"}, StringPair());
    for (const std::string& bytes : {written(2000000000), written(2) + written(std::string("하나")), written(3) + "xx"})
        expectRejected(bytes, std::set<std::string>{"keep"}, std::set<std::string>{"keep"});
}

TEST(BinaryIO, StringsPairsAndSetsRoundTripThroughARealFile) {
    TempDir dir;
    std::string all;  // every byte value that survives scrambling
    for (int b = 1; b <= 254; ++b) all.push_back(static_cast<char>(b));
    const StringPair yesNo{"네", "아니요"};
    const std::set<std::string> words{"가", "나다", "라마바"};
    {
        std::ofstream out(dir.file("s.bin"), std::ios::binary);
        for (const std::string& s : {all, std::string("끝"), std::string(), std::string("ab\xFF" "cd")})
            BinaryIO::write(out, s);
        BinaryIO::write(out, yesNo);
        BinaryIO::write(out, words);
        BinaryIO::write(out, std::set<std::string>());
    }
    std::ifstream in(dir.file("s.bin"), std::ios::binary);
    std::string a, b, empty = "old", c;
    StringPair p;
    std::set<std::string> back, unchanged{"keep"};
    EXPECT_EQ(BinaryIO::read(in, a), 264);
    EXPECT_EQ(BinaryIO::read(in, b), 277);
    EXPECT_EQ(BinaryIO::read(in, empty), 287);
    EXPECT_EQ(BinaryIO::read(in, c), 302);
    EXPECT_EQ(BinaryIO::read(in, p), 302 + static_cast<long long>(written(yesNo).size()));
    EXPECT_EQ(BinaryIO::read(in, back), 302 + static_cast<long long>((written(yesNo) + written(words)).size()));
    EXPECT_GT(BinaryIO::read(in, unchanged), 0);  // an empty set adds nothing
    EXPECT_EQ(a, all);
    EXPECT_EQ(b, "끝");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(c, "ab");  // 255 unscrambles to a zero byte, which ends the string
    EXPECT_EQ(p, yesNo);
    EXPECT_EQ(back, words);
    EXPECT_EQ(unchanged, std::set<std::string>{"keep"});
}

TEST(TrieKeyRules, TheTwentyTwoBoundaryCharacters) {
    EXPECT_EQ(TrieKeys::boundaryCharacters(),
              (std::set<std::string>{"", " ", "\t", "\n", "?", "~", "!", ",", ".", "ㅋ", "ㅎ", "ㅠ", "ㅜ", "ㅡ", "ㄷ",
                                     "ㄱ", "ㅇ", "ㄴ", "ㅈ", "ㅂ", "ㅗ", "ㅛ"}));
    for (const std::string& c : TrieKeys::boundaryCharacters()) EXPECT_TRUE(TrieKeys::isBoundary(c)) << c;
    for (const char* c : {"a", "\r", "ㅅ", "가", ";"}) EXPECT_FALSE(TrieKeys::isBoundary(c)) << c;
}

// --- Trie and ByteTrie: identical behaviour ---------------------------------

template <typename T>
void checkPointerTrie(const char* name) {
    SCOPED_TRACE(name);
    T trie;
    std::string raw, value, key;
    int skipped;
    for (const auto& [k, v] : std::vector<StringPair>{{"ab", "AB"}, {"abc", "ABC"}, {"/안녕/", "A"}, {"안녕", "B"}})
        trie.insert(k, v);
    // text, skip spaces, raw key and value found, spaces skipped inside the match (no match: outputs unchanged)
    for (const auto& [text, skip, found, v, spaces] :
         std::vector<std::tuple<std::string, bool, std::string, std::string, int>>{
             {"abd", true, "ab", "AB", 0}, {"abcd", true, "abc", "ABC", 0}, {"ab c", true, "abc", "ABC", 1},
             {"ab c", false, "ab", "AB", 0},
             {"ab x", true, "ab", "AB", 0},  // a space skipped before a dead end is not part of the match
             {"ab   c", true, "abc", "ABC", 3}, {"a", true, "", "", -1}, {"", true, "", "", -1},
             {"xab", true, "", "", -1},
             {"안녕", true, "안녕", "B", 0}}) {  // one entry per normalised key: the last insert wins
        raw = value = key = "";
        skipped = -1;
        ASSERT_EQ(trie.search(text, raw, value, key, skipped, skip), !found.empty()) << text;
        EXPECT_EQ(raw, found) << text;
        EXPECT_EQ(value, v) << text;
        EXPECT_EQ(key, TrieKeys::normalise(found)) << text;
        EXPECT_EQ(skipped, spaces) << text;
    }
}

TEST(PointerTries, LongestMatchAndSkippedSpacesAreTheSameInBoth) {
    checkPointerTrie<Trie>("Trie");
    checkPointerTrie<ByteTrie>("ByteTrie");
}
