// The linear classifier on hand-made models, the annotation-based
// classifier, the n-gram and dictionary extractors, the feature-set factory,
// labelled data and the validation table.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
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
using Probabilities = std::map<std::string, double>;

namespace {

double logistic(double x) { return 1.0 / (1.0 + std::exp(-x)); }

std::shared_ptr<Model> model(const std::vector<int>& labels, const std::vector<std::string>& names, float bias,
                             std::vector<double> weights, std::initializer_list<const char*> features) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    for (const char* n : features) index->insert(n);
    auto m = std::make_shared<Model>();
    EXPECT_TRUE(m->assign(Model::L2R_LR, labels, names, bias, static_cast<int>(features.size()), weights, index));
    return m;
}

// Two classes; the single weight column belongs to label 1 ("TRUE").
// Weights: a 0.5, b -1, c 2, bias row 0.25.
std::shared_ptr<Model> twoClassModel() {
    return model({1, 0}, {"FALSE", "TRUE"}, 1.0f, {0.5, -1, 2, 0.25}, {"a", "b", "c"});
}

// Three classes x, y, z, no bias. Row a: 1 0 -1; row b: 0 2 0.
std::shared_ptr<Model> threeClassModel() {
    return model({0, 1, 2}, {"x", "y", "z"}, -1.0f, {1, 0, -1, 0, 2, 0}, {"a", "b"});
}

}  // namespace

TEST(Classifier, ProbabilitiesWorkedOutByHand) {
    const double bias = 0.562176500885798;  // logistic(0.25)
    const auto noBias = model({1, 0}, {"FALSE", "TRUE"}, -1.0f, {0.5, -1, 2}, {"a", "b", "c"});
    const auto swapped = model({0, 1}, {"FALSE", "TRUE"}, 1.0f, {0.5, -1, 2, 0.25}, {"a", "b", "c"});
    const auto extreme = model({0, 1, 2}, {"x", "y", "z"}, -1.0f, {-1e6, -1e6, -1e6}, {"a"});
    // model, features with their values, probabilities, predicted class
    for (const auto& [m, features, expected, predicted] :
         std::vector<std::tuple<std::shared_ptr<Model>, std::vector<std::pair<const char*, float>>, Probabilities,
                                std::string>>{
             // a + 2c + bias: 0.5 + 4 + 0.25 = 4.75 for TRUE.
             {twoClassModel(), {{"a", 1}, {"c", 2}}, {{"TRUE", 0.991422514586288}, {"FALSE", 1 - 0.991422514586288}},
              "TRUE"},
             {twoClassModel(), {}, {{"TRUE", bias}, {"FALSE", 1 - bias}}, "TRUE"},  // the bias row alone
             {twoClassModel(), {{"b", 1}}, {{"TRUE", logistic(-0.75)}, {"FALSE", 1 - logistic(-0.75)}}, "FALSE"},
             {noBias, {{"unknown", 1}}, {{"TRUE", 0.5}, {"FALSE", 0.5}}, "FALSE"},  // even odds: the first name
             {swapped, {}, {{"FALSE", bias}, {"TRUE", 1 - bias}}, "FALSE"},  // columns follow the label line
             // a: decisions 1, 0, -1; the logistic values sum to 1.5.
             {threeClassModel(), {{"a", 1}}, {{"x", 0.487372385753337}, {"y", 1.0 / 3}, {"z", 0.179294280913330}},
              "x"},
             // a + b: decisions 1, 2, -1.
             {threeClassModel(), {{"a", 1}, {"b", 1}},
              {{"x", 0.388696147601417}, {"y", 0.468310530833481}, {"z", 0.142993321565102}}, "y"},
             {threeClassModel(), {}, {{"x", 1.0 / 3}, {"y", 1.0 / 3}, {"z", 1.0 / 3}}, "x"},  // ties: the first name
             {extreme, {{"a", 1}}, {{"x", 1.0 / 3}, {"y", 1.0 / 3}, {"z", 1.0 / 3}}, "x"}}) {  // scores underflow
        SVMClassifier c(m);
        auto v = c.makeFeatureVector();
        for (const auto& [name, value] : features) v->add(name, value);
        const Probabilities p = c.classify(*v);
        ASSERT_EQ(p.size(), expected.size());
        for (const auto& [name, probability] : expected) EXPECT_NEAR(p.at(name), probability, 1e-12) << name;
        for (const auto& e : p) EXPECT_TRUE(std::isfinite(e.second));
        EXPECT_EQ(c.predict(*v), predicted);
    }
    SVMClassifier even(noBias);
    auto v = even.makeFeatureVector();
    v->add("unknown");
    EXPECT_EQ(even.classify(*v), (Probabilities{{"FALSE", 0.5}, {"TRUE", 0.5}})) << "exactly even";
}

