// The linear classifier on hand-made models, the annotation-based
// classifier, the n-gram and dictionary extractors, the feature-set factory,
// labelled data and the validation table.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/DictionaryFeatureExtractor.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/LabelledData.h"
#include "Varnex/Model.h"
#include "Varnex/NGramLetterFeatureExtractor.h"
#include "Varnex/SVMClassifier.h"
#include "Varnex/ValidationStatistics.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {

double logistic(double x) { return 1.0 / (1.0 + std::exp(-x)); }

std::shared_ptr<SVMFeatureIndex> indexOf(std::initializer_list<const char*> names) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    for (const char* n : names) index->insert(n);
    return index;
}

// Two classes; the single weight column belongs to label 1 ("TRUE").
// Weights: a 0.5, b -1, c 2, bias row 0.25.
std::shared_ptr<Model> twoClassModel(float bias = 1.0f) {
    auto m = std::make_shared<Model>();
    std::vector<double> w = {0.5, -1, 2};
    if (bias >= 0) w.push_back(0.25);
    EXPECT_TRUE(m->assign(Model::L2R_LR, {1, 0}, {"FALSE", "TRUE"}, bias, 3, w, indexOf({"a", "b", "c"})));
    return m;
}

// Three classes x, y, z, no bias. Row a: 1 0 -1; row b: 0 2 0.
std::shared_ptr<Model> threeClassModel() {
    auto m = std::make_shared<Model>();
    EXPECT_TRUE(m->assign(Model::L2R_LR, {0, 1, 2}, {"x", "y", "z"}, -1.0f, 2, {1, 0, -1, 0, 2, 0},
                          indexOf({"a", "b"})));
    return m;
}

std::map<std::string, double> classifyNames(const SVMClassifier& c, std::initializer_list<const char*> names) {
    auto v = c.makeFeatureVector();
    for (const char* n : names) v->add(n);
    return c.classify(*v);
}

