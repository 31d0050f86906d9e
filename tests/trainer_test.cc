// varnex-train end to end: training on synthetic labelled messages,
// cross-validated accuracy, the validation table, malformed input, and a
// written model giving in the engine the probabilities the trainer gave.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Varnex/ClassificationAnnotator.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/Model.h"

using VarnexTest::TempDir;

namespace {

const std::string kTrainer = std::string(VARNEX_TOOLS_DIR) + "/varnex-train";

struct TrainerRun {
    int status = -1;
    std::string out, err;
};

TrainerRun runTrainer(const TempDir& dir, const std::string& args) {
    TrainerRun r;
    std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    int s = std::system((kTrainer + " " + args + " > " + out + " 2> " + err).c_str());
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    r.out = VarnexTest::readFile(out);
    r.err = VarnexTest::readFile(err);
    return r;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Chat messages that ask (TRUE) or tell (FALSE), built from subjects,
// objects and the question or statement forms of a few verbs; with
// `noise`, that share of labels is flipped.
std::string questionData(unsigned seed, int count, double noise) {
    static const std::vector<std::string> subjects = {"", "너 ", "오늘 ", "어제 ", "내일 ", "혹시 ", "지금 ", "주말에 ",
                                                      "아까 ", "우리 ", "엄마 ", "다들 "};
    static const std::vector<std::string> objects = {"", "밥 ", "커피 ", "숙제 ", "영화 ", "운동 ", "청소 ",
                                                     "회의 ", "점심 ", "책 ", "약 ", "빨래 "};
    struct Verb {
        std::vector<std::string> ask, tell;
    };
    static const std::vector<Verb> verbs = {
        {{"먹었어?", "먹었어요?", "먹을래?", "먹었니", "먹었나요", "먹을까?", "먹을 거야?"},
         {"먹었어", "먹었어요", "먹을게", "먹었다", "먹었네", "먹자", "먹을 거야"}},
        {{"했어?", "했어요?", "할래?", "했니", "했나요", "할까?", "할 거야?"},
         {"했어", "했어요", "할게", "했다", "했네", "하자", "할 거야"}},
        {{"봤어?", "봤어요?", "볼래?", "봤니", "봤나요", "볼까?", "볼 거야?"},
         {"봤어", "봤어요", "볼게", "봤다", "봤네", "보자", "볼 거야"}},
        {{"갔어?", "갔어요?", "갈래?", "갔니", "갔나요", "갈까?", "갈 거야?"},
         {"갔어", "갔어요", "갈게", "갔다", "갔네", "가자", "갈 거야"}},
        {{"끝났어?", "끝났어요?", "끝낼래?", "끝났니", "끝났나요", "끝낼까?", "끝날 거야?"},
         {"끝났어", "끝났어요", "끝낼게", "끝났다", "끝났네", "끝내자", "끝날 거야"}},
        {{"챙겼어?", "챙겼어요?", "챙길래?", "챙겼니", "챙겼나요", "챙길까?", "챙길 거야?"},
         {"챙겼어", "챙겼어요", "챙길게", "챙겼다", "챙겼네", "챙기자", "챙길 거야"}},
    };
    std::mt19937 random(seed);
    auto pick = [&](const std::vector<std::string>& v) -> const std::string& { return v[random() % v.size()]; };
    std::string out;
    for (int i = 0; i < count; ++i) {
        bool ask = random() % 2 == 0;
        const Verb& verb = verbs[random() % verbs.size()];
        std::string text = pick(subjects) + pick(objects) + pick(ask ? verb.ask : verb.tell);
        bool label = (random() % 1000) < noise * 1000 ? !ask : ask;
        out += std::string(label ? "TRUE" : "FALSE") + "\t" + text + "\n";
    }
    return out;
}

// The numbers of the table row named `name`: TP FP FN TN accuracy F1
// precision recall.
std::vector<double> tableRow(const std::string& table, const std::string& name) {
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream cols(line);
        std::string first;
        cols >> first;
        if (first != name) continue;
        std::vector<double> values;
        double v;
        while (cols >> v) values.push_back(v);
        return values;
    }
    return {};
}

std::vector<std::string> lines(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

class TrainerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(exists(kTrainer)) << kTrainer << " is not built"; }
    TempDir dir;
};

}  // namespace

