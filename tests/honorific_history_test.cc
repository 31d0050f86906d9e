// The per-sender honorific history: counting replies by level, the level
// that wins, sender names stored as given, concurrent writers, a locked
// file, stores that cannot be opened, and the encrypted file on disk.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "HistoryTestSupport.h"
#include "TestSupport.h"
#include "Varnex/Annotation.h"
#include "Varnex/HonorificHistory.h"
#include "Varnex/SqliteApi.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::sent;
using VarnexTest::readFile;
using VarnexTest::TempDir;
namespace fs = std::filesystem;

namespace {

const char* const kDbName = "honorific_ko_KR.db";

HonorificCounts countsOf(HonorificHistory& history, const std::string& sender) {
    HonorificCounts c;
    EXPECT_TRUE(history.readCounts(sender, c)) << sender;
    return c;
}

std::tuple<long long, long long, long long> counts(const HonorificCounts& c) {
    return {c.mostHonorific, c.honorific, c.nonHonorific};
}

std::string levelOf(HonorificHistory& history, const std::string& sender, bool* known = nullptr) {
    std::string level = "unset";
    bool k = history.getHonorificLevel(sender, "뭐해?", Annotation("뭐해?"), level);
    if (known != nullptr) *known = k;
    return level;
}

// A connection of the test's own to the history file, keyed like the engine's.
sqlite3* openKeyed(const std::string& path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA key = '*KQZWTR_vexmorlint#';", nullptr, nullptr, nullptr), SQLITE_OK);
    return db;
}

}  // namespace

TEST(HonorificHistory, DecideLevelTakesTheLargestCountWithTiesToHighThenNormal) {
    for (const auto& [high, normal, plain, level] : std::vector<std::tuple<int, int, int, std::string>>{
             {3, 5, 5, "NORMAL"}, {5, 5, 1, "HIGH"}, {1, 2, 3, "FALSE"}, {4, 4, 4, "HIGH"}, {2, 1, 2, "HIGH"},
             {0, 2, 2, "NORMAL"}, {0, 1, 0, "NORMAL"}, {0, 0, 1, "FALSE"}, {3, 1, 4, "FALSE"}, {1, 3, 2, "NORMAL"}})
        EXPECT_EQ(HonorificHistory::decideHonorificLevel(high, normal, plain), level) << high << normal << plain;
}

TEST(HonorificHistory, InitCreatesTheStoreAndNothingIsOpenedBefore) {
    TempDir dir;
    const std::string path = dir.file(kDbName);
    HonorificHistory history(path), again(path);
    EXPECT_FALSE(history.isOpen() || fs::exists(path));
    ASSERT_TRUE(history.init());
    EXPECT_TRUE(history.isOpen() && fs::exists(path));
    EXPECT_TRUE(history.init()) << "a second init keeps the open store";
    sent(history, "민수", "HIGH");
    ASSERT_TRUE(again.init());
    EXPECT_EQ(countsOf(again, "민수").mostHonorific, 1) << "an existing store is opened, not made anew";
}

TEST(HonorificHistory, CountsRepliesPerSenderAndLevelAndTheMostUsedLevelWins) {
    TempDir dir;
    HonorificHistory history(dir.file(kDbName));
    ASSERT_TRUE(history.init());
    LogCapture log(LOG_DEBUG);
    sent(history, "김부장님", "HIGH", 2);
    sent(history, "김부장님", "NORMAL");
    sent(history, "김부장님", "FALSE");
    sent(history, "김부장님", "");      // no "honorific" result at all
    sent(history, "김부장님", "none");  // no positive score
    EXPECT_TRUE(log.contains("Records created successfully\n"));
    EXPECT_EQ(counts(countsOf(history, "김부장님")), std::make_tuple(2LL, 1LL, 3LL));
    HonorificCounts none;
    EXPECT_FALSE(history.readCounts("모르는사람", none));

    // One sender's replies one after the other: the counts (HIGH, NORMAL, other) and the level they give.
    using Counts = std::tuple<long long, long long, long long>;
    for (const auto& [level, times, after, expected, why] :
         std::vector<std::tuple<std::string, int, Counts, std::string, const char*>>{
             {"NORMAL", 1, {0, 1, 0}, "NORMAL", "the first reply decides"},
             {"HIGH", 1, {1, 1, 0}, "HIGH", "a tie goes to HIGH"},
             {"FALSE", 2, {1, 1, 2}, "FALSE", "the largest count"},
             {"NORMAL", 1, {1, 2, 2}, "NORMAL", "a tie of NORMAL and plain goes to NORMAL"},
             {"NORMAL", 1, {1, 3, 2}, "NORMAL", "the largest count"},
             {"HIGH", 2, {3, 3, 2}, "HIGH", "a tie goes to HIGH"}}) {
        sent(history, "민수", level, times);
        EXPECT_EQ(counts(countsOf(history, "민수")), after) << why;
        bool known = false;
        EXPECT_EQ(levelOf(history, "민수", &known), expected) << why;
        EXPECT_TRUE(known);
    }
    EXPECT_FALSE(log.contains("SQL Query error"));
}

