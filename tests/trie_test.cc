// Binary primitives and the two pointer-based tries.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/ByteTrie.h"
#include "Varnex/Trie.h"

using Varnex::BinaryIO;
using Varnex::ByteTrie;
using Varnex::Trie;
using Varnex::TrieKeys;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

std::string written(int value) {
    std::ostringstream out;
    BinaryIO::write(out, value);
    return out.str();
}

// Reads one integer field from `bytes`; returns the position (or -1).
long long readInt(const std::string& bytes, int& value) {
    std::istringstream in(bytes);
    return BinaryIO::read(in, value);
}

}  // namespace

// --- integers -----------------------------------------------------------------

TEST(BinaryInteger, IsTenCharactersRightAlignedDecimal) {
    EXPECT_EQ(written(42), "        42");
    EXPECT_EQ(written(-1), "        -1");
    EXPECT_EQ(written(0), "         0");
    EXPECT_EQ(written(INT_MAX), "2147483647");
    // Only the first ten characters of a longer rendering fit.
    EXPECT_EQ(written(INT_MIN), "-214748364");
}

TEST(BinaryInteger, ReadsBackWhatWasWrittenAndReportsThePosition) {
    for (int v : {0, 1, 42, -1, -999999999, INT_MAX, 123456789}) {
        int read = 7;
        EXPECT_EQ(readInt(written(v), read), 10) << v;
        EXPECT_EQ(read, v);
    }
}

TEST(BinaryInteger, RejectsFieldsThatAreNotAnIntegerFillingTheTenBytes) {
    for (const std::string& field : std::vector<std::string>{"      12ab", "abcdefghij", "          ", "    --5   ", "   +5     ",
                                    "12        ", "    1 2   ", "2147483648", "9999999999", "   -      ",
                                    std::string("     \0   1", 10)}) {
        int value = 7;
        EXPECT_EQ(readInt(field, value), -1) << "[" << field << "]";
        EXPECT_EQ(value, 0) << "[" << field << "]";
    }
}

TEST(BinaryInteger, ShortFieldFailsAndEveryLaterReadFailsToo) {
    std::istringstream in("    12" + written(5));
    int a = 1, b = 1;
    EXPECT_EQ(BinaryIO::read(in, a), -1);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(BinaryIO::read(in, b), -1);
    EXPECT_EQ(b, 0);
}

// --- strings, pairs, sets --------------------------------------------------

TEST(BinaryString, IsALengthFollowedByScrambledBytes) {
    std::ostringstream out;
    EXPECT_EQ(BinaryIO::write(out, std::string("안녕 hello")), 22);
    const std::string bytes = out.str();
    EXPECT_EQ(bytes.substr(0, 10), "        12");
    EXPECT_EQ(bytes.size(), 22u);
    EXPECT_EQ(bytes.find("hello"), std::string::npos);
    EXPECT_EQ(bytes.find("안녕"), std::string::npos);
}

TEST(BinaryString, EmptyStringIsTheIntegerZeroAlone) {
    std::ostringstream out;
    BinaryIO::write(out, std::string());
    EXPECT_EQ(out.str(), "         0");
    std::istringstream in(out.str());
    std::string s = "old";
    EXPECT_EQ(BinaryIO::read(in, s), 10);
    EXPECT_EQ(s, "");
}

TEST(BinaryString, RoundTripsEveryByteValueUpTo254ThroughARealFile) {
    TempDir dir;
    std::string all;
    for (int b = 1; b <= 254; ++b) all.push_back(static_cast<char>(b));
    {
        std::ofstream out(dir.file("s.bin"), std::ios::binary);
        BinaryIO::write(out, all);
        BinaryIO::write(out, std::string("끝"));
    }
    std::ifstream in(dir.file("s.bin"), std::ios::binary);
    std::string a, b;
    EXPECT_EQ(BinaryIO::read(in, a), 264);
    EXPECT_EQ(BinaryIO::read(in, b), 277);
    EXPECT_EQ(a, all);
    EXPECT_EQ(b, "끝");
}

TEST(BinaryString, EndsAtTheFirstZeroByteAfterUnscrambling) {
    std::ostringstream out;
    BinaryIO::write(out, std::string("ab\xFF" "cd"));
    std::istringstream in(out.str());
    std::string s;
    EXPECT_GT(BinaryIO::read(in, s), 0);
    EXPECT_EQ(s, "ab");
}

TEST(BinaryString, LengthsThatAreNegativeOrLargerThanTheRestFail) {
    for (const std::string& bytes : {written(-5) + "abcde", written(6) + "abcde", written(2000000000) + "abc",
                                     written(INT_MAX)}) {
        std::istringstream in(bytes);
        std::string s = "old";
        EXPECT_EQ(BinaryIO::read(in, s), -1) << bytes;
        EXPECT_EQ(s, "");
        EXPECT_TRUE(in.fail());
    }
}

TEST(BinaryPair, RoundTripsAndIsEmptyWhenTheSecondHalfIsMissing) {
    std::ostringstream out;
    BinaryIO::write(out, std::make_pair(std::string("네"), std::string("아니요")));
    std::pair<std::string, std::string> p;
    std::istringstream in(out.str());
    EXPECT_EQ(BinaryIO::read(in, p), static_cast<long long>(out.str().size()));
    EXPECT_EQ(p, std::make_pair(std::string("네"), std::string("아니요")));

    std::ostringstream half;
    BinaryIO::write(half, std::string("네"));
    std::istringstream cut(half.str());
    p = {"x", "y"};
    EXPECT_EQ(BinaryIO::read(cut, p), -1);
    EXPECT_EQ(p, std::make_pair(std::string(), std::string()));
}