bool hasError(const LogCapture& log, const std::string& part) {
    for (const auto& l : log.lines())
        if (l.priority == 6 && l.text.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

// --- SVMClassifier ----------------------------------------------------------

TEST(Classifier, TwoClassProbabilitiesWorkedOutByHand) {
    SVMClassifier c(twoClassModel());
    // a + 2c + bias: 0.5 + 4 + 0.25 = 4.75 for TRUE.
    auto p = c.classify(*[&] {
        auto v = c.makeFeatureVector();
        v->add("a");
        v->add("c", 2.0f);
        return v;
    }());
    ASSERT_EQ(p.size(), 2u);
    EXPECT_NEAR(p["TRUE"], 0.991422514586288, 1e-12);
    EXPECT_NEAR(p["FALSE"], 1 - 0.991422514586288, 1e-12);
    // Nothing but the bias row: 0.25.
    auto bias = classifyNames(c, {});
    EXPECT_NEAR(bias["TRUE"], 0.562176500885798, 1e-12);
    EXPECT_EQ(c.predict(*c.makeFeatureVector()), "TRUE");
    // b alone: -1 + 0.25.
    EXPECT_NEAR(classifyNames(c, {"b"})["TRUE"], logistic(-0.75), 1e-12);
    EXPECT_EQ(c.getNumFeatures(), 3);
    EXPECT_EQ(c.getNumClasses(), 2);
}

TEST(Classifier, NoBiasAndNoFeaturesGivesEvenOdds) {
    SVMClassifier c(twoClassModel(-1.0f));
    auto p = classifyNames(c, {"unknown"});
    EXPECT_DOUBLE_EQ(p["TRUE"], 0.5);
    EXPECT_DOUBLE_EQ(p["FALSE"], 0.5);
    // Equal probabilities: the first name wins.
    EXPECT_EQ(c.predict(*c.makeFeatureVector()), "FALSE");
}

TEST(Classifier, ThreeClassProbabilitiesWorkedOutByHand) {
    SVMClassifier c(threeClassModel());
    // a: decisions 1, 0, -1; logistic values sum to 1.5.
    auto p = classifyNames(c, {"a"});
    EXPECT_NEAR(p["x"], 0.487372385753337, 1e-12);
    EXPECT_NEAR(p["y"], 1.0 / 3, 1e-12);
    EXPECT_NEAR(p["z"], 0.179294280913330, 1e-12);
    // a + b: decisions 1, 2, -1.
    p = classifyNames(c, {"a", "b"});
    EXPECT_NEAR(p["x"], 0.388696147601417, 1e-12);
    EXPECT_NEAR(p["y"], 0.468310530833481, 1e-12);
    EXPECT_NEAR(p["z"], 0.142993321565102, 1e-12);
    EXPECT_EQ(c.predict(*[&] {
        auto v = c.makeFeatureVector();
        v->add("a");
        v->add("b");
        return v;
    }()),
              "y");
    // All zero: one third each, ties to the first name.
    p = classifyNames(c, {});
    for (const auto& e : p) EXPECT_NEAR(e.second, 1.0 / 3, 1e-12);
    EXPECT_EQ(c.predict(*c.makeFeatureVector()), "x");
}

TEST(Classifier, ColumnsFollowTheLabelLine) {
    // Same weights with the labels swapped: the names swap with them.
    auto m = std::make_shared<Model>();
    ASSERT_TRUE(m->assign(Model::L2R_LR, {0, 1}, {"FALSE", "TRUE"}, 1.0f, 3, {0.5, -1, 2, 0.25}, indexOf({"a", "b", "c"})));
    SVMClassifier c(m);
    EXPECT_NEAR(classifyNames(c, {})["FALSE"], 0.562176500885798, 1e-12);
}

TEST(Classifier, ExtremeScoresStayProbabilities) {
    auto m = std::make_shared<Model>();
    ASSERT_TRUE(m->assign(Model::L2R_LR, {0, 1, 2}, {"x", "y", "z"}, -1.0f, 1, {-1e6, -1e6, -1e6}, indexOf({"a"})));
    SVMClassifier c(m);
    auto p = classifyNames(c, {"a"});
    ASSERT_EQ(p.size(), 3u);
    for (const auto& e : p) {
        EXPECT_TRUE(std::isfinite(e.second));
        EXPECT_NEAR(e.second, 1.0 / 3, 1e-12);
    }
}

TEST(Classifier, NotLoadedClassifiesNothing) {
    LogCapture log;
    SVMClassifier c;
    EXPECT_FALSE(c.loaded());
    EXPECT_EQ(c.getNumClasses(), -1);
    EXPECT_EQ(c.getNumFeatures(), -1);
    SVMFeatureVector v;
    v.insert(1, 1.0f);
    EXPECT_TRUE(c.classify(v).empty());
    EXPECT_TRUE(hasError(log, "model is not loaded"));
    EXPECT_EQ(c.predict(v), "");
    EXPECT_TRUE(log.contains("Classification results are empty"));
    TempDir dir;
    EXPECT_FALSE(c.loadModel(dir.file("x.model"), dir.file("x.category"), dir.file("x.index")));
    EXPECT_TRUE(c.classify(v).empty());
    EXPECT_FALSE(c.loadModel(std::shared_ptr<Model>()));
}

TEST(Classifier, RowsPastTheFeaturesAreSkipped) {
    SVMClassifier c(twoClassModel());
    SVMFeatureVector v(c.getModel()->getFeatureIndex());
    v.insert(4, 100.0f);  // row 3: the bias row, not a feature
    v.insert(9, 100.0f);
    v.insert(0, 100.0f);  // row -1
    LogCapture log;
    EXPECT_NEAR(c.classify(v)["TRUE"], 0.562176500885798, 1e-12);
    EXPECT_TRUE(hasError(log, "Feature index [3] is more than model support [4]"));
}

TEST(Classifier, StepsOnTheirOwn) {
    SVMClassifier c(threeClassModel());
    std::vector<double> s = {0.0, 0.0};
    EXPECT_EQ(SVMClassifier::probabilities(s), (std::vector<double>{0.5, 0.5}));
    std::vector<double> empty;
    EXPECT_TRUE(SVMClassifier::probabilities(empty).empty());
    SVMClassifier two(twoClassModel());
    std::vector<double> one = {0.0};
    EXPECT_EQ(two.normalize(one), (std::vector<double>{0.5, 0.5}));
    LogCapture log;
    auto names = c.convertToNamedFeaturesMap({0.2, 0.8});
    EXPECT_EQ(names.size(), 2u);
    EXPECT_TRUE(hasError(log, "result size 2 - is not matched to number of classes"));
}

// --- AnnotationBasedClassifier -------------------------------------------

namespace {

// Adds one feature per word of the text it has seen, records calls.
class RecordingExtractor : public AnnotationBasedFeatureExtractor {
public:
    RecordingExtractor(std::string feature, std::vector<std::string>* log) : feature(std::move(feature)), log(log) {}
    void extract(const Annotation& a, SVMFeatureVector& v) const override {
        log->push_back(feature + ":" + a.getText());
        v.add(feature);
    }

private:
    std::string feature;
    std::vector<std::string>* log;
};

}  // namespace

TEST(AnnotationClassifier, RunsExtractorsInOrderOnOneVector) {
    std::vector<std::string> calls;
    AnnotationBasedClassifier c(std::make_shared<RecordingExtractor>("a", &calls));
    c.addFeatureExtractor(std::make_shared<RecordingExtractor>("c", &calls));
    c.addFeatureExtractor(nullptr);
    ASSERT_TRUE(c.loadModel(twoClassModel()));
    auto p = c.classify(Annotation("msg"));
    EXPECT_EQ(calls, (std::vector<std::string>{"a:msg", "c:msg"}));
    EXPECT_NEAR(p["TRUE"], logistic(0.5 + 2 + 0.25), 1e-12);
    EXPECT_EQ(c.predict(Annotation("msg")), "TRUE");
    EXPECT_EQ(c.getFeatureExtractors().size(), 2u);
}

TEST(AnnotationClassifier, NotLoadedExtractsNothing) {
    std::vector<std::string> calls;
    AnnotationBasedClassifier c(std::make_shared<RecordingExtractor>("a", &calls));
    LogCapture log;
    EXPECT_TRUE(c.classify(Annotation("msg")).empty());
    EXPECT_EQ(c.predict(Annotation("msg")), "");
    EXPECT_TRUE(calls.empty());
}

// --- NGramLetterFeatureExtractor ------------------------------------------

namespace {

Annotation tokenized(const std::string& text) {
    Annotation a(text);
    WhitespaceTokenizer().process(a);
    return a;
}

// The extracted features by name.
std::map<std::string, float> features(const AnnotationBasedFeatureExtractor& e, const Annotation& a,
                                      const std::vector<std::string>& candidates) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    SVMFeatureVector v(index);
    e.extract(a, v);
    std::map<std::string, float> out;
    for (const auto& c : candidates) {
        int i = index->getIndex(c);
        if (i >= 0 && v.getFeatureMap().count(i)) out[c] = v.getFeatureMap().at(i);
    }
    EXPECT_EQ(out.size(), v.getFeatureMap().size()) << "features outside the expected set";
    return out;
}

}  // namespace

TEST(NGramExtractor, ConstructorArgumentsMapToTheirFlags) {
    // Exactly one argument set at a time: the fourth chooses syllables,
    // the fifth single words, the sixth word runs.
    auto only = [](int k) {
        bool a[8] = {};
        a[k] = true;
        return NGramLetterFeatureExtractor(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]).getConfig();
    };
    EXPECT_TRUE(only(0).postfix);
    EXPECT_TRUE(only(1).prefix);
    EXPECT_TRUE(only(2).letters);
    EXPECT_TRUE(only(3).syllables);
    EXPECT_FALSE(only(3).words);
    EXPECT_FALSE(only(3).anyMode());
    EXPECT_TRUE(only(4).words);
    EXPECT_FALSE(only(4).syllables);
    EXPECT_FALSE(only(4).wordNGrams);
    EXPECT_TRUE(only(5).wordNGrams);
    EXPECT_FALSE(only(5).words);
    EXPECT_TRUE(only(6).attributes);
    EXPECT_TRUE(only(7).reserved);
    for (int k = 0; k < 8; ++k) {
        auto c = only(k);
        int set = c.postfix + c.prefix + c.letters + c.words + c.wordNGrams + c.syllables + c.attributes + c.reserved;
        EXPECT_EQ(set, 1) << k;
    }
    // The fifth argument alone yields word features, the fourth none.
    Annotation a = tokenized("먹었어");
    EXPECT_EQ(features(NGramLetterFeatureExtractor(false, false, false, false, true, false, false, false), a,
                       {"word->먹었어"}).size(),
              1u);
    EXPECT_TRUE(features(NGramLetterFeatureExtractor(false, false, false, true, false, false, false, false), a, {})
                    .empty());
}

