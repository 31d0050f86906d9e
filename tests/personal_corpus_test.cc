// The personal corpus: the store of personal forms per sender (counting,
// choosing, values kept intact, locked and damaged files), the applier that
// learns from replies and rewrites suggestions, and the shipped rule files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "Varnex/AutoReplyEngine.h"
#include "Varnex/PersonalCorpusApplier.h"
#include "Varnex/PersonalCorpusDbMgr.h"
#include "Varnex/SqliteApi.h"
#include "Varnex/Trie.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;
namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;
using Row = std::tuple<std::string, std::string, std::string, std::string, long long>;

namespace {

const char* const kDbName = "personal_ko_KR.db";
const std::string kShipped = VARNEX_BUILD_RESOURCE_DIR;

// The received message's annotation; "" for one without a speech level.
Annotation message(const std::string& label = "") {
    Annotation a("메시지");
    if (!label.empty()) a.addCategory("honorific", label);
    return a;
}

std::vector<Row> rowsOf(PersonalCorpusDbMgr& store, const std::string& table, const std::string& sender = "") {
    std::vector<PersonalCorpusRow> rows;
    EXPECT_TRUE(store.readRows(table, rows));
    std::vector<Row> out;
    for (const auto& r : rows)
        if (sender.empty() || r.sender == sender) out.emplace_back(r.sender, r.honorific, r.perRule, r.norRule, r.count);
    return out;
}

std::vector<std::string> selected(PersonalCorpusDbMgr& store, const std::string& sender, const std::string& table,
                                  const std::string& label = "") {
    std::vector<std::string> rows;
    store.selectRows(sender, table, message(label), rows);
    return rows;
}

// A connection of the test's own, keyed like the engine's.
sqlite3* openKeyed(const std::string& path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA key = '*KQZWTR_vexmorlint#';", nullptr, nullptr, nullptr), SQLITE_OK);
    return db;
}

bool errorLogged(const LogCapture& log, const std::string& part) {
    for (const auto& l : log.lines())
        if (l.priority == 6 && l.text.find(part) != std::string::npos) return true;
    return false;
}

// A resource tree of the test's own with the two rule files, scrambled as
// the build packs them.
std::string ruleTree(const TempDir& dir, const std::string& normal, const std::string& general) {
    for (const auto& [name, text] : {std::make_pair("normal.rule", normal), std::make_pair("general.rule", general)}) {
        const std::string plain = dir.write(std::string("plain/") + name, text);
        const std::string packed = dir.file(std::string("res/1.0/personalization/") + name + ".enc");
        fs::create_directories(fs::path(packed).parent_path());
        EXPECT_TRUE(Utilities::Encryptor().encrypt(plain, packed));
    }
    return dir.file("res");
}

std::vector<std::string> texts(const std::vector<Reply>& replies) {
    std::vector<std::string> out;
    for (const auto& r : replies) out.push_back(r.text);
    return out;
}

}  // namespace

// ---------------------------------------------------------------- the store

TEST(PersonalCorpusStore, AFreshFileGetsBothTablesAndAnExistingFileKeepsItsRows) {
    TempDir dir;
    const std::string path = dir.file(kDbName);
    {
        LogCapture log(LOG_DEBUG);
        PersonalCorpusDbMgr store(path);
        ASSERT_TRUE(store.isOpen());
        EXPECT_TRUE(log.contains("Created " + path));
        EXPECT_TRUE(rowsOf(store, "PRC").empty());
        EXPECT_TRUE(rowsOf(store, "gprc").empty()) << "table names are matched without regard to case";
        EXPECT_TRUE(store.insertRow("민지", "PRC", message(), "고마웡/", "고마워"));
        EXPECT_TRUE(store.insertRow("민지", "GPRC", message(), "~용/", "요"));
    }
    if (kSqliteEncrypts) {
        for (const std::string plain : {"민지", "고마웡", "SQLite format 3", "PerRule"})
            EXPECT_EQ(readFile(path).find(plain), std::string::npos) << plain;
    }
    LogCapture log(LOG_DEBUG);
    PersonalCorpusDbMgr reopened(path);
    ASSERT_TRUE(reopened.isOpen());
    EXPECT_FALSE(log.contains("Create table successfully"));
    EXPECT_EQ(rowsOf(reopened, "PRC"), (std::vector<Row>{{"민지", "FALSE", "고마웡/", "고마워", 1}}));
    EXPECT_EQ(rowsOf(reopened, "GPRC"), (std::vector<Row>{{"민지", "FALSE", "~용/", "요", 1}}));
}

