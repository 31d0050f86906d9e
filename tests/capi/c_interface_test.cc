// The C interface through the shared library, as a host loads it: what it
// answers, and what it says about every kind of bad input.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "from_c.h"
#include "varnex.h"

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
    void SetUp() override {
        engine = varnex_open(kResources.c_str(), data.path().c_str(), &err);
        ASSERT_NE(engine, nullptr) << err.message;
    }
    void TearDown() override { varnex_close(engine); }

    std::vector<std::string> suggest(const char* message, const char* sender) {
        const char* const* replies = varnex_suggest(engine, message, sender, nullptr, &err);
        EXPECT_EQ(err.code, VARNEX_OK) << err.message;
        return copyOf(replies);
    }

    VarnexTest::TempDir data;
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
    ASSERT_GT(count, 0u);
    EXPECT_LE(count, 10u);
    EXPECT_EQ(replies[count], nullptr);
    EXPECT_EQ(copyOf(replies).size(), count);

    // The README's example: a formal message is answered formally until the
    // user has answered that sender casually.
    const std::string before = suggest("정말 감사합니다", "민수").at(0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(varnex_notify(engine, "민수", "정말 감사합니다", "고마워 ㅋㅋ", &err), 1) << err.message;
        EXPECT_EQ(err.code, VARNEX_OK);
    }
    EXPECT_NE(suggest("정말 감사합니다", "민수").at(0), before);
    // Unknown senders keep the message's own level.
    EXPECT_EQ(suggest("정말 감사합니다", nullptr).at(0), before);
}

TEST_F(CInterface, AMessageNothingFitsGivesAnEmptyListNotAnError) {
    size_t count = 99;
    const char* const* replies = varnex_suggest(engine, "qzx", nullptr, &count, &err);
    ASSERT_NE(replies, nullptr) << err.message;
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(replies[0], nullptr);
    EXPECT_EQ(err.code, VARNEX_OK);
}

// The replies stay the handle's until the next suggest: they may be passed
// straight back in, to notify or to suggest itself, and can be freed early.
TEST_F(CInterface, RepliesLiveUntilTheNextSuggestOrAnExplicitFree) {
    const char* const* replies = varnex_suggest(engine, kBirthday, "Mina", nullptr, &err);
    ASSERT_NE(replies, nullptr);
    const std::string first = replies[0];
    EXPECT_EQ(varnex_notify(engine, "Mina", kBirthday, replies[0], &err), 1) << err.message;
    EXPECT_EQ(first, replies[0]);
    EXPECT_NE(varnex_suggest(engine, replies[0], "Mina", nullptr, &err), nullptr) << err.message;
    varnex_free_suggestions(engine);
    varnex_free_suggestions(engine);
    EXPECT_FALSE(suggest(kBirthday, "Mina").empty());
}