TEST(NGramExtractor, LetterPrefixesAndSuffixes) {
    NGramLetterFeatureExtractorConfig c;
    c.postfix = c.prefix = true;
    auto f = features(NGramLetterFeatureExtractor(c), tokenized("먹었어? 응"),
                      {"postfix->?", "postfix->어?", "postfix->었어?", "prefix->먹", "prefix->먹었", "prefix->먹었어"});
    EXPECT_EQ(f, (std::map<std::string, float>{{"postfix->?", 1},
                                               {"postfix->어?", 1},
                                               {"postfix->었어?", 1},
                                               {"prefix->먹", 1},
                                               {"prefix->먹었", 1},
                                               {"prefix->먹었어", 1}}));
    // Repeated words add up.
    auto twice = features(NGramLetterFeatureExtractor(c), tokenized("ab ab"), {"postfix->b", "prefix->a"});
    EXPECT_EQ(twice, (std::map<std::string, float>{{"postfix->b", 2}, {"prefix->a", 2}}));
}

TEST(NGramExtractor, WordRunsAndSingleWords) {
    NGramLetterFeatureExtractorConfig runs;
    runs.wordNGrams = true;
    EXPECT_TRUE(features(NGramLetterFeatureExtractor(runs), tokenized("a b"), {}).empty());
    auto f = features(NGramLetterFeatureExtractor(runs), tokenized("a b c d"),
                      {"word-> a b", "word-> b c", "word-> c d", "word-> a b c", "word-> b c d"});
    EXPECT_EQ(f.size(), 5u);

    NGramLetterFeatureExtractorConfig words;
    words.words = true;
    auto w = features(NGramLetterFeatureExtractor(words), tokenized("not good at all"),
                      {"word->not", "word->good", "word->at", "word->all"});
    EXPECT_EQ(w, (std::map<std::string, float>{{"word->not", 1}, {"word->good", -10}, {"word->at", 1}, {"word->all", 1}}));
}

