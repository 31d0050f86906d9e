// The whole engine under faults: a resource tree with any one file
// missing, a process killed while it records a reply, and a store locked by
// another connection for longer than the engine waits.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "Varnex/HonorificHistory.h"
#include "Varnex/KoreanAutoReplyEngine.h"
#include "TestSupport.h"
#include "Varnex/KeyedDatabase.h"
#include "Varnex/StoreKey.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string kResources = VARNEX_BUILD_RESOURCE_DIR;

std::vector<std::string> suggest(KoreanAutoReplyEngine& engine, const std::string& message,
                                 const std::string& sender = "friend") {
    std::vector<Reply> replies;
    engine.findReply(sender, message, replies, nullptr);
    std::vector<std::string> out;
    for (const auto& r : replies) out.push_back(r.text);
    return out;
}

// The stored HIGH count of `sender` in the data directory `data`.
long long highCount(const std::string& data, const std::string& sender) {
    StoreKeys keys;
    std::string error;
    if (!storeKeysFor(data, nullptr, keys, error)) return -1;
    HonorificHistory history(data + KoreanAutoReplyEngine::kHonorificDbName, keys);
    HonorificCounts counts;
    if (!history.init()) return -1;
    return history.readCounts(sender, counts) ? counts.mostHonorific : 0;
}

}  // namespace

// Each file of the shipped tree removed in turn: the engine either opens
// and still answers, or refuses with the one line naming the file; it never
// crashes and never answers from a tree it called unusable.
TEST(EngineFaults, EachResourceFileMissingInTurnIsNamedAndNeverCrashes) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(kResources + "/1.0"))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), kResources));
    ASSERT_GT(files.size(), 40u);
    int refused = 0;
    for (const auto& missing : files) {
        SCOPED_TRACE(missing.string());
        TempDir dir;
        for (const auto& f : files) {
            if (f == missing) continue;
            fs::create_directories((fs::path(dir.path()) / f).parent_path());
            fs::create_symlink(fs::path(kResources) / f, fs::path(dir.path()) / f);
        }
        TempDir data;
        LogCapture log(LOG_WARN);
        KoreanAutoReplyEngine engine(dir.path(), data.path() + "/");
        const bool opened = engine.init();
        // Named as the engine looked for it, with or without the scrambled
        // form's ".enc".
        std::string name = missing.filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".enc") == 0) name.resize(name.size() - 4);
        // The verb table's text files are read only without its single-file
        // form; a missing compiled dictionary only means building from text.
        const bool unread = name.compare(0, 7, "yes_no_") == 0 ||
                            (name.size() > 5 && name.compare(name.size() - 5, 5, ".trie") == 0);
        EXPECT_EQ(log.contains(name), !unread) << "the missing file is named";
        if (opened) {
            EXPECT_FALSE(log.hasError("cannot serve suggestions"));
            EXPECT_FALSE(suggest(engine, "생일 축하해!").empty());
        } else if (log.hasError("cannot serve suggestions")) {
            ++refused;
            EXPECT_TRUE(log.hasError(name));
            EXPECT_TRUE(suggest(engine, "생일 축하해!").empty());
        } else {
            EXPECT_TRUE(log.hasError(name)) << "a failed start names the file at error level";
        }
    }
    EXPECT_GT(refused, 0) << "the tables and speech-level models are required";
}

// A process killed at any moment of recording leaves stores that open,
// check clean and hold every reply it had finished recording.
TEST(EngineFaults, AProcessKilledWhileRecordingLosesNothingItFinished) {
    for (int round = 0; round < 4; ++round) {
        TempDir dir;
        const std::string data = dir.path() + "/";
        int done[2];
        ASSERT_EQ(::pipe(done), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(done[0]);
            KoreanAutoReplyEngine engine(kResources, data);
            if (!engine.init()) ::_exit(2);
            for (int i = 0;; ++i) {
                engine.notifyReply("팀장님", "회의 자료 확인 부탁드립니다", "네 확인하겠습니다", nullptr);
                if (::write(done[1], "x", 1) != 1) ::_exit(3);
            }
        }
        ::close(done[1]);
        // Let it record a varying number of replies, then kill it mid-way.
        const int wanted = 3 + 5 * round;
        int finished = 0;
        char c;
        while (finished < wanted && ::read(done[0], &c, 1) == 1) ++finished;
        ::usleep(static_cast<useconds_t>(300 * round));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        while (::read(done[0], &c, 1) == 1) ++finished;
        ::close(done[0]);
        ASSERT_GE(finished, wanted) << "the child recorded before it was killed";

        const long long counted = highCount(data, "팀장님");
        EXPECT_GE(counted, finished) << "round " << round;
        EXPECT_LE(counted, finished + 1) << "at most the reply in flight also landed";
        KoreanAutoReplyEngine reopened(kResources, data);
        LogCapture log(LOG_ERROR);
        EXPECT_TRUE(reopened.init());
        reopened.notifyReply("팀장님", "회의 자료 확인 부탁드립니다", "네 확인하겠습니다", nullptr);
        EXPECT_FALSE(log.hasError("")) << "the stores take replies again";
    }
}

// Another connection holds the store locked for longer than the engine
// waits: the reply is reported as not recorded within the bound, nothing
// stored before is lost, and replies count again once the lock goes.
TEST(EngineFaults, AStoreLockedLongerThanTheWaitIsReportedAndLosesNothing) {
    TempDir dir;
    const std::string data = dir.path() + "/";
    KoreanAutoReplyEngine engine(kResources, data);
    ASSERT_TRUE(engine.init());
    for (int i = 0; i < 3; ++i) engine.notifyReply("선배", "감사합니다", "네 감사합니다", nullptr);

    StoreKeys keys;
    std::string error;
    ASSERT_TRUE(storeKeysFor(data, nullptr, keys, error));
    KeyedDatabase other(data + KoreanAutoReplyEngine::kHonorificDbName, keys);
    ASSERT_TRUE(other.open(error)) << error;
    ASSERT_TRUE(other.execute("BEGIN EXCLUSIVE;", error)) << error;
    {
        LogCapture log(LOG_ERROR);
        const auto start = std::chrono::steady_clock::now();
        engine.notifyReply("선배", "감사합니다", "네 감사합니다", nullptr);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(log.hasError("")) << "the lost reply is reported";
        EXPECT_LT(waited, std::chrono::milliseconds(KeyedDatabase::kBusyTimeoutMs * 2 + 2000));
        EXPECT_FALSE(suggest(engine, "감사합니다", "선배").empty()) << "suggestions go on meanwhile";
    }
    ASSERT_TRUE(other.execute("COMMIT;", error)) << error;
    other.close();
    engine.notifyReply("선배", "감사합니다", "네 감사합니다", nullptr);
    EXPECT_EQ(highCount(data, "선배"), 4);
}
