// The reply pipeline and the host API, driven by small modules written here.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "Varnex/SmartReplyAPIWrapperImpl.h"
#include "TestSupport.h"
#include "Varnex/AutoReply.h"
#include "Varnex/AutoReplyEngine.h"
#include "Varnex/PersonalCorpusApplier.h"

using namespace Varnex;
using VarnexTest::LogCapture;

namespace {

std::vector<std::string> g_trace;

class TraceAnalyzer : public _IMessageAnalyzer {
public:
    void analyze(const std::string&, const std::string& message, Annotation& a) const override {
        g_trace.push_back("analyze " + message);
        a.addCategory("seen_" + message, "TRUE");
    }
};

// Offers each of its texts as a one-reply candidate.
class ListGenerator : public _ICandidateReplyGenerator {
public:
    ListGenerator(std::string name, std::vector<std::string> texts, bool initOk = true)
        : name(std::move(name)), texts(std::move(texts)), initOk(initOk) {}
    bool init() override {
        g_trace.push_back("init " + name);
        return initOk;
    }
    void generate(const std::string&, const std::string&, const Annotation&,
                  std::vector<ReplyScenario>& candidates) const override {
        g_trace.push_back("generate " + name);
        for (const auto& t : texts) candidates.emplace_back(t);
    }
    void update(const std::string& sender, const std::string& message, const Annotation& m, const std::string& reply,
                const Annotation& r) override {
        g_trace.push_back("update " + name + " " + sender + " " + message + "->" + reply + " " +
                          std::to_string(m.hasClassification("seen_" + message)) +
                          std::to_string(r.hasClassification("seen_" + reply)));
    }
    std::string name;
    std::vector<std::string> texts;
    bool initOk;
};

class ReverseRanker : public _IReplyRanker {
public:
    void rank(std::vector<ReplyScenario>& c) const override {
        g_trace.push_back("rank");
        std::reverse(c.begin(), c.end());
    }
};

class TraceApplier : public PersonalCorpusApplier {
public:
    TraceApplier() : PersonalCorpusApplier("", "1.0", "") {}
    bool init() override { return true; }
    void apply(const std::string&, const std::string&, Annotation&, std::vector<ReplyScenario>&) const override {
        g_trace.push_back("apply");
    }
};

std::shared_ptr<AutoReplyEngine> makeEngine(std::vector<std::string> texts, bool initOk = true) {
    auto engine = std::make_shared<AutoReplyEngine>();
    engine->setModules(std::make_shared<TraceAnalyzer>(),
                       {std::make_shared<ListGenerator>("g1", texts, initOk)}, std::make_shared<ReverseRanker>());
    return engine;
}

std::vector<std::string> g_nextTexts;
int g_builds = 0;
std::shared_ptr<AutoReplyEngine> listBuilder(LanguageType, const std::string&, const std::string&, const StoreKey*) {
    ++g_builds;
    return makeEngine(g_nextTexts);
}
std::shared_ptr<AutoReplyEngine> throwingBuilder(LanguageType, const std::string&, const std::string&, const StoreKey*) {
    throw std::runtime_error("malformed resource line");
}
bool g_throwOnBuild = false;
std::shared_ptr<AutoReplyEngine> switchingBuilder(LanguageType l, const std::string& r, const std::string& d,
                                                  const StoreKey* k) {
    if (g_throwOnBuild) throw std::runtime_error("malformed resource line");
    return listBuilder(l, r, d, k);
}
std::shared_ptr<AutoReplyEngine> failingInitBuilder(LanguageType, const std::string&, const std::string&,
                                                    const StoreKey*) {
    return makeEngine({"still here"}, false);
}

std::vector<std::string> texts(const std::vector<Reply>& replies) {
    std::vector<std::string> out;
    for (const auto& r : replies) out.push_back(r.text);
    return out;
}

}  // namespace