TEST_F(CInterface, RefusesNullEmptyAndInvalidText) {
    struct Row {
        const char* what;
        std::function<bool(varnex_error*)> call;  // true when the call reported failure
        const char* message;
    };
    varnex_engine* v = engine;
    auto suggestFails = [v](const char* m, const char* s, varnex_error* e) {
        size_t n = 7;
        bool failed = varnex_suggest(v, m, s, &n, e) == nullptr;
        return failed && n == 0;
    };
    auto notifyFails = [v](const char* s, const char* m, const char* r, varnex_error* e) {
        return varnex_notify(v, s, m, r, e) == 0;
    };
    const std::vector<Row> rows = {
        {"suggest: NULL handle", [](varnex_error* e) { return !varnex_suggest(nullptr, "안녕", "a", nullptr, e); },
         "engine handle is NULL"},
        {"suggest: NULL message", [&](varnex_error* e) { return suggestFails(nullptr, "a", e); }, "message is NULL"},
        {"suggest: empty message", [&](varnex_error* e) { return suggestFails("", "a", e); }, "message is empty"},
        {"suggest: empty sender", [&](varnex_error* e) { return suggestFails("안녕", "", e); }, "sender is empty"},
        {"suggest: stray continuation byte", [&](varnex_error* e) { return suggestFails("a\x80z", "a", e); },
         "message is not valid UTF-8"},
        {"suggest: overlong slash", [&](varnex_error* e) { return suggestFails("\xC0\xAF", "a", e); },
         "message is not valid UTF-8"},
        {"suggest: surrogate", [&](varnex_error* e) { return suggestFails("\xED\xA0\x80", "a", e); },
         "message is not valid UTF-8"},
        {"suggest: past U+10FFFF", [&](varnex_error* e) { return suggestFails("\xF4\x90\x80\x80", "a", e); },
         "message is not valid UTF-8"},
        {"suggest: cut-off sequence", [&](varnex_error* e) { return suggestFails("생\xEC\x9D", "a", e); },
         "message is not valid UTF-8"},
        {"suggest: invalid sender", [&](varnex_error* e) { return suggestFails("안녕", "\xFF", e); },
         "sender is not valid UTF-8"},
        {"notify: NULL handle", [](varnex_error* e) { return !varnex_notify(nullptr, "a", "b", "c", e); },
         "engine handle is NULL"},
        {"notify: NULL sender", [&](varnex_error* e) { return notifyFails(nullptr, "b", "c", e); }, "sender is NULL"},
        {"notify: empty sender", [&](varnex_error* e) { return notifyFails("", "b", "c", e); }, "sender is empty"},
        {"notify: NULL message", [&](varnex_error* e) { return notifyFails("a", nullptr, "c", e); },
         "message is NULL"},
        {"notify: empty reply", [&](varnex_error* e) { return notifyFails("a", "b", "", e); }, "reply is empty"},
        {"notify: invalid reply", [&](varnex_error* e) { return notifyFails("a", "b", "\xE3\x85", e); },
         "reply is not valid UTF-8"},
        {"open: NULL resource_dir", [&](varnex_error* e) { return !varnex_open(nullptr, data.path().c_str(), e); },
         "resource_dir is NULL"},
        {"open: empty resource_dir", [&](varnex_error* e) { return !varnex_open("", data.path().c_str(), e); },
         "resource_dir is empty"},
        {"open: NULL data_dir", [](varnex_error* e) { return !varnex_open(kResources.c_str(), nullptr, e); },
         "data_dir is NULL"},
        {"open: empty data_dir", [](varnex_error* e) { return !varnex_open(kResources.c_str(), "", e); },
         "data_dir is empty"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        varnex_error e{VARNEX_OK, "stale"};
        EXPECT_TRUE(row.call(&e));
        EXPECT_EQ(e.code, VARNEX_ERR_ARGUMENT);
        EXPECT_STREQ(e.message, row.message);
        // The error is optional: the same call without one fails the same way.
        EXPECT_TRUE(row.call(nullptr));
    }
    // Well-formed text of every length of sequence still passes.
    EXPECT_NE(varnex_suggest(engine, "a é 생 😀", "Mina", nullptr, &err), nullptr) << err.message;
}

TEST(CInterfaceOpen, RefusesUnusableResourceTreesAndDataDirectories) {
    VarnexTest::TempDir dir;
    const std::string data = dir.path() + "/data";
    ::mkdir(data.c_str(), 0700);
    ::mkdir(dir.file("empty").c_str(), 0700);
    ::mkdir(dir.file("empty/1.0").c_str(), 0700);
    dir.write("file-tree/1.0", "not a directory");
    dir.write("plain-file", "x");
    dir.write("garbage/honorific_ko_KR.db", "this is not a database, whatever the key");

    struct Row {
        const char* what;
        std::string resources, data;
        varnex_code code;
        const char* message;
    };
    const std::vector<Row> rows = {
        {"missing resource directory", dir.file("missing"), data, VARNEX_ERR_RESOURCES, "no resource tree at"},
        {"resource directory without 1.0", dir.path(), data, VARNEX_ERR_RESOURCES, "must hold the \"1.0\""},
        {"1.0 is a file", dir.file("file-tree"), data, VARNEX_ERR_RESOURCES, "no resource tree at"},
        {"empty 1.0 tree", dir.file("empty"), data, VARNEX_ERR_RESOURCES, "could not be loaded: "},
        {"missing data directory", kResources, dir.file("missing"), VARNEX_ERR_DATA, "does not exist"},
        {"data directory is a file", kResources, dir.file("plain-file"), VARNEX_ERR_DATA, "is not a directory"},
        {"database file is garbage", kResources, dir.file("garbage"), VARNEX_ERR_DATA, "cannot be opened: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        varnex_error e{};
        EXPECT_EQ(varnex_open(row.resources.c_str(), row.data.c_str(), &e), nullptr);
        EXPECT_EQ(e.code, row.code);
        EXPECT_NE(std::string(e.message).find(row.message), std::string::npos) << e.message;
        EXPECT_EQ(varnex_open(row.resources.c_str(), row.data.c_str(), nullptr), nullptr);
    }

    // Permission bits do not stop root, so this row needs an ordinary user.
    if (::geteuid() != 0) {
        ::chmod(data.c_str(), 0500);
        varnex_error e{};
        EXPECT_EQ(varnex_open(kResources.c_str(), data.c_str(), &e), nullptr);
        EXPECT_EQ(e.code, VARNEX_ERR_DATA);
        EXPECT_NE(std::string(e.message).find("is not writable"), std::string::npos) << e.message;
    }
}

TEST(CInterfaceOpen, ALongMessageIsCutAtACharacterBoundary) {
    std::string path = "/nonexistent/";
    while (path.size() < 700) path += "가";
    varnex_error e{};
    EXPECT_EQ(varnex_open(path.c_str(), "/tmp", &e), nullptr);
    const std::string prefix = "no resource tree at \"/nonexistent/";
    const std::string message = e.message;
    ASSERT_EQ(message.compare(0, prefix.size(), prefix), 0) << message;
    EXPECT_LT(message.size(), sizeof e.message);
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
        SCOPED_TRACE(handle == engine ? "closed handle" : "foreign pointer");
        varnex_error e{};
        EXPECT_EQ(varnex_close(handle), VARNEX_ERR_CLOSED);
        EXPECT_EQ(varnex_suggest(handle, kBirthday, nullptr, nullptr, &e), nullptr);
        EXPECT_EQ(e.code, VARNEX_ERR_CLOSED);
        e = varnex_error{};
        EXPECT_EQ(varnex_notify(handle, "Mina", kBirthday, "고마워", &e), 0);
        EXPECT_EQ(e.code, VARNEX_ERR_CLOSED);
        varnex_free_suggestions(handle);
    }
    EXPECT_EQ(varnex_close(nullptr), VARNEX_OK);
    varnex_free_suggestions(nullptr);

    // A closed handle's address is never handed out again.
    varnex_engine* next = varnex_open(kResources.c_str(), data.path().c_str(), nullptr);
    EXPECT_NE(next, engine);
    EXPECT_EQ(varnex_close(engine), VARNEX_ERR_CLOSED);
    EXPECT_EQ(varnex_close(next), VARNEX_OK);
}

// A write the store cannot make must not be reported as learnt. A file-size
// limit makes SQLite's journal write fail for real.
TEST_F(CInterface, NotifySaysWhenTheReplyWasNotRecorded) {
    ASSERT_EQ(varnex_notify(engine, "Mina", kBirthday, "고마워", &err), 1) << err.message;

    struct sigaction ignore {}, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit none = saved;
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

// The lock inside the library makes handles usable from several threads.
TEST(CInterfaceThreads, HandlesOnSeveralThreadsAnswerLikeOne) {
    VarnexTest::TempDir data1, data2;
    std::vector<std::string> expected;
    {
        varnex_engine* v = varnex_open(kResources.c_str(), data1.path().c_str(), nullptr);
        ASSERT_NE(v, nullptr);
        expected = copyOf(varnex_suggest(v, kBirthday, nullptr, nullptr, nullptr));
        varnex_close(v);
    }
    std::vector<int> matches(2, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            varnex_engine* v = varnex_open(kResources.c_str(), (t ? data2 : data1).path().c_str(), nullptr);
            for (int i = 0; i < 20 && v != nullptr; ++i) {
                matches[t] += copyOf(varnex_suggest(v, kBirthday, nullptr, nullptr, nullptr)) == expected;
                varnex_notify(v, "Mina", kBirthday, "고마워", nullptr);
            }
            varnex_close(v);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(matches, std::vector<int>({20, 20}));
}

TEST(CInterfaceLibrary, FindsItsResourceTreeAndWorksFromC) {
    const char* dir = varnex_default_resource_dir();
    ASSERT_NE(dir, nullptr);
    char* expected = ::realpath(kResources.c_str(), nullptr);
    ASSERT_NE(expected, nullptr);
    EXPECT_STREQ(dir, expected);
    std::free(expected);
    EXPECT_EQ(varnex_default_resource_dir(), dir);

    VarnexTest::TempDir data;
    char first[256] = "";
    EXPECT_GT(suggestFromC(dir, data.path().c_str(), kBirthday, first, sizeof first), 0u);
    EXPECT_STRNE(first, "");
}
