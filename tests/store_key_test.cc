// The key of the learning stores and how a store file comes to be: the key
// file of a data directory, stores under one key closed to another, stores
// of earlier versions rekeyed, and many processes creating the stores at
// once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "HistoryTestSupport.h"
#include "TestSupport.h"
#include "Varnex/Annotation.h"
#include "Varnex/HonorificHistory.h"
#include "Varnex/PersonalCorpusDbMgr.h"
#include "Varnex/StoreKey.h"

using namespace Varnex;
using VarnexTest::LogCapture;
using VarnexTest::sent;
using VarnexTest::readFile;
using VarnexTest::TempDir;
namespace fs = std::filesystem;

namespace {

const char* const kHistory = "honorific_ko_KR.db";

StoreKey keyOf(unsigned char seed) {
    unsigned char bytes[StoreKey::kBytes];
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(seed + 13 * i);
    StoreKey key;
    EXPECT_TRUE(StoreKey::fromBytes(bytes, sizeof bytes, key));
    return key;
}

StoreKeys only(const StoreKey& key) {
    StoreKeys keys;
    keys.key = key;
    return keys;
}

long long highCount(HonorificHistory& history, const std::string& sender) {
    HonorificCounts c;
    return history.readCounts(sender, c) ? c.mostHonorific : -1;
}

}  // namespace

