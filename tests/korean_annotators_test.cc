// Normalisation, phrase rules and templates on small files written here.
#include <gtest/gtest.h>

#include <string>

#include "Varnex/KoreanRuleDetector.h"
#include "TestSupport.h"
#include "Varnex/KoreanSentenceNormalizer.h"
#include "Varnex/KoreanStopCharRemover.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {
std::string normalize(const KoreanSentenceNormalizer& n, const std::string& text) {
    Annotation a(text);
    n.process(a);
    return a.getNormalizedText();
}

std::string label(const IAnnotator& detector, const std::string& category, const std::string& text,
                  const std::string& normalized = "") {
    Annotation a(text);
    a.setNormalizedText(normalized.empty() ? text : normalized);
    detector.process(a);
    return a.hasClassification(category) ? a.getClassification(category).getPredictedClass() : "(none)";
}
}  // namespace

TEST(KoreanSentenceNormalizer, DictionaryPassKeepsWordBreaksRight) {
    TempDir dir;
    std::string dict = dir.write("n.dictionary",
                                 "갈게/\t갈께\n"
                                 "뭐해\t머해\n"
                                 "너무\t/넘/\n"
                                 "감사\tㄱㅅ\n"
                                 "내일\t낼\n"
                                 "내일 봐\t낼 봐\n");
    std::string rules = dir.write("n.rule", "ㅋ\tㅋ\tㅋㅋ\n!\t!?\t!\nbad rule line\n");
    KoreanSentenceNormalizer n(dict, rules, false, false);
    EXPECT_EQ(normalize(n, "갈께요"), "갈게 요");
    EXPECT_EQ(normalize(n, "갈께 요"), "갈게 요");
    EXPECT_EQ(normalize(n, "갈 께 요"), "갈게 요");
    // At the end of the text the edge asks for the break too.
    EXPECT_EQ(normalize(n, "내일 갈께"), "내일 갈게 ");
    EXPECT_EQ(normalize(n, "머해 지금"), "뭐해 지금");
    EXPECT_EQ(normalize(n, "지금 머해"), "지금 뭐해");
    // Boundary marks: 넘 alone, not inside 넘어졌어.
    EXPECT_EQ(normalize(n, "넘 좋아"), "너무 좋아");
    EXPECT_EQ(normalize(n, "넘어졌어"), "넘어졌어");
    // The longer phrase wins at one position.
    EXPECT_EQ(normalize(n, "낼 봐"), "내일 봐");
    EXPECT_EQ(normalize(n, "   "), "   ");
    EXPECT_EQ(normalize(n, ""), "");
    // Rule pass: a character and its followers collapse into the replacement.
    EXPECT_EQ(normalize(n, "ㅋㅋㅋㅋㅋ"), "ㅋㅋ");
    EXPECT_EQ(normalize(n, "ㅋ"), "ㅋㅋ");
    EXPECT_EQ(normalize(n, "와!!?!"), "와!");
}

TEST(KoreanSentenceNormalizer, MalformedLinesAreSkippedAndTheRestLoads) {
    TempDir dir;
    std::string dict = dir.write("n.dictionary", "no tab on this line\n감사\tㄱㅅ\n\t\n");
    LogCapture log(LOG_WARN);
    KoreanSentenceNormalizer n(dict, dir.file("missing.rule"), false, false);
    EXPECT_EQ(normalize(n, "ㄱㅅ"), "감사");
    EXPECT_TRUE(log.contains(dict + ":1: line refused, 1 field, 2 needed"));
    EXPECT_TRUE(log.contains(dir.file("missing.rule") + ": no such file"));
    // Nothing at all loaded: text passes through.
    KoreanSentenceNormalizer empty(dir.file("none"), dir.file("none"), true, false);
    EXPECT_EQ(normalize(empty, "그냥 텍스트"), "그냥 텍스트");
    // Broken UTF-8 does no harm: a cut-short character stays, a stray
    // continuation byte (no character at all) is dropped by the rule pass.
    std::string broken = "\xEA\xB0 ㄱㅅ \x80";
    EXPECT_EQ(normalize(n, broken), "\xEA\xB0 감사 ");
}

TEST(KoreanStopCharRemover, ReplacesWholeCharactersWithSpaces) {
    KoreanStopCharRemover r(KoreanStopCharRemover::getDefaultStopChar());
    std::string out;
    r.remove("ㅋㅋ좋아!", out);
    EXPECT_EQ(out, "  좋아 ");
    r.remove("킄", out);
    EXPECT_EQ(out, "킄");
    r.remove("a1 😀b\xff", out);
    EXPECT_EQ(out, "a1  b");
    // A set that holds syllables, letters or the space removes them too.
    KoreanStopCharRemover custom("요a ");
    custom.remove("네요 ab", out);
    EXPECT_EQ(out, "네   b");
}

TEST(KoreanRuleDetector, VetoesWinAndOtherwiseTheLastMatchDecides) {
    TempDir dir;
    std::string path = dir.write("thanks.rule", "TRUE\t고마워\nTRUE\t감사\nFALSE\t감사원\nFALSE\t안 고마워\n");
    KoreanRuleDetector d("reply_type_you_re_welcome", path, false);
    ASSERT_TRUE(d.init());
    const std::string c = "reply_type_you_re_welcome";
    // A veto wins wherever it stands, also before a later "TRUE" phrase
    // (which the last-match rule alone would let win).
    for (const auto& [text, want] : std::vector<std::pair<std::string, std::string>>{
             {"진짜 고마워", "TRUE"},
             {"감사원에서 연락 왔어", "FALSE"},
             {"고마워 근데 감사원은 어때", "FALSE"},
             {"감사원 사람들 진짜 고마워", "FALSE"},
             {"하나도 안 고마워", "FALSE"},
             {"밥 먹자", "FALSE"}})
        EXPECT_EQ(label(d, c, text), want) << text;
    // The normalized text is searched as well.
    EXPECT_EQ(label(d, c, "ㄱㅅ", "감사"), "TRUE");
    // A veto is marked as such; a FALSE for want of any phrase is not.
    for (const auto& [text, ruleId] : std::vector<std::pair<std::string, std::string>>{
             {"감사원에서 연락 왔어", "veto"}, {"하나도 안 고마워", "veto"}, {"밥 먹자", ""}, {"진짜 고마워", ""}}) {
        Annotation a(text);
        a.setNormalizedText(text);
        d.process(a);
        EXPECT_EQ(a.getClassification(c).getRuleId("FALSE"), ruleId) << text;
    }

    KoreanRuleDetector missing("reply_type_thanks", dir.file("missing.rule"), false);
    LogCapture log(LOG_ERROR);
    missing.init();
    EXPECT_EQ(label(missing, "reply_type_thanks", "고마워"), "FALSE");
}

TEST(KoreanTemplateMatcher, MatchesOnlyAtTheStartOfTheMessage) {
    TempDir dir;
    std::string path = dir.write("t.template", "greeting_morning\t좋은 아침\ngreeting_meet\t안녕\n");
    KoreanTemplateMatcher m(path, false);
    EXPECT_EQ(label(m, "reply_type_greeting_morning", "좋은 아침!"), "TRUE");
    EXPECT_EQ(label(m, "reply_type_greeting_morning", "오늘도 좋은 아침"), "(none)");
    EXPECT_EQ(label(m, "reply_type_greeting_meet", "ㅋㅋ안녕"), "(none)");
    // The normalized text gets its own chance.
    EXPECT_EQ(label(m, "reply_type_greeting_meet", "ㅎㅇ", "안녕"), "TRUE");
}