TEST(Classifier, NotLoadedClassifiesNothingAndRowsPastTheFeaturesAreSkipped) {
    LogCapture log;
    SVMClassifier c;
    EXPECT_FALSE(c.loaded());
    EXPECT_EQ(c.getNumClasses(), -1);
    EXPECT_EQ(c.getNumFeatures(), -1);
    SVMFeatureVector v;
    v.insert(1, 1.0f);
    EXPECT_TRUE(c.classify(v).empty());
    EXPECT_TRUE(log.hasError("model is not loaded"));
    EXPECT_EQ(c.predict(v), "");
    EXPECT_TRUE(log.contains("Classification results are empty"));
    TempDir dir;
    EXPECT_FALSE(c.loadModel(dir.file("x.model"), dir.file("x.category"), dir.file("x.index")));
    EXPECT_TRUE(c.classify(v).empty());
    EXPECT_FALSE(c.loadModel(std::shared_ptr<Model>()));

    SVMClassifier two(twoClassModel());
    SVMFeatureVector past(two.getModel()->getFeatureIndex());
    past.insert(4, 100.0f);  // row 3: the bias row, not a feature
    past.insert(9, 100.0f);
    past.insert(0, 100.0f);  // row -1
    EXPECT_NEAR(two.classify(past)["TRUE"], 0.562176500885798, 1e-12);
    EXPECT_TRUE(log.hasError("Feature index [3] is more than model support [4]"));
}

namespace {

// Adds one feature of its own name for every annotation it sees; records the calls.
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

Annotation tokenized(const std::string& text) {
    Annotation a(text);
    WhitespaceTokenizer().process(a);
    return a;
}

// The extracted features by name; fails on features outside `candidates`.
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

TEST(AnnotationClassifier, RunsExtractorsInOrderOnOneVectorOnlyWhenLoaded) {
    std::vector<std::string> calls;
    AnnotationBasedClassifier c(std::make_shared<RecordingExtractor>("a", &calls));
    c.addFeatureExtractor(std::make_shared<RecordingExtractor>("c", &calls));
    c.addFeatureExtractor(nullptr);
    {
        LogCapture log;
        EXPECT_TRUE(c.classify(Annotation("msg")).empty());
        EXPECT_EQ(c.predict(Annotation("msg")), "");
        EXPECT_TRUE(calls.empty()) << "a classifier without a model extracts nothing";
    }
    ASSERT_TRUE(c.loadModel(twoClassModel()));
    auto p = c.classify(Annotation("msg"));
    EXPECT_EQ(calls, (std::vector<std::string>{"a:msg", "c:msg"}));
    EXPECT_NEAR(p["TRUE"], logistic(0.5 + 2 + 0.25), 1e-12);
    EXPECT_EQ(c.predict(Annotation("msg")), "TRUE");
    EXPECT_EQ(c.getFeatureExtractors().size(), 2u);
}

TEST(NGramExtractor, ConstructorArgumentsMapToTheirFlags) {
    // One argument set at a time: the fourth chooses syllables (f5), the fifth
    // single words (f3), the sixth word runs (f4); the others their own flag.
    const int storedAt[] = {0, 1, 2, 5, 3, 4, 6, 7};
    for (int k = 0; k < 8; ++k) {
        bool a[8] = {};
        a[k] = true;
        const auto c = NGramLetterFeatureExtractor(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]).getConfig();
        std::array<bool, 8> expected{};
        expected[storedAt[k]] = true;
        EXPECT_EQ((std::array<bool, 8>{c.postfix, c.prefix, c.letters, c.words, c.wordNGrams, c.syllables,
                                       c.attributes, c.reserved}),
                  expected)
            << "argument " << k + 1;
        EXPECT_EQ(c.anyMode(), k != 3 && k < 6) << "syllables, attributes or the reserved flag alone choose nothing";
    }
    // The fifth argument alone yields word features, the fourth none.
    Annotation a = tokenized("먹었어");
    EXPECT_EQ(features(NGramLetterFeatureExtractor(false, false, false, false, true, false, false, false), a,
                       {"word->먹었어"}).size(),
              1u);
    EXPECT_TRUE(features(NGramLetterFeatureExtractor(false, false, false, true, false, false, false, false), a, {})
                    .empty());
}