// Each pair written under the received message's label counts up its own row.
// The old statement raised only rows labelled "FALSE" and wrote every other
// label back with count 1 (the "HIGH" row below would stay at 1).
TEST(PersonalCorpusStore, CountsUpPerSenderLabelAndPairDegradesOtherFormsAndDropsZeros) {
    TempDir dir;
    PersonalCorpusDbMgr store(dir.file(kDbName));
    ASSERT_TRUE(store.isOpen());
    struct Step {
        std::string sender, label;
        Pairs pairs;
        std::vector<Row> after;  // the rows of 네 for the sender
    };
    for (const auto& step : std::vector<Step>{
             {"민지", "", {{"/넵/", "네"}}, {{"민지", "FALSE", "/넵/", "네", 1}}},
             {"민지", "FALSE", {{"/넵/", "네"}}, {{"민지", "FALSE", "/넵/", "네", 2}}},
             {"민지", "HIGH", {{"/넵/", "네"}}, {{"민지", "FALSE", "/넵/", "네", 2}, {"민지", "HIGH", "/넵/", "네", 1}}},
             {"민지", "HIGH", {{"/넵/", "네"}}, {{"민지", "FALSE", "/넵/", "네", 2}, {"민지", "HIGH", "/넵/", "네", 2}}},
             {"민지", "HIGH", {{"/넵/", "네"}}, {{"민지", "FALSE", "/넵/", "네", 2}, {"민지", "HIGH", "/넵/", "네", 3}}},
             // Another form of 네 under "FALSE" takes a point from 넵 there only.
             {"민지",
              "FALSE",
              {{"/넹/", "네"}},
              {{"민지", "FALSE", "/넵/", "네", 1}, {"민지", "HIGH", "/넵/", "네", 3}, {"민지", "FALSE", "/넹/", "네", 1}}},
             // At 0 a row is removed; other senders are never touched.
             {"민지", "FALSE", {{"/넹/", "네"}}, {{"민지", "HIGH", "/넵/", "네", 3}, {"민지", "FALSE", "/넹/", "네", 2}}},
             {"준호", "FALSE", {{"/넵/", "네"}}, {{"민지", "HIGH", "/넵/", "네", 3}, {"민지", "FALSE", "/넹/", "네", 2}}},
         }) {
        ASSERT_TRUE(store.recordPairs(step.sender, "PRC", message(step.label), step.pairs));
        EXPECT_EQ(rowsOf(store, "PRC", "민지"), step.after) << step.sender << " " << step.label;
    }

    // The single steps: the same pair twice makes 2; degrading another form
    // from 1 makes 0, and deleteRows removes it.
    ASSERT_TRUE(store.insertRow("지수", "GPRC", message(), "~용/", "요"));
    ASSERT_TRUE(store.insertRow("지수", "GPRC", message(), "~용/", "요"));
    ASSERT_TRUE(store.insertRow("지수", "GPRC", message(), "~여/", "요"));
    ASSERT_TRUE(store.degradeRows("지수", "GPRC", message(), "~용/", "요"));
    EXPECT_EQ(rowsOf(store, "GPRC", "지수"),
              (std::vector<Row>{{"지수", "FALSE", "~용/", "요", 2}, {"지수", "FALSE", "~여/", "요", 0}}));
    ASSERT_TRUE(store.deleteRows("GPRC"));
    EXPECT_EQ(rowsOf(store, "GPRC", "지수"), (std::vector<Row>{{"지수", "FALSE", "~용/", "요", 2}}));
}

TEST(PersonalCorpusStore, SelectsFiveNormalFormsHighestFirstWithTheMarksMovedOntoThem) {
    TempDir dir;
    PersonalCorpusDbMgr store(dir.file(kDbName));
    ASSERT_TRUE(store.isOpen());
    // (personal form, normal form, times written); the preferred form of a
    // normal form is its most written one.
    for (const auto& [per, nor, times] : std::vector<std::tuple<std::string, std::string, int>>{
             {"~고마웡/", "고마워", 7}, {"/넵", "네", 6}, {"ㅇㅋ~", "알겠어", 5}, {"/", "대박", 4},
             {"그랭", "그래", 3}, {"갠차나/", "괜찮아", 2}, {"/먄/", "미안", 1}, {"/넹/", "네", 2}})
        for (int i = 0; i < times; ++i) ASSERT_TRUE(store.insertRow("민지", "PRC", message(), per, nor));
    store.insertRow("민지", "PRC", message("HIGH"), "/넵넵/", "네");
    store.insertRow("준호", "PRC", message(), "/웅/", "응");

    std::vector<std::string> rows{"kept"};
    store.selectRows("민지", "PRC", message(), rows);
    EXPECT_EQ(rows, (std::vector<std::string>{"kept", "~고마워/\t고마웡", "/네\t넵", "알겠어~\tㅇㅋ", "/대박\t", "그래\t그랭"}));
    EXPECT_EQ(selected(store, "민지", "PRC", "HIGH"), (std::vector<std::string>{"/네/\t넵넵"}));
    EXPECT_EQ(selected(store, "준호", "PRC"), (std::vector<std::string>{"/응/\t웅"}));
    EXPECT_TRUE(selected(store, "모르는사람", "PRC").empty());
    EXPECT_TRUE(selected(store, "민지", "GPRC").empty());
}

