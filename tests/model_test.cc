// Model files: loading, the defences of the loader against damaged files,
// writing the three files back, and pruning.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "TestSupport.h"
#include "Varnex/Model.h"
#include "Varnex/SVMClassifier.h"

using Varnex::Model;
using Varnex::SVMFeatureIndex;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {

std::string indexLine(const std::string& name, int index) {
    return std::to_string(SVMFeatureIndex::hash(name)) + ":" + std::to_string(index) + "\n";
}

// Features a, b, c at rows 0, 1, 2 (offset 1).
std::string abcIndex() { return "1\n" + indexLine("a", 1) + indexLine("b", 2) + indexLine("c", 3); }

// Two classes, one weight column for label 1 ("TRUE"), bias row last.
const char kTwoClassModel[] =
    "solver_type L2R_LR\n"
    "nr_class 2\n"
    "label 1 0\n"
    "nr_feature 3\n"
    "bias 1\n"
    "w\n"
    "0.5 \n"
    "-1 \n"
    "2 \n"
    "0.25 \n";
const char kTwoClassCategories[] = "FALSE\nTRUE\n";

struct Files {
    std::string model, category, index;
};

Files writeModel(const TempDir& dir, const std::string& model, const std::string& categories,
                 const std::string& index, const std::string& name = "m") {
    return {dir.write(name + ".model", model), dir.write(name + ".category", categories),
            dir.write(name + ".index", index)};
}

bool load(Model& m, const Files& f) { return m.load(f.model, f.category, f.index); }

bool hasErrorContaining(const LogCapture& log, const std::string& part) {
    for (const auto& l : log.lines())
        if (l.priority == 6 && l.text.find(part) != std::string::npos) return true;
    return false;
}

// Loads a damaged model and expects it to stay empty, with an error logged
// that contains `why`.
void expectRejected(const std::string& model, const std::string& categories, const std::string& index,
                    const std::string& why) {
    TempDir dir;
    Files f = writeModel(dir, model, categories, index);
    LogCapture log;
    Model m;
    EXPECT_FALSE(load(m, f));
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(m.getClassNumber(), 0);
    EXPECT_EQ(m.getWeightsArray(), nullptr);
    EXPECT_TRUE(hasErrorContaining(log, why)) << "no error mentioning [" << why << "]";
    Varnex::SVMClassifier classifier(std::make_shared<Model>(m));
    Varnex::SVMFeatureVector v(m.getFeatureIndex());
    v.insert(1, 1.0f);
    EXPECT_TRUE(classifier.classify(v).empty());
}

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos) << from;
    if (p != std::string::npos) s.replace(p, from.size(), to);
    return s;
}

}  // namespace

TEST(ModelLoad, HandMadeTwoClassModel) {
    TempDir dir;
    Model m;
    ASSERT_TRUE(load(m, writeModel(dir, kTwoClassModel, kTwoClassCategories, abcIndex())));
    EXPECT_TRUE(m.loaded());
    EXPECT_EQ(m.getType(), Model::L2R_LR);
    EXPECT_EQ(m.getTypeString(), "L2R_LR");
    EXPECT_EQ(m.getClassNumber(), 2);
    EXPECT_EQ(m.getClassSize(), 1);
    EXPECT_EQ(m.getFeatureNumber(), 3);
    EXPECT_EQ(m.getFeatureSize(), 4);
    EXPECT_FLOAT_EQ(m.getBias(), 1.0f);
    EXPECT_EQ(m.getClassIndexes(), (std::vector<int>{1, 0}));
    EXPECT_EQ(m.getClassNames(), (std::vector<std::string>{"FALSE", "TRUE"}));
    ASSERT_NE(m.getWeightsArray(), nullptr);
    EXPECT_EQ(m.getWeights(), (std::vector<double>{0.5, -1, 2, 0.25}));
    ASSERT_TRUE(m.getFeatureIndex());
    EXPECT_TRUE(m.getFeatureIndex()->isFrozen());
    EXPECT_EQ(m.getFeatureIndex()->getIndex("b"), 2);
}

TEST(ModelLoad, WeightsOnTheWLineAndLibLinearLayoutBothRead) {
    TempDir dir;
    std::string sameLine = replaced(kTwoClassModel, "w\n0.5 \n", "w 0.5 \n");
    Model m;
    ASSERT_TRUE(load(m, writeModel(dir, sameLine, kTwoClassCategories, abcIndex())));
    EXPECT_EQ(m.getWeights(), (std::vector<double>{0.5, -1, 2, 0.25}));
}

