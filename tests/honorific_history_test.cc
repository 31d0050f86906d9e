#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "Varnex/Annotation.h"
#include "Varnex/HonorificHistory.h"
#include "Varnex/SqliteApi.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

const char* const kDbName = "honorific_ko_KR.db";

Annotation reply(const std::string& text, const std::string& level) {
    Annotation a(text);
    if (!level.empty()) a.addCategory("honorific", level);
    return a;
}

// Tells the history that the user answered `sender` in `level`.
void sent(HonorificHistory& history, const std::string& sender, const std::string& level, int times = 1) {
    Annotation message("메시지");
    for (int i = 0; i < times; ++i) history.update(sender, "메시지", message, "답장", reply("답장", level));
}

HonorificCounts countsOf(HonorificHistory& history, const std::string& sender) {
    HonorificCounts c;
    EXPECT_TRUE(history.readCounts(sender, c)) << sender;
    return c;
}

std::string levelOf(HonorificHistory& history, const std::string& sender, bool* known = nullptr) {
    std::string level = "unset";
    bool k = history.getHonorificLevel(sender, "뭐해?", Annotation("뭐해?"), level);
    if (known != nullptr) *known = k;
    return level;
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    return names;
}

// True when this process can create files in a directory whose write
// permission was removed (it runs as root or with CAP_DAC_OVERRIDE).
bool permissionsAreIgnored(const std::string& readOnlyDir) {
    std::string probe = readOnlyDir + "/probe";
    std::ofstream out(probe);
    if (!out) return false;
    out.close();
    std::filesystem::remove(probe);
    return true;
}

// Checks that the history answers every sender as unknown and ignores updates.
void expectClosedAndHarmless(HonorificHistory& history) {
    EXPECT_FALSE(history.isOpen());
    sent(history, "민지", "HIGH");
    bool known = true;
    EXPECT_EQ(levelOf(history, "민지", &known), "FALSE");
    EXPECT_FALSE(known);
    HonorificCounts c;
    EXPECT_FALSE(history.readCounts("민지", c));
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
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(3, 5, 5), "NORMAL");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(5, 5, 1), "HIGH");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(1, 2, 3), "FALSE");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(4, 4, 4), "HIGH");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(2, 1, 2), "HIGH");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(0, 2, 2), "NORMAL");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(0, 1, 0), "NORMAL");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(0, 0, 1), "FALSE");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(3, 1, 4), "FALSE");
    EXPECT_EQ(HonorificHistory::decideHonorificLevel(1, 3, 2), "NORMAL");
}

TEST(HonorificHistory, InitCreatesTheStoreAndNothingIsOpenedBefore) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    HonorificHistory history(path);
    EXPECT_FALSE(history.isOpen());
    EXPECT_FALSE(std::filesystem::exists(path));

    LogCapture log(LOG_DEBUG);
    ASSERT_TRUE(history.init());
    EXPECT_TRUE(history.isOpen());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(log.contains("Opened database successfully\n"));
    EXPECT_TRUE(log.contains("Create table successfully\n"));
    EXPECT_TRUE(history.init()) << "a second init keeps the open store";

    HonorificHistory again(path);
    log.clear();
    ASSERT_TRUE(again.init());
    EXPECT_TRUE(log.contains("Table already exists. skip creating\n"));
    EXPECT_FALSE(log.contains("Create table successfully\n"));
}

TEST(HonorificHistory, CountsRepliesPerSenderAndLevel) {
    TempDir dir;
    HonorificHistory history(dir.file(kDbName));
    ASSERT_TRUE(history.init());

    LogCapture log(LOG_DEBUG);
    sent(history, "김부장님", "HIGH", 2);
    sent(history, "김부장님", "NORMAL");
    sent(history, "김부장님", "FALSE");
    sent(history, "김부장님", "");      // no "honorific" result at all
    sent(history, "김부장님", "none");  // no positive score
    sent(history, "지수", "NORMAL", 3);
    EXPECT_TRUE(log.contains("Records created successfully\n"));
    EXPECT_FALSE(log.contains("SQL Query error"));

    HonorificCounts boss = countsOf(history, "김부장님");
    EXPECT_EQ(boss.mostHonorific, 2);
    EXPECT_EQ(boss.honorific, 1);
    EXPECT_EQ(boss.nonHonorific, 3);
    HonorificCounts jisu = countsOf(history, "지수");
    EXPECT_EQ(jisu.mostHonorific, 0);
    EXPECT_EQ(jisu.honorific, 3);
    EXPECT_EQ(jisu.nonHonorific, 0);

    HonorificCounts none;
    EXPECT_FALSE(history.readCounts("모르는사람", none));
}