TEST(StoreKey, TheKeyFileIsMadeOnceForItsOwnerAndADamagedOneIsKept) {
    TempDir dir;
    const std::string data = dir.path() + "/", file = data + kStoreKeyFileName;
    StoreKeys first, second;
    std::string error;
    ASSERT_TRUE(storeKeysFor(data, nullptr, first, error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(readFile(file), first.key.hex() + "\n");
    EXPECT_FALSE(first.key.isBuiltIn());
    ASSERT_EQ(first.former.size(), 1u);
    EXPECT_TRUE(first.former[0].isBuiltIn()) << "stores of earlier versions stay readable";
    ASSERT_TRUE(storeKeysFor(data, nullptr, second, error));
    EXPECT_EQ(second.key, first.key) << "the key is made once";

    ::chmod(file.c_str(), 0644);
    ASSERT_TRUE(storeKeysFor(data, nullptr, second, error));
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a loosened key file is tightened";

    // A host's key writes no key file; one already there becomes a former key.
    TempDir fresh;
    const StoreKey host = keyOf(7);
    StoreKeys hosted;
    ASSERT_TRUE(storeKeysFor(fresh.path() + "/", &host, hosted, error));
    EXPECT_TRUE(hosted.key == host);
    EXPECT_FALSE(fs::exists(fresh.file(kStoreKeyFileName)));
    ASSERT_TRUE(storeKeysFor(data, &host, hosted, error));
    ASSERT_EQ(hosted.former.size(), 2u);
    EXPECT_TRUE(hosted.former[0] == first.key);

    // A key file that holds no key is never replaced: a new key would lock
    // out what the stores hold.
    for (const std::string& damaged : std::vector<std::string>{"", "not a key\n", first.key.hex().substr(1) + "\n",
                                                              first.key.hex() + "00"}) {
        dir.write(kStoreKeyFileName, damaged);
        StoreKeys keys;
        EXPECT_FALSE(storeKeysFor(data, nullptr, keys, error)) << damaged;
        EXPECT_NE(error.find("key file"), std::string::npos) << error;
        EXPECT_EQ(readFile(file), damaged);
    }

    StoreKey parsed;
    EXPECT_TRUE(StoreKey::fromHex("  " + first.key.hex() + "\r\n", parsed) && parsed == first.key);
    unsigned char bytes[StoreKey::kBytes] = {};
    EXPECT_FALSE(StoreKey::fromBytes(bytes, sizeof bytes - 1, parsed));
    EXPECT_FALSE(StoreKey::fromBytes(nullptr, sizeof bytes, parsed));
}

TEST(StoreKey, AStoreUnderOneKeyIsClosedToAnotherAndLeftAsItWas) {
    if (!kSqliteEncrypts) GTEST_SKIP() << "built with plain SQLite: the stores are not encrypted";
    TempDir dir;
    const std::string history = dir.file(kHistory), corpus = dir.file("personal_ko_KR.db");
    {
        HonorificHistory h(history, only(keyOf(1)));
        ASSERT_TRUE(h.init());
        sent(h, "팀장님", "HIGH", 2);
        PersonalCorpusDbMgr p(corpus, only(keyOf(1)));
        ASSERT_TRUE(p.recordPairs("민지", "PRC", Annotation("x"), {{"/넵/", "네"}}));
    }
    const std::string before = readFile(history), corpusBefore = readFile(corpus);
    for (const StoreKeys& wrong : {only(keyOf(2)), only(StoreKey::builtIn())}) {
        LogCapture log(LOG_DEBUG);
        HonorificHistory h(history, wrong);
        EXPECT_FALSE(h.init());
        EXPECT_TRUE(log.hasError("cannot be read with the store key"));
        PersonalCorpusDbMgr p(corpus, wrong);
        EXPECT_FALSE(p.isOpen());
    }
    EXPECT_EQ(readFile(history), before);
    EXPECT_EQ(readFile(corpus), corpusBefore);
    HonorificHistory right(history, only(keyOf(1)));
    ASSERT_TRUE(right.init());
    EXPECT_EQ(highCount(right, "팀장님"), 2);
}

// Stores written under the built-in passphrase of earlier versions are
// rekeyed once, keeping what they hold; afterwards only the new key opens them.
TEST(StoreKey, AStoreOfEarlierVersionsIsRekeyedOnceAndKeepsItsCounts) {
    TempDir dir;
    const std::string history = dir.file(kHistory), corpus = dir.file("personal_ko_KR.db");
    {
        HonorificHistory old(history);  // the built-in passphrase
        ASSERT_TRUE(old.init());
        sent(old, "선배", "HIGH", 3);
        PersonalCorpusDbMgr p(corpus);
        ASSERT_TRUE(p.recordPairs("민지", "PRC", Annotation("x"), {{"/넵/", "네"}}));
    }
    StoreKeys keys;
    std::string error;
    ASSERT_TRUE(storeKeysFor(dir.path() + "/", nullptr, keys, error));
    for (int open = 0; open < 2; ++open) {
        LogCapture log(LOG_DEBUG);
        HonorificHistory h(history, keys);
        ASSERT_TRUE(h.init());
        EXPECT_EQ(highCount(h, "선배"), 3);
        PersonalCorpusDbMgr p(corpus, keys);
        std::vector<PersonalCorpusRow> rows;
        ASSERT_TRUE(p.readRows("PRC", rows));
        EXPECT_EQ(rows.size(), 1u);
        EXPECT_EQ(log.contains("Rekeyed"), kSqliteEncrypts && open == 0) << "rekeyed on the first open only";
    }
    HonorificHistory newKeyOnly(history, only(keys.key));
    ASSERT_TRUE(newKeyOnly.init());
    EXPECT_EQ(highCount(newKeyOnly, "선배"), 3);
    if (kSqliteEncrypts) {
        LogCapture quiet(LOG_ERROR);
        HonorificHistory builtIn(history);
        EXPECT_FALSE(builtIn.init()) << "the built-in passphrase no longer opens it";
    }
}

// Processes opening a fresh data directory at once: each makes or finds the
// one key file and the one store, and every reply counts.
TEST(StoreKey, ProcessesCreatingTheStoresAtOnceAllCount) {
    const int kProcesses = 6;
    for (int round = 0; round < 4; ++round) {
        TempDir dir;
        const std::string data = dir.path() + "/";
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        std::vector<pid_t> children;
        for (int i = 0; i < kProcesses; ++i) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::close(go[1]);
                char c;
                (void)!::read(go[0], &c, 1);  // all start together
                StoreKeys keys;
                std::string error;
                if (!storeKeysFor(data, nullptr, keys, error)) ::_exit(2);
                HonorificHistory h(data + kHistory, keys);
                if (!h.init()) ::_exit(3);
                PersonalCorpusDbMgr p(data + "personal_ko_KR.db", keys);
                if (!p.isOpen()) ::_exit(4);
                sent(h, "친구", "HIGH");
                ::_exit(0);
            }
            children.push_back(child);
        }
        ::close(go[0]);
        ::close(go[1]);  // releases every child at once
        for (pid_t child : children) {
            int status = -1;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round << " status " << status;
        }
        StoreKeys keys;
        std::string error;
        ASSERT_TRUE(storeKeysFor(data, nullptr, keys, error));
        {
            HonorificHistory h(data + kHistory, keys);
            ASSERT_TRUE(h.init());
            EXPECT_EQ(highCount(h, "친구"), kProcesses) << "round " << round;
        }
        // One key file and no leftover temporary file.
        for (const auto& name : VarnexTest::listDir(dir.path()))
            EXPECT_EQ(name.find(".new-"), std::string::npos) << name;
        EXPECT_TRUE(fs::exists(data + kStoreKeyFileName));
    }
}