TEST(ModelLoad, ClassSizeFollowsSolver) {
    TempDir dir;
    std::string cs = replaced(replaced(kTwoClassModel, "L2R_LR", "MCSVM_CS"), "w\n0.5 \n-1 \n2 \n0.25 \n",
                              "w\n0.5 -0.5 \n-1 1 \n2 -2 \n0.25 -0.25 \n");
    Model m;
    ASSERT_TRUE(load(m, writeModel(dir, cs, kTwoClassCategories, abcIndex())));
    EXPECT_EQ(m.getClassSize(), 2);
    EXPECT_EQ(m.getWeights().size(), 8u);
}

TEST(ModelLoad, NegativeBiasHasNoBiasRow) {
    TempDir dir;
    std::string noBias = replaced(replaced(kTwoClassModel, "bias 1", "bias -1"), "0.25 \n", "");
    Model m;
    ASSERT_TRUE(load(m, writeModel(dir, noBias, kTwoClassCategories, abcIndex())));
    EXPECT_EQ(m.getFeatureSize(), 3);
}

TEST(ModelLoad, MissingLabelLineMeansLabelOrder) {
    TempDir dir;
    Model m;
    ASSERT_TRUE(load(m, writeModel(dir, replaced(kTwoClassModel, "label 1 0\n", ""), kTwoClassCategories, abcIndex())));
    EXPECT_EQ(m.getClassIndexes(), (std::vector<int>{0, 1}));
}

TEST(ModelLoad, ExtraCategoryNamesAreIgnored) {
    TempDir dir;
    Model m;
    ASSERT_TRUE(load(m, writeModel(dir, kTwoClassModel, "FALSE TRUE MAYBE\n", abcIndex())));
    EXPECT_EQ(m.getClassNames().size(), 2u);
}

TEST(ModelLoad, MissingFile) {
    TempDir dir;
    Files f = writeModel(dir, kTwoClassModel, kTwoClassCategories, abcIndex());
    LogCapture log;
    Model m;
    EXPECT_FALSE(m.load(dir.file("nothing.model"), f.category, f.index));
    EXPECT_TRUE(hasErrorContaining(log, "Failed to open model files"));
    EXPECT_FALSE(m.load(f.model, f.category, dir.file("nothing.index")));
    EXPECT_FALSE(m.loaded());
}

TEST(ModelLoad, FailedReloadLeavesNothingBehind) {
    TempDir dir;
    Files good = writeModel(dir, kTwoClassModel, kTwoClassCategories, abcIndex(), "good");
    Files bad = writeModel(dir, kTwoClassModel, "FALSE\n", abcIndex(), "bad");
    Model m;
    ASSERT_TRUE(load(m, good));
    LogCapture log;
    EXPECT_FALSE(load(m, bad));
    EXPECT_FALSE(m.loaded());
    EXPECT_EQ(m.getClassNumber(), 0);
    EXPECT_TRUE(m.getClassNames().empty());
    EXPECT_FALSE(m.getFeatureIndex());
}

// --- defences -----------------------------------------------------------

TEST(ModelDefence, FeatureCountDisagreesWithIndex) {
    std::string twoEntries = "1\n" + indexLine("a", 1) + indexLine("b", 2);
    expectRejected(kTwoClassModel, kTwoClassCategories, twoEntries, "Number of features is not compatible [2][3]");
}

TEST(ModelDefence, IndexEntryPointsOutsideTheWeights) {
    std::string outside = "1\n" + indexLine("a", 1) + indexLine("b", 2) + indexLine("c", 4);
    expectRejected(kTwoClassModel, kTwoClassCategories, outside, "does not match the weight rows");
    std::string twice = "1\n" + indexLine("a", 1) + indexLine("b", 2) + indexLine("c", 2);
    expectRejected(kTwoClassModel, kTwoClassCategories, twice, "does not match the weight rows");
}

TEST(ModelDefence, MalformedIndexLine) {
    expectRejected(kTwoClassModel, kTwoClassCategories, abcIndex() + "12x:4\n", "Malformed feature index line 5");
}

