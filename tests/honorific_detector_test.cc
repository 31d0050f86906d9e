// Speech-level detection with the shipped models, and the history that
// overrides it once the user has replied to a sender.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "TestSupport.h"
#include "Varnex/HonorificHistory.h"
#include "Varnex/KoreanHonorificDetector.h"
#include "Varnex/KoreanMessageAnalyzer.h"
#include "Varnex/KoreanResourcePaths.h"
#include "Varnex/SVMFeatureIndex.h"

using namespace Varnex;

namespace {
const std::string kResources = VARNEX_BUILD_RESOURCE_DIR;

std::set<std::string> charFeatures(const std::string& text) {
    std::set<std::string> f;
    KoreanCharactorFeature::getFeature(text, f, true);
    return f;
}

// A history that always knows one answer, to watch the override.
class FixedHistory : public _IKoreanHonorificHistoryManager {
public:
    explicit FixedHistory(std::string level) : level(std::move(level)) {}
    void update(const std::string&, const std::string&, const Annotation&, const std::string&,
                const Annotation&) override {}
    bool getHonorificLevel(const std::string& sender, const std::string&, const Annotation&,
                           std::string& out) override {
        asked.push_back(sender);
        out = level;
        return true;
    }
    std::string level;
    std::vector<std::string> asked;
};

std::string levelOf(const _KoreanMessageAnalyzer& analyzer, const std::string& text, const char* sender = nullptr) {
    Annotation a;
    if (sender) a.setSender(sender);
    analyzer.analyze("", text, a);
    return a.getClassification("honorific").getPredictedClass();
}
}  // namespace

TEST(KoreanCharactorFeature, WordsAreCutAtSpacesAndSymbols) {
    EXPECT_EQ(charFeatures("ab c"),
              (std::set<std::string>{"BEGIN_a", "ab", "LAST_b", "BEGIN_c", "LAST_c", "SINGLE_c"}));
    EXPECT_EQ(charFeatures("좋아!!요"),
              (std::set<std::string>{"BEGIN_좋", "좋아", "LAST_아", "BEGIN_요", "LAST_요", "SINGLE_요"}));
    EXPECT_EQ(charFeatures("abc"), (std::set<std::string>{"BEGIN_a", "ab", "abc", "bc", "LAST_c"}));
    EXPECT_TRUE(charFeatures("").empty());
    EXPECT_TRUE(charFeatures("ㅋㅋ ?!").empty());

    // Models that only read take the features by hash, computed without the
    // names: the same hashes, in the same order, for any bytes.
    for (const std::string& text : std::vector<std::string>{"ab c", "좋아!!요 ㅋㅋ", "내일 뵐게요~^^", "\xED\x95 \xff a\xea\xb0\x80",
                                   "😀😀 🎉 축하해!!", std::string(300, 'x') + " 끝"}) {
        for (bool separate : {false, true}) {
            std::vector<std::string> names;
            std::vector<int> hashes;
            KoreanCharactorFeature::appendFeatures(text, names, separate);
            KoreanCharactorFeature::appendFeatureHashes(text, hashes, separate);
            std::vector<int> expected;
            for (const auto& n : names) expected.push_back(SVMFeatureIndex::hash(n));
            EXPECT_EQ(hashes, expected) << text;
        }
    }
}

TEST(KoreanHonorificDetector, ShippedModelsTellTheThreeLevelsApart) {
    _KoreanMessageAnalyzer analyzer(kResources, nullptr);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"네", "NORMAL"},           {"응", "FALSE"},         {"감사합니다", "HIGH"},
        {"고마워", "FALSE"},        {"넵", "NORMAL"},        {"알겠습니다", "HIGH"},
        {"알겠어요", "NORMAL"},     {"뭐해?", "FALSE"},      {"뭐 하세요?", "NORMAL"},
        {"진지 드셨습니까?", "HIGH"}, {"밥 먹었냐", "FALSE"}, {"내일 봬요", "NORMAL"},
        {"감사해용", "NORMAL"},     {"수고하셨습니다", "HIGH"}, {"수고했어 ㅋㅋ", "FALSE"},
        {"회의 자료 보내 드렸습니다", "HIGH"}, {"주말에 뭐 할 거야", "FALSE"}, {"오늘 좀 늦을 것 같아요", "NORMAL"},
    };
    for (const auto& c : cases) EXPECT_EQ(levelOf(analyzer, c.first), c.second) << c.first;
}

TEST(KoreanHonorificDetector, HistoryOverridesTheModelsForAKnownSender) {
    auto history = std::make_shared<FixedHistory>("FALSE");
    _KoreanMessageAnalyzer analyzer(kResources, history);
    EXPECT_EQ(levelOf(analyzer, "정말 감사합니다", "민수"), "FALSE");
    EXPECT_EQ(history->asked, std::vector<std::string>{"민수"});
    // Without a sender the history is not asked.
    EXPECT_EQ(levelOf(analyzer, "정말 감사합니다"), "HIGH");
    EXPECT_EQ(history->asked.size(), 1u);
}

