// varnex-train end to end: training on synthetic labelled messages,
// cross-validated and held-out accuracy, malformed input, and a written
// model giving in the engine the probabilities the trainer gave.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "Varnex/ClassificationAnnotator.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/Model.h"

using VarnexTest::readFile;
using VarnexTest::split;
using VarnexTest::TempDir;

namespace {

const std::string kTrainer = std::string(VARNEX_TOOLS_DIR) + "/varnex-train";

struct TrainerRun { int status = -1; std::string out, err; };

TrainerRun runTrainer(const TempDir& dir, const std::string& args) {
    const std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    const int s = std::system((kTrainer + " " + args + " > " + out + " 2> " + err).c_str());
    return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, readFile(out), readFile(err)};
}

// Chat messages that ask (TRUE) or tell (FALSE), built from subjects, objects
// and the question or statement forms of a few verbs; with `noise`, that
// share of labels is flipped.
std::string questionData(unsigned seed, int count, double noise) {
    static const std::vector<std::string> subjects = {"", "너 ", "오늘 ", "어제 ", "내일 ", "혹시 ", "지금 ", "주말에 ",
                                                      "아까 ", "우리 ", "엄마 ", "다들 "};
    static const std::vector<std::string> objects = {"", "밥 ", "커피 ", "숙제 ", "영화 ", "운동 ", "청소 ",
                                                     "회의 ", "점심 ", "책 ", "약 ", "빨래 "};
    // past stem, future stem, suggestion stem
    static const std::vector<std::vector<std::string>> verbs = {{"먹었", "먹을", "먹"}, {"했", "할", "하"},
                                                                {"봤", "볼", "보"},     {"갔", "갈", "가"},
                                                                {"끝났", "끝낼", "끝내"}, {"챙겼", "챙길", "챙기"}};
    std::mt19937 random(seed);
    auto pick = [&](const std::vector<std::string>& v) -> const std::string& { return v[random() % v.size()]; };
    std::string out;
    for (int i = 0; i < count; ++i) {
        const bool ask = random() % 2 == 0;
        const auto& v = verbs[random() % verbs.size()];
        const std::vector<std::string> forms =
            ask ? std::vector<std::string>{v[0] + "어?", v[0] + "어요?", v[1] + "래?", v[0] + "니", v[0] + "나요",
                                           v[1] + "까?", v[1] + " 거야?"}
                : std::vector<std::string>{v[0] + "어", v[0] + "어요", v[1] + "게", v[0] + "다", v[0] + "네",
                                           v[2] + "자", v[1] + " 거야"};
        const std::string text = pick(subjects) + pick(objects) + pick(forms);
        const bool label = (random() % 1000) < noise * 1000 ? !ask : ask;
        out += std::string(label ? "TRUE" : "FALSE") + "\t" + text + "\n";
    }
    return out;
}

// The numbers of the table row named `name`: TP FP FN TN accuracy F1 precision recall.
std::vector<double> tableRow(const std::string& table, const std::string& name) {
    for (const auto& line : split(table)) {
        std::istringstream cols(line);
        std::string first;
        std::vector<double> values;
        if (!(cols >> first) || first != name) continue;
        for (double v; cols >> v;) values.push_back(v);
        return values;
    }
    return {};
}

class TrainerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::exists(kTrainer)) << kTrainer << " is not built"; }
    TempDir dir;
};

}  // namespace

TEST_F(TrainerTest, CrossValidatedAccuracyClearsTheBarOnRealLabelsButNotOnRandomOnes) {
    // 5% of the labels are wrong on purpose, so no perfect score is
    // possible; a model that learned the endings still gets close to 95%.
    std::string data = dir.write("train.tsv", questionData(11, 600, 0.05));
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data + " --folds 5 --labels TRUE,FALSE");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("5-fold cross-validation on 600 messages"), std::string::npos) << r.out;
    for (const char* column : {"category", "TP", "FP", "FN", "TN", "accuracy", "F1", "precision", "recall"})
        EXPECT_NE(split(r.out)[1].find(column), std::string::npos) << column;
    auto total = tableRow(r.out, "~Total"), yes = tableRow(r.out, "TRUE"), no = tableRow(r.out, "FALSE");
    ASSERT_EQ(std::make_tuple(total.size(), yes.size(), no.size()), std::make_tuple(size_t(8), size_t(8), size_t(8)))
        << r.out;
    EXPECT_GE(total[4], 0.88) << r.out;
    EXPECT_EQ(yes[0] + yes[1] + yes[2] + yes[3], 600);  // every message is counted once per row
    EXPECT_EQ(total[0], yes[0] + no[0]);
    EXPECT_GE(yes[5], 0.85);
    EXPECT_GE(no[5], 0.85);

    // Labels unrelated to the text: an honest cross-validation stays near
    // chance, so a high score here would mean the folds leak.
    std::mt19937 random(5);
    std::string shuffled;
    for (const auto& line : split(questionData(12, 400, 0.0)))
        shuffled += std::string(random() % 2 ? "TRUE" : "FALSE") + line.substr(line.find('\t')) + "\n";
    TrainerRun chance = runTrainer(dir, "--features letter_ngram --data " + dir.write("random.tsv", shuffled));
    ASSERT_EQ(chance.status, 0) << chance.err;
    total = tableRow(chance.out, "~Total");
    ASSERT_EQ(total.size(), 8u) << chance.out;
    EXPECT_LT(total[4], 0.65) << chance.out;
}