TEST(ModelDefence, CategoryFileMissingALabel) {
    expectRejected(kTwoClassModel, "FALSE\n", abcIndex(), "name 1 classes where 2 are needed");
    expectRejected(kTwoClassModel, "", abcIndex(), "name 0 classes where 2 are needed");
}

TEST(ModelDefence, CategoryNamedTwice) {
    // Two classes under one name would merge into one result.
    expectRejected(kTwoClassModel, "TRUE\nTRUE\n", abcIndex(), "name the class [TRUE] twice");
}

TEST(ModelDefence, LabelsOfAPlusMinusOneModel) {
    // A model trained on +1/-1 labels: no name for -1 (or for 1 past the
    // two names when written without the sign).
    expectRejected(replaced(kTwoClassModel, "label 1 0", "label +1 -1"), kTwoClassCategories, abcIndex(),
                   "Failed to load class label number: 0");
    expectRejected(replaced(kTwoClassModel, "label 1 0", "label 1 -1"), kTwoClassCategories, abcIndex(),
                   "has no category name (labels 0 .. 1)");
    expectRejected(replaced(kTwoClassModel, "label 1 0", "label 1 2"), kTwoClassCategories, abcIndex(),
                   "Class label 2 of");
    expectRejected(replaced(kTwoClassModel, "label 1 0", "label 1 2"), kTwoClassCategories, abcIndex(),
                   "has no category name");
    expectRejected(replaced(kTwoClassModel, "label 1 0", "label 1 1"), kTwoClassCategories, abcIndex(),
                   "appears twice");
}

TEST(ModelDefence, WeightLineWithWrongColumnCount) {
    // Three classes, three columns: a row of two values followed by one of
    // four still adds up to the right count.
    std::string three =
        "solver_type L2R_LR\nnr_class 3\nlabel 0 1 2\nnr_feature 2\nbias -1\n"
        "w\n1 0 -1 \n0 2 0 \n";
    std::string index = "1\n" + indexLine("a", 1) + indexLine("b", 2);
    {
        TempDir dir;
        Model m;
        ASSERT_TRUE(load(m, writeModel(dir, three, "x y z\n", index)));
    }
    expectRejected(replaced(three, "1 0 -1 \n0 2 0 \n", "1 0 \n-1 0 2 0 \n"), "x y z\n", index,
                   "does not hold 3 values on its line");
    expectRejected(replaced(three, "1 0 -1 \n0 2 0 \n", "1 0 -1 0 \n2 0 \n"), "x y z\n", index,
                   "does not hold 3 values on its line");
    expectRejected(replaced(three, "0 2 0 \n", "0 2 0 7\n"), "x y z\n", index, "does not hold 3 values on its line");
    expectRejected(replaced(three, "0 2 0 \n", "0 2 \n"), "x y z\n", index, "Failed to load W [1][2]");
}

TEST(ModelDefence, NonNumericWeight) {
    expectRejected(replaced(kTwoClassModel, "-1 \n", "-1x \n"), kTwoClassCategories, abcIndex(),
                   "Failed to load W [1][0]");
    expectRejected(replaced(kTwoClassModel, "-1 \n", "nan \n"), kTwoClassCategories, abcIndex(),
                   "Failed to load W [1][0]");
    expectRejected(replaced(kTwoClassModel, "-1 \n", "1e999 \n"), kTwoClassCategories, abcIndex(),
                   "Failed to load W [1][0]");
}

TEST(ModelDefence, TruncatedFile) {
    std::string full = kTwoClassModel;
    expectRejected(full.substr(0, full.find("2 \n")), kTwoClassCategories, abcIndex(), "Failed to load W [2][0]");
    expectRejected(full.substr(0, full.find("nr_feature 3") + 11), kTwoClassCategories, abcIndex(),
                   "Failed to load number of features");
    expectRejected(full.substr(0, full.find("w\n")), kTwoClassCategories, abcIndex(), "has no weights");
}

TEST(ModelDefence, NegativeFeatureCountIsRejectedInItsSection) {
    expectRejected(replaced(kTwoClassModel, "nr_feature 3", "nr_feature -3"), kTwoClassCategories, abcIndex(),
                   "Negative number of features [-3]");
}

