#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "Varnex/Annotation.h"
#include "Varnex/GenericAnnotators.h"
#include "Varnex/Senlp.h"

using namespace Varnex;

TEST(Classification, PredictedClassPrefersHighestPositiveThenFirstLabel) {
    EXPECT_EQ(Classification().getPredictedClass(), "none");
    EXPECT_EQ(Classification("q", std::map<std::string, double>{{"FALSE", 0.3}, {"TRUE", 0.3}}).getPredictedClass(),
              "FALSE");
    EXPECT_EQ(Classification("q", std::map<std::string, double>{{"a", 0.0}}).getPredictedClass(), "none");
    EXPECT_EQ(Classification("q", std::map<std::string, double>{{"x", -1.0}, {"y", 0.2}}).getPredictedClass(), "y");
    Classification c("question", "TRUE");
    EXPECT_DOUBLE_EQ(c.scores.at("TRUE"), 0.99);
    c.setRuleId("TRUE", "r1");
    EXPECT_EQ(c.getRuleId("TRUE"), "r1");
    EXPECT_EQ(c.getRuleId("FALSE"), "");
}

TEST(Annotation, CategoriesReplaceAndPrefixLookupKeepsWhatWasThere) {
    Annotation a("밥 먹었어?");
    a.addCategory("question", "TRUE");
    a.addCategory("question", "FALSE");
    ASSERT_TRUE(a.hasClassification("question"));
    EXPECT_EQ(a.getClassification("question").scores, (std::map<std::string, double>{{"FALSE", 0.99}}));
    EXPECT_FALSE(a.hasClassification("emotion"));

    a.addCategory("reply_type_greeting", "morning");
    a.addCategory("reply_type_ack", "TRUE");
    std::vector<Classification> out{Classification("keep", "x")};
    a.getClassificationByPrefix("reply_type", out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].name, "keep");
    EXPECT_EQ(out[1].name, "reply_type_ack");
    EXPECT_EQ(out[2].name, "reply_type_greeting");
    out.clear();
    a.getClassificationByPrefix("type", out);
    EXPECT_EQ(out.size(), 2u);
}

TEST(Annotation, ExtractedValuesKeepDuplicatesInOrder) {
    Annotation a;
    a.addExtractedValue("extraction", "verb", "x");
    a.addExtractedValue("extraction", "verb", "x");
    a.addExtractedValue("extraction", "time", "t");
    auto values = a.getExtractedValues("extraction", "verb");
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(*values, (std::vector<std::string>{"x", "x"}));
    EXPECT_EQ(a.getExtractedValues("extraction", "nope"), nullptr);
    EXPECT_EQ(a.getExtractedValues("nope", "verb"), nullptr);
    EXPECT_EQ(a.getExtractedTypes(), (std::vector<std::string>{"extraction"}));
    EXPECT_EQ(a.getExtractedNames("extraction"), (std::vector<std::string>{"time", "verb"}));
    EXPECT_TRUE(a.getExtractedNames("nope").empty());
}

TEST(Annotation, CoveredTextIsCutAtTheEnd) {
    Annotation a("abcde");
    Token t;
    t.begin = 2;
    t.end = 100;
    EXPECT_EQ(a.getCoveredText(t), "cde");
    t.end = 1;
    EXPECT_EQ(a.getCoveredText(t), "cde");
    t.begin = 6;
    EXPECT_THROW(a.getCoveredText(t), std::out_of_range);
    t.addAttribute("pos", "N");
    t.addAttribute("pos", "V");
    EXPECT_EQ(t.getAttribute("pos"), "V");
    EXPECT_EQ(t.getAttribute("none"), "");
}

TEST(LanguageType, TablesAndDetection) {
    EXPECT_EQ(languageTypeFromString("KR"), KOREAN);
    EXPECT_EQ(languageTypeFromString("KOREAN"), KOREAN);
    EXPECT_EQ(languageTypeFromString("ko_KR"), UNKNOWN);
    EXPECT_EQ(languageTypeFromString("ZN"), CHINESE);
    EXPECT_EQ(languageTypeFromCode("ko_KR"), KOREAN);
    EXPECT_EQ(languageTypeFromCode("de_DE"), UNKNOWN);
    EXPECT_EQ(languageString(KOREAN), "KOREAN");
    std::map<std::string, LanguageType> m;
    initLangMap(m);
    EXPECT_EQ(m.size(), 17u);  // "UNKNOWN" once, every other name and code

    EXPECT_EQ(getLanguageType("hello"), ENGLISH);
    EXPECT_EQ(getLanguageType(""), ENGLISH);
    EXPECT_EQ(getLanguageType("ok 고마워"), KOREAN);
    EXPECT_EQ(getLanguageType("\xEF\xBC\x81"), KOREAN);  // U+FF01
    EXPECT_EQ(getLanguageType("\xEA\xB0"), ENGLISH);     // cut short: no full sequence
}

namespace {
class Recorder : public IAnnotator {
public:
    Recorder(std::string name, bool initOk, bool processOk, std::vector<std::string>& log)
        : name(std::move(name)), initOk(initOk), processOk(processOk), log(log) {}
    bool init() override {
        log.push_back("init " + name);
        return initOk;
    }
    bool process(Annotation& a) const override {
        a.addExtractedValue("trace", "order", name);
        return processOk;
    }
    std::string name;
    bool initOk, processOk;
    std::vector<std::string>& log;
};
}  // namespace

TEST(Senlp, RunsEveryAnnotatorInOrderAndStopsInitAtFirstFailure) {
    std::vector<std::string> log;
    Senlp senlp;
    auto a = std::make_shared<Recorder>("a", true, false, log);
    auto b = std::make_shared<Recorder>("b", false, true, log);
    auto c = std::make_shared<Recorder>("c", true, true, log);
    senlp.addPipeline(KOREAN, {a, b, c});
    EXPECT_FALSE(senlp.initPipeline());
    EXPECT_EQ(log, (std::vector<std::string>{"init a", "init b"}));

    Annotation ann("x");
    senlp.process(KOREAN, ann);
    EXPECT_EQ(*ann.getExtractedValues("trace", "order"), (std::vector<std::string>{"a", "b", "c"}));

    Annotation other("y");
    senlp.process(ENGLISH, other);
    EXPECT_TRUE(other.getExtractedTypes().empty());

    senlp.addPipeline(KOREAN, {c});
    Annotation replaced("z");
    senlp.process(KOREAN, replaced);
    EXPECT_EQ(*replaced.getExtractedValues("trace", "order"), (std::vector<std::string>{"c"}));
    senlp.removePipeline(KOREAN);
    EXPECT_TRUE(senlp.initPipeline());

    Annotation plain("abc");
    EXPECT_TRUE(SentenceNormalizer().process(plain));
    EXPECT_EQ(plain.getNormalizedText(), "abc");
}