TEST(HonorificHistory, FirstHonorificReplyMakesTheSenderNormal) {
    TempDir dir;
    HonorificHistory history(dir.file(kDbName));
    ASSERT_TRUE(history.init());
    sent(history, "이모", "NORMAL");
    HonorificCounts c = countsOf(history, "이모");
    EXPECT_EQ(c.mostHonorific, 0);
    EXPECT_EQ(c.honorific, 1);
    EXPECT_EQ(c.nonHonorific, 0);
    bool known = false;
    EXPECT_EQ(levelOf(history, "이모", &known), "NORMAL");
    EXPECT_TRUE(known);
}

TEST(HonorificHistory, MostFrequentLevelWinsAndTiesFollowTheOrder) {
    TempDir dir;
    HonorificHistory history(dir.file(kDbName));
    ASSERT_TRUE(history.init());

    sent(history, "민수", "HIGH");
    EXPECT_EQ(levelOf(history, "민수"), "HIGH");
    sent(history, "민수", "FALSE");
    EXPECT_EQ(levelOf(history, "민수"), "HIGH") << "1,0,1: tie goes to HIGH";
    sent(history, "민수", "FALSE");
    EXPECT_EQ(levelOf(history, "민수"), "FALSE") << "1,0,2";
    sent(history, "민수", "NORMAL", 2);
    EXPECT_EQ(levelOf(history, "민수"), "NORMAL") << "1,2,2: tie of NORMAL and plain goes to NORMAL";
    sent(history, "민수", "NORMAL");
    sent(history, "민수", "HIGH", 2);
    EXPECT_EQ(levelOf(history, "민수"), "HIGH") << "3,3,2";

    // 3,5,5 and 5,5,1 and 1,2,3 as stored counts.
    sent(history, "a", "HIGH", 3);
    sent(history, "a", "NORMAL", 5);
    sent(history, "a", "FALSE", 5);
    EXPECT_EQ(levelOf(history, "a"), "NORMAL");
    sent(history, "b", "HIGH", 5);
    sent(history, "b", "NORMAL", 5);
    sent(history, "b", "FALSE", 1);
    EXPECT_EQ(levelOf(history, "b"), "HIGH");
    sent(history, "c", "HIGH", 1);
    sent(history, "c", "NORMAL", 2);
    sent(history, "c", "FALSE", 3);
    EXPECT_EQ(levelOf(history, "c"), "FALSE");
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

TEST(HonorificHistory, SenderNamesWithQuotesAndKoreanAreStoredAsGiven) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    const std::vector<std::string> senders = {
        "O'Brien",
        "it''s",
        "'",
        "\"따옴표\"",
        "Robert'); DROP TABLE honorific_history;--",
        "x' OR '1'='1",
        "김'민수",
        "엄마 ❤️",
        "%s%n%d",
        "back\\slash",
        "지수",
        "지수 ",  // differs from the one before by a trailing space
        "?1",
    };
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

TEST(HonorificHistory, CountsSurviveReopening) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    {
        HonorificHistory history(path);
        ASSERT_TRUE(history.init());
        sent(history, "동생", "FALSE", 3);
        sent(history, "동생", "HIGH");
    }
    HonorificHistory reopened(path);
    ASSERT_TRUE(reopened.init());
    HonorificCounts c = countsOf(reopened, "동생");
    EXPECT_EQ(c.nonHonorific, 3);
    EXPECT_EQ(c.mostHonorific, 1);
    EXPECT_EQ(levelOf(reopened, "동생"), "FALSE");
}

TEST(HonorificHistory, TwoHistoriesOnOneFileLoseNoIncrement) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    HonorificHistory first(path);
    HonorificHistory second(path);
    ASSERT_TRUE(first.init());
    ASSERT_TRUE(second.init());

    for (int i = 0; i < 50; ++i) {
        sent(first, "팀장님", "HIGH");
        sent(second, "팀장님", "HIGH");
        sent(second, "팀장님", "FALSE");
    }
    for (HonorificHistory* h : {&first, &second}) {
        HonorificCounts c = countsOf(*h, "팀장님");
        EXPECT_EQ(c.mostHonorific, 100);
        EXPECT_EQ(c.nonHonorific, 50);
        EXPECT_EQ(c.honorific, 0);
    }
}

TEST(HonorificHistory, TwoProcessesWritingAtOnceLoseNoIncrement) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    {
        HonorificHistory setup(path);
        ASSERT_TRUE(setup.init());
    }
    const int kPerProcess = 60;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            HonorificHistory history(path);
            if (!history.init()) _exit(2);
            sent(history, "선배", "NORMAL", kPerProcess);
            HonorificCounts c;
            _exit(history.readCounts("선배", c) ? 0 : 3);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    HonorificHistory history(path);
    ASSERT_TRUE(history.init());
    EXPECT_EQ(countsOf(history, "선배").honorific, 2 * kPerProcess);
}