TEST(ModelDefence, WeightCountOverflowingThirtyTwoBits) {
    // 10000 classes x (429496 features + bias row) = 4294970000 weights,
    // which wraps to 2704 in 32 bits. The loader must refuse the header, not
    // read past a small allocation.
    std::string model = "solver_type L2R_LR\nnr_class 10000\nlabel";
    for (int i = 0; i < 10000; ++i) model += " " + std::to_string(i);
    model += "\nnr_feature 429496\nbias 1\nw\n";
    for (int i = 0; i < 3000; ++i) model += "0.5 ";
    expectRejected(model, "x y\n", "1\n", "is too large: 429497 x 10000 values");
}

TEST(ModelDefence, HeaderLimits) {
    expectRejected(replaced(kTwoClassModel, "nr_class 2", "nr_class 1"), kTwoClassCategories, abcIndex(),
                   "Failed to load class number  of classes");
    expectRejected(replaced(kTwoClassModel, "nr_class 2", "nr_class 10001"), kTwoClassCategories, abcIndex(),
                   "Failed to load class number  of classes");
    expectRejected(replaced(kTwoClassModel, "nr_feature 3", "nr_feature 1000001"), kTwoClassCategories, abcIndex(),
                   "Failed to load number of features");
    expectRejected(replaced(kTwoClassModel, "solver_type L2R_LR\n", ""), kTwoClassCategories, abcIndex(),
                   "Model is not loaded from");
    expectRejected(replaced(kTwoClassModel, "L2R_LR", "L3R_LR"), kTwoClassCategories, abcIndex(),
                   "Failed to load solver type");
    expectRejected(replaced(kTwoClassModel, "bias 1", "bias 1\nweights"), kTwoClassCategories, abcIndex(),
                   "Label is not recognized [weights]");
    expectRejected(std::string(kTwoClassModel) + "nr_class 2\n", kTwoClassCategories, abcIndex(), "appears twice");
}

TEST(ModelDefence, MissingWeightsSection) {
    std::string full = kTwoClassModel;
    expectRejected(full.substr(0, full.find("w\n")), kTwoClassCategories, abcIndex(), "has no weights");
}

TEST(ModelDefence, WeightsBeforeTheirDimensions) {
    std::string late = "solver_type L2R_LR\nw\n0.5 \n-1 \n2 \n0.25 \nnr_class 2\nlabel 1 0\nnr_feature 3\nbias 1\n";
    expectRejected(late, kTwoClassCategories, abcIndex(), "come before nr_class and nr_feature");
}

TEST(ModelDefence, WeightsSizedForAnotherBias) {
    // Read as four rows (no bias yet means a bias row), then the bias turns
    // out to be -1: three rows are needed.
    std::string late = "solver_type L2R_LR\nnr_class 2\nlabel 1 0\nnr_feature 3\nw\n0.5 \n-1 \n2 \n0.25 \nbias -1\n";
    expectRejected(late, kTwoClassCategories, abcIndex(), "hold 4 values where 3 x 1 are needed");
}

TEST(ModelDefence, OverlongToken) {
    expectRejected(replaced(kTwoClassModel, "0.25", std::string(5000, '7')), kTwoClassCategories, abcIndex(),
                   "overlong token");
}

TEST(ModelDefence, UnreadableBiasIsReportedButNotFatalByItself) {
    TempDir dir;
    LogCapture log;
    Model m;
    // The bias value is missing: the default bias 0 keeps the bias row.
    EXPECT_TRUE(load(m, writeModel(dir, replaced(kTwoClassModel, "bias 1\n", "bias\n"), kTwoClassCategories,
                                   abcIndex())));
    EXPECT_TRUE(hasErrorContaining(log, "Failed to load bias"));
    EXPECT_FLOAT_EQ(m.getBias(), 0.0f);
}

// --- saving ---------------------------------------------------------------

