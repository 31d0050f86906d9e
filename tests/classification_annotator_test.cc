// Classification annotators: storing classifier results in an Annotation.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/ClassificationAnnotator.h"
#include "Varnex/Model.h"
#include "Varnex/MultiClassificationAnnotator.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using Calls = std::vector<std::string>;

namespace {

// Adds the feature "q" when the text ends in '?' and records which classifier ran.
class QuestionMarkExtractor : public AnnotationBasedFeatureExtractor {
public:
    QuestionMarkExtractor(std::string name, Calls* calls) : name(std::move(name)), calls(calls) {}
    void extract(const Annotation& a, SVMFeatureVector& v) const override {
        if (calls) calls->push_back(name);
        if (!a.getText().empty() && a.getText().back() == '?') v.add("q");
    }

private:
    std::string name;
    Calls* calls;
};

// Two classes TRUE/FALSE; "q" has weight 3, the bias row -1 (for TRUE).
std::shared_ptr<AnnotationBasedClassifier> questionClassifier(const std::string& name = "", Calls* calls = nullptr,
                                                              bool loaded = true) {
    auto c = std::make_shared<AnnotationBasedClassifier>(std::make_shared<QuestionMarkExtractor>(name, calls));
    auto index = std::make_shared<SVMFeatureIndex>(1);
    index->insert("q");
    auto m = std::make_shared<Model>();
    EXPECT_TRUE(m->assign(Model::L2R_LR, {1, 0}, {"FALSE", "TRUE"}, 1.0f, 1, {3, -1}, index));
    if (loaded) c->loadModel(m);
    return c;
}

}  // namespace

TEST(ClassificationAnnotator, WithoutClassifiersNothingIsWritten) {
    ClassificationAnnotator single;
    MultiClassificationAnnotator multi;
    Annotation a("뭐해?"), b("응");
    a.addCategory("sender", "mom");
    EXPECT_TRUE(single.process(a));
    EXPECT_EQ(a.getClassifications().size(), 1u);
    EXPECT_TRUE(single.getCategory().empty());
    EXPECT_TRUE(multi.process(b));
    EXPECT_TRUE(b.getClassifications().empty());
}

TEST(ClassificationAnnotator, StoresTheScoresOfItsLatestClassifierOverEarlierResults) {
    ClassificationAnnotator annotator;
    annotator.setClassifier("first", questionClassifier());
    annotator.setClassifier("question", questionClassifier());
    EXPECT_EQ(annotator.getCategory(), "question");
    LogCapture log;
    Annotation a("뭐해?"), statement("밥 먹었어");
    a.addCategory("question", "FALSE");
    EXPECT_TRUE(annotator.process(a));
    EXPECT_FALSE(a.hasClassification("first"));
    ASSERT_TRUE(a.hasClassification("question"));
    const Classification& c = a.getClassification("question");
    EXPECT_EQ(c.name, "question");
    EXPECT_NEAR(c.scores.at("TRUE"), 1.0 / (1.0 + std::exp(-2.0)), 1e-12);  // 3 - 1
    EXPECT_NEAR(c.scores.at("FALSE"), 1 - 1.0 / (1.0 + std::exp(-2.0)), 1e-12);
    EXPECT_EQ(c.getPredictedClass(), "TRUE");
    bool logged = false;
    for (const auto& l : log.lines()) logged |= l.priority == 3 && l.text == "Classifier : question = TRUE\n";
    EXPECT_TRUE(logged);
    annotator.process(statement);
    EXPECT_EQ(statement.getClassification("question").getPredictedClass(), "FALSE");
}

TEST(ClassificationAnnotator, UnloadedModelStoresAnEmptyResult) {
    ClassificationAnnotator annotator;
    Calls calls;
    annotator.setClassifier("question", questionClassifier("q", &calls, false));
    LogCapture log;
    Annotation a("뭐해?");
    EXPECT_TRUE(annotator.process(a));
    ASSERT_TRUE(a.hasClassification("question"));
    EXPECT_TRUE(a.getClassification("question").scores.empty());
    EXPECT_EQ(a.getClassification("question").getPredictedClass(), "none");
    EXPECT_TRUE(calls.empty());
}

TEST(MultiClassificationAnnotator, RunsEachCategorysLatestClassifierInNameOrderUnlessARuleSaidYes) {
    Calls calls;
    MultiClassificationAnnotator annotator;
    for (const auto& [category, name] : std::vector<std::pair<std::string, std::string>>{
             {"reply_type_greeting", "greeting"}, {"reply_type_why", "old"}, {"reply_type_thanks", "thanks"},
             {"reply_type_worry", "worry"}, {"reply_type_why", "why"}, {"reply_type_ack", "ack"}})
        annotator.addClassifier(category, questionClassifier(name, &calls));
    annotator.addClassifier("reply_type_none", nullptr);
    EXPECT_EQ(annotator.getClassifiers().size(), 6u);
    Annotation a("왜?");
    a.addCategory("reply_type_greeting", "morning");  // positive: kept
    a.addCategory("reply_type_thanks", "FALSE");      // negative: re-examined
    a.addCategory("reply_type_worry", Classification("reply_type_worry", std::map<std::string, double>{}));  // none
    EXPECT_TRUE(annotator.process(a));
    EXPECT_EQ(calls, (Calls{"ack", "thanks", "why", "worry"}));
    EXPECT_EQ(a.getClassification("reply_type_greeting").getPredictedClass(), "morning");
    EXPECT_EQ(a.getClassification("reply_type_greeting").scores.at("morning"), 0.99);
    for (const char* c : {"reply_type_ack", "reply_type_thanks", "reply_type_worry", "reply_type_why"}) {
        ASSERT_TRUE(a.hasClassification(c));
        EXPECT_EQ(a.getClassification(c).name, c);
        EXPECT_EQ(a.getClassification(c).getPredictedClass(), "TRUE");
    }
    EXPECT_FALSE(a.hasClassification("reply_type_none"));
}