TEST(KoreanHonorificDetector, MissingModelsDecideNothing) {
    VarnexTest::TempDir dir;
    VarnexTest::LogCapture quiet(LOG_ERROR);
    KoreanHonorificDetector d(dir.file("m"), dir.file("i"), dir.file("c"), dir.file("m"), dir.file("i"), dir.file("c"),
                              dir.file("d"), nullptr, false);
    EXPECT_FALSE(d.modelsLoaded());
    Annotation a("감사합니다");
    d.process(a);
    EXPECT_EQ(a.getClassification("honorific").getPredictedClass(), "none");
}

TEST(HonorificLearning, RepliesTeachTheLevelUsedWithEachSenderAcrossRestarts) {
    VarnexTest::TempDir data;
    const std::string dataDir = data.path() + "/";
    auto suggest = [&](SmartReplyAPIWrapper* api, const std::string& sender, const std::string& message) {
        std::vector<std::string> replies;
        api->findReply("", sender, message, replies);
        return replies;
    };
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    ASSERT_TRUE(api->openEngine(kResources, dataDir));
    const auto formal = suggest(api, "민수", "정말 감사합니다");
    ASSERT_FALSE(formal.empty());
    for (int i = 0; i < 3; ++i) api->notify("", "민수", "정말 감사합니다", "고마워 ㅋㅋ", false);
    const auto learned = suggest(api, "민수", "정말 감사합니다");
    EXPECT_NE(learned, formal);
    EXPECT_EQ(learned, suggest(api, "철수", "고마워"));  // plain speech, like a plain message
    EXPECT_EQ(suggest(api, "지은", "정말 감사합니다"), formal);  // other senders keep the model's level
    destroy(api);

    api = static_cast<SmartReplyAPIWrapper*>(create());
    ASSERT_TRUE(api->openEngine(kResources, dataDir));
    EXPECT_EQ(suggest(api, "민수", "정말 감사합니다"), learned);
    destroy(api);
    // The file keeps no sender name in the clear (built with SQLCipher).
#ifdef VARNEX_SQLCIPHER
    EXPECT_EQ(VarnexTest::readFile(dataDir + "honorific_ko_KR.db").find("민수"), std::string::npos);
#endif
}

TEST(HonorificLearning, AnUnusableDataDirectoryStillSuggests) {
    VarnexTest::TempDir data;
    VarnexTest::LogCapture quiet(LOG_ERROR);
    std::string garbage = data.write("honorific_ko_KR.db", "this is not a database at all, not at all");
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    EXPECT_FALSE(api->openEngine(kResources, data.path() + "/"));
    EXPECT_TRUE(quiet.contains("Failed to open database: "));
    std::vector<std::string> replies;
    EXPECT_TRUE(api->findReply("", "민수", "정말 감사합니다", replies));
    api->notify("", "민수", "정말 감사합니다", "고마워", false);
    destroy(api);
    EXPECT_EQ(VarnexTest::readFile(garbage), "this is not a database at all, not at all");

    api = static_cast<SmartReplyAPIWrapper*>(create());
    EXPECT_FALSE(api->openEngine(kResources, data.path() + "/no/such/dir/"));
    replies.clear();
    EXPECT_TRUE(api->findReply("", "민수", "고마워", replies));
    destroy(api);
}

// The shipped models are outputs of the labelled data: retraining must give
// the same files, and the held-out tenth must stay above the quality bar.
// Every shipped model is what its committed data trains, and does at least
// this well on its held-out tenth.
TEST(ShippedModels, RetrainingReproducesTheShippedFiles) {
    struct Model {
        const char* name;
        const char* features;
        const char* data;  // data/<data>/<name>.train.tsv and .test.tsv
        const char* labels;
        double minAccuracy;
    };
    const Model models[] = {
        {"honorific_tf", "honorific", "honorific", "TRUE,FALSE", 0.95},
        {"honorific_hn", "honorific", "honorific", "HIGH,NORMAL", 0.90},
        {"question", "question", "question", "TRUE,FALSE", 0.93},
    };
    VarnexTest::TempDir out;
    const std::string src = VARNEX_SOURCE_DIR;
    for (const Model& m : models) {
        const std::string data = src + "/data/" + m.data + "/" + m.name;
        const std::string cmd = std::string(VARNEX_TOOLS_DIR) + "/varnex-train --features " + m.features +
                                " --resources " + kResources + "/1.0 --data " + data + ".train.tsv --test " + data +
                                ".test.tsv --labels " + m.labels + " --output " + out.file(m.name) + " 2>&1";
        FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string printed;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) printed.append(buf, n);
        ASSERT_EQ(::pclose(p), 0) << printed;
        const size_t total = printed.find("~Total");
        ASSERT_NE(total, std::string::npos) << printed;
        // Columns after the label: TP FP FN TN accuracy ...
        double tp, fp, fn, tn, accuracy;
        ASSERT_EQ(std::sscanf(printed.c_str() + total + 6, "%lf %lf %lf %lf %lf", &tp, &fp, &fn, &tn, &accuracy), 5);
        EXPECT_GE(accuracy, m.minAccuracy) << m.name << "\n" << printed;
        for (const char* ext : {".model", ".category", ".index"})
            EXPECT_EQ(VarnexTest::readFile(out.file(m.name) + ext),
                      VarnexTest::readFile(src + "/resources/1.0/model/" + m.name + ext))
                << m.name << ext;
    }
}
