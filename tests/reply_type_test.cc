// Reply types by the shipped models: the detector's file naming, the same
// features in the trainer and the engine, models reproduced from their data,
// and the fallback that fills in what the phrase rules leave open.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/KoreanMessageAnalyzer.h"
#include "Varnex/KoreanReplyTypeDetector.h"
#include "Varnex/KoreanReplyTypeFallback.h"
#include "Varnex/KoreanResourcePaths.h"
#include "Varnex/KoreanVocabulary.h"
#include "Varnex/Model.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string kSource = VARNEX_SOURCE_DIR;
const std::string kResources = VARNEX_BUILD_RESOURCE_DIR;
const std::string kPackedModels = kResources + "/1.0/model";
const std::string kSourceModels = kSource + "/resources/1.0/model";
const std::string kHeldOut = kSource + "/data/reply_type/reply_type.test.tsv";

// Held-out messages no phrase rule or template recognises, with the type
// their writers gave them; the models are confident about each.
const std::vector<std::pair<std::string, std::string>> kMissedByRules = {
    {"congratulation", "해외 지사 파견 확정됐어요!"},
    {"worry", "냉장고가 고장 나서 음식 다 버렸어 ㅠ"},
    {"thanks", "부디 좋은 소식 있길 바랄게요"},
    {"compliment", "형 진짜 듬직하다"},
};

std::vector<std::pair<std::string, std::string>> heldOut() {
    std::vector<std::pair<std::string, std::string>> out;
    std::istringstream in(readFile(kHeldOut));
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) out.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return out;
}

// The categories with a positive result, each with its label and its rule id.
std::map<std::string, std::string> positives(const Annotation& a) {
    std::map<std::string, std::string> out;
    for (const auto& [category, result] : a.classifications) {
        const std::string label = result.getPredictedClass();
        // The plain acknowledgement is every statement's default; it is
        // left out so that what the rules and models decide shows.
        if (category.rfind(Category::REPLY_TYPE_PREFIX, 0) == 0 && category != KoreanCategory::REPLY_ACK &&
            label != Label::FALSE_LABEL && label != Label::NONE)
            out[category] = label + "/" + result.getRuleId(label);
    }
    return out;
}

std::map<std::string, std::string> analyze(const _KoreanMessageAnalyzer& analyzer, const std::string& text) {
    Annotation a;
    analyzer.analyze("", text, a);
    return positives(a);
}

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return "popen failed";
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    return ::pclose(p) == 0 ? out : "failed: " + out;
}

// A resource tree that links to the build's, except for the fallback's
// thresholds file, which is `thresholds` (scrambled), or absent when empty.
void linkTreeWithThresholds(const TempDir& dir, const std::string& thresholds) {
    const fs::path tree = fs::path(dir.path()) / "1.0";
    fs::create_directories(tree / "model");
    for (const auto& entry : fs::directory_iterator(kResources + "/1.0"))
        if (entry.path().filename() != "model") fs::create_directory_symlink(entry.path(), tree / entry.path().filename());
    for (const auto& entry : fs::directory_iterator(kPackedModels))
        if (entry.path().filename() != "reply_type.threshold.enc")
            fs::create_symlink(entry.path(), tree / "model" / entry.path().filename());
    if (!thresholds.empty()) {
        const std::string plain = dir.write("thresholds.txt", thresholds);
        ASSERT_EQ(run(std::string(VARNEX_TOOLS_DIR) + "/varnex-pack encode " + plain + " " +
                      (tree / "model/reply_type.threshold.enc").string()),
                  "");
    }
}

}  // namespace

