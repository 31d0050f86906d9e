// String helpers: editing, predicates, UTF-8 stepping that stays inside the
// buffer on broken input, tokens, syllables, and the stack cleaner.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/Utilities/StackCleaner.h"
#include "Varnex/Utilities/StringUtil.h"

using Varnex::Utilities::StringUtil;
using Strings = std::vector<std::string>;

namespace {
const std::string kGa = "가";              // EA B0 80
const std::string kCont = "\x80";          // stray continuation byte
const std::string kLeadOnly = "\xEA";      // lead byte of a 3-byte character
const std::string kCutShort = "\xEA\xB0";  // 3-byte character missing its last byte
}  // namespace

TEST(StringUtil, ReplaceSplitTrimAndPredicates) {
    // text, from, to, replacements, result
    using Replace = std::tuple<std::string, std::string, std::string, int, std::string>;
    for (const auto& [text, from, to, count, result] : std::vector<Replace>{
             {"aaa", "aa", "b", 1, "ba"}, {"ba", "", "x", 0, "ba"}, {"갈께 갈께", "갈께", "갈게", 2, "갈게 갈게"}}) {
        std::string s = text;
        EXPECT_EQ(StringUtil::replace(s, from, to), count) << text;
        EXPECT_EQ(s, result);
    }
    for (const auto& [text, delim, pieces] : std::vector<std::tuple<std::string, char, Strings>>{
             {"a,,b,", ',', {"x", "a", "", "b"}}, {"", ',', {"x"}}, {",a", ',', {"x", "", "a"}},
             {"안녕\t하세요", '\t', {"x", "안녕", "하세요"}}}) {
        Strings out{"x"};  // pieces are appended
        StringUtil::split(text, delim, out);
        EXPECT_EQ(out, pieces) << text;
    }
    const std::string padded = " \t 안녕 \r\n";
    EXPECT_EQ(StringUtil::trim(padded) + "|" + StringUtil::ltrim(padded) + "|" + StringUtil::rtrim(padded),
              "안녕|안녕 \r\n| \t 안녕");
    EXPECT_EQ(padded, " \t 안녕 \r\n");  // the argument is not changed
    int row = 0;
    for (const auto& [result, expected] : std::vector<std::pair<bool, bool>>{
             {StringUtil::issymbol(""), true}, {StringUtil::issymbol("?"), true}, {StringUtil::issymbol("\\"), true},
             {StringUtil::issymbol("ab"), false}, {StringUtil::issymbol("\""), false},
             {StringUtil::isspace(std::string(" ")), true}, {StringUtil::isspace(std::string("  ")), false},
             {StringUtil::isspace('\v'), false}, {StringUtil::startWith("안녕하세요", "안녕"), true},
             {StringUtil::startWith("abc", ""), true}, {StringUtil::startWith("ab", "abc"), false},
             {StringUtil::isConsonant("b"), true}, {StringUtil::isConsonant("Z"), true},
             {StringUtil::isConsonant("a"), false}, {StringUtil::isVowel("y"), true},
             {StringUtil::isNegation("NOT"), true}, {StringUtil::isNegation("nope"), false}})
        EXPECT_EQ(result, expected) << "row " << row++;
    EXPECT_EQ(StringUtil::toLower("AbC가Z"), "abc가z");
    std::string bom = "\xEF\xBB\xBFx";
    for (int i = 0; i < 2; ++i) {
        StringUtil::removeUtf8Bom(bom);
        EXPECT_EQ(bom, "x");
    }
}

TEST(StringUtil, StepsThroughUtf8AndStaysInsideTheBufferWhenItIsBroken) {
    const std::string s = "a" + kGa + "b", strays = kCont + kCont;
    // backwards?, text, position, position returned, character
    for (const auto& [back, text, pos, at, expected] :
         std::vector<std::tuple<bool, std::string, int, int, std::string>>{
             {true, kGa, 2, 0, kGa}, {true, s, 4, 4, "b"}, {false, s, 2, 4, "b"}, {false, s, 1, 1, kGa},
             // Past the end and negative positions.
             {false, kGa, 3, 3, ""}, {false, kGa, 99, 3, ""}, {true, kGa, 99, 3, ""}, {true, kGa, -1, 0, ""},
             // Stray continuation bytes: forward runs off the end, back stops at 0.
             {false, strays, 0, 2, ""}, {true, strays, 1, 0, ""},
             // A lead byte near the end yields the bytes that remain.
             {true, "a" + kLeadOnly, 1, 1, kLeadOnly}, {false, kCutShort, 0, 0, kCutShort}}) {
        std::string ch = "junk";
        EXPECT_EQ(back ? StringUtil::getPreviousChar(text, pos, ch) : StringUtil::getNextChar(text, pos, ch), at)
            << back << " " << text << " " << pos;
        EXPECT_EQ(ch, expected) << back << " " << text << " " << pos;
    }
    for (const auto& [text, length] :
         std::vector<std::pair<std::string, int>>{{"가a", 2}, {kCont, 0}, {kCont + kGa + kLeadOnly, 2}})
        EXPECT_EQ(StringUtil::getLength(text), length) << text;
    for (const auto& [text, chars] : std::vector<std::pair<std::string, Strings>>{
             {"밥 먹자😀", {"밥", " ", "먹", "자", "😀"}},
             {kCont + "a" + kCutShort, {"a", kCutShort}},
             {"\xC0\x80x", {"\xC0\x80", "x"}},  // overlong forms are taken whole, as their lead byte announces
             {"\xFF\xF8z", {"z"}}}) {           // 0xF8-0xFF start no character
        Strings out{"junk"};
        StringUtil::getCharactors(text, out);
        EXPECT_EQ(out, chars) << text;
    }
}