namespace {

Model makeModel(const std::vector<double>& weights, float bias, int features = 3) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    const char* names[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < features; ++i) index->insert(names[i]);
    Model m;
    EXPECT_TRUE(m.assign(Model::L2R_LR, {0, 1}, {"no", "yes"}, bias, features, weights, index));
    return m;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST(ModelSave, WritesTheTextFormat) {
    TempDir dir;
    Model m = makeModel({0.1234567, 0, -2.5e-07, 1}, 1.0f);
    ASSERT_TRUE(m.save(dir.file("s.model"), dir.file("s.category"), dir.file("s.index")));
    EXPECT_EQ(VarnexTest::readFile(dir.file("s.model")),
              "solver_type L2R_LR\nnr_class 2\nlabel 0 1 \nnr_feature 3\nbias 1\nw 0.123457 \n0 \n-2.5e-07 \n1 \n");
    EXPECT_EQ(VarnexTest::readFile(dir.file("s.category")), "no\nyes\n");
    EXPECT_EQ(VarnexTest::readFile(dir.file("s.index")), "1\n" + indexLine("a", 1) + indexLine("b", 2) +
                                                              indexLine("c", 3));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"s.category", "s.index", "s.model"}));
}

TEST(ModelSave, RowsFollowTheBias) {
    TempDir dir;
    Model noBias = makeModel({1, 2, 3}, -1.0f);
    ASSERT_TRUE(noBias.save(dir.file("n.model"), dir.file("n.category"), dir.file("n.index")));
    EXPECT_EQ(VarnexTest::readFile(dir.file("n.model")),
              "solver_type L2R_LR\nnr_class 2\nlabel 0 1 \nnr_feature 3\nbias -1\nw 1 \n2 \n3 \n");
}

TEST(ModelSave, RoundTripKeepsTheModel) {
    TempDir dir;
    Model original;
    ASSERT_TRUE(load(original, writeModel(dir, replaced(kTwoClassModel, "0.5 \n", "0.123456789 \n"),
                                          kTwoClassCategories, abcIndex())));
    ASSERT_TRUE(original.save(dir.file("r.model"), dir.file("r.category"), dir.file("r.index")));
    Model again;
    ASSERT_TRUE(again.load(dir.file("r.model"), dir.file("r.category"), dir.file("r.index")));
    EXPECT_EQ(again.getTypeString(), original.getTypeString());
    EXPECT_EQ(again.getClassIndexes(), original.getClassIndexes());
    EXPECT_EQ(again.getClassNames(), original.getClassNames());
    EXPECT_EQ(again.getBias(), original.getBias());
    EXPECT_EQ(again.getFeatureIndex()->getEntries(), original.getFeatureIndex()->getEntries());
    ASSERT_EQ(again.getWeights().size(), original.getWeights().size());
    for (size_t i = 0; i < again.getWeights().size(); ++i)
        EXPECT_NEAR(again.getWeights()[i], original.getWeights()[i], 5e-6 * std::abs(original.getWeights()[i]));

    Varnex::SVMClassifier a(std::make_shared<Model>(original)), b(std::make_shared<Model>(again));
    for (auto names : std::vector<std::vector<std::string>>{{}, {"a"}, {"a", "c"}, {"b", "c", "zzz"}}) {
        auto va = a.makeFeatureVector(), vb = b.makeFeatureVector();
        for (const auto& n : names) {
            va->add(n);
            vb->add(n);
        }
        auto pa = a.classify(*va), pb = b.classify(*vb);
        ASSERT_EQ(pa.size(), 2u);
        for (const auto& p : pa) EXPECT_NEAR(pb[p.first], p.second, 1e-6);
    }
}

TEST(ModelSave, NeedsALoadedModelAndTouchesNoFileWithout) {
    TempDir dir;
    LogCapture log;
    Model empty;
    EXPECT_FALSE(empty.save(dir.file("e.model"), dir.file("e.category"), dir.file("e.index")));
    EXPECT_TRUE(hasErrorContaining(log, "Model is not created. Save failed."));
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(ModelSave, FailureLeavesTheOldFilesInPlace) {
    TempDir dir;
    Model first = makeModel({1, 2, 3, 4}, 1.0f), second = makeModel({5, 6, 7, 8}, 1.0f);
    ASSERT_TRUE(first.save(dir.file("x.model"), dir.file("x.category"), dir.file("x.index")));
    const std::string before = VarnexTest::readFile(dir.file("x.model"));
    LogCapture log;
    // The index cannot be written: neither the new model nor the new
    // categories may replace the old ones.
    EXPECT_FALSE(second.save(dir.file("x.model"), dir.file("x.category"), dir.file("missing/x.index")));
    EXPECT_TRUE(hasErrorContaining(log, "Failed to save feature index to"));
    EXPECT_EQ(VarnexTest::readFile(dir.file("x.model")), before);
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"x.category", "x.index", "x.model"}));
    // Not even the model file can be opened.
    EXPECT_FALSE(second.save(dir.file("missing/x.model"), dir.file("x.category"), dir.file("x.index")));
    EXPECT_TRUE(hasErrorContaining(log, "File can't be open for write"));
}

