// Model files: loading, the defences of the loader against damaged files,
// writing the three files back, and pruning.
#include <glib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "TextEdits.h"
#include "Varnex/Model.h"
#include "Varnex/SVMClassifier.h"

using Varnex::Model;
using Varnex::SVMFeatureIndex;
using VarnexTest::listDir;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

std::string indexLine(const std::string& name, int index) {
    return std::to_string(SVMFeatureIndex::hash(name)) + ":" + std::to_string(index) + "\n";
}

// Features a, b, c at rows 0, 1, 2 (offset 1).
const std::string kAbcIndex = "1\n" + indexLine("a", 1) + indexLine("b", 2) + indexLine("c", 3);

// Two classes, one weight column for label 1 ("TRUE"), bias row last.
const std::string kTwoClassModel = "solver_type L2R_LR\nnr_class 2\nlabel 1 0\nnr_feature 3\nbias 1\nw\n"
                                   "0.5 \n-1 \n2 \n0.25 \n";
const char kTwoClassCategories[] = "FALSE\nTRUE\n";

// Three classes x, y, z over features a, b (rows of three columns, no bias).
const std::string kThreeClassModel =
    "solver_type L2R_LR\nnr_class 3\nlabel 0 1 2\nnr_feature 2\nbias -1\nw\n1 0 -1 \n0 2 0 \n";
const std::string kAbIndex = "1\n" + indexLine("a", 1) + indexLine("b", 2);

// `s` with its first `from` replaced by `to`.
std::string replaced(std::string s, const std::string& from, const std::string& to) {
    size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos) << from;
    if (p != std::string::npos) s.replace(p, from.size(), to);
    return s;
}

std::string twoClassWith(const std::string& from, const std::string& to) { return replaced(kTwoClassModel, from, to); }

using VarnexTest::crlf;
using VarnexTest::stripped;

// Writes the three files as `name`.model / .category / .index and loads them.
bool load(Model& m, const TempDir& dir, const std::string& model, const std::string& categories = kTwoClassCategories,
          const std::string& index = kAbcIndex, const std::string& name = "m") {
    return m.load(dir.write(name + ".model", model), dir.write(name + ".category", categories),
                  dir.write(name + ".index", index));
}

// The model in one line: solver, classes/columns, features/rows, bias, labels, names, weights.
std::string describe(const Model& m) {
    std::ostringstream s;
    s.precision(17);
    s << m.getTypeString() << " " << m.getClassNumber() << "/" << m.getClassSize() << " " << m.getFeatureNumber()
      << "/" << m.getFeatureSize() << " bias " << m.getBias() << " labels";
    for (int l : m.getClassIndexes()) s << " " << l;
    s << " names";
    for (const auto& n : m.getClassNames()) s << " " << n;
    s << " w";
    for (double w : m.getWeights()) s << " " << w;
    return s.str();
}

const char kTwoClassLoaded[] = "L2R_LR 2/1 3/4 bias 1 labels 1 0 names FALSE TRUE w 0.5 -1 2 0.25";

// A model with features a, b, c, ... trained on labels 0 "no" and 1 "yes".
Model makeModel(const std::vector<double>& weights, float bias, int features = 3) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    const char* names[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < features; ++i) index->insert(names[i]);
    Model m;
    EXPECT_TRUE(m.assign(Model::L2R_LR, {0, 1}, {"no", "yes"}, bias, features, weights, index));
    return m;
}

}  // namespace

