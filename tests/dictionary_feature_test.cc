// Dictionary features: loading text, scrambled and binary dictionaries, and
// the first / last / all-match and feature scans over a message.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Utilities/Encryptor.h"

using Varnex::DictionaryFeature;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

struct First {
    int offset;
    std::string key, matched, value;
};

First first(const DictionaryFeature& d, const std::string& text, bool skipSpaces = true, bool ignoreLeading = false) {
    First f{-2, "-", "-", "-"};
    f.offset = d.findFirstMatch(text, f.key, f.matched, f.value, skipSpaces, ignoreLeading);
    return f;
}

First last(const DictionaryFeature& d, const std::string& text) {
    First f{-2, "-", "-", "-"};
    f.offset = d.findLastMatch(text, f.key, f.matched, f.value, true, false);
    return f;
}

std::vector<std::string> features(const DictionaryFeature& d, const std::string& text, bool valuesOnly) {
    std::vector<std::string> out;
    d.getFeature(text, out, valuesOnly, true);
    return out;
}

std::string scramble(const std::string& plain) {
    std::unique_ptr<char[]> bytes(Varnex::Utilities::Encryptor().encrypt(plain.data(), plain.size()));
    return std::string(bytes.get(), plain.size());
}

const char kGreetingSource[] =
    "GREETING\t안녕\n"
    "GREETING_POLITE\t안녕하세요\n"
    "THANKS\t/고마워/\n"
    "NIGHT\t잘 자\n"
    "THREE\tfields\there\n"
    "no tab at all\n"
    "TRAILING\t끝\t\n";

}  // namespace

// --- loading -------------------------------------------------------------------

TEST(DictionaryLoading, TextLinesWithExactlyTwoFieldsBecomeValueAndKey) {
    TempDir dir;
    DictionaryFeature d(dir.write("greet.dictionary", kGreetingSource), false);
    EXPECT_EQ(first(d, "안녕").value, "GREETING");
    EXPECT_EQ(first(d, "잘 자").value, "NIGHT");
    EXPECT_EQ(first(d, "fields here").offset, -1) << "three fields: ignored";
    EXPECT_EQ(first(d, "no tab at all").offset, -1);
    EXPECT_EQ(first(d, "끝").value, "TRAILING") << "a trailing tab adds no field";
}

TEST(DictionaryLoading, ScrambledTextDictionaryIsRecognisedByItsName) {
    TempDir dir;
    DictionaryFeature d(dir.write("greet.dictionary.enc", scramble(kGreetingSource)), false);
    EXPECT_EQ(first(d, "아 안녕하세요").value, "GREETING_POLITE");
}

TEST(DictionaryLoading, BinaryFileAndStreamsRoundTrip) {
    TempDir dir;
    DictionaryFeature text(dir.write("greet.dictionary", kGreetingSource), false);
    {
        std::ofstream out(dir.file("greet.bin"), std::ios::binary);
        text.save(out);
        Varnex::BinaryIO::write(out, 77);
    }
    DictionaryFeature fromPath(dir.file("greet.bin"), true);
    EXPECT_EQ(first(fromPath, "고마워 진짜").value, "THANKS");

    DictionaryFeature fromStream;
    std::ifstream in(dir.file("greet.bin"), std::ios::binary);
    fromStream.load(in);
    int after = 0;
    Varnex::BinaryIO::read(in, after);
    EXPECT_EQ(after, 77) << "the stream is left right after the dictionary";
    for (const std::string msg : {"아 안녕하세요", "고마워!", "잘 자요", "안녕 고마워 잘 자"}) {
        std::vector<std::pair<int, int>> s1, s2;
        Entries m1, m2;
        text.findAllMatch(msg, s1, m1, true, false);
        fromStream.findAllMatch(msg, s2, m2, true, false);
        EXPECT_EQ(s1, s2) << msg;
        EXPECT_EQ(m1, m2) << msg;
    }
}

TEST(DictionaryLoading, MissingTextFileFindsNothingAndLogsLoadFailed) {
    TempDir dir;
    LogCapture log;
    DictionaryFeature d(dir.file("nothing.dictionary.enc"), false);
    EXPECT_TRUE(log.contains("Load failed : "));
    EXPECT_EQ(first(d, "안녕").offset, -1);
}

TEST(DictionaryLoading, DamagedBinaryFileFindsNothingAndLogsLoadError) {
    TempDir dir;
    for (const std::string& bytes : {std::string(), std::string("         5abc"), std::string(300, '\x07')}) {
        LogCapture log;
        DictionaryFeature d(dir.write("bad.bin", bytes), true);
        EXPECT_TRUE(log.contains("LoadError"));
        EXPECT_EQ(first(d, "안녕").offset, -1);
    }
    LogCapture log;
    DictionaryFeature missing(dir.file("missing.bin"), true);
    EXPECT_TRUE(log.contains("LoadError"));
}

TEST(DictionaryLoading, ReloadingReplacesTheWholeDictionary) {
    DictionaryFeature d(Entries{{"안녕", "OLD"}});
    d.loadDictionary(Entries{{"고마워", "NEW"}});
    EXPECT_EQ(first(d, "안녕").offset, -1);
    EXPECT_EQ(first(d, "고마워").value, "NEW");
}

// --- first and last match ---------------------------------------------------------

TEST(FirstMatch, FindsTheFirstOffsetInBytes) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}});
    First f = first(d, "아 안녕하세요");
    EXPECT_EQ(f.offset, 4);
    EXPECT_EQ(f.matched, "안녕");
    EXPECT_EQ(f.key, "안녕");
    EXPECT_EQ(f.value, "GREETING");
}