TEST(ModelSave, FailedWriteIsReported) {
    // A file size limit makes the writes themselves fail (as a full disk
    // would); the save must notice and leave no file behind.
    TempDir dir;
    Model big = makeModel(std::vector<double>(4, 0.123456), 1.0f);
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool saved = big.save(dir.file("f.model"), dir.file("f.category"), dir.file("f.index"));
        _exit(saved ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "save reported success although its writes failed";
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

// --- assigning and pruning -----------------------------------------------------

TEST(ModelAssign, RefusesDisagreeingParts) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    index->insert("a");
    index->insert("b");
    LogCapture log;
    Model m;
    EXPECT_FALSE(m.assign(Model::L2R_LR, {0, 1}, {"no", "yes"}, 1.0f, 2, {1, 2}, index));  // needs 3 weights
    EXPECT_FALSE(m.assign(Model::L2R_LR, {0, 1}, {"no"}, 1.0f, 2, {1, 2, 3}, index));
    EXPECT_FALSE(m.assign(Model::L2R_LR, {0, 1}, {"no", "yes"}, 1.0f, 3, {1, 2, 3, 4}, index));
    EXPECT_FALSE(m.assign(Model::NONE, {0, 1}, {"no", "yes"}, 1.0f, 2, {1, 2, 3}, index));
    EXPECT_FALSE(m.assign(Model::L2R_LR, {0, 1}, {"no", "yes"}, 1.0f, 2, {1, 2, 3}, nullptr));
    EXPECT_FALSE(m.loaded());
    EXPECT_TRUE(m.assign(Model::L2R_LR, {0, 1}, {"no", "yes"}, 1.0f, 2, {1, 2, 3}, index));
}

TEST(ModelPrune, DropsNegligibleRowsAndRenumbersTheIndex) {
    TempDir dir;
    // Rows a, b, c, d, e; b and d are negligible; the bias row stays.
    Model m = makeModel({0.5, 1e-6, -2, -3e-5, 1.5, 0.75}, 1.0f, 5);
    Varnex::SVMClassifier before(std::make_shared<Model>(m));
    ASSERT_EQ(m.prune(1e-3), 2);
    EXPECT_EQ(m.getFeatureNumber(), 3);
    EXPECT_EQ(m.getWeights(), (std::vector<double>{0.5, -2, 1.5, 0.75}));
    auto index = m.getFeatureIndex();
    EXPECT_EQ(index->getIndex("a"), 1);
    EXPECT_EQ(index->getIndex("b"), -1);
    EXPECT_EQ(index->getIndex("c"), 2);
    EXPECT_EQ(index->getIndex("e"), 3);
    EXPECT_TRUE(index->isFrozen());

    Varnex::SVMClassifier after(std::make_shared<Model>(m));
    auto vb = before.makeFeatureVector(), va = after.makeFeatureVector();
    for (const char* n : {"a", "b", "c", "d", "e"}) {
        vb->add(n);
        va->add(n);
    }
    EXPECT_NEAR(before.classify(*vb)["yes"], after.classify(*va)["yes"], 1e-5);

    ASSERT_TRUE(m.save(dir.file("p.model"), dir.file("p.category"), dir.file("p.index")));
    Model again;
    EXPECT_TRUE(again.load(dir.file("p.model"), dir.file("p.category"), dir.file("p.index")));
    EXPECT_EQ(Model().prune(1.0), -1);
}

TEST(ModelSolver, NamesAndCodes) {
    EXPECT_EQ(Model::getSolverType("L2R_LR"), 0);
    EXPECT_EQ(Model::getSolverType("MCSVM_CS"), 4);
    EXPECT_EQ(Model::getSolverType("L2R_L1LOSS_SVR_DUAL"), 13);
    EXPECT_EQ(Model::getSolverType("l2r_lr"), 14);
    EXPECT_EQ(Model::getSolverType(nullptr), 14);
    EXPECT_STREQ(Model::getSolverName(9), "NONE");
    EXPECT_STREQ(Model::getSolverName(7), "L2R_LR_DUAL");
}
