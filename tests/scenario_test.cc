#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Varnex/ReplyCorpusRepository.h"
#include "Varnex/ReplyScenarioRepository.h"
#include "Varnex/Utilities/StringUtil.h"

using namespace Varnex;
using VarnexTest::TempDir;

namespace {
std::vector<std::string> firstTexts(const std::vector<ReplyScenario>& candidates) {
    std::vector<std::string> out;
    for (const auto& c : candidates)
        for (const auto& r : c.toReply()) out.push_back(r.text);
    return out;
}

const char kCorpus[] =
    "thanks_plain\t고마워/땡큐\t고마워요\t감사합니다\n"
    "only_plain\t응\n"
    "skip_polite\t아니\t\t아닙니다\n"
    "placeholder\tLOCATION&에 있어/가는 중\n"
    "percent\t100%/다 했어\n"
    "thanks_plain\t다른 줄\n"
    "bad line without tabs\n"
    "morning\t좋은 아침!\t좋은 아침이에요!\t좋은 아침입니다!\n"
    "fallback\t그래\t네\t예\n";
}  // namespace

TEST(ReplyCorpus, LevelsFirstLineWinsAndPlaceholdersAreRefused) {
    TempDir dir;
    ReplyCorpusRepository corpus(dir.write("corpus.table", kCorpus));
    std::vector<std::string> r{"untouched"};
    EXPECT_TRUE(corpus.getCorpus("thanks_plain", r, 0));
    EXPECT_EQ(r, (std::vector<std::string>{"고마워", "땡큐"}));
    EXPECT_TRUE(corpus.getCorpus("thanks_plain", r, 2));
    EXPECT_EQ(r, std::vector<std::string>{"감사합니다"});
    EXPECT_TRUE(corpus.getCorpus("thanks_plain", r, 5));  // any other level reads level 2
    EXPECT_EQ(r, std::vector<std::string>{"감사합니다"});

    r = {"untouched"};
    EXPECT_FALSE(corpus.getCorpus("only_plain", r, 1));
    EXPECT_FALSE(corpus.getCorpus("skip_polite", r, 1));
    EXPECT_TRUE(corpus.getCorpus("skip_polite", r, 2));
    EXPECT_EQ(r, std::vector<std::string>{"아닙니다"});
    r = {"untouched"};
    EXPECT_TRUE(corpus.getCorpus("placeholder", r, 0));  // "&" is no placeholder marker
    EXPECT_FALSE(corpus.getCorpus("percent", r, 0));
    EXPECT_FALSE(corpus.getCorpus("nope", r, 0));
    EXPECT_EQ(r, (std::vector<std::string>{"LOCATION&에 있어", "가는 중"}));
}

TEST(ReplyScenarios, SelectionByReplyTypeEmotionContextAndLevel) {
    TempDir dir;
    std::string corpus = dir.write("corpus.table", kCorpus);
    std::string table = dir.write("scenarios.table",
                                  "thanks\t\t\t\t\t\t\t\t\tthanks_plain\tonly_plain\n"
                                  "greeting\t\tmorning\t\t\t\t\t\t\tmorning\n"
                                  "greeting_morning\tsad\t\t\t\t\t\t\t\tskip_polite\n"
                                  "\t\t\t\t\t\t\t\t\tfallback\n"
                                  "short\tline\n"
                                  "thanks\t\tbogus_context\t\t\t\t\t\t\tfallback\n");
    VarnexTest::LogCapture log;
    ReplyScenarioRepository repo(table, corpus);
    EXPECT_EQ(repo.size(), 5u);  // the short line is refused, not kept
    EXPECT_TRUE(log.contains(table + ":5: line refused, 2 fields, 10 needed"));
    EXPECT_TRUE(repo.getUnreadableTables().empty());

    Annotation a("고마워");
    a.addCategory("reply_type_thanks", "TRUE");
    a.addCategory("reply_type_worry", "FALSE");
    a.addCategory("reply_type_greeting", "morning");
    std::vector<ReplyScenario> out;
    repo.findCorpus(a, {CONTEXT_MORNING}, out);
    EXPECT_EQ(firstTexts(out), (std::vector<std::string>{"고마워", "응", "좋은 아침!", "그래"}));

    // Not morning: the morning row drops out; sad adds the greeting_morning row.
    a.addCategory("emotion", "sad");
    out.clear();
    repo.findCorpus(a, {CONTEXT_EVENING}, out);
    EXPECT_EQ(firstTexts(out), (std::vector<std::string>{"고마워", "응", "아니", "그래"}));

    // Polite level: rows without a level-1 text offer nothing there.
    a.addCategory("honorific", "NORMAL");
    out.clear();
    repo.findCorpus(a, {}, out);
    EXPECT_EQ(firstTexts(out), (std::vector<std::string>{"고마워요", "네"}));
    out.clear();
    repo.findCorpus(a, {}, "HIGH", out);
    EXPECT_EQ(firstTexts(out), (std::vector<std::string>{"감사합니다", "아닙니다", "예"}));

    // A row with both patterns empty goes in front of earlier candidates.
    std::vector<ReplyScenario> withAnswer{ReplyScenario("응, 먹었어")};
    repo.findCorpus(a, {}, "FALSE", withAnswer);
    EXPECT_EQ(firstTexts(withAnswer).front(), "그래");
    EXPECT_EQ(firstTexts(withAnswer)[1], "응, 먹었어");

    // No reply-type key at all: nothing, not even the catch-all row.
    Annotation none("음");
    none.addCategory("reply_type_thanks", "FALSE");
    out.clear();
    repo.findCorpus(none, {}, out);
    EXPECT_TRUE(out.empty());
}

