// The engine as a host runs it: create, openEngine, findReply, notify and
// closeEngine on the packed shipped resources, with its learning stores in a
// temporary data directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "TestSupport.h"

using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

const std::string kResources = VARNEX_BUILD_RESOURCE_DIR;

// One host session on `data`: opened on construction, closed on destruction.
struct Host {
    explicit Host(const std::string& data) : api(static_cast<SmartReplyAPIWrapper*>(create())) {
        opened = api->openEngine(kResources, data + "/");
    }
    ~Host() {
        api->closeEngine();
        destroy(api);
    }
    std::vector<std::string> suggest(const std::string& sender, const std::string& message) const {
        std::vector<std::string> replies;
        api->findReply("", sender, message, replies);
        return replies;
    }
    void sent(const std::string& sender, const std::string& message, const std::string& reply, int times = 1) {
        for (int i = 0; i < times; ++i) api->notify("", sender, message, reply, false);
    }
    SmartReplyAPIWrapper* api;
    bool opened = false;
};

bool anyContains(const std::vector<std::string>& replies, const std::string& part) {
    for (const auto& r : replies)
        if (r.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

// What one sender is answered with follows what the user sent that sender,
// and survives closing and reopening the engine; other senders keep the
// engine's own replies.
TEST(HostEndToEnd, LearningFollowsEachSenderAndSurvivesReopening) {
    TempDir data;
    std::vector<std::string> formal, plain;
    {
        Host host(data.path());
        ASSERT_TRUE(host.opened);
        formal = host.suggest("부장님", "정말 감사합니다");
        plain = host.suggest("민지", "고마워");
        ASSERT_FALSE(formal.empty());
        ASSERT_TRUE(anyContains(plain, "고마워") || anyContains(plain, "뭘")) << plain.front();
        host.sent("부장님", "정말 감사합니다", "고마워 ㅋㅋ", 3);  // answered casually
        host.sent("민지", "고마워", "고마웡 ㅎㅎ", 3);            // a personal spelling
        EXPECT_NE(host.suggest("부장님", "정말 감사합니다"), formal);
    }
    Host reopened(data.path());
    ASSERT_TRUE(reopened.opened);
    EXPECT_NE(reopened.suggest("부장님", "정말 감사합니다"), formal) << "the speech level is remembered";
    EXPECT_EQ(reopened.suggest("과장님", "정말 감사합니다"), formal) << "another sender is not affected";
    const auto minji = reopened.suggest("민지", "생일 축하해!"), jisu = reopened.suggest("지수", "생일 축하해!");
    EXPECT_TRUE(anyContains(minji, "고마웡")) << minji.front();
    EXPECT_FALSE(anyContains(jisu, "고마웡"));
    EXPECT_TRUE(anyContains(jisu, "고마워"));
    for (const auto& replies : {minji, jisu, formal}) EXPECT_LE(replies.size(), 10u);
}

// Databases that are not databases: opening says so, the files are left as
// they are, and the engine keeps suggesting, without learning.
TEST(HostEndToEnd, CorruptDatabaseFilesAreReportedLeftAloneAndSuggestionsGoOn) {
    for (const std::string damaged : {"honorific_ko_KR.db", "personal_ko_KR.db"}) {
        SCOPED_TRACE(damaged);
        TempDir data;
        {
            Host first(data.path());
            first.sent("민지", "고마워", "고마웡", 2);
        }
        std::string garbage;
        for (int i = 0; i < 500; ++i) garbage += "not a database page ";
        data.write(damaged, garbage);
        LogCapture log(Varnex::LOG_ERROR);
        Host host(data.path());
        EXPECT_FALSE(host.opened);
        EXPECT_TRUE(log.hasError(damaged)) << "the line names the file";
        EXPECT_TRUE(anyContains(host.suggest("민지", "생일 축하해!"), "고마"));
        host.sent("민지", "고마워", "고마웡");
        EXPECT_EQ(readFile(data.file(damaged)), garbage);
    }
}