TEST(NGramExtractor, TokenAttributes) {
    NGramLetterFeatureExtractorConfig c;
    c.words = c.attributes = true;
    Annotation a("x");
    Token t;
    t.addAttribute("text", "x");
    t.addAttribute("pos", "noun");
    a.setTokens({t});
    EXPECT_EQ(features(NGramLetterFeatureExtractor(c), a, {"word->x", "pos->noun"}).size(), 2u);
}

TEST(NGramExtractor, NoTokensNoFeaturesUnlessTokenized) {
    NGramLetterFeatureExtractorConfig c;
    c.postfix = true;
    auto ngram = std::make_shared<NGramLetterFeatureExtractor>(c);
    Annotation raw("ab cd");
    EXPECT_TRUE(features(*ngram, raw, {}).empty());
    TokenizingFeatureExtractor tokenizing(ngram);
    EXPECT_EQ(features(tokenizing, raw, {"postfix->b", "postfix->d"}).size(), 2u);
    EXPECT_TRUE(raw.getTokens().empty());
}

TEST(Tokenizer, SplitsAtWhiteSpaceWithByteOffsets) {
    Annotation a = tokenized("  밥 먹자\t지금 ");
    ASSERT_EQ(a.getTokens().size(), 3u);
    EXPECT_EQ(a.getTokens()[1].getAttribute("text"), "먹자");
    EXPECT_EQ(a.getCoveredText(a.getTokens()[1]), "먹자");
    EXPECT_EQ(a.getTokens()[0].begin, 2);
    EXPECT_EQ(a.getTokens()[0].end, 5);
}