TEST(ModelLoad, HandMadeModelsAndAcceptedVariantsOfTheFiles) {
    const std::string mcsvm = replaced(twoClassWith("L2R_LR", "MCSVM_CS"), "w\n0.5 \n-1 \n2 \n0.25 \n",
                                       "w\n0.5 -0.5 \n-1 1 \n2 -2 \n0.25 -0.25 \n");
    // model, categories, index, the model loaded
    for (const auto& [model, categories, index, loaded] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {kTwoClassModel, kTwoClassCategories, kAbcIndex, kTwoClassLoaded},
             {twoClassWith("w\n0.5 \n", "w 0.5 \n"), kTwoClassCategories, kAbcIndex, kTwoClassLoaded},
             {kThreeClassModel, "x y z\n", kAbIndex, "L2R_LR 3/3 2/2 bias -1 labels 0 1 2 names x y z w 1 0 -1 0 2 0"},
             // The class size follows the solver.
             {mcsvm, kTwoClassCategories, kAbcIndex,
              "MCSVM_CS 2/2 3/4 bias 1 labels 1 0 names FALSE TRUE w 0.5 -0.5 -1 1 2 -2 0.25 -0.25"},
             // A negative bias has no bias row.
             {replaced(twoClassWith("bias 1", "bias -1"), "0.25 \n", ""), kTwoClassCategories, kAbcIndex,
              "L2R_LR 2/1 3/3 bias -1 labels 1 0 names FALSE TRUE w 0.5 -1 2"},
             // No label line means label order; extra category names are ignored.
             {twoClassWith("label 1 0\n", ""), kTwoClassCategories, kAbcIndex,
              "L2R_LR 2/1 3/4 bias 1 labels 0 1 names FALSE TRUE w 0.5 -1 2 0.25"},
             {kTwoClassModel, "FALSE TRUE MAYBE\n", kAbcIndex, kTwoClassLoaded},
             // Rows without their trailing space, with Windows line ends, without a last line end.
             {stripped(kTwoClassModel), kTwoClassCategories, kAbcIndex, kTwoClassLoaded},
             {crlf(kTwoClassModel), crlf(kTwoClassCategories), crlf(kAbcIndex), kTwoClassLoaded},
             {crlf(stripped(kTwoClassModel)), crlf(kTwoClassCategories), crlf(kAbcIndex), kTwoClassLoaded},
             {stripped(mcsvm), kTwoClassCategories, kAbcIndex,
              "MCSVM_CS 2/2 3/4 bias 1 labels 1 0 names FALSE TRUE w 0.5 -0.5 -1 1 2 -2 0.25 -0.25"},
             {stripped(kThreeClassModel).substr(0, stripped(kThreeClassModel).size() - 1), "x\ty z", kAbIndex,
              "L2R_LR 3/3 2/2 bias -1 labels 0 1 2 names x y z w 1 0 -1 0 2 0"},
             {replaced(kThreeClassModel, "w\n1 0 -1 \n", "w\t1\t0 -1\t\r\n"), "x y z\n", kAbIndex,
              "L2R_LR 3/3 2/2 bias -1 labels 0 1 2 names x y z w 1 0 -1 0 2 0"}}) {
        TempDir dir;
        Model m;
        ASSERT_TRUE(load(m, dir, model, categories, index)) << model;
        EXPECT_EQ(describe(m), loaded);
        EXPECT_TRUE(m.loaded());
        EXPECT_NE(m.getWeightsArray(), nullptr);
        ASSERT_TRUE(m.getFeatureIndex());
        EXPECT_TRUE(m.getFeatureIndex()->isFrozen());
        EXPECT_EQ(m.getFeatureIndex()->getIndex("b"), 2);
    }
    // A missing bias value is reported but not fatal: the default bias 0 keeps the bias row.
    TempDir dir;
    Model m;
    LogCapture log;
    EXPECT_TRUE(load(m, dir, twoClassWith("bias 1\n", "bias\n")));
    EXPECT_TRUE(log.hasError("Failed to load bias"));
    EXPECT_EQ(describe(m), "L2R_LR 2/1 3/4 bias 0 labels 1 0 names FALSE TRUE w 0.5 -1 2 0.25");
}