TEST(KoreanReplyTypeDetector, RegistersItsTypesAndReadsTheFilesOfTheNamingScheme) {
    TempDir dir;
    for (const char* type : {"thanks", "worry"})
        for (const char* ext : {".model", ".category", ".index"})
            fs::copy_file(KoreanReplyTypeDetector::modelPath(kSourceModels, "reply_type", type, ext),
                          KoreanReplyTypeDetector::modelPath(dir.path(), "rt", type, ext));
    fs::copy_file(kSourceModels + "/reply_type.dictionary", dir.file("rt.dictionary"));

    KoreanReplyTypeDetector renamed(dir.path(), "rt", {"thanks", "worry"});
    KoreanReplyTypeDetector shipped(kPackedModels, "reply_type", {"thanks", "worry"});
    std::set<std::string> categories;
    for (const auto& c : renamed.getClassifiers()) categories.insert(c.first);
    EXPECT_EQ(categories, (std::set<std::string>{"rt_thanks", "rt_worry"}));
    EXPECT_EQ(renamed.loadedModels(), 2);
    // Same files under other names, same answers; without the dictionary the
    // phrase features are gone and the answers change.
    Annotation wish("생일 축하해 좋은 하루 보내");
    const auto a = renamed.scores(wish), b = shipped.scores(wish);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_DOUBLE_EQ(a.at("rt_thanks"), b.at("reply_type_thanks"));
    EXPECT_DOUBLE_EQ(a.at("rt_worry"), b.at("reply_type_worry"));
    fs::remove(dir.file("rt.dictionary"));
    LogCapture log(LOG_WARN);
    EXPECT_NE(KoreanReplyTypeDetector(dir.path(), "rt", {"thanks"}).scores(wish).at("rt_thanks"), a.at("rt_thanks"));
    EXPECT_TRUE(log.contains(dir.file("rt.dictionary"))) << "the dictionary is read from the scheme's path";

    // Every file the scheme names is looked for; categories are still
    // written, empty.
    log.clear();
    KoreanReplyTypeDetector missing(dir.path(), "none", {"thanks", "worry"});
    for (const char* type : {"thanks", "worry"})
        for (const char* ext : {".model", ".category", ".index"})
            EXPECT_TRUE(log.contains(dir.file(std::string("none_") + type + ext))) << type << ext;
    EXPECT_EQ(missing.loadedModels(), 0);
    Annotation some("고마워");
    missing.process(some);
    EXPECT_EQ(some.getLabel("none_thanks"), Label::NONE);
    EXPECT_EQ(some.getLabel("none_worry"), Label::NONE);

    // No types: nothing registered, nothing written.
    KoreanReplyTypeDetector empty(kPackedModels, "reply_type", {});
    EXPECT_TRUE(empty.getClassifiers().empty());
    Annotation untouched("고마워");
    empty.process(untouched);
    EXPECT_TRUE(untouched.classifications.empty());

    // A packed tree holds only the scrambled dictionary.
    for (const auto& [modelDir, want] : std::vector<std::pair<std::string, std::string>>{
             {kPackedModels, kPackedModels + "/reply_type.dictionary.enc"},
             {kSourceModels, kSourceModels + "/reply_type.dictionary"},
             {dir.path(), dir.path() + "/reply_type.dictionary"}})
        EXPECT_EQ(KoreanReplyTypeDetector::dictionaryPath(modelDir, "reply_type"), want);
}

TEST(KoreanReplyTypeDetector, TrainerFeatureSetGivesTheEnginesFeatures) {
    // The models are trained with the plain source dictionary; the engine
    // reads the packed tree. Both must see the same features.
    FeatureSet fromTree, fromSource;
    FeatureSetOptions tree;
    tree.resourceRoot = kResources + "/1.0";
    ASSERT_TRUE(FeatureSetFactory::build("reply_type", tree, fromTree));
    FeatureSetOptions source;
    source.dictionary = kSourceModels + "/reply_type.dictionary";
    ASSERT_TRUE(FeatureSetFactory::build("reply_type", source, fromSource));
    ASSERT_TRUE(fromTree.preparation.empty());
    const KoreanReplyTypeFeatureExtractor engine(KoreanReplyTypeDetector::dictionaryPath(kPackedModels, "reply_type"));

    auto index = std::make_shared<SVMFeatureIndex>(1);
    int withPhrase = 0;
    for (const auto& [label, text] : heldOut()) {
        Annotation a(text);
        SVMFeatureVector e(index), t(index), s(index);
        engine.extract(a, e);
        fromTree.extract(a, t);
        fromSource.extract(a, s);
        EXPECT_EQ(t.getFeatureMap(), e.getFeatureMap()) << text;
        EXPECT_EQ(s.getFeatureMap(), e.getFeatureMap()) << text;
        if (label != "none" && e.getFeatureMap().count(index->getIndex(label))) ++withPhrase;
    }
    EXPECT_GT(withPhrase, 100) << "dictionary values reach the features";

    FeatureSet noDictionary;
    FeatureSetOptions nowhere;
    nowhere.resourceRoot = "/nonexistent";
    LogCapture quiet(LOG_ERROR);
    EXPECT_FALSE(FeatureSetFactory::build("reply_type", nowhere, noDictionary));
    EXPECT_TRUE(quiet.contains("reply-type features need the reply-type dictionary /nonexistent/model/"));
}