// --- dictionary features and the factory ---------------------------------

TEST(DictionaryExtractor, PhrasesAndValuesOnce) {
    auto dictionary = std::make_shared<DictionaryFeature>(
        std::vector<std::pair<std::string, std::string>>{{"고마워", "THANKS"}, {"감사", "THANKS"}});
    DictionaryFeatureExtractor e(dictionary);
    auto f = features(e, Annotation("정말 고마워 고마워"), {"고마워", "THANKS", "감사"});
    EXPECT_EQ(f, (std::map<std::string, float>{{"THANKS", 1}, {"고마워", 1}}));
    EXPECT_TRUE(features(DictionaryFeatureExtractor(nullptr), Annotation("고마워"), {}).empty());
}

TEST(FeatureSets, BuiltInsAndRegistration) {
    auto names = FeatureSetFactory::list();
    std::set<std::string> have;
    for (const auto& n : names) have.insert(n.first);
    for (const char* n : {"letter_ngram", "word_ngram", "ngram", "dictionary_ngram"}) EXPECT_TRUE(have.count(n)) << n;

    FeatureSet set;
    LogCapture log;
    EXPECT_FALSE(FeatureSetFactory::build("no_such_set", {}, set));
    EXPECT_TRUE(hasError(log, "Unknown feature set [no_such_set]"));
    EXPECT_FALSE(FeatureSetFactory::build("dictionary_ngram", {}, set));
    EXPECT_FALSE(FeatureSetFactory::add("letter_ngram", "again", [](const FeatureSetOptions&, FeatureSet&) { return true; }));
    EXPECT_FALSE(FeatureSetFactory::add("", "nameless", [](const FeatureSetOptions&, FeatureSet&) { return true; }));

    ASSERT_TRUE(FeatureSetFactory::add("test_upper", "a test set", [](const FeatureSetOptions& o, FeatureSet& s) {
        s.preparation.push_back(std::make_shared<SentenceNormalizer>());
        NGramLetterFeatureExtractorConfig c;
        c.words = true;
        s.extractors.push_back(std::make_shared<TokenizingFeatureExtractor>(std::make_shared<NGramLetterFeatureExtractor>(c)));
        return o.resourceRoot == "root";
    }));
    EXPECT_FALSE(FeatureSetFactory::build("test_upper", {}, set));
    FeatureSetOptions options;
    options.resourceRoot = "root";
    ASSERT_TRUE(FeatureSetFactory::build("test_upper", options, set));
    EXPECT_EQ(set.name, "test_upper");
    Annotation a("hello there");
    set.prepare(a);
    EXPECT_EQ(a.getNormalizedText(), "hello there");
    auto index = std::make_shared<SVMFeatureIndex>(1);
    SVMFeatureVector v(index);
    set.extract(a, v);
    EXPECT_EQ(v.getFeatureMap().size(), 2u);
    EXPECT_GE(index->getIndex("word->there"), 1);
    EXPECT_EQ(set.makeClassifier()->getFeatureExtractors().size(), 1u);
}

TEST(FeatureSets, DictionarySetReadsItsDictionary) {
    TempDir dir;
    FeatureSetOptions options;
    options.dictionary = dir.file("missing.dictionary");
    FeatureSet set;
    {
        LogCapture log;
        EXPECT_FALSE(FeatureSetFactory::build("dictionary_ngram", options, set));
    }
    options.dictionary = dir.write("q.dictionary", "QUESTION\t뭐해\n");
    ASSERT_TRUE(FeatureSetFactory::build("dictionary_ngram", options, set));
    auto index = std::make_shared<SVMFeatureIndex>(1);
    SVMFeatureVector v(index);
    set.extract(Annotation("지금 뭐해"), v);
    EXPECT_GE(index->getIndex("QUESTION"), 1);
    EXPECT_GE(index->getIndex("postfix->해"), 1);
}

// --- labelled data and validation ------------------------------------------