// The shipped models as they come out of an editor or a commit hook that
// strips trailing white space, or out of a Windows checkout: the same models.
TEST(ModelLoad, ShippedModelsLoadTheSameWithoutTrailingSpacesAndWithWindowsLineEnds) {
    const std::string shipped = std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/model/";
    for (const char* name : {"honorific_tf", "honorific_hn"}) {
        const std::string base = shipped + name;
        Model original;
        ASSERT_TRUE(original.load(base + ".model", base + ".category", base + ".index")) << name;
        const std::string model = readFile(base + ".model"), categories = readFile(base + ".category"),
                          index = readFile(base + ".index");
        ASSERT_NE(model.find(" \n"), std::string::npos) << "the shipped file has no trailing spaces to lose";
        for (const auto& [kind, edit] : std::vector<std::pair<std::string, std::string (*)(const std::string&)>>{
                 {"stripped", stripped}, {"crlf", crlf}, {"stripped crlf", [](const std::string& s) {
                      return crlf(stripped(s));
                  }}}) {
            TempDir dir;
            Model edited;
            ASSERT_TRUE(load(edited, dir, edit(model), edit(categories), edit(index))) << name << " " << kind;
            EXPECT_EQ(describe(edited), describe(original)) << name << " " << kind;
            EXPECT_EQ(edited.getFeatureIndex()->getEntries(), original.getFeatureIndex()->getEntries());
        }
    }
}

TEST(ModelLoad, MissingFile) {
    TempDir dir;
    Model m;
    ASSERT_TRUE(load(m, dir, kTwoClassModel));
    LogCapture log;
    EXPECT_FALSE(m.load(dir.file("nothing.model"), dir.file("m.category"), dir.file("m.index")));
    EXPECT_TRUE(log.contains(dir.file("nothing.model") + ": no such file"));
    EXPECT_FALSE(m.load(dir.file("m.model"), dir.file("m.category"), dir.file("nothing.index")));
    EXPECT_TRUE(log.contains(dir.file("nothing.index") + ": no such file"));
    EXPECT_FALSE(m.loaded());
}