TEST(StringUtil, PreviousTokenWalksBackToTheWordStart) {
    const std::string q = "뭐해?", korean = "밥 먹었어  ";
    const int qEnd = static_cast<int>(q.size()), kEnd = static_cast<int>(korean.size());
    // text, position, limit, found, token, position after (not checked when nothing is found)
    for (const auto& [text, pos, limit, found, token, after] :
         std::vector<std::tuple<std::string, int, int, bool, std::string, int>>{
             {"see you", 7, 0, true, "you", 3}, {q, qEnd, 0, true, "", qEnd - 1}, {korean, kEnd, 0, true, "먹었어", 3},
             {kCont + kCont, 2, 0, true, "", 0}, {"abc", 0, 0, false, "", 0}, {"abc", 2, 2, false, "", 2}}) {
        std::string got = "junk";
        int p = pos;
        EXPECT_EQ(StringUtil::getPreviousToken(text, p, got, limit), found) << text;
        if (found) {
            EXPECT_EQ(got + "|" + std::to_string(p), token + "|" + std::to_string(after)) << text;
        }
    }
}

TEST(StringUtil, SplitSyllable) {
    Strings out{"junk"};
    for (const auto& [text, syllables] : std::vector<std::pair<std::string, Strings>>{
             {"hello", {"hel", "lo"}}, {"cat", {"ca"}}, {"cat dog", {"ca", "tdo"}}, {"a1", {"a", "1"}},
             {"ok가", {"ok", "가"}}, {"", {}}}) {
        EXPECT_EQ(StringUtil::splitSyllable(text, out), !text.empty()) << text;
        EXPECT_EQ(out, syllables) << text;
    }
}

namespace {
struct Counted {
    Counted(std::vector<int>& log, int id) : log(log), id(id) {}
    ~Counted() { log.push_back(id); }
    std::vector<int>& log;
    int id;
};
}  // namespace

namespace {
// Whether a P can be registered, decided by overload resolution alone, so
// that a pointer the cleaner must refuse is checked without a failing build.
template <typename P, typename = void>
struct CanAddPointer : std::false_type {};
template <typename P>
struct CanAddPointer<P, std::void_t<decltype(std::declval<Varnex::Utilities::StackCleaner&>().addPointer(
                            std::declval<P>()))>> : std::true_type {};
template <typename P, typename = void>
struct CanAddArray : std::false_type {};
template <typename P>
struct CanAddArray<P, std::void_t<decltype(std::declval<Varnex::Utilities::StackCleaner&>().addArray(
                          std::declval<P>()))>> : std::true_type {};
}  // namespace

// A void* has lost the type to delete through (deleting it skips the
// destructor): registering one does not compile.
TEST(StackCleaner, RegistersTypedPointersAndRefusesVoidPointersAtCompileTime) {
    // pointer type, accepted as an object, accepted as an array
    for (const auto& [type, object, array] : std::vector<std::tuple<const char*, bool, bool>>{
             {"Counted*", CanAddPointer<Counted*>::value, CanAddArray<Counted*>::value},
             {"const int*", CanAddPointer<const int*>::value, CanAddArray<const int*>::value},
             {"char*", CanAddPointer<char*>::value, CanAddArray<char*>::value}})
        EXPECT_TRUE(object && array) << type;
    for (const auto& [type, object, array] : std::vector<std::tuple<const char*, bool, bool>>{
             {"void*", CanAddPointer<void*>::value, CanAddArray<void*>::value},
             {"const void*", CanAddPointer<const void*>::value, CanAddArray<const void*>::value},
             {"volatile void*", CanAddPointer<volatile void*>::value, CanAddArray<volatile void*>::value}})
        EXPECT_FALSE(object || array) << type;
}

TEST(StackCleaner, ReleasesObjectsThenArraysThenFilesThroughTheirTypes) {
    std::vector<int> order;
    VarnexTest::TempDir dir;
    FILE* f = std::fopen(dir.file("x").c_str(), "w");
    ASSERT_NE(f, nullptr);
    {
        Varnex::Utilities::StackCleaner cleaner;
        cleaner.addPointer(new Counted(order, 1)).addPointer<Counted>(nullptr).addArray(new int[4]).addFile(f);
        cleaner.addPointer(new Counted(order, 2)).addFile(nullptr);
        std::fputs("written", f);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(VarnexTest::readFile(dir.file("x")), "written");  // flushed and closed by the cleaner
}