TEST(LabelledData, ReportsMalformedLinesWithTheirNumbers) {
    std::vector<LabelledExample> examples;
    std::vector<LabelledDataProblem> problems;
    LabelledData::parse(
        "\xEF\xBB\xBFTRUE\t밥 먹었어?\r\n"
        "no tab here\n"
        "\n"
        "FALSE\t   \n"
        "\t라벨 없음\n"
        "MAYBE\t글쎄\n"
        "TR UE\t띄어쓰기\n"
        "FALSE\t응 먹었어\tㅋㅋ\n",
        {"TRUE", "FALSE"}, examples, problems);
    ASSERT_EQ(examples.size(), 2u);
    EXPECT_EQ(examples[0].label, "TRUE");
    EXPECT_EQ(examples[0].text, "밥 먹었어?");
    EXPECT_EQ(examples[0].line, 1);
    EXPECT_EQ(examples[1].text, "응 먹었어\tㅋㅋ");
    EXPECT_EQ(examples[1].line, 8);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_EQ(problems[0].reason, "no tab between label and message");
    EXPECT_EQ(problems[1].line, 4);
    EXPECT_EQ(problems[1].reason, "empty message");
    EXPECT_EQ(problems[2].line, 5);
    EXPECT_EQ(problems[2].reason, "empty label");
    EXPECT_EQ(problems[3].line, 6);
    EXPECT_EQ(problems[3].reason, "unknown label [MAYBE]");
    EXPECT_EQ(problems[4].line, 7);

    TempDir dir;
    EXPECT_FALSE(LabelledData::read(dir.file("none.tsv"), {}, examples, problems));
}

TEST(Validation, CountsWorkedOutByHand) {
    ValidationStatistics s;
    s.addCategory("C");
    // expected A: 3 right, 1 as B; expected B: 2 right, 2 as A; one without
    // any prediction.
    for (int i = 0; i < 3; ++i) s.add("A", "A");
    s.add("A", "B");
    s.add("B", "B");
    s.add("B", "B");
    s.add("B", "A");
    s.add("B", "A");
    s.add("B", "");
    auto rows = s.rows();
    ASSERT_EQ(rows.size(), 5u);  // (none), A, B, C, ~Total
    EXPECT_EQ(rows[0].name, ValidationStatistics::NO_PREDICTION);
    const auto& a = rows[1];
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(a.truePositives, 3);
    EXPECT_EQ(a.falsePositives, 2);
    EXPECT_EQ(a.falseNegatives, 1);
    EXPECT_EQ(a.trueNegatives, 3);
    EXPECT_DOUBLE_EQ(a.accuracy, 6.0 / 9);
    EXPECT_DOUBLE_EQ(a.precision, 3.0 / 5);
    EXPECT_DOUBLE_EQ(a.recall, 3.0 / 4);
    EXPECT_DOUBLE_EQ(a.f1, 2 * 0.6 * 0.75 / 1.35);
    const auto& b = rows[2];
    EXPECT_EQ(b.truePositives, 2);
    EXPECT_EQ(b.falsePositives, 1);
    EXPECT_EQ(b.falseNegatives, 3);
    EXPECT_EQ(b.trueNegatives, 3);
    const auto& c = rows[3];
    EXPECT_EQ(c.trueNegatives, 9);
    EXPECT_EQ(c.precision, 0.0);
    const auto& total = rows[4];
    EXPECT_EQ(total.name, "~Total");
    EXPECT_EQ(total.truePositives, 5);
    EXPECT_EQ(total.falsePositives, 4);
    EXPECT_EQ(total.falseNegatives, 4);
    EXPECT_DOUBLE_EQ(total.accuracy, 5.0 / 9);
    EXPECT_DOUBLE_EQ(total.precision, (0.0 + 0.6 + 2.0 / 3 + 0.0) / 4);
    EXPECT_EQ(s.total(), 9);
    EXPECT_EQ(s.correct(), 5);

    std::string table = s.toTable();
    EXPECT_EQ(table.find("category"), 0u);
    size_t last = table.rfind("~Total");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(table.find('\n', last), table.size() - 1);
    EXPECT_NE(table.find("0.5556"), std::string::npos);
}