// Every damaged set of files, each loaded from real files over a model that
// was loaded before: the model is left empty and not loaded, an error naming
// the fault is logged, and a classifier on it classifies nothing.
TEST(ModelDefence, DamagedFilesLeaveTheModelNotLoaded) {
    const std::string cats = kTwoClassCategories, abc = kAbcIndex, full = kTwoClassModel;
    const std::string& ab = kAbIndex;
    auto threeWith = [](const std::string& from, const std::string& to) {
        return replaced(kThreeClassModel, from, to);
    };
    // 10000 classes x (429496 features + bias row) = 4294970000 weights, which
    // wraps to 2704 in 32 bits: the header is refused, not read past a small allocation.
    std::string huge = "solver_type L2R_LR\nnr_class 10000\nlabel";
    for (int i = 0; i < 10000; ++i) huge += " " + std::to_string(i);
    huge += "\nnr_feature 429496\nbias 1\nw\n";
    for (int i = 0; i < 3000; ++i) huge += "0.5 ";
    // model, categories, index, part of the error
    for (const auto& [model, categories, index, why] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {full, cats, ab, "Number of features is not compatible [2][3]"},
             {full, cats, ab + indexLine("c", 4), "does not match the weight rows"},
             {full, cats, ab + indexLine("c", 2), "does not match the weight rows"},
             {full, cats, abc + "12x:4\n", "Malformed feature index line 5"},
             {full, "FALSE\n", abc, "name 1 classes where 2 are needed"},
             {full, "", abc, "name 0 classes where 2 are needed"},
             {full, "TRUE\nTRUE\n", abc, "name the class [TRUE] twice"},  // would merge into one result
             // Labels of a model trained on +1/-1: no name for -1, or for 1 past the names.
             {twoClassWith("label 1 0", "label +1 -1"), cats, abc, "Failed to load class label number: 0"},
             {twoClassWith("label 1 0", "label 1 -1"), cats, abc, "has no category name (labels 0 .. 1)"},
             {twoClassWith("label 1 0", "label 1 2"), cats, abc, "Class label 2 of"},
             {twoClassWith("label 1 0", "label 1 2"), cats, abc, "has no category name"},
             {twoClassWith("label 1 0", "label 1 1"), cats, abc, "appears twice"},
             // Rows of three columns: two rows of 2 and 4 values still add up to the right count.
             {threeWith("1 0 -1 \n0 2 0 \n", "1 0 \n-1 0 2 0 \n"), "x y z\n", ab, "does not hold 3 values on its line"},
             {threeWith("1 0 -1 \n0 2 0 \n", "1 0 -1 0 \n2 0 \n"), "x y z\n", ab, "does not hold 3 values on its line"},
             {threeWith("0 2 0 \n", "0 2 0 7\n"), "x y z\n", ab, "does not hold 3 values on its line"},
             {threeWith("0 2 0 \n", "0 2 \n"), "x y z\n", ab, "Failed to load W [1][2]"},
             // The same rows without trailing spaces, and with Windows line ends.
             {stripped(threeWith("1 0 -1 \n0 2 0 \n", "1 0 \n-1 0 2 0 \n")), "x y z\n", ab,
              "does not hold 3 values on its line"},
             {stripped(threeWith("1 0 -1 \n0 2 0 \n", "1 0 -1 0 \n2 0 \n")), "x y z\n", ab,
              "does not hold 3 values on its line"},
             {crlf(stripped(threeWith("1 0 -1 \n0 2 0 \n", "1 0 \n-1 0 2 0 \n"))), "x y z\n", ab,
              "does not hold 3 values on its line"},
             {crlf(stripped(threeWith("0 2 0 \n", "0 2 0 7\n"))), "x y z\n", ab, "does not hold 3 values on its line"},
             {stripped(twoClassWith("-1 \n2 \n", "-1 2\n")), cats, abc, "does not hold 1 values on its line"},
             {twoClassWith("-1 \n", "-1x \n"), cats, abc, "Failed to load W [1][0]"},
             {twoClassWith("-1 \n", "nan \n"), cats, abc, "Failed to load W [1][0]"},
             {twoClassWith("-1 \n", "1e999 \n"), cats, abc, "Failed to load W [1][0]"},
             {full.substr(0, full.find("2 \n")), cats, abc, "Failed to load W [2][0]"},
             {full.substr(0, full.find("nr_feature 3") + 11), cats, abc, "Failed to load number of features"},
             {full.substr(0, full.find("w\n")), cats, abc, "has no weights"},
             {twoClassWith("nr_feature 3", "nr_feature -3"), cats, abc, "Negative number of features [-3]"},
             {huge, "x y\n", "1\n", "is too large: 429497 x 10000 values"},
             {twoClassWith("nr_class 2", "nr_class 1"), cats, abc, "Failed to load class number  of classes"},
             {twoClassWith("nr_class 2", "nr_class 10001"), cats, abc, "Failed to load class number  of classes"},
             {twoClassWith("nr_feature 3", "nr_feature 1000001"), cats, abc, "Failed to load number of features"},
             {twoClassWith("solver_type L2R_LR\n", ""), cats, abc, "Model is not loaded from"},
             {twoClassWith("L2R_LR", "L3R_LR"), cats, abc, "Failed to load solver type"},
             {twoClassWith("bias 1", "bias 1\nweights"), cats, abc, "Label is not recognized [weights]"},
             {full + "nr_class 2\n", cats, abc, "appears twice"},
             {"solver_type L2R_LR\nw\n0.5 \n-1 \n2 \n0.25 \nnr_class 2\nlabel 1 0\nnr_feature 3\nbias 1\n", cats, abc,
              "come before nr_class and nr_feature"},
             // Read as four rows (no bias yet means a bias row), then the bias turns out to be -1.
             {"solver_type L2R_LR\nnr_class 2\nlabel 1 0\nnr_feature 3\nw\n0.5 \n-1 \n2 \n0.25 \nbias -1\n", cats, abc,
              "hold 4 values where 3 x 1 are needed"},
             {twoClassWith("0.25", std::string(5000, '7')), cats, abc, "overlong token"}}) {
        TempDir dir;
        Model m;
        ASSERT_TRUE(load(m, dir, kTwoClassModel, cats, abc, "good"));
        LogCapture log;
        EXPECT_FALSE(load(m, dir, model, categories, index)) << why;
        EXPECT_EQ(std::make_tuple(m.loaded(), m.getClassNumber(), m.getClassNames().size(),
                                  m.getWeightsArray() == nullptr, bool(m.getFeatureIndex())),
                  std::make_tuple(false, 0, size_t(0), true, false))
            << why;
        EXPECT_TRUE(log.hasError(why)) << "no error mentioning [" << why << "]";
        EXPECT_TRUE(log.hasError("Model [" + dir.file("m.model") + "] is not loaded")) << why;
        Varnex::SVMClassifier classifier(std::make_shared<Model>(m));
        Varnex::SVMFeatureVector v(m.getFeatureIndex());
        v.insert(1, 1.0f);
        EXPECT_TRUE(classifier.classify(v).empty()) << why;
    }
}