TEST(ReplyTypeModels, ShippedModelsAreExactlyTheEnginesTypesAndLoad) {
    std::set<std::string> shipped;
    for (const auto& entry : fs::directory_iterator(kSourceModels)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("reply_type_", 0) == 0 && entry.path().extension() == ".model")
            shipped.insert(name.substr(11, name.size() - 11 - 6));
    }
    EXPECT_EQ(shipped, std::set<std::string>(KoreanResource::REPLY_TYPE_MODELS.begin(),
                                             KoreanResource::REPLY_TYPE_MODELS.end()));
    LogCapture log(LOG_WARN);
    KoreanReplyTypeDetector detector(kPackedModels, Category::REPLY_TYPE, KoreanResource::REPLY_TYPE_MODELS);
    EXPECT_EQ(detector.loadedModels(), static_cast<int>(KoreanResource::REPLY_TYPE_MODELS.size()));
    EXPECT_TRUE(log.lines().empty()) << log.lines().front().text;
    for (const auto& type : KoreanResource::REPLY_TYPE_MODELS) {
        Model m;
        ASSERT_TRUE(m.load(KoreanReplyTypeDetector::modelPath(kPackedModels, "reply_type", type, ".model"),
                           KoreanReplyTypeDetector::modelPath(kPackedModels, "reply_type", type, ".category"),
                           KoreanReplyTypeDetector::modelPath(kPackedModels, "reply_type", type, ".index")))
            << type;
        EXPECT_EQ(m.getClassNumber(), 2) << type;
    }
}

// The derived data and the models are outputs of the intent files and the
// rules: rerunning the steps of `--target models` must give the shipped files.
TEST(ReplyTypeModels, RetrainingReproducesTheShippedFilesAndTheDerivedData) {
    TempDir out;
    EXPECT_EQ(run("sh " + kSource + "/tools/train/reply_type_data.sh " + kSource + " " + out.path()).find("failed"),
              std::string::npos);
    for (const char* file : {"data/reply_type/reply_type.train.tsv", "data/reply_type/reply_type.test.tsv",
                             "resources/1.0/model/reply_type.dictionary"})
        EXPECT_EQ(readFile(out.file(file)), readFile(kSource + "/" + file)) << file;

    for (const auto& type : KoreanResource::REPLY_TYPE_MODELS) {
        const std::string printed =
            run(std::string(VARNEX_TOOLS_DIR) + "/varnex-train --features reply_type --data " + kSource +
                "/data/reply_type/reply_type.train.tsv --test " + kHeldOut + " --dictionary " + kSourceModels +
                "/reply_type.dictionary --positive " + type + " --prune 0.01 --output " + out.file(type));
        const size_t total = printed.find("~Total");
        ASSERT_NE(total, std::string::npos) << printed;
        double tp, fp, fn, tn, accuracy;
        ASSERT_EQ(std::sscanf(printed.c_str() + total + 6, "%lf %lf %lf %lf %lf", &tp, &fp, &fn, &tn, &accuracy), 5);
        EXPECT_GE(accuracy, 0.95) << printed;
        for (const char* ext : {".model", ".category", ".index"})
            EXPECT_EQ(readFile(out.file(type) + ext),
                      readFile(KoreanReplyTypeDetector::modelPath(kSourceModels, "reply_type", type, ext)))
                << type << ext;
    }
}