TEST(HonorificHistory, UnknownEmptyAndAnonymousSenders) {
    TempDir dir;
    HonorificHistory history(dir.file(kDbName));
    ASSERT_TRUE(history.init());

    bool known = true;
    EXPECT_EQ(levelOf(history, "처음보는사람", &known), "FALSE");
    EXPECT_FALSE(known);

    // An empty sender is never written.
    sent(history, "", "HIGH");
    HonorificCounts c;
    EXPECT_FALSE(history.readCounts("", c));

    // Without a usable sender the message's own label is handed back.
    Annotation formal("안녕하십니까");
    formal.addCategory("honorific", "HIGH");
    std::string level;
    EXPECT_FALSE(history.getHonorificLevel("", "안녕하십니까", formal, level));
    EXPECT_EQ(level, "HIGH");
    EXPECT_FALSE(history.getHonorificLevel("anonymous", "안녕", Annotation("안녕"), level));
    EXPECT_EQ(level, "FALSE");

    // "anonymous" is counted but never looked up.
    sent(history, "anonymous", "NORMAL", 2);
    EXPECT_EQ(countsOf(history, "anonymous").honorific, 2);
    EXPECT_FALSE(history.getHonorificLevel("anonymous", "안녕하십니까", formal, level));
    EXPECT_EQ(level, "HIGH");
}

TEST(HonorificHistory, SenderNamesWithQuotesAndKoreanAreStoredAsGivenAndSurviveReopening) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    const std::vector<std::string> senders = {
        "O'Brien", "it''s", "'", "\"따옴표\"", "Robert'); DROP TABLE honorific_history;--", "x' OR '1'='1",
        "김'민수", "엄마 ❤️", "%s%n%d", "back\\slash", "지수",
        "지수 ",  // differs from the one before by a trailing space
        "?1"};
    {
        HonorificHistory history(path);
        ASSERT_TRUE(history.init());
        LogCapture log(LOG_DEBUG);
        for (size_t i = 0; i < senders.size(); ++i) sent(history, senders[i], "NORMAL", static_cast<int>(i) + 1);
        EXPECT_FALSE(log.contains("SQL Query error"));
    }
    HonorificHistory reopened(path);
    ASSERT_TRUE(reopened.init());
    for (size_t i = 0; i < senders.size(); ++i) {
        HonorificCounts c = countsOf(reopened, senders[i]);
        EXPECT_EQ(c.honorific, static_cast<long long>(i) + 1) << senders[i];
        EXPECT_EQ(c.mostHonorific, 0) << senders[i];
        EXPECT_EQ(levelOf(reopened, senders[i]), "NORMAL") << senders[i];
    }
    HonorificCounts c;
    EXPECT_FALSE(reopened.readCounts("x", c));
    EXPECT_FALSE(reopened.readCounts("O", c));
}

TEST(HonorificHistory, TwoProcessesWritingAtOnceLoseNoIncrement) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    HonorificHistory history(path);  // the parent's connection; the child opens its own
    ASSERT_TRUE(history.init());
    const int kPerProcess = 60;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HonorificHistory own(path);
        const bool opened = own.init();
        (void)!write(ready[1], "x", 1);  // both processes start writing at once
        if (!opened) _exit(2);
        sent(own, "선배", "NORMAL", kPerProcess);
        HonorificCounts c;
        _exit(own.readCounts("선배", c) ? 0 : 3);
    }
    char go;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    sent(history, "선배", "NORMAL", kPerProcess);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(countsOf(history, "선배").honorific, 2 * kPerProcess);
    close(ready[0]);
    close(ready[1]);
}