TEST(AutoReplyEngine, RunsStagesInOrderOnAFreshAnnotation) {
    g_trace.clear();
    auto engine = std::make_shared<AutoReplyEngine>();
    engine->setModules(std::make_shared<TraceAnalyzer>(),
                       {std::make_shared<ListGenerator>("g1", std::vector<std::string>{"a"}),
                        std::make_shared<ListGenerator>("g2", std::vector<std::string>{"b"})},
                       std::make_shared<ReverseRanker>());
    engine->setPersonalCorpusApplier(std::make_shared<TraceApplier>());
    ASSERT_TRUE(engine->init());
    EXPECT_EQ(g_trace, (std::vector<std::string>{"init g1", "init g2"}));

    g_trace.clear();
    Annotation out;
    out.addCategory("stale", "TRUE");
    std::vector<Reply> replies;
    EXPECT_TRUE(engine->findReply("mina", "msg", replies, &out));
    EXPECT_EQ(g_trace, (std::vector<std::string>{"analyze msg", "generate g1", "generate g2", "apply", "rank"}));
    EXPECT_EQ(texts(replies), (std::vector<std::string>{"b", "a"}));
    // The annotation handed back is the analysed message, sender included,
    // and nothing the caller had put into it.
    EXPECT_EQ(out.getText(), "msg");
    EXPECT_EQ(out.getClassification("sender").getPredictedClass(), "mina");
    EXPECT_FALSE(out.hasClassification("stale"));

    // Nothing of one message leaks into the next.
    Annotation second;
    engine->findReply("mina", "other", replies, &second);
    EXPECT_FALSE(second.hasClassification("seen_msg"));

    g_trace.clear();
    engine->notifyReply("mina", "q", "r", nullptr);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"analyze q", "analyze r", "update g1 mina q->r 11",
                                                 "update g2 mina q->r 11"}));
}

TEST(AutoReplyEngine, ConvertDropsSelectDuplicatesAndCapsAtTen) {
    AutoReplyEngine engine;
    std::vector<ReplyScenario> candidates;
    candidates.emplace_back("네", "Select a time", "select me");
    candidates.emplace_back("네", "좋아");
    for (int i = 0; i < 15; ++i) candidates.emplace_back("r" + std::to_string(i));
    std::vector<Reply> replies{Reply("좋아")};
    engine.convertToReply(candidates, replies);
    ASSERT_EQ(replies.size(), 10u);
    EXPECT_EQ(texts(replies), (std::vector<std::string>{"좋아", "네", "select me", "r0", "r1", "r2", "r3", "r4", "r5",
                                                        "r6"}));
    // A full vector takes nothing more; findReply still reports true.
    auto full = makeEngine({"x"});
    std::vector<Reply> ten(10, Reply("t"));
    EXPECT_TRUE(full->findReply("s", "m", ten, nullptr));
    EXPECT_EQ(ten.size(), 10u);
    // No generators: nothing found.
    AutoReplyEngine empty;
    empty.setModules(std::make_shared<TraceAnalyzer>(), {}, std::make_shared<ReverseRanker>());
    std::vector<Reply> none;
    EXPECT_FALSE(empty.findReply("s", "m", none, nullptr));
    EXPECT_TRUE(none.empty());
}

TEST(AutoReplyEngine, InitStopsAtTheFirstFailingModule) {
    LogCapture log(LOG_ERROR);
    g_trace.clear();
    AutoReplyEngine engine;
    engine.setModules(std::make_shared<TraceAnalyzer>(),
                      {std::make_shared<ListGenerator>("bad", std::vector<std::string>{}, false),
                       std::make_shared<ListGenerator>("later", std::vector<std::string>{})},
                      std::make_shared<ReverseRanker>());
    EXPECT_FALSE(engine.init());
    EXPECT_FALSE(engine.isInit());
    EXPECT_EQ(g_trace, (std::vector<std::string>{"init bad"}));
    EXPECT_TRUE(log.contains("Failed to init Reply Generator\n"));
    // An engine without analyzer or ranker neither initialises nor crashes.
    AutoReplyEngine bare;
    EXPECT_FALSE(bare.init());
    std::vector<Reply> replies;
    EXPECT_FALSE(bare.findReply("s", "m", replies, nullptr));
}