// Damaged files whose bytes are control codes, invalid UTF-8 or very long:
// every log line stays printable, well-formed UTF-8 and quotes at most 40
// bytes of the file, escaped.
TEST(ModelDefence, LogLinesQuoteABoundedEscapedExcerptOfDamagedContent) {
    const std::string cats = kTwoClassCategories, abc = kAbcIndex, full = kTwoClassModel;
    std::string korean;
    for (int i = 0; i < 20; ++i) korean += "가";
    // model, categories, index, the quoted excerpt
    for (const auto& [model, categories, index, quoted] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {full + "\x01\xff\x1b[2J\n", cats, abc, "Label is not recognized [\\x01\\xFF\\x1B[2J]"},
             {full + std::string(280, 'Z'), cats, abc, "Label is not recognized [" + std::string(40, 'Z') + "...]"},
             {full + "\\x41", cats, abc, "Label is not recognized [\\\\x41]"},
             {twoClassWith("L2R_LR", "L2R\x7fLR"), cats, abc, "Failed to load solver type (found [L2R\\x7FLR])"},
             {twoClassWith("0.25 ", std::string("0.2\0", 4) + " "), cats, abc, "Failed to load W [3][0] (found [0.2\\x00])"},
             {full, "\xc3(\n\xc3(\n", abc, "name the class [\\xC3(] twice"},
             {full, "\xc0\xafx \xc0\xafx", abc, "name the class [\\xC0\\xAFx] twice"},
             {full, "가\xc2\x85 가\xc2\x85", abc, "name the class [가\\xC2\\x85] twice"},
             {full, cats, abc + "12\x1b:4\n", "Malformed feature index line 5 in [" },
             {full, cats, abc + "12\x1b:4\n", "]: [12\\x1B:4]"},
             {full, cats, abc + korean + "\n", "]: [가가가가가가가가가가가가가...]"}}) {
        TempDir dir;
        Model m;
        LogCapture log;
        EXPECT_FALSE(load(m, dir, model, categories, index)) << quoted;
        EXPECT_TRUE(log.hasError(quoted)) << "no error quoting [" << quoted << "]";
        for (const auto& line : log.lines()) {
            const std::string& text = line.text;
            EXPECT_TRUE(g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) << text;
            for (size_t i = 0; i < text.size(); ++i) {
                const unsigned char c = static_cast<unsigned char>(text[i]);
                EXPECT_FALSE((c < 0x20 || c == 0x7F) && !(c == '\n' && i + 1 == text.size()))
                    << "raw byte " << int(c) << " in: " << text;
            }
            EXPECT_EQ(text.find(std::string(41, 'Z')), std::string::npos) << text;
        }
    }
}

// --- saving ---------------------------------------------------------------