TEST(PersonalCorpusStore, RepeatedReadsFollowWritesOfThisAndOtherConnections) {
    // Reads are kept between messages; a write here or by another
    // connection (another process of the same user) shows at the next read.
    TempDir dir;
    const std::string path = dir.file(kDbName);
    PersonalCorpusDbMgr store(path), other(path);
    ASSERT_TRUE(store.isOpen() && other.isOpen());
    EXPECT_TRUE(selected(store, "민지", "PRC").empty());
    ASSERT_TRUE(store.insertRow("민지", "PRC", message(), "/넵/", "네"));
    EXPECT_EQ(selected(store, "민지", "PRC"), (std::vector<std::string>{"/네/\t넵"}));
    EXPECT_EQ(selected(store, "민지", "PRC"), (std::vector<std::string>{"/네/\t넵"})) << "read again unchanged";
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(other.insertRow("민지", "PRC", message(), "/넹/", "네"));
    EXPECT_EQ(selected(store, "민지", "PRC"), (std::vector<std::string>{"/네/\t넹"}));
    EXPECT_EQ(selected(store, "민지", "PRC", "HIGH"), std::vector<std::string>{}) << "kept per label";
}

TEST(PersonalCorpusStore, ApostrophesQuotesAndStatementTextInValuesAreStoredIntact) {
    TempDir dir;
    const std::string path = dir.file(kDbName);
    const std::vector<std::string> values = {"O'Brien", "it''s", "'", "\"따옴표\"", "x' OR '1'='1",
                                             "Robert'); DROP TABLE prc;--", "%s%n%d", "?1", "엄마 ❤️", "지수 "};
    {
        LogCapture log(LOG_DEBUG);
        PersonalCorpusDbMgr store(path);
        for (const auto& v : values) ASSERT_TRUE(store.recordPairs(v, "PRC", message(v), {{v + "/", v + "''"}})) << v;
        EXPECT_FALSE(log.contains("failed"));
    }
    PersonalCorpusDbMgr reopened(path);
    for (const auto& v : values) {
        EXPECT_EQ(rowsOf(reopened, "PRC", v), (std::vector<Row>{{v, v, v + "/", v + "''", 1}})) << v;
        EXPECT_EQ(selected(reopened, v, "PRC", v), (std::vector<std::string>{v + "''/\t" + v})) << v;
    }
    EXPECT_EQ(rowsOf(reopened, "PRC").size(), values.size());
}

TEST(PersonalCorpusStore, BadValuesAreRefusedWithAnErrorLineThatNamesNoValue) {
    TempDir dir;
    PersonalCorpusDbMgr store(dir.file(kDbName));
    ASSERT_TRUE(store.isOpen());
    const std::string longSender(PersonalCorpusDbMgr::kMaxSenderBytes + 1, 'a');
    for (const auto& [sender, table, per, why] : std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"민\xED\x95", "PRC", "/넵/", "the sender is not valid UTF-8"},
             {"\xC0\xAF", "PRC", "/넵/", "the sender is not valid UTF-8"},  // an overlong "/"
             {"민지", "PRC", "넵\xFF", "a form is not valid UTF-8"},
             {longSender, "PRC", "/넵/", "the sender is too long"},
             {"민지", "prc; DROP TABLE prc", "/넵/", "no table named"}}) {
        LogCapture log(LOG_DEBUG);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(store.recordPairs(sender, table, message(), {{"/웅/", "응"}, {per, "네"}}));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(errorLogged(log, why)) << why;
        EXPECT_FALSE(log.contains(sender.substr(0, 4))) << why;
        EXPECT_TRUE(selected(store, sender, "PRC").empty());
    }
    EXPECT_TRUE(rowsOf(store, "PRC").empty()) << "no pair of a refused reply is stored, not even the good one";
}