TEST(HostApi, CreateDestroyAndFindBeforeOpen) {
    destroy(nullptr);
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    ASSERT_NE(api, nullptr);
    EXPECT_EQ(api->getLanguage(), "ko_KR");
    EXPECT_EQ(getLogLevel(), LOG_ERROR);
    LogCapture log(LOG_ERROR);
    std::vector<std::string> replies{"kept"};
    EXPECT_FALSE(api->findReply("", "s", "안녕", replies));
    EXPECT_EQ(replies, std::vector<std::string>{"kept"});
    EXPECT_TRUE(log.contains("Unloaded Engine\n"));
    EXPECT_FALSE(api->notify("", "s", "m", "r", false));
    EXPECT_FALSE(api->closeEngine());
    destroy(api);
}

TEST(HostApi, OpenCloseReopenAndCallerVectorKeptInFront) {
    g_builds = 0;
    g_nextTexts = {"하나", "둘"};
    SmartReplyAPIWrapperImpl api("ko_KR", listBuilder);
    EXPECT_TRUE(api.openEngine("res", "data/"));
    std::vector<std::string> replies{"x", "y"};
    EXPECT_TRUE(api.findReply("", "s", "m", replies));
    EXPECT_EQ(replies, (std::vector<std::string>{"x", "y", "둘", "하나"}));
    EXPECT_FALSE(api.notify("", "s", "m", "r", true));

    // A second open replaces the engine; the registry still holds one.
    g_nextTexts = {"셋"};
    EXPECT_TRUE(api.openEngine("res", "data/"));
    replies.clear();
    api.findReply("", "s", "m", replies);
    EXPECT_EQ(replies, std::vector<std::string>{"셋"});
    EXPECT_EQ(g_builds, 2);

    EXPECT_TRUE(api.closeEngine());
    EXPECT_FALSE(api.closeEngine());
    EXPECT_FALSE(api.findReply("", "s", "m", replies));
    g_nextTexts = {"again"};
    EXPECT_TRUE(api.openEngine("res", "data/"));
    replies.clear();
    EXPECT_TRUE(api.findReply("", "s", "m", replies));
    EXPECT_EQ(replies, std::vector<std::string>{"again"});
}

TEST(HostApi, AThrowingBuildLeavesTheOpenEngineAnswering) {
    g_nextTexts = {"old engine"};
    g_throwOnBuild = false;
    SmartReplyAPIWrapperImpl api("ko_KR", switchingBuilder);
    ASSERT_TRUE(api.openEngine("res", "data/"));

    g_throwOnBuild = true;
    LogCapture log(LOG_ERROR);
    EXPECT_FALSE(api.openEngine("res", "data/"));
    EXPECT_TRUE(log.contains("malformed resource line"));
    EXPECT_EQ(log.lines().back().priority, 6);
    g_throwOnBuild = false;

    std::vector<std::string> replies;
    EXPECT_TRUE(api.findReply("", "s", "m", replies));
    EXPECT_EQ(replies, std::vector<std::string>{"old engine"});

    SmartReplyAPIWrapperImpl never("ko_KR", throwingBuilder);
    EXPECT_FALSE(never.openEngine("res", "data/"));
    EXPECT_FALSE(never.registry().hasEngine(KOREAN));
}

TEST(HostApi, FailedInitStillRegistersAndAnswers) {
    LogCapture log(LOG_ERROR);
    SmartReplyAPIWrapperImpl api("ko_KR", failingInitBuilder);
    EXPECT_FALSE(api.openEngine("res", "data/"));
    std::vector<std::string> replies;
    EXPECT_TRUE(api.findReply("", "s", "m", replies));
    EXPECT_EQ(replies, std::vector<std::string>{"still here"});
}