TEST(BinarySet, RoundTripsThreeStrings) {
    const std::set<std::string> words{"가", "나다", "라마바"};
    std::ostringstream out;
    BinaryIO::write(out, words);
    std::istringstream in(out.str());
    std::set<std::string> back;
    EXPECT_EQ(BinaryIO::read(in, back), static_cast<long long>(out.str().size()));
    EXPECT_EQ(back, words);
}

TEST(BinarySet, EmptySetLeavesTheTargetUnchanged) {
    std::ostringstream out;
    BinaryIO::write(out, std::set<std::string>());
    EXPECT_EQ(out.str(), "         0");
    std::istringstream in(out.str());
    std::set<std::string> target{"keep"};
    EXPECT_EQ(BinaryIO::read(in, target), 10);
    EXPECT_EQ(target, std::set<std::string>{"keep"});
}

TEST(BinarySet, HugeOrUnbackedCountsFailWithoutTouchingTheTarget) {
    std::ostringstream oneString;
    BinaryIO::write(oneString, std::string("하나"));
    for (const std::string& bytes : {written(2000000000), written(2) + oneString.str(), written(3) + "xx"}) {
        std::istringstream in(bytes);
        std::set<std::string> target{"keep"};
        EXPECT_EQ(BinaryIO::read(in, target), -1);
        EXPECT_EQ(target, std::set<std::string>{"keep"});
    }
}

// --- key rules ----------------------------------------------------------------

TEST(TrieKeyRules, TheTwentyTwoBoundaryCharacters) {
    const auto& set = TrieKeys::boundaryCharacters();
    EXPECT_EQ(set.size(), 22u);
    for (const char* c : {"", " ", "\t", "\n", "?", "~", "!", ",", ".", "ㅋ", "ㅎ", "ㅠ", "ㅜ", "ㅡ", "ㄷ", "ㄱ",
                          "ㅇ", "ㄴ", "ㅈ", "ㅂ", "ㅗ", "ㅛ"})
        EXPECT_TRUE(TrieKeys::isBoundary(c)) << c;
    for (const char* c : {"a", "\r", "ㅅ", "가", ";"}) EXPECT_FALSE(TrieKeys::isBoundary(c)) << c;
}

// --- Trie and ByteTrie: identical behaviour ---------------------------------

template <typename T>
class PointerTrie : public ::testing::Test {
protected:
    T trie;
    std::string raw, value, key;
    int skipped = -1;
    bool find(const std::string& text, bool skipSpaces = true) {
        return trie.search(text, raw, value, key, skipped, skipSpaces);
    }
};
using PointerTries = ::testing::Types<Trie, ByteTrie>;
TYPED_TEST_SUITE(PointerTrie, PointerTries);

TYPED_TEST(PointerTrie, LongestKeyAtTheStartWithFallBackToAShorterOne) {
    this->trie.insert("ab", "AB");
    this->trie.insert("abc", "ABC");
    ASSERT_TRUE(this->find("abd"));
    EXPECT_EQ(this->raw, "ab");
    EXPECT_EQ(this->value, "AB");
    ASSERT_TRUE(this->find("abcd"));
    EXPECT_EQ(this->raw, "abc");
    EXPECT_FALSE(this->find("a"));
    EXPECT_FALSE(this->find(""));
    EXPECT_FALSE(this->find("xab"));
}

TYPED_TEST(PointerTrie, SkippedSpacesAreReportedOnlyWhenInsideTheMatch) {
    this->trie.insert("ab", "AB");
    this->trie.insert("abc", "ABC");
    ASSERT_TRUE(this->find("ab c"));
    EXPECT_EQ(this->raw, "abc");
    EXPECT_EQ(this->skipped, 1);
    ASSERT_TRUE(this->find("ab c", false));
    EXPECT_EQ(this->raw, "ab");
    EXPECT_EQ(this->skipped, 0);
    ASSERT_TRUE(this->find("ab x"));
    EXPECT_EQ(this->raw, "ab");
    EXPECT_EQ(this->skipped, 0) << "a space skipped before a dead end is not part of the match";
    ASSERT_TRUE(this->find("ab   c"));
    EXPECT_EQ(this->skipped, 3);
}

TYPED_TEST(PointerTrie, OneEntryPerNormalisedKeyTheLastInsertWins) {
    this->trie.insert("/안녕/", "A");
    this->trie.insert("안녕", "B");
    ASSERT_TRUE(this->find("안녕"));
    EXPECT_EQ(this->raw, "안녕");
    EXPECT_EQ(this->value, "B");
    EXPECT_EQ(this->key, "안녕");
}

TYPED_TEST(PointerTrie, KeysMadeOnlyOfMarksAreIgnored) {
    for (const char* k : {"", "/", "~", "~~", "/~/"}) this->trie.insert(k, "MARK");
    EXPECT_FALSE(this->find("/~"));
    EXPECT_FALSE(this->find("~~ x"));
    std::vector<std::pair<std::string, std::string>> results;
    int length = -1;
    for (int start = 0; start < 4; ++start) EXPECT_FALSE(this->trie.search("/~~/", start, results, length, true, false));
    EXPECT_EQ(length, -1);
}

TYPED_TEST(PointerTrie, KeysUpToTheLengthLimitAreKeptLongerOnesIgnored) {
    const std::string longest(TrieKeys::kMaxKeyBytes, 'k');
    this->trie.insert("/" + longest + "/", "LONGEST");
    this->trie.insert(longest + "k", "TOO_LONG");
    ASSERT_TRUE(this->find(longest + "kk"));
    EXPECT_EQ(this->value, "LONGEST");
}