TEST(ModelSave, WritesTheTextFormatWithRowsFollowingTheBias) {
    TempDir dir;
    ASSERT_TRUE(makeModel({0.1234567, 0, -2.5e-07, 1}, 1.0f).save(dir.file("s.model"), dir.file("s.category"),
                                                                   dir.file("s.index")));
    EXPECT_EQ(readFile(dir.file("s.model")),
              "solver_type L2R_LR\nnr_class 2\nlabel 0 1 \nnr_feature 3\nbias 1\nw 0.123457 \n0 \n-2.5e-07 \n1 \n");
    EXPECT_EQ(readFile(dir.file("s.category")), "no\nyes\n");
    EXPECT_EQ(readFile(dir.file("s.index")), kAbcIndex);
    EXPECT_EQ(listDir(dir.path()), (std::vector<std::string>{"s.category", "s.index", "s.model"}));
    ASSERT_TRUE(makeModel({1, 2, 3}, -1.0f).save(dir.file("n.model"), dir.file("n.category"), dir.file("n.index")));
    EXPECT_EQ(readFile(dir.file("n.model")),
              "solver_type L2R_LR\nnr_class 2\nlabel 0 1 \nnr_feature 3\nbias -1\nw 1 \n2 \n3 \n");
}

TEST(ModelSave, RoundTripKeepsTheModelToSixDigits) {
    TempDir dir;
    Model original, again, sixDigits;
    ASSERT_TRUE(load(original, dir, twoClassWith("0.5 \n", "0.123456789 \n")));
    ASSERT_TRUE(load(sixDigits, dir, twoClassWith("0.5 \n", "0.123457 \n"), kTwoClassCategories, kAbcIndex, "six"));
    ASSERT_TRUE(original.save(dir.file("r.model"), dir.file("r.category"), dir.file("r.index")));
    ASSERT_TRUE(again.load(dir.file("r.model"), dir.file("r.category"), dir.file("r.index")));
    EXPECT_EQ(describe(again), describe(sixDigits));
    EXPECT_EQ(again.getFeatureIndex()->getEntries(), original.getFeatureIndex()->getEntries());
}

TEST(ModelSave, ChecksItsPreconditionsAndNeverMixesNewFilesWithOld) {
    TempDir dir;
    LogCapture log;
    EXPECT_FALSE(Model().save(dir.file("e.model"), dir.file("e.category"), dir.file("e.index")));
    EXPECT_TRUE(log.hasError("Model is not created. Save failed."));
    EXPECT_TRUE(listDir(dir.path()).empty()) << "no file is touched without a loaded model";

    Model first = makeModel({1, 2, 3, 4}, 1.0f), second = makeModel({5, 6, 7, 8}, 1.0f);
    ASSERT_TRUE(first.save(dir.file("x.model"), dir.file("x.category"), dir.file("x.index")));
    const std::string before = readFile(dir.file("x.model"));
    // The index cannot be written: neither the new model nor the new categories may replace the old ones.
    EXPECT_FALSE(second.save(dir.file("x.model"), dir.file("x.category"), dir.file("missing/x.index")));
    EXPECT_TRUE(log.hasError("Failed to save feature index to"));
    EXPECT_EQ(readFile(dir.file("x.model")), before);
    EXPECT_EQ(listDir(dir.path()), (std::vector<std::string>{"x.category", "x.index", "x.model"}));
    EXPECT_FALSE(second.save(dir.file("missing/x.model"), dir.file("x.category"), dir.file("x.index")));
    EXPECT_TRUE(log.hasError("File can't be open for write"));
}

namespace {
// Every entry of `dir` with its content ("name/" for a directory).
std::vector<std::string> snapshot(const std::string& dir) {
    std::vector<std::string> entries;
    for (const auto& name : listDir(dir)) {
        const std::string path = dir + "/" + name;
        entries.push_back(std::filesystem::is_directory(path) ? name + "/" : name + "=" + readFile(path));
    }
    return entries;
}
}  // namespace