TEST(PersonalCorpusStore, AFailingPairRollsBackTheWholeReply) {
    TempDir dir;
    const std::string path = dir.file(kDbName);
    PersonalCorpusDbMgr store(path);
    ASSERT_TRUE(store.recordPairs("민지", "PRC", message(), {{"/웅/", "응"}}));
    sqlite3* other = openKeyed(path);
    ASSERT_EQ(sqlite3_exec(other,
                           "CREATE TRIGGER refuse BEFORE UPDATE ON prc WHEN NEW.PerRule = '/넹/' "
                           "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    LogCapture log(LOG_DEBUG);
    EXPECT_FALSE(store.recordPairs("민지", "PRC", message(), {{"/웅/", "응"}, {"/넵/", "네"}, {"/넹/", "네"}}));
    EXPECT_TRUE(errorLogged(log, "recordPairs failed: refused by the test"));
    EXPECT_FALSE(log.contains("넵"));
    EXPECT_EQ(rowsOf(store, "PRC"), (std::vector<Row>{{"민지", "FALSE", "/웅/", "응", 1}}));
}

// While another connection holds the file, a write gives up within its
// bound and changes nothing; once the lock goes the store works as before.
TEST(PersonalCorpusStore, ALockedFileReturnsWithinTheBoundAndLosesNothing) {
    TempDir dir;
    const std::string path = dir.file(kDbName);
    PersonalCorpusDbMgr store(path);
    ASSERT_TRUE(store.recordPairs("민지", "PRC", message(), {{"/웅/", "응"}}));

    sqlite3* other = openKeyed(path);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        LogCapture log(LOG_DEBUG);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(store.recordPairs("민지", "PRC", message(), {{"/웅/", "응"}, {"/넵/", "네"}}));
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LT(waited, std::chrono::milliseconds(PersonalCorpusDbMgr::kWriteAttempts * KeyedDatabase::kBusyTimeoutMs +
                                                    3000));
        EXPECT_TRUE(errorLogged(log, "recordPairs failed: database is locked"));
        EXPECT_FALSE(log.contains("웅"));
    }
    ASSERT_EQ(sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(rowsOf(store, "PRC"), (std::vector<Row>{{"민지", "FALSE", "/웅/", "응", 1}}));

    // A brief lock is waited for: the write finishes once the lock goes.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        EXPECT_TRUE(store.recordPairs("민지", "PRC", message(), {{"/웅/", "응"}}));
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(done);
    sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
    writer.join();
    sqlite3_close(other);
    EXPECT_EQ(rowsOf(store, "PRC"), (std::vector<Row>{{"민지", "FALSE", "/웅/", "응", 2}}));
}

// A file that cannot serve as the store is reported, naming it, and left
// exactly as it was; the manager then answers nothing and ignores writes.
TEST(PersonalCorpusStore, AGarbageDamagedForeignOrMissingFileIsRefusedAndLeftUntouched) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 200; ++i) garbage += "데이터베이스가 아닌 파일 not a database ";
    dir.write("garbage/" + std::string(kDbName), garbage);

    const std::string damaged = dir.file("damaged/" + std::string(kDbName));
    fs::create_directories(dir.file("damaged"));
    long long pageSize = 0;
    {
        PersonalCorpusDbMgr store(damaged);
        ASSERT_TRUE(store.isOpen());
        sqlite3* db = openKeyed(damaged);
        ASSERT_EQ(sqlite3_exec(db,
                               "INSERT INTO prc (sender, honorific, PerRule, NorRule, count) "
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                               "SELECT '보낸사람' || i, 'FALSE', '/넵/', '네', i FROM n;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA page_size;", -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW) pageSize = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    std::string bytes = readFile(damaged);
    ASSERT_GT(pageSize, 0);
    ASSERT_GT(static_cast<long long>(bytes.size()), pageSize * 4);
    for (long long i = pageSize * 2; i < pageSize * 2 + 64; ++i) bytes[static_cast<size_t>(i)] = '\x5A';
    dir.write("damaged/" + std::string(kDbName), bytes);

    sqlite3* foreign = openKeyed(dir.write("foreign/" + std::string(kDbName), ""));
    ASSERT_EQ(sqlite3_exec(foreign, "create table prc(sender text, words text);", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(foreign);

    for (const auto& [name, why] : std::vector<std::pair<std::string, std::string>>{
             {"garbage", "not a database"}, {"damaged", "damaged"},
             {"foreign", "has another layout"}, {"missing", "cannot be created"}}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name + "/" + kDbName);
        const bool existed = fs::exists(path);
        const std::string before = existed ? readFile(path) : "";
        LogCapture log(LOG_DEBUG);
        PersonalCorpusDbMgr store(path);
        EXPECT_FALSE(store.isOpen());
        EXPECT_TRUE(errorLogged(log, path)) << "the line names the file";
        EXPECT_TRUE(errorLogged(log, why));
        EXPECT_FALSE(store.recordPairs("민지", "PRC", message(), {{"/넵/", "네"}}));
        EXPECT_FALSE(store.insertRow("민지", "PRC", message(), "/넵/", "네"));
        EXPECT_FALSE(store.deleteRows("PRC"));
        EXPECT_TRUE(selected(store, "보낸사람1", "PRC").empty());
        EXPECT_EQ(fs::exists(path), existed);
        EXPECT_EQ(existed ? readFile(path) : "", before);
        EXPECT_FALSE(fs::exists(path + "-journal"));
    }
}

TEST(PersonalCorpusStore, AStoreInAReadOnlyDirectoryIsReadAndWritesAreRefused) {
    TempDir dir;
    bool skipped = false;
    const bool passed = VarnexTest::withPermissionsEnforced(dir.path(), [&] {
        const std::string path = dir.file(kDbName);
        {
            PersonalCorpusDbMgr store(path);
            ASSERT_TRUE(store.recordPairs("민지", "PRC", message(), {{"/넵/", "네"}}));
        }
        const std::string before = readFile(path);
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        LogCapture log(LOG_DEBUG);
        PersonalCorpusDbMgr store(path);
        EXPECT_TRUE(store.isOpen());
        EXPECT_FALSE(log.hasError(""));
        EXPECT_EQ(selected(store, "민지", "PRC"), std::vector<std::string>{"/네/\t넵"});
        EXPECT_FALSE(store.recordPairs("민지", "PRC", message(), {{"/넵/", "네"}}));
        EXPECT_TRUE(errorLogged(log, "cannot be written"));
        EXPECT_EQ(readFile(path), before);
        fs::permissions(dir.path(), fs::perms::owner_all);
    }, skipped);
    if (skipped) GTEST_SKIP() << "could not become an unprivileged user";
    EXPECT_TRUE(passed) << "the child process's failures are listed above";
}

// -------------------------------------------------------------- the applier

namespace {

// An applier on a rule tree of the test's own or on the shipped rules, with
// its store in `dir`.
struct Applier {
    Applier(const TempDir& dir, const std::string& resources)
        : path(dir.file(kDbName)), applier(resources, "1.0", path) {}
    std::string path;
    PersonalCorpusApplier applier;

    void sent(const std::string& sender, const std::string& reply, const std::string& label = "") {
        applier.update(sender, "받은 메시지", message(label), reply, Annotation(reply));
    }
    // The first texts of the three groups after apply.
    std::vector<std::string> suggest(const std::string& sender, std::vector<ReplyScenario> candidates,
                                     Annotation* out = nullptr, const std::string& label = "") const {
        Annotation a = message(label);
        applier.apply(sender, "받은 메시지", a, candidates);
        if (out != nullptr) *out = a;
        std::vector<std::string> firsts;
        for (const auto& c : candidates)
            for (const auto* g : {&c.firstReplies, &c.secondReplies, &c.thirdReplies})
                for (const auto& t : *g) firsts.push_back(t);
        return firsts;
    }
};

std::vector<Row> storedFor(const std::string& path, const std::string& table, const std::string& sender) {
    PersonalCorpusDbMgr store(path);
    return rowsOf(store, table, sender);
}

}  // namespace

// Learning on the shipped rules: which (personal form, normal form) pairs a
// reply teaches in each table.
TEST(PersonalCorpusApplier, LearnsTheShippedRulesFoundInReplies) {
    TempDir dir;
    Applier a(dir, kShipped);
    ASSERT_TRUE(a.applier.init());
    // Rows left at 0 (by an older version, or single steps): any reply
    // removes them, also one without a rule.
    PersonalCorpusDbMgr store(a.path);
    store.insertRow("예전", "PRC", message(), "/넹/", "네");
    store.degradeRows("예전", "PRC", message(), "/넵/", "네");
    store.insertRow("예전", "GPRC", message(), "~용/", "요");
    store.degradeRows("예전", "GPRC", message(), "~여/", "요");
    int n = 0;
    for (const auto& [reply, normal, general] : std::vector<std::tuple<std::string, Pairs, Pairs>>{
             {"오늘 날씨 좋다", {}, {}},
             {"고마웡ㅎㅎ", {{"고마웡/", "고마워"}}, {{"~웡/", "워"}}},
             {"넵 알겠습니당", {{"/넵/", "네"}, {"알겠습니당/", "알겠습니다"}}, {{"~니당/", "니다"}}},
             {"ㅇㅇ", {{"/ㅇㅇ/", "응"}}, {}},
             {"ㅇㅇㅋㅋ", {{"/ㅇㅇ/", "응"}}, {}},
             {"ㅇㅇㅇ", {}, {}},  // a run of the letter is noise, not ㅇㅇ
             {"ㅇㅇㅇㅇ 뭐해", {}, {}},
             {"ㅇㅋㅋㅋ", {{"/ㅇㅋ/", "알겠어"}}, {}},
             {"넵튠 봤어?", {}, {}},  // 넵 inside another word
             {"진짜 맛있넵", {}, {}},
             {"ㅇㅋ 갈께요", {{"/ㅇㅋ/", "알겠어"}}, {{"갈께", "갈게"}}},
             {"알겟어 ㄱㅅㄱㅅ", {{"알겟어/", "알겠어"}, {"/ㄱㅅㄱㅅ/", "감사합니다"}}, {{"~겟", "겠"}}},
             {"잘 자용", {{"잘자용/", "잘 자요"}}, {{"~용/", "요"}}},
             {"잘 자", {}, {}},  // the normal form itself teaches nothing
             {"고마워요 ㅎㅎ", {}, {}},
             {"", {}, {}}}) {
        const std::string sender = "친구" + std::to_string(n++);
        a.sent(sender, reply);
        for (const auto& [table, pairs] : {std::make_pair("PRC", normal), std::make_pair("GPRC", general)}) {
            std::vector<Row> expected;
            for (const auto& p : pairs) expected.emplace_back(sender, "FALSE", p.first, p.second, 1);
            EXPECT_EQ(rowsOf(store, table, sender), expected) << reply;
        }
    }
    EXPECT_TRUE(rowsOf(store, "PRC", "예전").empty());
    EXPECT_TRUE(rowsOf(store, "GPRC", "예전").empty());
}

TEST(PersonalCorpusApplier, RewritesTheFirstTwoGroupsForTheSenderWhoWroteThePersonalForm) {
    TempDir dir;
    Applier a(dir, kShipped);
    ASSERT_TRUE(a.applier.init());
    a.sent("민지", "웅웅");
    a.sent("민지", "웅웅");
    a.sent("민지", "ㅇㅇ 고마웡");  // ㅇㅇ takes over from 웅웅 on its second use
    a.sent("민지", "ㅇㅇ");
    a.sent("민지", "알겠엉", "HIGH");  // learnt for messages in the honorific level only

    const std::vector<ReplyScenario> candidates = {ReplyScenario("응 고마워!", "응 응", "응"),
                                                   ReplyScenario("알겠어", "고마워요")};
    Annotation noted;
    EXPECT_EQ(a.suggest("민지", candidates, &noted),
              (std::vector<std::string>{"ㅇㅇ 고마웡!", "ㅇㅇ ㅇㅇ", "응", "알겠어", "고마워요"}));
    EXPECT_EQ(a.suggest("민지", candidates, nullptr, "HIGH"),
              (std::vector<std::string>{"응 고마워!", "응 응", "응", "알겠엉", "고마워요"}));
    EXPECT_EQ(a.suggest("준호", candidates), (std::vector<std::string>{"응 고마워!", "응 응", "응", "알겠어", "고마워요"}));

    // The bookkeeping in the request's annotation: every text before and after.
    for (const auto& [name, label] : std::vector<std::pair<std::string, std::string>>{
             {"NormalReply1", "응 고마워!"}, {"PersonalReply1", "ㅇㅇ 고마웡!"}, {"i1", "1"}, {"NormalReply3", "알겠어"},
             {"PersonalReply3", "알겠어"}, {"i3", "0"}, {"rc", "4"}})
        EXPECT_EQ(noted.getLabel(name, "(absent)"), label) << name;
    EXPECT_FALSE(noted.hasClassification("NormalReply5")) << "third groups are not handled";
}

// Senders the applier never reads or writes for, and appliers that cannot
// use a store: candidates and annotation pass untouched, nothing is stored.
TEST(PersonalCorpusApplier, AnonymousEmptySendersAndAnApplierWithoutItsStoreDoNothing) {
    TempDir dir;
    const std::string garbage = dir.write("garbage/" + std::string(kDbName), std::string(3000, 'x'));
    Applier good(dir, kShipped);
    ASSERT_TRUE(good.applier.init());
    good.sent("민지", "고마웡");
    PersonalCorpusApplier neverInitialised(kShipped, "1.0", dir.file("never/" + std::string(kDbName)));
    PersonalCorpusApplier refused(kShipped, "1.0", garbage);
    {
        LogCapture log(LOG_DEBUG);
        EXPECT_FALSE(refused.init());
        EXPECT_TRUE(errorLogged(log, garbage)) << "the line names the file";
    }
    const std::vector<ReplyScenario> candidates = {ReplyScenario("고마워!", "넵")};
    for (const auto& [applier, sender] : std::vector<std::pair<PersonalCorpusApplier*, std::string>>{
             {&good.applier, "anonymous"}, {&good.applier, ""}, {&neverInitialised, "민지"}, {&refused, "민지"}}) {
        SCOPED_TRACE(sender);
        std::vector<ReplyScenario> c = candidates;
        Annotation a("받은 메시지");
        applier->apply(sender, "받은 메시지", a, c);
        applier->update(sender, "받은 메시지", a, "고마웡 넵넵", Annotation("고마웡 넵넵"));
        EXPECT_EQ(c[0].firstReplies, std::vector<std::string>{"고마워!"});
        EXPECT_EQ(a.classifications.size(), 0u);
    }
    EXPECT_EQ(storedFor(good.path, "PRC", "").size(), 1u);
    EXPECT_FALSE(fs::exists(dir.file("never")));
    EXPECT_EQ(readFile(garbage), std::string(3000, 'x'));
}

TEST(PersonalCorpusApplier, RuleFilesAreCheckedLineByLineAndUpperCaseKeysNeverMatch) {
    TempDir dir;
    const std::string resources = ruleTree(dir,
                                           "/넵/\t네\nTHX\t땡큐\n혼자\n넵넵\t넵넵\n/ㅇㅇ/\t~응\n"
                                           "a\tb\tc\n/네네/\t네\n",
                                           "");
    Applier a(dir, resources);
    LogCapture log(LOG_DEBUG);
    ASSERT_TRUE(a.applier.init());
    EXPECT_EQ(a.applier.normalRuleCount(), 2u);
    EXPECT_EQ(a.applier.generalRuleCount(), 0u);
    for (const auto& why :
         {":2: line refused, the personal form has upper-case letters", ":3: line refused, 1 field",
          ":4: line refused, the rule maps a form to itself",
          ":5: line refused, the normal form begins or ends with a boundary mark", ":6: line refused, 3 fields"})
        EXPECT_TRUE(log.contains(why)) << why;
    EXPECT_TRUE(log.contains("general.rule.enc"));  // a file without rules is reported

    a.sent("민지", "THX 넵 thx 네네");
    EXPECT_EQ(storedFor(a.path, "PRC", "민지"),
              (std::vector<Row>{{"민지", "FALSE", "/네네/", "네", 1}}));
    // 네네 took 넵's point; a text with 네 twice gets it in both places.
    EXPECT_EQ(a.suggest("민지", {ReplyScenario("네 네?")}), std::vector<std::string>{"네네 네네?"});
}

TEST(PersonalCorpusApplier, BadAndHugeTextsNeverCrashAndAreReported) {
    TempDir dir;
    Applier a(dir, kShipped);
    ASSERT_TRUE(a.applier.init());
    LogCapture log(LOG_DEBUG);

    a.sent("민지", std::string(PersonalCorpusApplier::kMaxLearnedReplyBytes, ' ') + "넵");
    EXPECT_TRUE(log.contains("not learnt from"));
    a.sent("민\xFF지", "넵");
    EXPECT_TRUE(errorLogged(log, "Sender refused: not valid UTF-8"));
    EXPECT_TRUE(storedFor(a.path, "PRC", "").empty());

    // Invalid bytes around a personal form: learnt, and the bytes survive rewriting.
    a.sent("민지", "\xFF넵\xFF \xE3\x85");
    EXPECT_EQ(storedFor(a.path, "PRC", "민지"), (std::vector<Row>{{"민지", "FALSE", "/넵/", "네", 1}}));
    EXPECT_EQ(a.suggest("민지", {ReplyScenario("\xFF네\xFF \xE3\x85", "")}),
              (std::vector<std::string>{"\xFF넵\xFF \xE3\x85", ""}));

    std::string huge;
    for (int i = 0; i < 50000; ++i) huge += "네 ";
    std::string expected;
    for (int i = 0; i < 50000; ++i) expected += "넵 ";
    EXPECT_TRUE(a.suggest("민지", {ReplyScenario(huge)}) == std::vector<std::string>{expected});
}

// ----------------------------------------------- the pipeline, end to end

namespace {

// Labels a message as honorific when it holds "요", as the real analyzer
// would for most polite messages.
class LevelAnalyzer : public _IMessageAnalyzer {
public:
    void analyze(const std::string&, const std::string& text, Annotation& a) const override {
        a.addCategory("honorific", text.find("요") != std::string::npos ? "NORMAL" : "FALSE");
    }
};

class FixedGenerator : public _ICandidateReplyGenerator {
public:
    explicit FixedGenerator(bool initOk = true) : initOk(initOk) {}
    bool init() override { return initOk; }
    void generate(const std::string&, const std::string&, const Annotation& a,
                  std::vector<ReplyScenario>& candidates) const override {
        if (a.getLabel("honorific") == "NORMAL")
            candidates.emplace_back("고마워요!", "네 알겠어요");
        else
            candidates.emplace_back("고마워!", "응 알겠어");
    }
    bool initOk;
};

class KeepRanker : public _IReplyRanker {
public:
    void rank(std::vector<ReplyScenario>&) const override {}
};

std::shared_ptr<AutoReplyEngine> engineWith(std::shared_ptr<PersonalCorpusApplier> applier, bool generatorOk = true) {
    auto engine = std::make_shared<AutoReplyEngine>();
    engine->setModules(std::make_shared<LevelAnalyzer>(), {std::make_shared<FixedGenerator>(generatorOk)},
                       std::make_shared<KeepRanker>());
    engine->setPersonalCorpusApplier(std::move(applier));
    return engine;
}

std::vector<std::string> findReply(AutoReplyEngine& engine, const std::string& sender, const std::string& text) {
    std::vector<Reply> replies;
    engine.findReply(sender, text, replies, nullptr);
    return texts(replies);
}

}  // namespace

TEST(PersonalCorpusApplier, TheEnginePersonalisesSuggestionsAfterTheUserReplied) {
    TempDir dir;
    auto engine = engineWith(std::make_shared<PersonalCorpusApplier>(kShipped, "1.0", dir.file(kDbName)));
    ASSERT_TRUE(engine->init());
    EXPECT_EQ(findReply(*engine, "민지", "선물 보냈어"), (std::vector<std::string>{"고마워!", "응 알겠어"}));
    engine->notifyReply("민지", "선물 보냈어", "고마웡ㅋㅋ ㅇㅋ", nullptr);
    engine->notifyReply("민지", "선물 보냈어요", "넵 감사해용", nullptr);
    EXPECT_EQ(findReply(*engine, "민지", "또 보냈어"), (std::vector<std::string>{"고마웡!", "응 ㅇㅋ"}));
    EXPECT_EQ(findReply(*engine, "민지", "또 보냈어요"), (std::vector<std::string>{"고마워용!", "넵 알겠어용"}));
    EXPECT_EQ(findReply(*engine, "준호", "선물 보냈어"), (std::vector<std::string>{"고마워!", "응 알겠어"}));
    EXPECT_EQ(findReply(*engine, "anonymous", "선물 보냈어"), (std::vector<std::string>{"고마워!", "응 알겠어"}));

    // An engine whose init stopped before the applier: suggestions unchanged.
    auto stopped = engineWith(std::make_shared<PersonalCorpusApplier>(kShipped, "1.0", dir.file(kDbName)), false);
    LogCapture quiet(LOG_ERROR);
    EXPECT_FALSE(stopped->init());
    EXPECT_EQ(findReply(*stopped, "민지", "또 보냈어"), (std::vector<std::string>{"고마워!", "응 알겠어"}));
    stopped->notifyReply("민지", "또 보냈어", "넵넵", nullptr);
}

// -------------------------------------------------- the shipped rule files

namespace {

// The key a learnt rule gets when it is turned around: the personal form's
// boundary marks moved onto the normal form.
std::string turnedKey(std::string per, std::string nor) {
    auto mark = [](char c) { return c == '/' || c == '~'; };
    if (!per.empty() && mark(per.front())) nor.insert(nor.begin(), per.front()), per.erase(0, 1);
    if (!per.empty() && mark(per.back())) nor.push_back(per.back()), per.pop_back();
    return nor;
}

std::string withoutSpaces(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

}  // namespace

TEST(PersonalCorpusRules, EveryShippedRuleMapsALowerCaseFormToAFormTheCorpusUses) {
    const std::string source = std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/";
    Utilities::TableFormat corpusFormat;
    corpusFormat.minFields = 2;
    std::vector<Utilities::TableRow> corpusRows;
    ASSERT_TRUE(Utilities::readTable(source + "corpus/reply_corpus_kr.table", corpusFormat, corpusRows));
    std::vector<std::string> corpus;
    for (const auto& row : corpusRows)
        for (size_t i = 1; i < row.fields.size(); ++i) Utilities::StringUtil::split(row.fields[i], '/', corpus);
    ASSERT_GT(corpus.size(), 500u);

    PersonalCorpusApplier helper("", "1.0", "");
    size_t total = 0;
    for (const char* name : {"normal.rule", "general.rule"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> lines;
        ASSERT_TRUE(Utilities::StringUtil::load(source + "personalization/" + name, lines, false));
        std::set<std::string> keys;
        for (size_t i = 0; i < lines.size(); ++i) {
            std::vector<std::string> f;
            Utilities::StringUtil::split(lines[i], '\t', f);
            ASSERT_EQ(f.size(), 2u) << "line " << i + 1 << ": " << lines[i];
            const std::string& per = f[0];
            const std::string& nor = f[1];
            EXPECT_TRUE(keys.insert(per).second) << per << " twice";
            EXPECT_EQ(Utilities::StringUtil::toLower(per), per);
            // Spaces aside, as the search skips them, the forms differ.
            EXPECT_NE(withoutSpaces(TrieKeys::normalise(per)), withoutSpaces(nor)) << per;
            // Turned around, the rule rewrites some text of the corpus.
            auto turned = helper.makeTrie({turnedKey(per, nor) + "\tX"});
            bool used = false;
            for (const auto& text : corpus) {
                Pairs found;
                helper.applyRules(text, turned, found);
                used = used || !found.empty();
            }
            EXPECT_TRUE(used) << per << " -> " << nor << " never fits a corpus text";
            // The rule does not learn from its own normal form.
            Pairs found;
            helper.applyRules(nor, helper.makeTrie({per + "\t" + nor}), found);
            EXPECT_TRUE(found.empty()) << per << " matches " << nor;
        }
        total += lines.size();
    }
    EXPECT_GE(total, 150u);

    // Packed by the build, they load without a refused line.
    TempDir dir;
    LogCapture log(LOG_DEBUG);
    PersonalCorpusApplier shipped(kShipped, "1.0", dir.file(kDbName));
    ASSERT_TRUE(shipped.init());
    EXPECT_FALSE(log.contains("refused"));
    EXPECT_EQ(shipped.normalRuleCount() + shipped.generalRuleCount(), total);
}
