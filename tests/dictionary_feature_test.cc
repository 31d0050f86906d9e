// Dictionary features: loading text, scrambled and binary dictionaries, and
// the first / last / all-match and feature scans over a message.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
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
using Spans = std::vector<std::pair<int, int>>;
using Match = std::tuple<int, std::string, std::string, std::string>;  // offset, key, matched text, value

Match first(const DictionaryFeature& d, const std::string& text, bool skipSpaces = true, bool ignoreLeading = false,
            bool last = false) {
    Match m{-2, "-", "-", "-"};
    auto& [offset, key, matched, value] = m;
    offset = last ? d.findLastMatch(text, key, matched, value, skipSpaces, ignoreLeading)
                  : d.findFirstMatch(text, key, matched, value, skipSpaces, ignoreLeading);
    return m;
}

std::string firstValue(const DictionaryFeature& d, const std::string& text) { return std::get<3>(first(d, text)); }

std::vector<std::string> features(const DictionaryFeature& d, const std::string& text, bool valuesOnly) {
    std::vector<std::string> out;
    d.getFeature(text, out, valuesOnly, true);
    return out;
}

const char kGreetingSource[] = "GREETING\t안녕\nGREETING_POLITE\t안녕하세요\nTHANKS\t/고마워/\nNIGHT\t잘 자\n"
                               "THREE\tfields\there\nno tab at all\nTRAILING\t끝\t\n";

}  // namespace

TEST(DictionaryLoading, TextLinesWithExactlyTwoFieldsPlainOrScrambled) {
    TempDir dir;
    const std::string path = dir.write("greet.dictionary", kGreetingSource);
    ASSERT_TRUE(Varnex::Utilities::Encryptor().encrypt(path, path + ".enc"));
    LogCapture log;
    DictionaryFeature d(path, false);
    EXPECT_TRUE(log.contains(path + ":5: line refused, 3 fields, at most 2 allowed"));
    EXPECT_TRUE(log.contains(path + ":6: line refused, 1 field, 2 needed"));
    EXPECT_EQ(firstValue(d, "안녕"), "GREETING");
    EXPECT_EQ(firstValue(d, "잘 자"), "NIGHT");
    EXPECT_EQ(std::get<0>(first(d, "fields here")), -1) << "three fields: ignored";
    EXPECT_EQ(std::get<0>(first(d, "no tab at all")), -1);
    EXPECT_EQ(firstValue(d, "끝"), "TRAILING") << "a trailing tab adds no field";
    DictionaryFeature enc(path + ".enc", false);
    EXPECT_EQ(firstValue(enc, "아 안녕하세요"), "GREETING_POLITE") << "scrambled, recognised by its name";

    d.loadDictionary(dir.file("nothing.dictionary.enc"), false);  // a failed load replaces the dictionary too
    EXPECT_TRUE(log.contains(dir.file("nothing.dictionary.enc") + ": no such file"));
    EXPECT_EQ(std::get<0>(first(d, "안녕")), -1);
    DictionaryFeature listed(Entries{{"안녕", "OLD"}});
    EXPECT_EQ(features(listed, "안녕 고마워", true), std::vector<std::string>{"OLD"});
    listed.loadDictionary(Entries{{"고마워", "NEW"}});
    EXPECT_EQ(std::get<0>(first(listed, "안녕")), -1);
    EXPECT_EQ(firstValue(listed, "고마워"), "NEW");
    EXPECT_EQ(features(listed, "안녕 고마워", true), std::vector<std::string>{"NEW"})
        << "a reloaded dictionary is scanned anew";
}