TEST(HonorificHistory, TwoHistoriesOnOneFileWaitForALockAndLoseNoIncrement) {
    TempDir dir;
    const std::string path = dir.file(kDbName);
    HonorificHistory first(path), second(path);
    ASSERT_TRUE(first.init() && second.init());
    for (int i = 0; i < 20; ++i) {  // neither object keeps counts of its own
        sent(first, "팀장님", "HIGH");
        sent(second, "팀장님", "HIGH");
        sent(second, "팀장님", "FALSE");
    }
    for (HonorificHistory* h : {&first, &second})
        EXPECT_EQ(counts(countsOf(*h, "팀장님")), std::make_tuple(40LL, 0LL, 20LL));
    // While a third connection holds the write lock the updates cannot finish;
    // once it goes they do, and a count read before waiting for the lock would
    // be written back stale. No timing is measured: the lock decides.
    sqlite3* other = openKeyed(path);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
    LogCapture log(LOG_ERROR);  // errors only: the threads would race on other lines
    std::atomic<int> done{0};
    std::thread a([&] { sent(first, "팀장님", "HIGH"), ++done; }), b([&] { sent(second, "팀장님", "HIGH"), ++done; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(done, 0);
    EXPECT_EQ(sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
    a.join();
    b.join();
    sqlite3_close(other);
    EXPECT_FALSE(log.contains("SQL Query error"));
    EXPECT_EQ(countsOf(first, "팀장님").mostHonorific, 42);
}

namespace {

// A store under `data` that cannot be opened: init() fails with the log line
// and the handle is never used (every sender unknown, updates ignored), and
// neither the file nor its directory is touched.
void expectRefusedAndUntouched(const std::string& data) {
    const std::string path = data + "/" + kDbName;
    auto state = [&] {
        std::string s = std::to_string(fs::exists(data)) + std::to_string(fs::is_directory(data)) + "|" +
                        (fs::exists(path) ? readFile(path) : "no file") + "|";
        for (const auto& name : fs::is_directory(data) ? VarnexTest::listDir(data) : std::vector<std::string>{})
            s += name + ",";
        return s;
    };
    const std::string before = state();
    HonorificHistory history(path);
    {
        LogCapture log(LOG_DEBUG);
        EXPECT_FALSE(history.init());
        EXPECT_TRUE(log.contains("Failed to open database: "));
        ASSERT_FALSE(log.lines().empty());
        EXPECT_EQ(log.lines().back().priority, 6);
    }
    EXPECT_FALSE(history.isOpen());
    sent(history, "민지", "HIGH");
    bool known = true;
    EXPECT_EQ(levelOf(history, "민지", &known), "FALSE");
    EXPECT_FALSE(known);
    HonorificCounts c;
    EXPECT_FALSE(history.readCounts("민지", c));
    EXPECT_FALSE(history.init()) << "trying again still refuses the store";
    EXPECT_EQ(state(), before) << "neither the store nor its directory is created, changed or removed";
}

}  // namespace

TEST(HonorificHistory, AGarbageFileOrAMissingOrFileDataDirectoryIsRefused) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 300; ++i) garbage += "이건 데이터베이스가 아니에요 not a database ";
    dir.write("garbage/" + std::string(kDbName), garbage);
    dir.write("file", "x");
    for (const char* data : {"garbage", "missing", "file"}) {
        SCOPED_TRACE(data);
        expectRefusedAndUntouched(dir.file(data));
    }
}

// Reading needs only read access: what was learnt still answers, and only
// updates are refused, each with an error line, the files left as they were.
TEST(HonorificHistory, AReadOnlyFileOrDirectoryIsReadAndOnlyUpdatesAreRefused) {
    TempDir dir;
    bool skipped = false;
    const bool passed = VarnexTest::withPermissionsEnforced(dir.path(), [&] {
        const std::string empty = dir.file("empty"), kept = dir.file("kept"), file = dir.file("file");
        for (const auto& d : {empty, kept, file}) fs::create_directory(d);
        for (const auto& d : {kept, file}) {
            HonorificHistory history(d + "/" + kDbName);
            ASSERT_TRUE(history.init());
            sent(history, "선배", "HIGH", 2);
        }
        fs::permissions(empty, fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(file + "/" + kDbName, fs::perms::owner_read);
        for (const auto& d : {empty, kept, file}) {
            SCOPED_TRACE(d);
            const std::string path = d + "/" + kDbName;
            const std::string before = fs::exists(path) ? readFile(path) : "none";
            const auto names = VarnexTest::listDir(d);
            HonorificHistory history(path);
            LogCapture log(LOG_DEBUG);
            EXPECT_TRUE(history.init());
            EXPECT_FALSE(log.hasError("")) << "opening for reading is no error";
            EXPECT_EQ(levelOf(history, "선배"), d == empty ? "FALSE" : "HIGH");
            sent(history, "선배", "FALSE", 3);
            EXPECT_TRUE(log.hasError("cannot be written: the reply is not counted"));
            EXPECT_EQ(levelOf(history, "선배"), d == empty ? "FALSE" : "HIGH");
            EXPECT_EQ(fs::exists(path) ? readFile(path) : "none", before);
            EXPECT_EQ(VarnexTest::listDir(d), names);
        }
    }, skipped);
    if (skipped) GTEST_SKIP() << "could not become an unprivileged user";
    EXPECT_TRUE(passed) << "the child process's failures are listed above";
}

TEST(HonorificHistory, StoreIsEncryptedOnDisk) {
#if !defined(VARNEX_SQLCIPHER)
    GTEST_SKIP() << "built with plain SQLite (VARNEX_PLAIN_SQLITE): the store is not encrypted";
#else
    TempDir dir;
    const std::string path = dir.file(kDbName), korean = "김민수선배님", latin = "Alice_Sender_Name";
    {
        LogCapture log(LOG_DEBUG);
        HonorificHistory history(path);
        ASSERT_TRUE(history.init());
        sent(history, korean, "HIGH", 3);
        sent(history, latin, "FALSE", 2);
        EXPECT_FALSE(log.contains("unencrypted"));
    }

    std::string bytes = readFile(path);
    ASSERT_FALSE(bytes.empty());
    for (const std::string& plain : {korean, std::string("김민수"), latin, std::string("honorific_history"),
                                     std::string("SQLite format 3")})
        EXPECT_EQ(bytes.find(plain), std::string::npos) << plain;

    // Plain queries without the key cannot read even the schema, nor can another key.
    for (const char* key : {"", "PRAGMA key = 'not the key';"}) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, key, nullptr, nullptr, nullptr);
        EXPECT_EQ(sqlite3_exec(db, "select count(*) from sqlite_master;", nullptr, nullptr, nullptr), SQLITE_NOTADB)
            << key << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    EXPECT_EQ(readFile(path), bytes) << "failed reads leave the file as it was";

    HonorificHistory reopened(path);
    ASSERT_TRUE(reopened.init());
    EXPECT_EQ(countsOf(reopened, korean).mostHonorific, 3);
    EXPECT_EQ(countsOf(reopened, latin).nonHonorific, 2);
    EXPECT_EQ(levelOf(reopened, korean), "HIGH");
    EXPECT_EQ(levelOf(reopened, latin), "FALSE");
#endif
}

TEST(HonorificHistory, PlainSqliteBuildSaysTheStoreIsUnencrypted) {
#if defined(VARNEX_SQLCIPHER)
    GTEST_SKIP() << "built with SQLCipher: the store is encrypted";
#else
    TempDir dir;
    std::string path = dir.file(kDbName);
    LogCapture log(LOG_DEBUG);
    HonorificHistory history(path);
    ASSERT_TRUE(history.init());
    bool said = false;
    for (const auto& line : log.lines())
        if (line.text.find("unencrypted") != std::string::npos && line.priority == 4) said = true;
    EXPECT_TRUE(said);
    sent(history, "평문", "NORMAL");
    EXPECT_EQ(readFile(path).compare(0, 15, "SQLite format 3"), 0);
#endif
}