TEST_F(TrainerTest, CrossValidatedAccuracyClearsTheBar) {
    // 5% of the labels are wrong on purpose, so no perfect score is
    // possible; a model that learned the endings still gets close to 95%.
    std::string data = dir.write("train.tsv", questionData(11, 600, 0.05));
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data + " --folds 5 --labels TRUE,FALSE");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("5-fold cross-validation on 600 messages"), std::string::npos) << r.out;
    auto header = lines(r.out)[1];
    for (const char* column : {"category", "TP", "FP", "FN", "TN", "accuracy", "F1", "precision", "recall"})
        EXPECT_NE(header.find(column), std::string::npos) << column;
    auto total = tableRow(r.out, "~Total");
    ASSERT_EQ(total.size(), 8u) << r.out;
    EXPECT_GE(total[4], 0.88) << r.out;
    auto yes = tableRow(r.out, "TRUE"), no = tableRow(r.out, "FALSE");
    ASSERT_EQ(yes.size(), 8u);
    ASSERT_EQ(no.size(), 8u);
    // Every message is counted once per row.
    EXPECT_EQ(yes[0] + yes[1] + yes[2] + yes[3], 600);
    EXPECT_EQ(total[0], yes[0] + no[0]);
    EXPECT_GE(yes[5], 0.85);
    EXPECT_GE(no[5], 0.85);
}

TEST_F(TrainerTest, RandomLabelsAreNotLearned) {
    // Labels unrelated to the text: an honest cross-validation stays near
    // chance, so a high score here would mean the folds leak.
    std::string data = questionData(12, 400, 0.0);
    std::mt19937 random(5);
    std::string shuffled;
    for (const auto& line : lines(data))
        shuffled += std::string(random() % 2 ? "TRUE" : "FALSE") + line.substr(line.find('\t')) + "\n";
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + dir.write("random.tsv", shuffled));
    ASSERT_EQ(r.status, 0) << r.err;
    auto total = tableRow(r.out, "~Total");
    ASSERT_EQ(total.size(), 8u) << r.out;
    EXPECT_LT(total[4], 0.65) << r.out;
}

TEST_F(TrainerTest, WrittenModelGivesTheSameProbabilitiesInTheEngine) {
    std::string data = dir.write("train.tsv", questionData(21, 500, 0.0));
    std::string probe = dir.write("probe.tsv", questionData(22, 80, 0.0) + "FALSE\t완전 처음 보는 말\n");
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data + " --folds 0 --output " + dir.file("question") +
                                " --predict " + probe + " --predict-output " + dir.file("liblinear.txt"));
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

    auto predictions = lines(VarnexTest::readFile(dir.file("liblinear.txt")));
    ASSERT_EQ(predictions.size(), 81u);
    int confident = 0, agreeing = 0;
    for (const auto& line : predictions) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        std::string f;
        while (std::getline(in, f, '\t')) fields.push_back(f);
        ASSERT_EQ(fields.size(), 3u) << line;
        Varnex::Annotation a(fields[0]);
        annotator.process(a);
        ASSERT_TRUE(a.hasClassification("question"));
        const auto& scores = a.getClassification("question").scores;
        ASSERT_EQ(scores.size(), 2u);
        std::map<std::string, double> trainer;
        for (size_t i = 1; i < fields.size(); ++i) {
            size_t eq = fields[i].find('=');
            trainer[fields[i].substr(0, eq)] = std::stod(fields[i].substr(eq + 1));
        }
        for (const auto& s : scores) {
            ASSERT_TRUE(trainer.count(s.first)) << line;
            // The files keep six significant digits of every weight.
            EXPECT_NEAR(s.second, trainer[s.first], 1e-4) << line;
        }
        if (std::abs(scores.at("TRUE") - 0.5) > 0.3) ++confident;
        std::string best = trainer["TRUE"] > trainer["FALSE"] ? "TRUE" : "FALSE";
        if (a.getClassification("question").getPredictedClass() == best) ++agreeing;
    }
    EXPECT_EQ(agreeing, 81);
    EXPECT_GE(confident, 60) << "the probe should mostly get clear answers";
}

TEST_F(TrainerTest, MalformedLinesAreReportedAndSkipped) {
    std::string data = dir.write("train.tsv", "TRUE\t밥 먹었어?\n"
                                              "no tab at all\n"
                                              "FALSE\t   \n"
                                              "MAYBE\t글쎄\n" +
                                                  questionData(3, 100, 0.0));
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data + " --labels TRUE,FALSE --folds 0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(data + ":2: skipped: no tab between label and message"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(data + ":3: skipped: empty message"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(data + ":4: skipped: unknown label [MAYBE]"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Model: 101 messages, 2 classes"), std::string::npos) << r.out;
}