TEST(ReplyScenarios, PatternsArePrefixes) {
    EXPECT_TRUE(ReplyScenarioRepository::prefixMatch("", "x"));
    EXPECT_TRUE(ReplyScenarioRepository::prefixMatch("answer", "answer"));
    EXPECT_TRUE(ReplyScenarioRepository::prefixMatch("answer", "answer_time"));
    EXPECT_FALSE(ReplyScenarioRepository::prefixMatch("answer_time", "answer"));
    EXPECT_FALSE(ReplyScenarioRepository::prefixMatch("Answer", "answer"));
    Annotation a;
    a.addCategory("reply_type_answer", "time");
    a.addCategory("reply_type_ack", "TRUE");
    a.addCategory("reply_type", "TRUE");  // too short to carry a key
    a.addCategory("reply_type_why", "FALSE");
    EXPECT_EQ(ReplyScenarioRepository::replyTypeKeys(a), (std::vector<std::string>{"ack", "answer_time"}));
}

TEST(ReplyScenarios, MissingTablesGiveAnEmptyRepository) {
    VarnexTest::LogCapture log;
    ReplyScenarioRepository repo("/nonexistent/s.table.enc", "/nonexistent/c.table.enc");
    EXPECT_EQ(repo.size(), 0u);
    EXPECT_EQ(repo.getUnreadableTables(),
              (std::vector<std::string>{"/nonexistent/c.table.enc", "/nonexistent/s.table.enc"}));
    EXPECT_TRUE(log.contains("/nonexistent/s.table.enc: no such file"));
}

// The shipped tables, read from their plain sources.
TEST(ShippedScenarios, EveryKeyExistsAtEveryLevelAndExpectationsHold) {
    const std::string base = std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/corpus/";
    ReplyScenarioRepository repo(base + "reply_scenarios_kr.table", base + "reply_corpus_kr.table");
    ASSERT_GE(repo.size(), 120u);
    ASSERT_GE(repo.getCorpus().size(), 200u);

    std::set<std::string> casualOnly, noFormal;
    std::vector<std::string> corpusLines;
    ASSERT_TRUE(Utilities::StringUtil::load(base + "reply_corpus_kr.table", corpusLines, false));
    for (const auto& line : corpusLines) {
        std::vector<std::string> f;
        Utilities::StringUtil::split(line, '\t', f);
        if (f.size() == 4 && f[2] == "-" && f[3] == "-") casualOnly.insert(f[0]);
        if (f.size() == 4 && f[2] != "-" && f[3] == "-") noFormal.insert(f[0]);
    }
    std::vector<std::string> lines;
    ASSERT_TRUE(Utilities::StringUtil::load(base + "reply_scenarios_kr.table", lines, false));
    for (const auto& line : lines) {
        std::vector<std::string> f;
        Utilities::StringUtil::split(line, '\t', f);
        ASSERT_GE(f.size(), 10u) << line;
        for (size_t i = 2; i <= 8; ++i) {
            if (!f[i].empty()) {
                EXPECT_NE(convertToContextType(f[i]), CONTEXT_UNKNOWN) << line;
            }
        }
        for (size_t i = 9; i < f.size() && i <= 11; ++i)
            for (int level = 0; level <= 2; ++level) {
                std::vector<std::string> r;
                // A polite level may be left out only on purpose, with "-".
                EXPECT_TRUE(repo.getCorpus().getCorpus(f[i], r, level) || (level > 0 && casualOnly.count(f[i])) ||
                            (level == 2 && noFormal.count(f[i])))
                    << f[i] << " level " << level;
                for (const auto& t : r) EXPECT_FALSE(t.empty()) << f[i];
            }
    }

    std::ifstream in(std::string(VARNEX_SOURCE_DIR) + "/tests/data/scenario_expectations.tsv");
    std::string row;
    int checked = 0;
    while (std::getline(in, row)) {
        std::vector<std::string> f;
        Utilities::StringUtil::split(row, '\t', f);
        if (f.size() != 4) continue;
        Annotation a("x");
        a.addCategory("reply_type_" + f[0], "TRUE");
        a.addCategory("emotion", f[1]);
        const char* level = f[2] == "2" ? "HIGH" : f[2] == "1" ? "NORMAL" : "FALSE";
        std::vector<ReplyScenario> out;
        repo.findCorpus(a, {}, level, out);
        ASSERT_FALSE(out.empty()) << row;
        EXPECT_EQ(firstTexts(out).front(), f[3]) << row;
        ++checked;
    }
    EXPECT_GE(checked, 40);
}