TEST(KoreanReplyTypeFallback, ThresholdsFileSetsThresholdsOrTurnsTheFallbackOff) {
    const auto& types = KoreanResource::REPLY_TYPE_MODELS;
    {
        KoreanReplyTypeFallback shipped(kPackedModels, Category::REPLY_TYPE, types,
                                        kPackedModels + "/reply_type.threshold.enc");
        EXPECT_TRUE(shipped.enabled());
        EXPECT_EQ(shipped.getThresholds().size(), types.size());
        EXPECT_EQ(shipped.getThresholds().at("me_too"), 0.8);
        EXPECT_EQ(shipped.getThresholds().at("thanks"), 0.65);
    }
    TempDir dir;
    struct Row {
        std::string content;  // "-" for no file at all
        bool enabled;
        std::map<std::string, double> thresholds;
        std::vector<std::string> reports;  // after "path:"
    };
    for (const Row& row : std::vector<Row>{
             {"thanks\t0.7\n", true, {{"thanks", 0.7}}, {}},
             {"thanks\t0.7\nworry\t1\n", true, {{"thanks", 0.7}, {"worry", 1.0}}, {}},
             {"thanks\t0.7\ndisabled\n", false, {}, {}},
             {"disabled\nthanks\t0.7\n", false, {}, {}},
             {"-", false, {}, {": no such file"}},
             {"", false, {}, {" is refused: no line of text: the file is empty", " cannot be read"}},
             {"thanks\t0.5\nnobody\t0.9\nworry\tabc\nhello\nwhy\t0.8\textra\nwhen\t0.9\n",
              true,
              {{"when", 0.9}},
              {"1: line refused, threshold [0.5] is not in (0.5, 1]",
               "2: line refused, no model for the reply type [nobody]",
               "3: line refused, threshold [abc] is not in (0.5, 1]",
               "4: line refused, neither \"disabled\" nor \"type TAB threshold\"",
               "5: line refused, 3 fields, at most 2 allowed"}}}) {
        const std::string path = row.content == "-" ? dir.file("absent") : dir.write("t", row.content);
        LogCapture log(LOG_WARN);
        KoreanReplyTypeFallback f(kPackedModels, Category::REPLY_TYPE, types, path);
        EXPECT_EQ(f.enabled(), row.enabled) << row.content;
        EXPECT_EQ(f.getDetector() != nullptr, row.enabled) << "models are loaded only when on: " << row.content;
        EXPECT_EQ(f.getThresholds(), row.thresholds) << row.content;
        EXPECT_EQ(log.lines().size(), row.reports.size()) << row.content;
        for (const auto& r : row.reports)
            EXPECT_TRUE(log.contains(path + (r[0] == ':' || r[0] == ' ' ? "" : ":") + r)) << r;
    }
}

TEST(KoreanReplyTypeFallback, FillsInOnlyWhereNothingDecided) {
    std::map<std::string, double> thresholds;
    for (const auto& t : KoreanResource::REPLY_TYPE_MODELS) thresholds[t] = 0.65;
    const KoreanReplyTypeFallback fallback(kPackedModels, Category::REPLY_TYPE, KoreanResource::REPLY_TYPE_MODELS,
                                           thresholds);
    const std::string good = "엄마!! 나 장학생 됐어", why = "민지야 어제 왜 먼저 집에 갔어?";
    const std::string congratulation = KoreanCategory::REPLY_CONGRATULATION, veto = KoreanRuleId::VETO;
    struct Preset {
        std::string category, label, ruleId;
    };
    struct Row {
        std::string text;
        std::vector<Preset> before;
        std::string filled;  // the category filled in, or ""
    };
    for (const Row& row : std::vector<Row>{
             {good, {}, congratulation},
             // A rule's FALSE without a veto only says "no phrase found".
             {good, {{congratulation, "FALSE", ""}}, congratulation},
             {good, {{KoreanCategory::REPLY_THANKS, "FALSE", veto}}, congratulation},
             {good, {{KoreanCategory::REPLY_ANSWER, "FALSE", ""}, {Category::QUESTION, "FALSE", ""}}, congratulation},
             // Vetoed: the best type stays FALSE and no other type takes its place.
             {good, {{congratulation, "FALSE", veto}}, ""},
             // Something positive already decided.
             {good, {{KoreanCategory::REPLY_THANKS, "TRUE", ""}}, ""},
             {good, {{KoreanCategory::REPLY_WORRY, "sick", ""}}, ""},
             {good, {{KoreanCategory::REPLY_GREETING, "morning", ""}}, ""},
             {good, {{"reply_type_greeting_meet", "TRUE", ""}}, ""},
             // A question is answered, not congratulated ...
             {good, {{KoreanCategory::REPLY_ANSWER, "yes_no", ""}}, ""},
             {good, {{Category::QUESTION, "TRUE", ""}}, ""},
             // ... though a question may call for a reason.
             {why, {{Category::QUESTION, "TRUE", ""}}, KoreanCategory::REPLY_WHY},
             {why, {{Category::QUESTION, "TRUE", ""}, {KoreanCategory::REPLY_WHY, "FALSE", veto}}, ""},
             // Below every threshold: the models' best guess is weak.
             {"확인", {}, ""}}) {
        Annotation a(row.text);
        for (const auto& p : row.before) {
            Classification c(p.category, p.label);
            if (!p.ruleId.empty()) c.setRuleId(p.label, p.ruleId);
            a.addCategory(p.category, c);
        }
        const auto before = positives(a);
        fallback.process(a);
        auto after = positives(a);
        if (row.filled.empty()) {
            EXPECT_EQ(after, before) << row.text;
        } else {
            EXPECT_EQ(after[row.filled], std::string("TRUE/") + KoreanRuleId::MODEL) << row.text;
            after.erase(row.filled);
            EXPECT_EQ(after, before) << row.text;
            EXPECT_GE(a.getClassification(row.filled).scores.at(Label::TRUE_LABEL), 0.65);
        }
        for (const auto& p : row.before)
            EXPECT_TRUE(p.ruleId != veto || a.getLabel(p.category) == Label::FALSE_LABEL) << row.text;
    }

    // Thresholds: the best type fills in only from its own threshold up,
    // and never without one.
    ReplyTypeGuess g;
    ASSERT_TRUE(fallback.guess(Annotation(good), g));
    EXPECT_EQ(g.type, "congratulation");
    for (const auto& [given, fills] : std::vector<std::pair<std::map<std::string, double>, bool>>{
             {{{"congratulation", g.probability}}, true},
             {{{"congratulation", g.probability + 1e-6}}, false},
             {{{"thanks", 0.51}, {"worry", 0.51}}, false}}) {
        Annotation a(good);
        KoreanReplyTypeFallback(kPackedModels, Category::REPLY_TYPE, KoreanResource::REPLY_TYPE_MODELS, given)
            .process(a);
        EXPECT_EQ(a.hasClassification(congratulation), fills) << given.begin()->first << given.begin()->second;
    }
}