// Saving over an older model whose files were saved before, with one target
// name taken by a directory so that its rename really fails: the old files
// stay as they were (not one of them new), or with nothing in the way all
// three are new and nothing else is left beside them.
TEST(ModelSave, AFailedRenameLeavesEveryOldFileAndASuccessEveryNewOne) {
    const Model older = makeModel({1, 2, 3, 4}, 1.0f), newer = makeModel({5, 6, 7}, 1.0f, 2);
    TempDir reference;
    ASSERT_TRUE(newer.save(reference.file("x.model"), reference.file("x.category"), reference.file("x.index")));
    // target taken by a directory ("" for none), whether an older model was saved there first
    for (const auto& [blocked, withOlder] : std::vector<std::pair<std::string, bool>>{
             {"", true}, {"", false}, {"x.index", true}, {"x.category", true}, {"x.model", true}, {"x.index", false}}) {
        const std::string what = (blocked.empty() ? "nothing" : blocked) + (withOlder ? " over an older model" : "");
        TempDir dir;
        if (withOlder) {
            ASSERT_TRUE(older.save(dir.file("x.model"), dir.file("x.category"), dir.file("x.index")));
        }
        if (!blocked.empty()) {
            std::filesystem::remove(dir.file(blocked));
            dir.write(blocked + "/keep", "not a model");
        }
        const std::vector<std::string> before = snapshot(dir.path());
        LogCapture log;
        const bool saved = newer.save(dir.file("x.model"), dir.file("x.category"), dir.file("x.index"));
        EXPECT_EQ(saved, blocked.empty()) << what;
        if (saved) {
            EXPECT_EQ(snapshot(dir.path()), snapshot(reference.path())) << what;
        } else {
            EXPECT_EQ(snapshot(dir.path()), before) << what;
            EXPECT_EQ(readFile(dir.file(blocked + "/keep")), "not a model") << what;
            EXPECT_TRUE(log.hasError("Can't move the new file into place as [" + dir.file(blocked) + "]")) << what;
        }
    }
}

TEST(ModelSave, FailedWriteIsReportedAndLeavesNoFile) {
    TempDir dir;
    Model big = makeModel(std::vector<double>(4, 0.123456), 1.0f);
    EXPECT_TRUE(VarnexTest::underFileSizeLimit(
        40, [&] { return !big.save(dir.file("f.model"), dir.file("f.category"), dir.file("f.index")); }))
        << "save reported success although its writes failed";
    EXPECT_TRUE(listDir(dir.path()).empty());
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
    EXPECT_EQ((std::vector<int>{index->getIndex("a"), index->getIndex("b"), index->getIndex("c"),
                                index->getIndex("e")}),
              (std::vector<int>{1, -1, 2, 3}));
    EXPECT_TRUE(index->isFrozen());

    Varnex::SVMClassifier after(std::make_shared<Model>(m));
    auto vb = before.makeFeatureVector(), va = after.makeFeatureVector();
    for (const char* n : {"a", "b", "c", "d", "e"}) vb->add(n), va->add(n);
    EXPECT_NEAR(before.classify(*vb)["yes"], after.classify(*va)["yes"], 1e-5);
    ASSERT_TRUE(m.save(dir.file("p.model"), dir.file("p.category"), dir.file("p.index")));
    Model again;
    EXPECT_TRUE(again.load(dir.file("p.model"), dir.file("p.category"), dir.file("p.index")));
    EXPECT_EQ(Model().prune(1.0), -1);
}

// The codes are handed to LIBLINEAR as its solver numbers.
TEST(ModelSolver, NamesAndCodes) {
    for (const auto& [name, code] : std::vector<std::pair<const char*, int>>{
             {"L2R_LR", 0}, {"MCSVM_CS", 4}, {"L2R_L1LOSS_SVR_DUAL", 13}, {"l2r_lr", 14}, {nullptr, 14}})
        EXPECT_EQ(Model::getSolverType(name), code) << (name ? name : "null");
    EXPECT_STREQ(Model::getSolverName(9), "NONE");
    EXPECT_STREQ(Model::getSolverName(7), "L2R_LR_DUAL");
}
