// The C interface through the shared library, as a host loads it: what it
// answers, and what it says about every kind of bad input.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "varnex.h"

extern "C" size_t suggestFromC(const char* resource_dir, const char* data_dir, const char* message);

namespace {
const std::string kResources = VARNEX_BUILD_RESOURCE_DIR;
const char kBirthday[] = "생일 축하해!";

std::vector<std::string> copyOf(const char* const* replies) {
    std::vector<std::string> out;
    for (size_t i = 0; replies != nullptr && replies[i] != nullptr; ++i) out.push_back(replies[i]);
    return out;
}

class CInterface : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(engine = varnex_open(kResources.c_str(), dir.path().c_str(), &err), nullptr); }
    void TearDown() override { varnex_close(engine); }
    std::vector<std::string> suggest(const char* message, const char* sender) {
        return copyOf(varnex_suggest(engine, message, sender, nullptr, nullptr));
    }
    VarnexTest::TempDir dir;
    varnex_error err{};
    varnex_engine* engine = nullptr;
};
}  // namespace

TEST_F(CInterface, SuggestsAndLearnsTheSpeechLevelUsedWithASender) {
    size_t count = 99;
    const char* const* replies = varnex_suggest(engine, kBirthday, "Mina", &count, &err);
    ASSERT_NE(replies, nullptr) << err.message;
    EXPECT_EQ(err.code, VARNEX_OK);
    EXPECT_STREQ(err.message, "");
    EXPECT_TRUE(count > 0 && count <= 10 && replies[count] == nullptr) << count;
    EXPECT_NE(varnex_suggest(engine, "qzx", nullptr, &count, &err), nullptr) << "nothing fits: empty, no error";
    EXPECT_EQ(count, 0u);

    // The README's example: formal until the user has answered casually.
    const std::string before = suggest("정말 감사합니다", "민수").at(0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(varnex_notify(engine, "민수", "정말 감사합니다", "고마워 ㅋㅋ", &err), 1);
    EXPECT_NE(suggest("정말 감사합니다", "민수").at(0), before);
    EXPECT_EQ(suggest("정말 감사합니다", nullptr).at(0), before);

    // Replies may be passed straight back in: to notify, or to suggest,
    // which replaces them; they can also be freed early.
    replies = varnex_suggest(engine, kBirthday, "Mina", nullptr, &err);
    ASSERT_NE(replies, nullptr);
    EXPECT_EQ(varnex_notify(engine, "Mina", kBirthday, replies[0], &err), 1) << err.message;
    EXPECT_NE(varnex_suggest(engine, replies[0], "Mina", nullptr, &err), nullptr) << err.message;
    varnex_free_suggestions(engine);
    varnex_free_suggestions(engine);
}

TEST_F(CInterface, RefusesNullEmptyAndInvalidText) {
    struct Row {
        const char *first, *second, *third;  // suggest: message, sender; notify: sender, message, reply
        const char* expected;
    };
    const std::vector<Row> suggestRows = {
        {nullptr, "a", nullptr, "message is NULL"},
        {"", "a", nullptr, "message is empty"},
        {"안녕", "", nullptr, "sender is empty"},
        {"a\x80z", "a", nullptr, "message is not valid UTF-8"},    // stray continuation byte
        {"\xC0\xAF", "a", nullptr, "message is not valid UTF-8"},  // overlong "/"
        {"\xED\xA0\x80", "a", nullptr, "message is not valid UTF-8"},      // surrogate
        {"\xF4\x90\x80\x80", "a", nullptr, "message is not valid UTF-8"},  // past U+10FFFF
        {"생\xEC\x9D", "a", nullptr, "message is not valid UTF-8"},        // cut-off sequence
        {"안녕", "\xFF", nullptr, "sender is not valid UTF-8"},
    };
    const std::vector<Row> notifyRows = {
        {nullptr, "b", "c", "sender is NULL"}, {"", "b", "c", "sender is empty"},
        {"a", nullptr, "c", "message is NULL"}, {"a", "b", "", "reply is empty"},
        {"a", "b", "\xE3\x85", "reply is not valid UTF-8"},
    };
    for (bool notify : {false, true}) {
        for (const Row& row : notify ? notifyRows : suggestRows) {
            SCOPED_TRACE(std::string(notify ? "notify: " : "suggest: ") + row.expected);
            size_t count = 7;
            varnex_error e{VARNEX_OK, "stale"};
            auto fails = [&](varnex_error* out) {
                return notify ? varnex_notify(engine, row.first, row.second, row.third, out) == 0
                              : varnex_suggest(engine, row.first, row.second, &count, out) == nullptr;
            };
            EXPECT_TRUE(fails(&e));
            EXPECT_EQ(e.code, VARNEX_ERR_ARGUMENT);
            EXPECT_STREQ(e.message, row.expected);
            EXPECT_TRUE(fails(nullptr)) << "the error is optional";
            if (!notify) {
                EXPECT_EQ(count, 0u);
            }
        }
    }
    EXPECT_NE(varnex_suggest(engine, "a é 생 😀", "Mina", nullptr, &err), nullptr) << err.message;
}

TEST(CInterfaceOpen, RefusesNullEmptyAndUnusableDirectories) {
    VarnexTest::TempDir dir;
    const std::string data = dir.path(), missing = dir.file("missing"), file = dir.write("plain-file", "x"),
                      empty = dir.file("empty"), fileTree = dir.file("file-tree"), garbage = dir.file("garbage");
    ::mkdir(empty.c_str(), 0700);
    ::mkdir((empty + "/1.0").c_str(), 0700);
    dir.write("file-tree/1.0", "not a directory");
    dir.write("garbage/honorific_ko_KR.db", "this is not a database, whatever the key");
    struct Row {
        const char *resources, *data;
        varnex_code code;
        const char* message;
    };
    const std::vector<Row> rows = {
        {nullptr, data.c_str(), VARNEX_ERR_ARGUMENT, "resource_dir is NULL"},
        {"", data.c_str(), VARNEX_ERR_ARGUMENT, "resource_dir is empty"},
        {kResources.c_str(), nullptr, VARNEX_ERR_ARGUMENT, "data_dir is NULL"},
        {kResources.c_str(), "", VARNEX_ERR_ARGUMENT, "data_dir is empty"},
        {missing.c_str(), data.c_str(), VARNEX_ERR_RESOURCES, "no resource tree at"},
        {data.c_str(), data.c_str(), VARNEX_ERR_RESOURCES, "must hold the \"1.0\" directory"},
        {fileTree.c_str(), data.c_str(), VARNEX_ERR_RESOURCES, "no resource tree at"},
        {empty.c_str(), data.c_str(), VARNEX_ERR_RESOURCES, "could not be loaded: "},
        {kResources.c_str(), missing.c_str(), VARNEX_ERR_DATA, "does not exist"},
        {kResources.c_str(), file.c_str(), VARNEX_ERR_DATA, "is not a directory"},
        {kResources.c_str(), garbage.c_str(), VARNEX_ERR_DATA, "cannot be opened: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        varnex_error e{};
        EXPECT_EQ(varnex_open(row.resources, row.data, &e), nullptr);
        EXPECT_EQ(e.code, row.code);
        EXPECT_NE(std::string(e.message).find(row.message), std::string::npos) << e.message;
        EXPECT_EQ(varnex_open(row.resources, row.data, nullptr), nullptr);
    }
}

// A key file is made on first use; a host's own key replaces it (no key
// file), and a key that does not fit is VARNEX_ERR_KEY.
TEST(CInterfaceOpen, TheStoresAreKeyedByTheKeyFileOrTheHostsKey) {
    VarnexTest::TempDir dir;
    const std::string own = dir.file("own"), hosted = dir.file("hosted");
    ::mkdir(own.c_str(), 0700);
    ::mkdir(hosted.c_str(), 0700);
    varnex_error e{};
    varnex_engine* engine = varnex_open(kResources.c_str(), own.c_str(), &e);
    ASSERT_NE(engine, nullptr) << e.message;
    varnex_close(engine);
    struct stat st {};
    ASSERT_EQ(::stat((own + "/varnex.key").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    unsigned char key[32], other[32];
    for (int i = 0; i < 32; ++i) key[i] = static_cast<unsigned char>(i * 7 + 1), other[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(varnex_open_with_key(kResources.c_str(), hosted.c_str(), key, 31, &e), nullptr);
    EXPECT_EQ(e.code, VARNEX_ERR_KEY);
    engine = varnex_open_with_key(kResources.c_str(), hosted.c_str(), key, sizeof key, &e);
    ASSERT_NE(engine, nullptr) << e.message;
    EXPECT_EQ(varnex_notify(engine, "민수", "정말 감사합니다", "고마워 ㅋㅋ", &e), 1) << e.message;
    varnex_close(engine);
    EXPECT_NE(::stat((hosted + "/varnex.key").c_str(), &st), 0) << "no key file beside a host's key";
#if defined(VARNEX_SQLCIPHER)
    EXPECT_EQ(varnex_open_with_key(kResources.c_str(), hosted.c_str(), other, sizeof other, &e), nullptr);
    EXPECT_EQ(e.code, VARNEX_ERR_KEY);
    EXPECT_NE(std::string(e.message).find("cannot be unlocked"), std::string::npos) << e.message;
#else
    (void)other;
#endif
    engine = varnex_open_with_key(kResources.c_str(), hosted.c_str(), key, sizeof key, &e);
    EXPECT_NE(engine, nullptr) << e.message;
    varnex_close(engine);
}

TEST(CInterfaceOpen, ALongMessageIsCutAtACharacterBoundary) {
    std::string path = "/nonexistent/";
    while (path.size() < 700) path += "가";
    varnex_error e{};
    EXPECT_EQ(varnex_open(path.c_str(), "/tmp", &e), nullptr);
    const std::string prefix = "no resource tree at \"/nonexistent/", message = e.message;
    ASSERT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
    EXPECT_GT(message.size(), sizeof e.message - 4);
    EXPECT_EQ((message.size() - prefix.size()) % 3, 0u) << "a character was cut in half";
}

TEST(CInterfaceOpen, ClosedAndForeignHandlesAreRecognisedNotTouched) {
    VarnexTest::TempDir data;
    varnex_engine* engine = varnex_open(kResources.c_str(), data.path().c_str(), nullptr);
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(varnex_close(engine), VARNEX_OK);
    int notAHandle = 0;
    for (varnex_engine* handle : {engine, reinterpret_cast<varnex_engine*>(&notAHandle)}) {
        varnex_error e1{}, e2{};
        EXPECT_EQ(varnex_close(handle), VARNEX_ERR_CLOSED);
        EXPECT_EQ(varnex_suggest(handle, kBirthday, nullptr, nullptr, &e1), nullptr);
        EXPECT_EQ(varnex_notify(handle, "Mina", kBirthday, "고마워", &e2), 0);
        EXPECT_EQ(e1.code, VARNEX_ERR_CLOSED);
        EXPECT_EQ(e2.code, VARNEX_ERR_CLOSED);
        varnex_free_suggestions(handle);
    }
    varnex_error e{};
    EXPECT_EQ(varnex_suggest(nullptr, kBirthday, nullptr, nullptr, &e), nullptr);
    EXPECT_STREQ(e.message, "engine handle is NULL");
    EXPECT_EQ(varnex_close(nullptr), VARNEX_OK);

    varnex_engine* next = varnex_open(kResources.c_str(), data.path().c_str(), nullptr);
    EXPECT_NE(next, engine) << "a closed handle's address is never handed out again";
    EXPECT_EQ(varnex_close(next), VARNEX_OK);
}

// A file-size limit makes SQLite's journal write fail for real: the reply
// must not be reported as learnt.
TEST_F(CInterface, NotifySaysWhenTheReplyWasNotRecorded) {
    struct sigaction ignore {}, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{}, none{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
    int recorded = varnex_notify(engine, "Mina", kBirthday, "고마워", &err);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(recorded, 0);
    EXPECT_EQ(err.code, VARNEX_ERR_NOT_RECORDED);
    EXPECT_NE(std::string(err.message).find("the reply was not recorded: "), std::string::npos) << err.message;
    EXPECT_EQ(varnex_notify(engine, "Mina", kBirthday, "고마워", &err), 1) << err.message;
}

TEST(CInterfaceLibrary, HandlesOnSeveralThreadsAnswerLikeOne) {
    VarnexTest::TempDir data[2];
    varnex_engine* first = varnex_open(kResources.c_str(), data[0].path().c_str(), nullptr);
    ASSERT_NE(first, nullptr);
    const auto expected = copyOf(varnex_suggest(first, kBirthday, nullptr, nullptr, nullptr));
    varnex_close(first);
    int matches[2] = {0, 0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            varnex_engine* v = varnex_open(kResources.c_str(), data[t].path().c_str(), nullptr);
            for (int i = 0; i < 20 && v != nullptr; ++i) {
                matches[t] += copyOf(varnex_suggest(v, kBirthday, nullptr, nullptr, nullptr)) == expected;
                varnex_notify(v, "Mina", kBirthday, "고마워", nullptr);
            }
            varnex_close(v);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(matches[0] + matches[1], 40);
}

TEST(CInterfaceLibrary, FindsItsResourceTreeAndWorksFromC) {
    const char* dir = varnex_default_resource_dir();
    char* expected = ::realpath(kResources.c_str(), nullptr);
    ASSERT_NE(dir, nullptr);
    EXPECT_STREQ(dir, expected);
    std::free(expected);
    VarnexTest::TempDir data;
    EXPECT_GT(suggestFromC(dir, data.path().c_str(), kBirthday), 0u);
}