// A compiled form is read in place of its text only while it was made from
// the text's present bytes; a stale or damaged one falls back to the text.
TEST(DictionaryLoading, ACompiledFormServesOnlyTheTextItWasMadeFrom) {
    TempDir dir;
    const std::string path = dir.write("greet.dictionary", "GREETING\t안녕\nNIGHT\t잘 자\n");
    const std::string compiled = DictionaryFeature::compiledPath(path);
    ASSERT_TRUE(DictionaryFeature::compile(path, compiled));
    {
        LogCapture log;
        DictionaryFeature d(path, false);
        EXPECT_EQ(firstValue(d, "잘 자"), "NIGHT");
        EXPECT_FALSE(log.contains("reading the text"));
    }
    dir.write("greet.dictionary", "GREETING\t안녕\nMORNING\t잘 잤어\n");
    {
        LogCapture log;
        DictionaryFeature d(path, false);
        EXPECT_EQ(firstValue(d, "잘 잤어"), "MORNING") << "the changed text wins";
        EXPECT_TRUE(log.contains("compiled from other contents"));
    }
    ASSERT_TRUE(DictionaryFeature::compile(path, compiled));
    std::string bytes = VarnexTest::readFile(compiled);
    dir.write("greet.dictionary.trie", bytes.substr(0, bytes.size() - 7));
    LogCapture log;
    DictionaryFeature d(path, false);
    EXPECT_EQ(firstValue(d, "잘 잤어"), "MORNING");
    EXPECT_TRUE(log.contains("is damaged; reading the text"));
    EXPECT_FALSE(DictionaryFeature::compile(dir.file("absent"), dir.file("absent.trie")));
    EXPECT_FALSE(VarnexTest::listDir(dir.path()).empty());
    for (const auto& name : VarnexTest::listDir(dir.path())) EXPECT_NE(name, "absent.trie");
}

TEST(DictionaryLoading, BinaryFilesAndStreamsRoundTripAndDamagedOnesFindNothing) {
    TempDir dir;
    DictionaryFeature text(dir.write("greet.dictionary", kGreetingSource), false);
    {
        std::ofstream out(dir.file("greet.bin"), std::ios::binary);
        text.save(out);
        Varnex::BinaryIO::write(out, 77);
    }
    EXPECT_EQ(firstValue(DictionaryFeature(dir.file("greet.bin"), true), "고마워 진짜"), "THANKS") << "from a path";
    DictionaryFeature fromStream;
    std::ifstream in(dir.file("greet.bin"), std::ios::binary);
    fromStream.load(in);
    int after = 0;
    Varnex::BinaryIO::read(in, after);
    EXPECT_EQ(after, 77) << "the stream is left right after the dictionary";
    for (const std::string msg : {"아 안녕하세요", "고마워!", "잘 자요", "안녕 고마워 잘 자"}) {
        Spans s1, s2;
        Entries m1, m2;
        text.findAllMatch(msg, s1, m1, true, false);
        fromStream.findAllMatch(msg, s2, m2, true, false);
        EXPECT_EQ(s1, s2) << msg;
        EXPECT_EQ(m1, m2) << msg;
    }
    for (const std::string& path : {dir.write("empty.bin", ""), dir.write("short.bin", "         5abc"),
                                    dir.write("junk.bin", std::string(300, '\x07')), dir.file("missing.bin")}) {
        LogCapture log;
        DictionaryFeature d(path, true);
        EXPECT_TRUE(log.contains("LoadError")) << path;
        EXPECT_EQ(std::get<0>(first(d, "안녕")), -1) << path;
    }
}