TEST_F(TrainerTest, WrittenModelGivesTheSameProbabilitiesInTheEngine) {
    std::string data = dir.write("train.tsv", questionData(21, 500, 0.0));
    std::string probe = dir.write("probe.tsv", questionData(22, 80, 0.0) + "FALSE\t완전 처음 보는 말\n");
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data + " --folds 0 --output " +
                                       dir.file("question") + " --predict " + probe + " --predict-output " +
                                       dir.file("liblinear.txt"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Wrote " + dir.file("question") + ".model"), std::string::npos) << r.out;

    // The engine's path: Model from the three files, the same feature set,
    // a ClassificationAnnotator storing the result in an Annotation.
    auto model = std::make_shared<Varnex::Model>();
    ASSERT_TRUE(model->load(dir.file("question.model"), dir.file("question.category"), dir.file("question.index")));
    Varnex::FeatureSet features;
    ASSERT_TRUE(Varnex::FeatureSetFactory::build("letter_ngram", {}, features));
    auto classifier = features.makeClassifier();
    ASSERT_TRUE(classifier->loadModel(model));
    Varnex::ClassificationAnnotator annotator;
    annotator.setClassifier("question", classifier);

    auto predictions = split(readFile(dir.file("liblinear.txt")));
    ASSERT_EQ(predictions.size(), 81u);
    int confident = 0, agreeing = 0;
    for (const auto& line : predictions) {
        const std::vector<std::string> fields = split(line, '\t');
        ASSERT_EQ(fields.size(), 3u) << line;
        Varnex::Annotation a(fields[0]);
        annotator.process(a);
        ASSERT_TRUE(a.hasClassification("question"));
        const auto& scores = a.getClassification("question").scores;
        ASSERT_EQ(scores.size(), 2u);
        std::map<std::string, double> trainer;
        for (size_t i = 1; i < fields.size(); ++i) {
            const size_t eq = fields[i].find('=');
            trainer[fields[i].substr(0, eq)] = std::stod(fields[i].substr(eq + 1));
        }
        for (const auto& s : scores) {
            ASSERT_TRUE(trainer.count(s.first)) << line;
            EXPECT_NEAR(s.second, trainer[s.first], 1e-4) << line;  // the files keep six significant digits
        }
        if (std::abs(scores.at("TRUE") - 0.5) > 0.3) ++confident;
        const std::string best = trainer["TRUE"] > trainer["FALSE"] ? "TRUE" : "FALSE";
        if (a.getClassification("question").getPredictedClass() == best) ++agreeing;
    }
    EXPECT_EQ(agreeing, 81);
    EXPECT_GE(confident, 60) << "the probe should mostly get clear answers";
}

TEST_F(TrainerTest, HeldOutEvaluationAnotherSolverAndMalformedLinesReportedAndSkipped) {
    const std::string data = dir.write("train.tsv", "TRUE\t밥 먹었어?\nno tab at all\nFALSE\t   \nMAYBE\t글쎄\n" +
                                                        questionData(31, 400, 0.0));
    const std::string test = dir.write("test.tsv", questionData(32, 100, 0.0) + "MAYBE\t글쎄\n");
    TrainerRun r = runTrainer(dir, "--features ngram --labels TRUE,FALSE --data " + data + " --test " + test +
                                       " --solver L2R_L2LOSS_SVC_DUAL -C 0.5 --bias -1 --output " + dir.file("svc"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("cross-validation"), std::string::npos);
    for (const char* said : {"Model: 401 messages, 2 classes", "Held-out evaluation on 100 messages"})
        EXPECT_NE(r.out.find(said), std::string::npos) << said << "\n" << r.out;
    for (const std::string& line : {data + ":2: skipped: no tab between label and message",
                                    data + ":3: skipped: empty message", data + ":4: skipped: unknown label [MAYBE]",
                                    test + ":101: skipped: unknown label [MAYBE]"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
    auto total = tableRow(r.out, "~Total");
    ASSERT_EQ(total.size(), 8u);
    EXPECT_GE(total[4], 0.9);
    Varnex::Model m;
    ASSERT_TRUE(m.load(dir.file("svc.model"), dir.file("svc.category"), dir.file("svc.index")));
    EXPECT_EQ(m.getTypeString(), "L2R_L2LOSS_SVC_DUAL");
    EXPECT_EQ(m.getFeatureSize(), m.getFeatureNumber());
}

TEST_F(TrainerTest, UsageErrorsUnusableDataAndUnknownFeatureSetsWriteNoModel) {
    const std::string letters = "--features letter_ngram", data = " --data " + dir.write("t.tsv", questionData(4, 50, 0));
    // arguments, a usage error (status 2)?, part of the error output
    for (const auto& [args, usage, error] : std::vector<std::tuple<std::string, bool, std::string>>{
             {data, true, ""}, {letters + " --folds 1" + data, true, ""},
             {letters + " --solver L2R_L2LOSS_SVR" + data, true, ""}, {letters + " -C -1" + data, true, ""},
             {letters + " --labels TRUE,FALSE --positive TRUE" + data, true, ""},
             {letters + " --data " + dir.write("bad.tsv", "no tab\nTRUE\t\n"), false, "no usable training messages"},
             {letters + " --data " + dir.write("empty.tsv", ""), false, ""},
             {letters + " --data " + dir.file("missing.tsv"), false, "can't read"},
             {letters + " --data " + dir.write("one.tsv", "TRUE\t뭐해?\nTRUE\t밥 먹었어?\n"), false, "single category"},
             {"--features no_such_set" + data, false, "can't build the feature set no_such_set"}}) {
        TrainerRun r = runTrainer(dir, args + " --output " + dir.file("m"));
        if (usage) {
            EXPECT_EQ(r.status, 2) << args;
        } else {
            EXPECT_NE(r.status, 0) << args;
        }
        EXPECT_NE(r.err.find(error), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.model")));
    TrainerRun r = runTrainer(dir, "--list-features");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("letter_ngram"), std::string::npos);
}

TEST_F(TrainerTest, RetrainingReproducesTheFilesAndPruningDropsFeatures) {
    const std::string train = "--features ngram --folds 0 --data " + dir.write("train.tsv", questionData(51, 300, 0.02));
    for (const char* run : {"all --prune 0", "again --prune 0", "few --prune 0.05"})
        ASSERT_EQ(runTrainer(dir, train + " --output " + dir.file(run)).status, 0) << run;
    for (const char* ext : {".model", ".category", ".index"})
        EXPECT_EQ(readFile(dir.file(std::string("all") + ext)), readFile(dir.file(std::string("again") + ext))) << ext;
    Varnex::Model all, few;
    ASSERT_TRUE(all.load(dir.file("all.model"), dir.file("all.category"), dir.file("all.index")));
    ASSERT_TRUE(few.load(dir.file("few.model"), dir.file("few.category"), dir.file("few.index")));
    EXPECT_LT(few.getFeatureNumber(), all.getFeatureNumber());
    EXPECT_GT(few.getFeatureNumber(), 0);
    for (size_t r = 0; r + 1 < few.getWeights().size(); ++r) EXPECT_GE(std::abs(few.getWeights()[r]), 0.05 - 1e-6);
}

TEST_F(TrainerTest, OneAgainstTheRestGivesTheModelOfTheRelabelledData) {
    // Three labels, "ask" against "tell" and "other": the same model as
    // TRUE against FALSE, on the training and on the held-out side.
    std::string yesNo = questionData(61, 300, 0.0), threeWay;
    int n = 0;
    for (const auto& line : split(yesNo)) {
        const bool ask = line.compare(0, 5, "TRUE\t") == 0;
        threeWay += std::string(ask ? "ask" : (n++ % 2 ? "tell" : "other")) + line.substr(line.find('\t')) + "\n";
    }
    const std::string test = dir.write("test.tsv", questionData(62, 50, 0.0));
    std::string threeWayTest;
    for (const auto& line : split(VarnexTest::readFile(test)))
        threeWayTest += std::string(line.compare(0, 5, "TRUE\t") == 0 ? "ask" : "tell") + line.substr(line.find('\t')) +
                        "\n";
    const std::string base = "--features letter_ngram --folds 0";
    TrainerRun plain = runTrainer(dir, base + " --labels TRUE,FALSE --data " + dir.write("yn.tsv", yesNo) + " --test " +
                                           test + " --output " + dir.file("plain"));
    ASSERT_EQ(plain.status, 0) << plain.err;
    TrainerRun rest = runTrainer(dir, base + " --positive ask --data " + dir.write("three.tsv", threeWay) + " --test " +
                                          dir.write("three_test.tsv", threeWayTest) + " --output " + dir.file("rest"));
    ASSERT_EQ(rest.status, 0) << rest.err;
    EXPECT_TRUE(rest.err.empty()) << rest.err;
    EXPECT_EQ(tableRow(rest.out, "TRUE"), tableRow(plain.out, "TRUE")) << rest.out;
    for (const char* ext : {".model", ".category", ".index"})
        EXPECT_EQ(VarnexTest::readFile(dir.file(std::string("rest") + ext)),
                  VarnexTest::readFile(dir.file(std::string("plain") + ext)))
            << ext;
    // A label nobody carries leaves a single category.
    TrainerRun none = runTrainer(dir, base + " --positive nobody --data " + dir.file("three.tsv"));
    EXPECT_NE(none.status, 0);
    EXPECT_NE(none.err.find("single category"), std::string::npos) << none.err;
}