TEST_F(TrainerTest, EmptyTrainingSetIsAnError) {
    std::string data = dir.write("bad.tsv", "no tab\nTRUE\t\n");
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data + " --output " + dir.file("m"));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no usable training messages"), std::string::npos) << r.err;
    EXPECT_FALSE(exists(dir.file("m.model")));
    r = runTrainer(dir, "--features letter_ngram --data " + dir.write("empty.tsv", "") + " --output " + dir.file("m"));
    EXPECT_NE(r.status, 0);
    r = runTrainer(dir, "--features letter_ngram --data " + dir.file("missing.tsv"));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("can't read"), std::string::npos) << r.err;
}

TEST_F(TrainerTest, OneCategoryIsNotAModel) {
    std::string data = dir.write("one.tsv", "TRUE\t뭐해?\nTRUE\t밥 먹었어?\n");
    TrainerRun r = runTrainer(dir, "--features letter_ngram --data " + data);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("single category"), std::string::npos) << r.err;
}

TEST_F(TrainerTest, UsageErrors) {
    std::string data = dir.write("train.tsv", questionData(4, 50, 0.0));
    TrainerRun r = runTrainer(dir, "--features no_such_set --data " + data);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("can't build the feature set no_such_set"), std::string::npos) << r.err;
    EXPECT_EQ(runTrainer(dir, "--data " + data).status, 2);
    EXPECT_EQ(runTrainer(dir, "--features letter_ngram --data " + data + " --folds 1").status, 2);
    EXPECT_EQ(runTrainer(dir, "--features letter_ngram --data " + data + " --solver L2R_L2LOSS_SVR").status, 2);
    EXPECT_EQ(runTrainer(dir, "--features letter_ngram --data " + data + " -C -1").status, 2);
    r = runTrainer(dir, "--list-features");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("letter_ngram"), std::string::npos);
}

TEST_F(TrainerTest, HeldOutEvaluationAndOtherSolvers) {
    std::string data = dir.write("train.tsv", questionData(31, 400, 0.0));
    std::string test = dir.write("test.tsv", questionData(32, 100, 0.0) + "MAYBE\t글쎄\n");
    TrainerRun r = runTrainer(dir, "--features ngram --data " + data + " --test " + test +
                                " --solver L2R_L2LOSS_SVC_DUAL -C 0.5 --bias -1 --output " + dir.file("svc"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("cross-validation"), std::string::npos);
    EXPECT_NE(r.out.find("Held-out evaluation on 100 messages"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(test + ":101: skipped: unknown label [MAYBE]"), std::string::npos) << r.err;
    auto total = tableRow(r.out, "~Total");
    ASSERT_EQ(total.size(), 8u);
    EXPECT_GE(total[4], 0.9);
    Varnex::Model m;
    ASSERT_TRUE(m.load(dir.file("svc.model"), dir.file("svc.category"), dir.file("svc.index")));
    EXPECT_EQ(m.getTypeString(), "L2R_L2LOSS_SVC_DUAL");
    EXPECT_EQ(m.getFeatureSize(), m.getFeatureNumber());
}

TEST_F(TrainerTest, RetrainingReproducesTheFiles) {
    std::string data = dir.write("train.tsv", questionData(41, 300, 0.02));
    ASSERT_EQ(runTrainer(dir, "--features letter_ngram --data " + data + " --output " + dir.file("a")).status, 0);
    ASSERT_EQ(runTrainer(dir, "--features letter_ngram --data " + data + " --output " + dir.file("b")).status, 0);
    for (const char* ext : {".model", ".category", ".index"})
        EXPECT_EQ(VarnexTest::readFile(dir.file(std::string("a") + ext)),
                  VarnexTest::readFile(dir.file(std::string("b") + ext)))
            << ext;
}

TEST_F(TrainerTest, PruningDropsFeatures) {
    std::string data = dir.write("train.tsv", questionData(51, 300, 0.0));
    TrainerRun light = runTrainer(dir, "--features ngram --data " + data + " --folds 0 --prune 0 --output " + dir.file("all"));
    TrainerRun heavy = runTrainer(dir, "--features ngram --data " + data + " --folds 0 --prune 0.05 --output " + dir.file("few"));
    ASSERT_EQ(light.status, 0);
    ASSERT_EQ(heavy.status, 0);
    Varnex::Model all, few;
    ASSERT_TRUE(all.load(dir.file("all.model"), dir.file("all.category"), dir.file("all.index")));
    ASSERT_TRUE(few.load(dir.file("few.model"), dir.file("few.category"), dir.file("few.index")));
    EXPECT_LT(few.getFeatureNumber(), all.getFeatureNumber());
    EXPECT_GT(few.getFeatureNumber(), 0);
    for (size_t r = 0; r + 1 < few.getWeights().size(); ++r) EXPECT_GE(std::abs(few.getWeights()[r]), 0.05 - 1e-6);
}