TEST(FirstMatch, PrefersTheLongerKeyAtTheSameOffset) {
    DictionaryFeature d(Entries{{"안녕", "SHORT"}, {"안녕하세요", "LONG"}});
    First f = first(d, "안녕하세요");
    EXPECT_EQ(f.offset, 0);
    EXPECT_EQ(f.key, "안녕하세요");
    EXPECT_EQ(f.value, "LONG");
}

TEST(FirstMatch, AmongRawKeysOfOneGroupTheLongestRawKeyWins) {
    DictionaryFeature d(Entries{{"안녕", "PLAIN"}, {"/안녕/", "BOUNDED"}});
    First f = first(d, "안녕");
    EXPECT_EQ(f.key, "/안녕/");
    EXPECT_EQ(f.value, "BOUNDED");
    f = first(d, "안녕하");
    EXPECT_EQ(f.key, "안녕") << "the bounded key fails its trailing test";
}

TEST(FirstMatch, WithoutAMatchReturnsMinusOneAndLeavesOutputs) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}});
    First f = first(d, "반가워");
    EXPECT_EQ(f.offset, -1);
    EXPECT_EQ(f.key, "-");
    EXPECT_EQ(f.matched, "-");
    EXPECT_EQ(f.value, "-");
    EXPECT_EQ(first(d, "").offset, -1);
}

TEST(FirstMatch, ABoundedKeyMatchesBeforeASpaceAndTheMatchStopsThere) {
    DictionaryFeature d(Entries{{"/안녕/", "GREETING"}, {"갈께", "갈게/"}});
    First f = first(d, "안녕 친구");
    EXPECT_EQ(f.offset, 0);
    EXPECT_EQ(f.matched, "안녕");
    f = first(d, "갈께 요");
    EXPECT_EQ(f.matched, "갈께") << "the skipped space after the key is not part of the match";
}

TEST(FirstMatch, SkippedSpacesInsideAKeyArePartOfTheMatchedText) {
    DictionaryFeature d(Entries{{"잘자", "NIGHT"}});
    First f = first(d, "다들 잘 자");
    EXPECT_EQ(f.offset, 7);
    EXPECT_EQ(f.matched, "잘 자");
    EXPECT_EQ(first(d, "다들 잘 자", false).offset, -1);
}

TEST(FirstMatch, LeadingMarkCanBeIgnored) {
    DictionaryFeature d(Entries{{"/요/", "YO"}});
    EXPECT_EQ(first(d, "해요").offset, -1);
    EXPECT_EQ(first(d, "해요", true, true).offset, 3);
}

TEST(LastMatch, ReturnsTheSecondOccurrenceOfARepeatedPhrase) {
    DictionaryFeature d(Entries{{"고마워", "THANKS"}});
    First f = last(d, "고마워 진짜 고마워");
    EXPECT_EQ(f.offset, 17);
    EXPECT_EQ(f.matched, "고마워");
    EXPECT_EQ(last(d, "없음").offset, -1);
    EXPECT_EQ(last(d, "").offset, -1);
}

TEST(LastMatch, MatchesDoNotOverlap) {
    DictionaryFeature d(Entries{{"aa", "AA"}});
    First f = last(d, "aaa");
    EXPECT_EQ(f.offset, 0) << "the scan continues after the match at 0, not at 1";
}

// --- features and all matches ---------------------------------------------------

TEST(Features, KeyAndValueOfEveryMatchInOrder) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}, {"/고마워/", "THANKS"}});
    std::vector<std::string> out{"earlier"};
    d.getFeature("안녕 고마워", out, false, true);
    EXPECT_EQ(out, (std::vector<std::string>{"earlier", "안녕", "GREETING", "/고마워/", "THANKS"}));
    EXPECT_EQ(features(d, "안녕 고마워", true), (std::vector<std::string>{"GREETING", "THANKS"}));
    EXPECT_TRUE(features(d, "", false).empty());
}

TEST(Features, AlwaysTestTheLeadingMark) {
    DictionaryFeature d(Entries{{"/요", "YO"}});
    EXPECT_TRUE(features(d, "해요", true).empty());
    EXPECT_EQ(features(d, "해 요", true), std::vector<std::string>{"YO"});
}

TEST(AllMatches, SpansAreByteRangesAndNothingIsCleared) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}, {"고마워", "THANKS"}});
    std::vector<std::pair<int, int>> spans{{-1, -1}};
    Entries matches{{"x", "y"}};
    EXPECT_EQ(d.findAllMatch("안녕! 고마워", spans, matches, true, false), 3);
    EXPECT_EQ(spans, (std::vector<std::pair<int, int>>{{-1, -1}, {0, 6}, {8, 17}}));
    EXPECT_EQ(matches, (Entries{{"x", "y"}, {"안녕", "GREETING"}, {"고마워", "THANKS"}}));
}

TEST(AllMatches, NoMatchReturnsTheUnchangedSize) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}});
    std::vector<std::pair<int, int>> spans;
    Entries matches{{"a", "b"}, {"c", "d"}};
    EXPECT_EQ(d.findAllMatch("반가워", spans, matches, true, false), 2);
    EXPECT_EQ(d.findAllMatch("", spans, matches, true, false), 2);
    EXPECT_TRUE(spans.empty());
}

TEST(AllMatches, KeysMadeOnlyOfMarksNeverStallAScan) {
    DictionaryFeature d(Entries{{"/", "SLASH"}, {"~", "TILDE"}, {"~~", "TILDES"}, {"", "EMPTY"}, {"ㅋ", "LAUGH"}});
    std::vector<std::pair<int, int>> spans;
    Entries matches;
    EXPECT_EQ(d.findAllMatch("/~ㅋ~/ㅋ", spans, matches, true, false), 2);
    EXPECT_EQ(features(d, "//~~", false), std::vector<std::string>{});
}