TEST(HonorificHistory, UpdateWaitsForABrieflyLockedFile) {
    TempDir dir;
    std::string path = dir.file(kDbName);
    HonorificHistory history(path);
    ASSERT_TRUE(history.init());

    sqlite3* other = openKeyed(path);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
    });
    auto start = std::chrono::steady_clock::now();
    LogCapture log(LOG_DEBUG);
    sent(history, "엄마", "FALSE");
    auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    sqlite3_close(other);

    EXPECT_FALSE(log.contains("SQL Query error"));
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_EQ(countsOf(history, "엄마").nonHonorific, 1);
}

TEST(HonorificHistory, GarbageFileIsRefusedAndLeftUntouched) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 300; ++i) garbage += "이건 데이터베이스가 아니에요 not a database ";
    std::string path = dir.write(kDbName, garbage);

    HonorificHistory history(path);
    {
        LogCapture log(LOG_DEBUG);
        EXPECT_FALSE(history.init());
        EXPECT_TRUE(log.contains("Failed to open database: "));
        ASSERT_FALSE(log.lines().empty());
        EXPECT_EQ(log.lines().back().priority, 6);
    }
    expectClosedAndHarmless(history);
    EXPECT_FALSE(history.init()) << "trying again still refuses the file";

    EXPECT_EQ(readFile(path), garbage);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{kDbName});
}

TEST(HonorificHistory, MissingDataDirectoryFailsWithoutCreatingIt) {
    TempDir dir;
    std::string missing = dir.file("no-such-dir");
    HonorificHistory history(missing + "/" + kDbName);
    {
        LogCapture log(LOG_DEBUG);
        EXPECT_FALSE(history.init());
        EXPECT_TRUE(log.contains("Failed to open database: "));
    }
    expectClosedAndHarmless(history);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(HonorificHistory, DataDirectoryThatIsAFileFails) {
    TempDir dir;
    std::string notADir = dir.write("data", "x");
    HonorificHistory history(notADir + "/" + kDbName);
    EXPECT_FALSE(history.init());
    expectClosedAndHarmless(history);
    EXPECT_EQ(readFile(notADir), "x");
}

TEST(HonorificHistory, ReadOnlyDataDirectoryFails) {
    TempDir dir;
    std::string data = dir.file("data");
    std::filesystem::create_directory(data);
    std::filesystem::permissions(data, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (permissionsAreIgnored(data)) GTEST_SKIP() << "this process may write into read-only directories (root)";

    HonorificHistory history(data + "/" + kDbName);
    {
        LogCapture log(LOG_DEBUG);
        EXPECT_FALSE(history.init());
        EXPECT_TRUE(log.contains("Failed to open database: "));
    }
    expectClosedAndHarmless(history);
    EXPECT_TRUE(entries(data).empty());
}

TEST(HonorificHistory, ExistingHistoryInAReadOnlyDirectoryFailsAndStaysIntact) {
    TempDir dir;
    std::string data = dir.file("data");
    std::filesystem::create_directory(data);
    std::string path = data + "/" + kDbName;
    {
        HonorificHistory history(path);
        ASSERT_TRUE(history.init());
        sent(history, "친구", "FALSE", 2);
    }
    std::string before = readFile(path);
    std::filesystem::permissions(data, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (permissionsAreIgnored(data)) GTEST_SKIP() << "this process may write into read-only directories (root)";

    HonorificHistory history(path);
    EXPECT_FALSE(history.init());
    expectClosedAndHarmless(history);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(entries(data), std::vector<std::string>{kDbName});
}

TEST(HonorificHistory, StoreIsEncryptedOnDisk) {
#if !defined(VARNEX_SQLCIPHER)
    GTEST_SKIP() << "built with plain SQLite (VARNEX_PLAIN_SQLITE): the store is not encrypted";
#else
    TempDir dir;
    std::string path = dir.file(kDbName);
    const std::string korean = "김민수선배님";
    const std::string latin = "Alice_Sender_Name";
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
    EXPECT_EQ(bytes.find(korean), std::string::npos);
    EXPECT_EQ(bytes.find("김민수"), std::string::npos);
    EXPECT_EQ(bytes.find(latin), std::string::npos);
    EXPECT_EQ(bytes.find("honorific_history"), std::string::npos);
    EXPECT_EQ(bytes.find("SQLite format 3"), std::string::npos);

    // Plain queries without the key cannot read even the schema.
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &plain), SQLITE_OK);
    int rc = sqlite3_exec(plain, "select count(*) from sqlite_master;", nullptr, nullptr, nullptr);
    EXPECT_EQ(rc, SQLITE_NOTADB) << sqlite3_errmsg(plain);
    sqlite3_close(plain);

    // Nor with another key.
    sqlite3* wrong = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &wrong), SQLITE_OK);
    sqlite3_exec(wrong, "PRAGMA key = 'not the key';", nullptr, nullptr, nullptr);
    EXPECT_NE(sqlite3_exec(wrong, "select count(*) from sqlite_master;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(wrong);

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
