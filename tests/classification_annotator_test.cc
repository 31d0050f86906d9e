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

namespace {

// Adds the feature "q" when the text ends in '?' and records which
// classifier ran.
class QuestionMarkExtractor : public AnnotationBasedFeatureExtractor {
public:
    QuestionMarkExtractor(std::string name, std::vector<std::string>* calls) : name(std::move(name)), calls(calls) {}
    void extract(const Annotation& a, SVMFeatureVector& v) const override {
        if (calls) calls->push_back(name);
        if (!a.getText().empty() && a.getText().back() == '?') v.add("q");
    }

private:
    std::string name;
    std::vector<std::string>* calls;
};

// Two classes TRUE/FALSE; "q" has weight 3, the bias row -1 (for TRUE).
std::shared_ptr<AnnotationBasedClassifier> questionClassifier(const std::string& name = "",
                                                              std::vector<std::string>* calls = nullptr,
                                                              bool loaded = true) {
    auto c = std::make_shared<AnnotationBasedClassifier>(std::make_shared<QuestionMarkExtractor>(name, calls));
    if (loaded) {
        auto index = std::make_shared<SVMFeatureIndex>(1);
        index->insert("q");
        auto m = std::make_shared<Model>();
        EXPECT_TRUE(m->assign(Model::L2R_LR, {1, 0}, {"FALSE", "TRUE"}, 1.0f, 1, {3, -1}, index));
        c->loadModel(m);
    }
    return c;
}

double logistic(double x) { return 1.0 / (1.0 + std::exp(-x)); }

}  // namespace

TEST(ClassificationAnnotator, WithoutClassifierChangesNothing) {
    ClassificationAnnotator annotator;
    Annotation a("뭐해?");
    a.addCategory("sender", "mom");
    EXPECT_TRUE(annotator.process(a));
    EXPECT_EQ(a.getClassifications().size(), 1u);
    EXPECT_TRUE(annotator.getCategory().empty());
}

TEST(ClassificationAnnotator, StoresTheClassifierScores) {
    ClassificationAnnotator annotator;
    annotator.setClassifier("question", questionClassifier());
    LogCapture log;
    Annotation a("뭐해?");
    EXPECT_TRUE(annotator.process(a));
    ASSERT_TRUE(a.hasClassification("question"));
    const Classification& c = a.getClassification("question");
    EXPECT_EQ(c.name, "question");
    EXPECT_NEAR(c.scores.at("TRUE"), logistic(3 - 1), 1e-12);
    EXPECT_NEAR(c.scores.at("FALSE"), 1 - logistic(2), 1e-12);
    EXPECT_EQ(c.getPredictedClass(), "TRUE");
    bool logged = false;
    for (const auto& l : log.lines())
        if (l.priority == 3 && l.text == "Classifier : question = TRUE\n") logged = true;
    EXPECT_TRUE(logged);

    Annotation statement("밥 먹었어");
    annotator.process(statement);
    EXPECT_EQ(statement.getClassification("question").getPredictedClass(), "FALSE");
}

TEST(ClassificationAnnotator, ReplacesEarlierResultAndClassifier) {
    ClassificationAnnotator annotator;
    annotator.setClassifier("first", questionClassifier());
    annotator.setClassifier("question", questionClassifier());
    EXPECT_EQ(annotator.getCategory(), "question");
    Annotation a("뭐해?");
    a.addCategory("question", "FALSE");
    annotator.process(a);
    EXPECT_EQ(a.getClassification("question").getPredictedClass(), "TRUE");
    EXPECT_FALSE(a.hasClassification("first"));
}

TEST(ClassificationAnnotator, UnloadedModelStoresAnEmptyResult) {
    ClassificationAnnotator annotator;
    std::vector<std::string> calls;
    annotator.setClassifier("question", questionClassifier("q", &calls, false));
    LogCapture log;
    Annotation a("뭐해?");
    EXPECT_TRUE(annotator.process(a));
    ASSERT_TRUE(a.hasClassification("question"));
    EXPECT_TRUE(a.getClassification("question").scores.empty());
    EXPECT_EQ(a.getClassification("question").getPredictedClass(), "none");
    EXPECT_TRUE(calls.empty());
}

TEST(MultiClassificationAnnotator, RunsCategoriesInNameOrder) {
    std::vector<std::string> calls;
    MultiClassificationAnnotator annotator;
    annotator.addClassifier("reply_type_worry", questionClassifier("worry", &calls));
    annotator.addClassifier("reply_type_ack", questionClassifier("ack", &calls));
    annotator.addClassifier("reply_type_thanks", questionClassifier("thanks", &calls));
    Annotation a("괜찮아?");
    EXPECT_TRUE(annotator.process(a));
    EXPECT_EQ(calls, (std::vector<std::string>{"ack", "thanks", "worry"}));
    for (const char* c : {"reply_type_ack", "reply_type_thanks", "reply_type_worry"}) {
        ASSERT_TRUE(a.hasClassification(c));
        EXPECT_EQ(a.getClassification(c).name, c);
        EXPECT_EQ(a.getClassification(c).getPredictedClass(), "TRUE");
    }
}

TEST(MultiClassificationAnnotator, PositiveRuleResultsTakePrecedence) {
    std::vector<std::string> calls;
    MultiClassificationAnnotator annotator;
    annotator.addClassifier("reply_type_greeting", questionClassifier("greeting", &calls));
    annotator.addClassifier("reply_type_thanks", questionClassifier("thanks", &calls));
    annotator.addClassifier("reply_type_worry", questionClassifier("worry", &calls));
    annotator.addClassifier("reply_type_why", questionClassifier("why", &calls));
    Annotation a("왜?");
    a.addCategory("reply_type_greeting", "morning");  // positive: kept
    a.addCategory("reply_type_thanks", "FALSE");      // negative: re-examined
    a.addCategory("reply_type_worry", Classification("reply_type_worry", std::map<std::string, double>{}));  // no answer
    EXPECT_TRUE(annotator.process(a));
    EXPECT_EQ(calls, (std::vector<std::string>{"thanks", "why", "worry"}));
    EXPECT_EQ(a.getClassification("reply_type_greeting").getPredictedClass(), "morning");
    EXPECT_EQ(a.getClassification("reply_type_greeting").scores.at("morning"), 0.99);
    EXPECT_EQ(a.getClassification("reply_type_thanks").getPredictedClass(), "TRUE");
    EXPECT_EQ(a.getClassification("reply_type_worry").getPredictedClass(), "TRUE");
    EXPECT_EQ(a.getClassification("reply_type_why").getPredictedClass(), "TRUE");
}

TEST(MultiClassificationAnnotator, LaterClassifierForACategoryReplacesTheEarlier) {
    std::vector<std::string> calls;
    MultiClassificationAnnotator annotator;
    annotator.addClassifier("reply_type_ack", questionClassifier("old", &calls));
    annotator.addClassifier("reply_type_ack", questionClassifier("new", &calls));
    annotator.addClassifier("reply_type_none", nullptr);
    Annotation a("응");
    annotator.process(a);
    EXPECT_EQ(calls, (std::vector<std::string>{"new"}));
    EXPECT_EQ(annotator.getClassifiers().size(), 2u);
    EXPECT_FALSE(a.hasClassification("reply_type_none"));
}

TEST(MultiClassificationAnnotator, NoClassifiersWritesNothing) {
    MultiClassificationAnnotator annotator;
    Annotation a("응");
    EXPECT_TRUE(annotator.process(a));
    EXPECT_TRUE(a.getClassifications().empty());
}
