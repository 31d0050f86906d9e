#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Varnex/Utilities/StackCleaner.h"
#include "Varnex/Utilities/StringUtil.h"

using Varnex::Utilities::StackCleaner;
using Varnex::Utilities::StringUtil;
using VarnexTest::LogCapture;

namespace {
std::vector<std::string> splitAll(const std::string& s, char d) {
    std::vector<std::string> out;
    StringUtil::split(s, d, out);
    return out;
}
const std::string kGa = "가";             // EA B0 80
const std::string kCont = "\x80";         // stray continuation byte
const std::string kLeadOnly = "\xEA";     // lead byte of a 3-byte character
const std::string kCutShort = "\xEA\xB0"; // 3-byte character missing its last byte
}  // namespace

TEST(StringUtil, ReplaceSplitAndTrim) {
    std::string s = "aaa";
    EXPECT_EQ(StringUtil::replace(s, "aa", "b"), 1);
    EXPECT_EQ(s, "ba");
    EXPECT_EQ(StringUtil::replace(s, "", "x"), 0);
    EXPECT_EQ(s, "ba");
    std::string k = "갈께 갈께";
    EXPECT_EQ(StringUtil::replace(k, "갈께", "갈게"), 2);
    EXPECT_EQ(k, "갈게 갈게");

    EXPECT_EQ(splitAll("a,,b,", ','), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(splitAll("", ',').empty());
    EXPECT_EQ(splitAll(",a", ','), (std::vector<std::string>{"", "a"}));
    std::vector<std::string> kept{"x"};
    StringUtil::split("안녕\t하세요", '\t', kept);
    EXPECT_EQ(kept, (std::vector<std::string>{"x", "안녕", "하세요"}));

    std::string padded = " \t 안녕 \r\n";
    EXPECT_EQ(StringUtil::trim(padded), "안녕");
    EXPECT_EQ(StringUtil::ltrim(padded), "안녕 \r\n");
    EXPECT_EQ(StringUtil::rtrim(padded), " \t 안녕");
    EXPECT_EQ(padded, " \t 안녕 \r\n");  // the argument is not changed
}

TEST(StringUtil, Predicates) {
    EXPECT_TRUE(StringUtil::issymbol(""));
    EXPECT_TRUE(StringUtil::issymbol("?"));
    EXPECT_TRUE(StringUtil::issymbol("\\"));
    EXPECT_FALSE(StringUtil::issymbol("ab"));
    EXPECT_FALSE(StringUtil::issymbol("\""));
    EXPECT_TRUE(StringUtil::isspace(std::string(" ")));
    EXPECT_FALSE(StringUtil::isspace(std::string("  ")));
    EXPECT_FALSE(StringUtil::isspace('\v'));

    EXPECT_TRUE(StringUtil::startWith("안녕하세요", "안녕"));
    EXPECT_TRUE(StringUtil::startWith("abc", ""));
    EXPECT_FALSE(StringUtil::startWith("ab", "abc"));
    EXPECT_EQ(StringUtil::toLower("AbC가Z"), "abc가z");

    std::string bom = "\xEF\xBB\xBFx";
    StringUtil::removeUtf8Bom(bom);
    EXPECT_EQ(bom, "x");
    StringUtil::removeUtf8Bom(bom);
    EXPECT_EQ(bom, "x");
}

TEST(StringUtil, Murmur3MatchesReferenceValues) {
    EXPECT_EQ(StringUtil::murmur3_32("", 0), 0u);
    EXPECT_EQ(StringUtil::murmur3_32("", 1), 0x514E28B7u);
    EXPECT_EQ(StringUtil::murmur3_32("test", 0), 0xBA6BD213u);
    EXPECT_EQ(StringUtil::murmur3_32("Hello, world!", 0x9747b28c), 0x24884CBAu);
    EXPECT_EQ(StringUtil::murmur3_32("The quick brown fox jumps over the lazy dog", 0x9747b28c), 0x2FA826CDu);
    // Korean text hashes its UTF-8 bytes: three-byte characters exercise the tail.
    EXPECT_EQ(StringUtil::murmur3_32("가", 0), StringUtil::murmur3_32(std::string("\xEA\xB0\x80"), 0));
    EXPECT_NE(StringUtil::murmur3_32("가", 0), StringUtil::murmur3_32("각", 0));
}

TEST(StringUtil, StepsThroughValidUtf8) {
    const std::string s = "a" + kGa + "b";  // a EA B0 80 b
    std::string ch;
    EXPECT_EQ(StringUtil::getPreviousChar(kGa, 2, ch), 0);
    EXPECT_EQ(ch, kGa);
    EXPECT_EQ(StringUtil::getPreviousChar(s, 4, ch), 4);
    EXPECT_EQ(ch, "b");
    EXPECT_EQ(StringUtil::getNextChar(s, 2, ch), 4);
    EXPECT_EQ(ch, "b");
    EXPECT_EQ(StringUtil::getNextChar(s, 1, ch), 1);
    EXPECT_EQ(ch, kGa);
    EXPECT_EQ(StringUtil::getLength("가a"), 2);

    std::vector<std::string> chars;
    StringUtil::getCharactors("밥 먹자😀", chars);
    EXPECT_EQ(chars, (std::vector<std::string>{"밥", " ", "먹", "자", "😀"}));
}

TEST(StringUtil, StaysInsideTheBufferOnBrokenUtf8) {
    std::string ch = "junk";
    // Past the end and negative positions.
    EXPECT_EQ(StringUtil::getNextChar(kGa, 3, ch), 3);
    EXPECT_TRUE(ch.empty());
    EXPECT_EQ(StringUtil::getNextChar(kGa, 99, ch), 3);
    EXPECT_EQ(StringUtil::getPreviousChar(kGa, 99, ch), 3);
    EXPECT_TRUE(ch.empty());
    EXPECT_EQ(StringUtil::getPreviousChar(kGa, -1, ch), 0);
    EXPECT_TRUE(ch.empty());
    // Stray continuation bytes: stepping forward runs off the end, stepping
    // back stops at index 0.
    const std::string strays = kCont + kCont;
    EXPECT_EQ(StringUtil::getNextChar(strays, 0, ch), 2);
    EXPECT_TRUE(ch.empty());
    EXPECT_EQ(StringUtil::getPreviousChar(strays, 1, ch), 0);
    EXPECT_TRUE(ch.empty());
    // A lead byte at the very end yields the bytes that remain.
    const std::string endsInLead = "a" + kLeadOnly;
    EXPECT_EQ(StringUtil::getPreviousChar(endsInLead, 1, ch), 1);
    EXPECT_EQ(ch, kLeadOnly);
    EXPECT_EQ(StringUtil::getNextChar(kCutShort, 0, ch), 0);
    EXPECT_EQ(ch, kCutShort);

    EXPECT_EQ(StringUtil::getLength(kCont), 0);
    EXPECT_EQ(StringUtil::getLength(kCont + kGa + kLeadOnly), 2);
    std::vector<std::string> chars;
    StringUtil::getCharactors(kCont + "a" + kCutShort, chars);
    EXPECT_EQ(chars, (std::vector<std::string>{"a", kCutShort}));
    // Overlong forms are taken whole, as their lead byte announces.
    StringUtil::getCharactors("\xC0\x80x", chars);
    EXPECT_EQ(chars, (std::vector<std::string>{"\xC0\x80", "x"}));
    // 0xF8-0xFF start no character.
    StringUtil::getCharactors("\xFF\xF8z", chars);
    EXPECT_EQ(chars, (std::vector<std::string>{"z"}));

    std::string token;
    int pos = 2;
    EXPECT_TRUE(StringUtil::getPreviousToken(strays, pos, token, 0));
    EXPECT_EQ(pos, 0);
    EXPECT_TRUE(token.empty());
}

TEST(StringUtil, PreviousTokenWalksBackToTheWordStart) {
    std::string token;
    int pos = 7;
    EXPECT_TRUE(StringUtil::getPreviousToken("see you", pos, token, 0));
    EXPECT_EQ(token, "you");
    EXPECT_EQ(pos, 3);

    const std::string q = "뭐해?";
    pos = static_cast<int>(q.size());
    EXPECT_TRUE(StringUtil::getPreviousToken(q, pos, token, 0));
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, static_cast<int>(q.size()) - 1);

    const std::string korean = "밥 먹었어  ";
    pos = static_cast<int>(korean.size());
    EXPECT_TRUE(StringUtil::getPreviousToken(korean, pos, token, 0));
    EXPECT_EQ(token, "먹었어");
    EXPECT_EQ(pos, 3);

    pos = 0;
    EXPECT_FALSE(StringUtil::getPreviousToken("abc", pos, token, 0));
    pos = 2;
    EXPECT_FALSE(StringUtil::getPreviousToken("abc", pos, token, 2));
}