TEST(FirstAndLastMatch, ByteOffsetKeyMatchedTextAndValue) {
    const Entries greeting{{"안녕", "GREETING"}}, bounded{{"/안녕/", "GREETING"}, {"갈께", "갈게/"}};
    const Entries plainAndBounded{{"안녕", "PLAIN"}, {"/안녕/", "BOUNDED"}}, thanks{{"고마워", "THANKS"}};
    const Entries shortAndLong{{"안녕", "SHORT"}, {"안녕하세요", "LONG"}}, night{{"잘자", "NIGHT"}}, yo{{"/요/", "YO"}};
    const Match none{-1, "-", "-", "-"};
    // entries, text, skip spaces, ignore the leading mark, last match, the match, why
    for (const auto& [entries, text, skip, ignoreLeading, last, expected, why] :
         std::vector<std::tuple<Entries, std::string, bool, bool, bool, Match, const char*>>{
             {greeting, "아 안녕하세요", true, false, false, {4, "안녕", "안녕", "GREETING"}, "offsets in bytes"},
             {shortAndLong, "안녕하세요", true, false, false, {0, "안녕하세요", "안녕하세요", "LONG"}, "longer key"},
             {plainAndBounded, "안녕", true, false, false, {0, "/안녕/", "안녕", "BOUNDED"}, "the longest raw key"},
             {plainAndBounded, "안녕하", true, false, false, {0, "안녕", "안녕", "PLAIN"}, "the bounded key fails"},
             {greeting, "반가워", true, false, false, none, "no match leaves the outputs"},
             {greeting, "", true, false, false, none, "empty text"},
             {bounded, "안녕 친구", true, false, false, {0, "/안녕/", "안녕", "GREETING"}, "a boundary before a space"},
             {bounded, "갈께 요", true, false, false, {0, "갈께", "갈께", "갈게/"}, "the skipped space stays out"},
             {night, "다들 잘 자", true, false, false, {7, "잘자", "잘 자", "NIGHT"}, "spaces skipped inside a key"},
             {night, "다들 잘 자", false, false, false, none, "no skipping"},
             {yo, "해요", true, false, false, none, "the leading mark tested"},
             {yo, "해요", true, true, false, {3, "/요/", "요", "YO"}, "the leading mark ignored"},
             {thanks, "고마워 진짜 고마워", true, false, true, {17, "고마워", "고마워", "THANKS"}, "the last match"},
             {thanks, "없음", true, false, true, none, "no last match"},
             {thanks, "", true, false, true, none, "no last match in an empty text"},
             {{{"aa", "AA"}}, "aaa", true, false, true, {0, "aa", "aa", "AA"}, "the scan continues after a match"}}) {
        EXPECT_EQ(first(DictionaryFeature(entries), text, skip, ignoreLeading, last), expected) << why;
    }
}

TEST(Features, KeyAndValueOfEveryMatchInOrderAlwaysTestingTheLeadingMark) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}, {"/고마워/", "THANKS"}});
    std::vector<std::string> out{"earlier"};
    d.getFeature("안녕 고마워", out, false, true);
    EXPECT_EQ(out, (std::vector<std::string>{"earlier", "안녕", "GREETING", "/고마워/", "THANKS"}));
    EXPECT_EQ(features(d, "안녕 고마워", true), (std::vector<std::string>{"GREETING", "THANKS"}));
    EXPECT_TRUE(features(d, "", false).empty());
    DictionaryFeature yo(Entries{{"/요", "YO"}});
    EXPECT_TRUE(features(yo, "해요", true).empty());
    EXPECT_EQ(features(yo, "해 요", true), std::vector<std::string>{"YO"});
}

TEST(AllMatches, ByteSpansAppendedWithoutClearingAndMarkOnlyKeysNeverStallAScan) {
    DictionaryFeature d(Entries{{"안녕", "GREETING"}, {"고마워", "THANKS"}});
    Spans spans{{-1, -1}};
    Entries matches{{"x", "y"}};
    EXPECT_EQ(d.findAllMatch("안녕! 고마워", spans, matches, true, false), 3);
    EXPECT_EQ(spans, (Spans{{-1, -1}, {0, 6}, {8, 17}}));
    EXPECT_EQ(matches, (Entries{{"x", "y"}, {"안녕", "GREETING"}, {"고마워", "THANKS"}}));
    EXPECT_EQ(d.findAllMatch("반가워", spans, matches, true, false), 3) << "no match: the unchanged size";
    EXPECT_EQ(d.findAllMatch("", spans, matches, true, false), 3);
    EXPECT_EQ(spans.size(), 3u);

    DictionaryFeature marks(Entries{{"/", "SLASH"}, {"~", "TILDE"}, {"~~", "TILDES"}, {"", "EMPTY"}, {"ㅋ", "LAUGH"}});
    EXPECT_EQ(marks.findAllMatch("/~ㅋ~/ㅋ", spans, matches, true, false), 3 + 2);
    EXPECT_EQ(features(marks, "//~~", false), std::vector<std::string>{});
}