TEST(NGramExtractor, LetterPrefixesSuffixesWordsWordRunsAndAttributes) {
    NGramLetterFeatureExtractorConfig letters, runs, words, attributes;
    letters.postfix = letters.prefix = runs.wordNGrams = words.words = attributes.words = attributes.attributes = true;
    EXPECT_EQ(features(NGramLetterFeatureExtractor(letters), tokenized("먹었어? 응"),
                       {"postfix->?", "postfix->어?", "postfix->었어?", "prefix->먹", "prefix->먹었",
                        "prefix->먹었어"}),
              (std::map<std::string, float>{{"postfix->?", 1}, {"postfix->어?", 1}, {"postfix->었어?", 1},
                                            {"prefix->먹", 1}, {"prefix->먹었", 1}, {"prefix->먹었어", 1}}));
    EXPECT_EQ(features(NGramLetterFeatureExtractor(letters), tokenized("ab ab"), {"postfix->b", "prefix->a"}),
              (std::map<std::string, float>{{"postfix->b", 2}, {"prefix->a", 2}}))
        << "repeated words add up";
    EXPECT_TRUE(features(NGramLetterFeatureExtractor(runs), tokenized("a b"), {}).empty());
    EXPECT_EQ(features(NGramLetterFeatureExtractor(runs), tokenized("a b c d"),
                       {"word-> a b", "word-> b c", "word-> c d", "word-> a b c", "word-> b c d"})
                  .size(),
              5u);
    EXPECT_EQ(features(NGramLetterFeatureExtractor(words), tokenized("not good at all"),
                       {"word->not", "word->good", "word->at", "word->all"}),
              (std::map<std::string, float>{{"word->not", 1}, {"word->good", -10}, {"word->at", 1}, {"word->all", 1}}));
    Annotation a("x");
    Token t;
    t.addAttribute("text", "x");
    t.addAttribute("pos", "noun");
    a.setTokens({t});
    EXPECT_EQ(features(NGramLetterFeatureExtractor(attributes), a, {"word->x", "pos->noun"}).size(), 2u);
}

TEST(NGramExtractor, NoTokensNoFeaturesUnlessTokenizedAtWhiteSpace) {
    NGramLetterFeatureExtractorConfig c;
    c.postfix = true;
    auto ngram = std::make_shared<NGramLetterFeatureExtractor>(c);
    Annotation raw("ab cd");
    EXPECT_TRUE(features(*ngram, raw, {}).empty());
    TokenizingFeatureExtractor tokenizing(ngram);
    EXPECT_EQ(features(tokenizing, raw, {"postfix->b", "postfix->d"}).size(), 2u);
    EXPECT_TRUE(raw.getTokens().empty());

    Annotation a = tokenized("  밥 먹자\t지금 ");
    ASSERT_EQ(a.getTokens().size(), 3u);
    EXPECT_EQ(a.getTokens()[1].getAttribute("text"), "먹자");
    EXPECT_EQ(a.getCoveredText(a.getTokens()[1]), "먹자");
    EXPECT_EQ(a.getTokens()[0].begin, 2);
    EXPECT_EQ(a.getTokens()[0].end, 5);
}