TEST(StringUtil, LetterClassesAndSyllables) {
    EXPECT_TRUE(StringUtil::isConsonant("b"));
    EXPECT_TRUE(StringUtil::isConsonant("Z"));
    EXPECT_FALSE(StringUtil::isConsonant("a"));
    EXPECT_TRUE(StringUtil::isVowel("y"));
    EXPECT_TRUE(StringUtil::isNegation("NOT"));
    EXPECT_FALSE(StringUtil::isNegation("nope"));

    std::vector<std::string> out;
    EXPECT_TRUE(StringUtil::splitSyllable("hello", out));
    EXPECT_EQ(out, (std::vector<std::string>{"hel", "lo"}));
    EXPECT_TRUE(StringUtil::splitSyllable("cat", out));
    EXPECT_EQ(out, (std::vector<std::string>{"ca"}));
    EXPECT_TRUE(StringUtil::splitSyllable("cat dog", out));
    EXPECT_EQ(out, (std::vector<std::string>{"ca", "tdo"}));
    EXPECT_TRUE(StringUtil::splitSyllable("a1", out));
    EXPECT_EQ(out, (std::vector<std::string>{"a", "1"}));
    EXPECT_TRUE(StringUtil::splitSyllable("ok가", out));
    EXPECT_EQ(out, (std::vector<std::string>{"ok", "가"}));
    EXPECT_FALSE(StringUtil::splitSyllable("", out));
    EXPECT_TRUE(out.empty());
}

namespace {
struct Counted {
    explicit Counted(std::vector<int>& log, int id) : log(log), id(id) {}
    ~Counted() { log.push_back(id); }
    std::vector<int>& log;
    int id;
};
}  // namespace

TEST(StackCleaner, ReleasesObjectsThenArraysThenFilesThroughTheirTypes) {
    std::vector<int> order;
    VarnexTest::TempDir dir;
    FILE* f = std::fopen(dir.file("x").c_str(), "w");
    ASSERT_NE(f, nullptr);
    {
        StackCleaner cleaner;
        cleaner.addPointer(new Counted(order, 1)).addPointer<Counted>(nullptr).addArray(new int[4]).addFile(f);
        cleaner.addPointer(new Counted(order, 2)).addFile(nullptr);
        std::fputs("written", f);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    // The file was flushed and closed by the cleaner.
    EXPECT_EQ(VarnexTest::readFile(dir.file("x")), "written");
}