TEST(ReplyTypeFallback, TheAnalyzerFillsInHeldOutMessagesTheRulesMiss) {
    const _KoreanMessageAnalyzer analyzer(kResources, nullptr);
    for (const auto& [type, text] : kMissedByRules) {
        const std::map<std::string, std::string> want =
            VARNEX_REPLY_TYPE_FALLBACK
                ? std::map<std::string, std::string>{{"reply_type_" + type, std::string("TRUE/") + KoreanRuleId::MODEL}}
                : std::map<std::string, std::string>{};
        EXPECT_EQ(analyze(analyzer, text), want) << text;
    }
    // A rule's decision stands; a plain remark gets nothing.
    EXPECT_EQ(analyze(analyzer, "정말 고마워"), (std::map<std::string, std::string>{{"reply_type_you_re_welcome", "TRUE/"}}));
    EXPECT_TRUE(analyze(analyzer, "베란다에 빨래 널었어").empty());
}

TEST(ReplyTypeFallback, ADisabledOrMissingThresholdsFileTurnsItOff) {
    if (!VARNEX_REPLY_TYPE_FALLBACK) GTEST_SKIP() << "built with VARNEX_REPLY_TYPE_FALLBACK=OFF";
    for (const std::string thresholds : {"disabled\n", "", "thanks\t0.65\n"}) {
        TempDir dir;
        linkTreeWithThresholds(dir, thresholds);
        LogCapture quiet(LOG_ERROR);
        const _KoreanMessageAnalyzer analyzer(dir.path(), nullptr);
        for (const auto& [type, text] : kMissedByRules) {
            const bool fills = thresholds == "thanks\t0.65\n" && type == "thanks";
            EXPECT_EQ(analyze(analyzer, text).size(), fills ? 1u : 0u) << thresholds << text;
        }
    }
}

// The shipped thresholds were chosen for a precision of at least 90% on the
// held-out tenth, as the fallback sees it inside the analyzer.
TEST(ReplyTypeFallback, ShippedThresholdsKeepTheirHeldOutPrecision) {
    if (!VARNEX_REPLY_TYPE_FALLBACK) GTEST_SKIP() << "built with VARNEX_REPLY_TYPE_FALLBACK=OFF";
    const _KoreanMessageAnalyzer analyzer(kResources, nullptr);
    int filled = 0, correct = 0;
    for (const auto& [label, text] : heldOut()) {
        for (const auto& [category, decision] : analyze(analyzer, text)) {
            if (decision != std::string("TRUE/") + KoreanRuleId::MODEL) continue;
            ++filled;
            if (category == "reply_type_" + label) ++correct;
        }
    }
    EXPECT_GE(filled, 15);
    EXPECT_GE(correct, 0.9 * filled) << correct << " of " << filled;
}