TEST(FeatureSets, DictionaryFeaturesBuiltInSetsAndRegistration) {
    auto dictionary = std::make_shared<DictionaryFeature>(
        std::vector<std::pair<std::string, std::string>>{{"고마워", "THANKS"}, {"감사", "THANKS"}});
    EXPECT_EQ(features(DictionaryFeatureExtractor(dictionary), Annotation("정말 고마워 고마워"),
                       {"고마워", "THANKS", "감사"}),
              (std::map<std::string, float>{{"THANKS", 1}, {"고마워", 1}}))
        << "each phrase and value once";
    EXPECT_TRUE(features(DictionaryFeatureExtractor(nullptr), Annotation("고마워"), {}).empty());

    std::set<std::string> have;
    for (const auto& n : FeatureSetFactory::list()) have.insert(n.first);
    for (const char* n : {"letter_ngram", "word_ngram", "ngram", "dictionary_ngram"}) EXPECT_TRUE(have.count(n)) << n;
    FeatureSet set;
    LogCapture log;
    EXPECT_FALSE(FeatureSetFactory::build("no_such_set", {}, set));
    EXPECT_TRUE(log.hasError("Unknown feature set [no_such_set]"));
    EXPECT_FALSE(FeatureSetFactory::build("dictionary_ngram", {}, set));
    auto accept = [](const FeatureSetOptions&, FeatureSet&) { return true; };
    EXPECT_FALSE(FeatureSetFactory::add("letter_ngram", "again", accept));
    EXPECT_FALSE(FeatureSetFactory::add("", "nameless", accept));
    ASSERT_TRUE(FeatureSetFactory::add("test_upper", "a test set", [](const FeatureSetOptions& o, FeatureSet& s) {
        s.preparation.push_back(std::make_shared<SentenceNormalizer>());
        NGramLetterFeatureExtractorConfig c;
        c.words = true;
        s.extractors.push_back(
            std::make_shared<TokenizingFeatureExtractor>(std::make_shared<NGramLetterFeatureExtractor>(c)));
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

TEST(LabelledData, ReportsMalformedLinesWithTheirNumbers) {
    std::vector<LabelledExample> examples;
    std::vector<LabelledDataProblem> problems;
    LabelledData::parse("\xEF\xBB\xBFTRUE\t밥 먹었어?\r\nno tab here\n\nFALSE\t   \n\t라벨 없음\nMAYBE\t글쎄\n"
                        "TR UE\t띄어쓰기\nFALSE\t응 먹었어\tㅋㅋ\n",
                        {"TRUE", "FALSE"}, examples, problems);
    std::vector<std::tuple<int, std::string, std::string>> read;
    for (const auto& e : examples) read.emplace_back(e.line, e.label, e.text);
    EXPECT_EQ(read, (std::vector<std::tuple<int, std::string, std::string>>{{1, "TRUE", "밥 먹었어?"},
                                                                             {8, "FALSE", "응 먹었어\tㅋㅋ"}}));
    std::vector<std::pair<int, std::string>> reported;
    for (const auto& p : problems) reported.emplace_back(p.line, p.reason);
    EXPECT_EQ(reported, (std::vector<std::pair<int, std::string>>{{2, "no tab between label and message"},
                                                                  {4, "empty message"},
                                                                  {5, "empty label"},
                                                                  {6, "unknown label [MAYBE]"},
                                                                  {7, "white space inside the label [TR UE]"}}));
    TempDir dir;
    EXPECT_FALSE(LabelledData::read(dir.file("none.tsv"), {}, examples, problems));
}

TEST(Validation, CountsWorkedOutByHand) {
    ValidationStatistics s;
    s.addCategory("C");
    // expected A: 3 right, 1 as B; expected B: 2 right, 2 as A; one without any prediction.
    for (const auto& [expected, predicted] : std::vector<std::pair<const char*, const char*>>{
             {"A", "A"}, {"A", "A"}, {"A", "A"}, {"A", "B"}, {"B", "B"}, {"B", "B"}, {"B", "A"}, {"B", "A"}, {"B", ""}})
        s.add(expected, predicted);
    auto counts = [](const CategoryStatistics& r) {
        return std::make_tuple(r.truePositives, r.falsePositives, r.falseNegatives, r.trueNegatives);
    };
    auto rows = s.rows();
    ASSERT_EQ(rows.size(), 5u);  // (none), A, B, C, ~Total
    EXPECT_EQ(rows[0].name, ValidationStatistics::NO_PREDICTION);
    const auto &a = rows[1], &b = rows[2], &c = rows[3], &total = rows[4];
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(counts(a), std::make_tuple(3LL, 2LL, 1LL, 3LL));
    EXPECT_DOUBLE_EQ(a.accuracy, 6.0 / 9);
    EXPECT_DOUBLE_EQ(a.precision, 3.0 / 5);
    EXPECT_DOUBLE_EQ(a.recall, 3.0 / 4);
    EXPECT_DOUBLE_EQ(a.f1, 2 * 0.6 * 0.75 / 1.35);
    EXPECT_EQ(counts(b), std::make_tuple(2LL, 1LL, 3LL, 3LL));
    EXPECT_EQ(c.trueNegatives, 9);
    EXPECT_EQ(c.precision, 0.0);
    EXPECT_EQ(total.name, "~Total");
    EXPECT_EQ(std::make_tuple(total.truePositives, total.falsePositives, total.falseNegatives),
              std::make_tuple(5LL, 4LL, 4LL));
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
