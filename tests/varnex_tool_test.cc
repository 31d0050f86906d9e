// The `varnex` program as a user runs it: commands, exit codes, JSON.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <json-glib/json-glib.h>
#include "TestSupport.h"

namespace {
struct ToolRun {
    int status;
    std::string out;
};

// Runs varnex with `args` (shell words) and `input` on standard input;
// stdout and stderr together.
ToolRun run(const std::string& args, const std::string& input = "") {
    VarnexTest::TempDir in;
    const std::string cmd = std::string(VARNEX_TOOLS_DIR) + "/varnex " + args + " < " + in.write("in", input) + " 2>&1";
    ToolRun r{-1, ""};
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string resources() { return std::string(" --resources ") + VARNEX_BUILD_RESOURCE_DIR; }
}  // namespace

TEST(VarnexTool, SuggestsForArgumentsAndStandardInputAsTextOrJson) {
    VarnexTest::TempDir data;
    const std::string common = "suggest" + resources() + " --data " + data.path() + " --now \"2026-12-08 15:00\" ";
    ToolRun r = run(common + "\"정말 고마워\"");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_FALSE(r.out.empty());
    // A message that fits nothing prints nothing and still succeeds.
    r = run(common + "qzx");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    // One message per line of standard input; a blank line between answers.
    r = run(common, "고마워\n생일 축하해\n");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\n\n"), std::string::npos) << r.out;
    // A message that begins with "-" after "--"; without it, a clear error.
    EXPECT_EQ(run(common + "-- \"-_- 고마워\"").status, 0);
    r = run(common + "-_-");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("after --"), std::string::npos) << r.out;

    // JSON parsed back: message, sender, suggestions, and the analysis.
    r = run(common + "--json --explain --sender 민수 \"생일 축하해!\"");
    ASSERT_EQ(r.status, 0) << r.out;
    JsonParser* parser = json_parser_new();
    ASSERT_TRUE(json_parser_load_from_data(parser, r.out.c_str(), -1, nullptr)) << r.out;
    JsonObject* root = json_node_get_object(json_parser_get_root(parser));
    EXPECT_STREQ(json_object_get_string_member(root, "message"), "생일 축하해!");
    EXPECT_STREQ(json_object_get_string_member(root, "sender"), "민수");
    JsonArray* suggestions = json_object_get_array_member(root, "suggestions");
    ASSERT_GT(json_array_get_length(suggestions), 0u);
    EXPECT_STREQ(json_array_get_string_element(suggestions, 0), "고마워!");
    EXPECT_STREQ(json_object_get_string_member(json_object_get_object_member(root, "analysis"), "reply_type_thanks"),
                 "TRUE");
    g_object_unref(parser);
    // No raw placeholder reaches the user.
    r = run(common + "\"언제 도착하세요?\"");
    EXPECT_EQ(r.out.find('&'), std::string::npos) << r.out;
}

TEST(VarnexTool, NotifyLearnsAndChatPicksByNumber) {
    VarnexTest::TempDir data;
    const std::string common = resources() + " --data " + data.path() + " ";
    // Formal thanks answered casually three times: the sender's replies turn casual.
    const ToolRun formal = run("suggest" + common + "--sender 민수 \"정말 감사합니다\"");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(run("notify" + common + "--sender 민수 \"정말 감사합니다\" \"고마워 ㅋㅋ\"").status, 0);
    EXPECT_NE(run("suggest" + common + "--sender 민수 \"정말 감사합니다\"").out, formal.out);
    EXPECT_EQ(run("suggest" + common + "--sender 지은 \"정말 감사합니다\"").out, formal.out);

    // chat: a number picks a suggestion, any other text is the reply; both are sent.
    ToolRun r = run("chat" + common + "--sender 민수", "고마워\n1\n밥 먹었어?\n응 먹었어 ㅋㅋ\n");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("  1) "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  sent: 응 먹었어 ㅋㅋ"), std::string::npos) << r.out;
}

TEST(VarnexTool, ReportsBadArgumentsAndDirectoriesInOneLine) {
    VarnexTest::TempDir data;
    struct Case {
        std::string args;
        int status;
        std::string says;
    };
    const std::string file = data.write("plain-file", "x");
    ::mkdir(data.file("empty").c_str(), 0700);
    ::mkdir(data.file("empty/1.0").c_str(), 0700);
    const Case cases[] = {
        {"", 2, "usage:"},
        {"frobnicate x", 2, "unknown command"},
        {"suggest --resources " + data.path() + "/missing --data " + data.path() + " 안녕", 2, "no resource tree"},
        {"suggest" + resources() + " --data " + file + " 안녕", 2, "cannot be created"},
        {"suggest" + resources() + " --data " + data.path() + " --now \"2026-02-30 10:00\" 안녕", 2, "--now"},
        {"notify" + resources() + " --data " + data.path() + " 안녕 응", 2, "needs --sender"},
        {"notify" + resources() + " --data " + data.path() + " --sender \"\" 안녕 응", 2, "needs a name"},
        {"notify --json" + resources() + " --sender a 안녕 응", 2, "go with suggest"},
        // A tree without its tables: one line saying what is missing.
        {"suggest --resources " + data.file("empty") + " --data " + data.path() + " 고마워", 2,
         "cannot serve suggestions: corpus/reply_corpus_kr.table.enc"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
        if (c.says != "usage:" && c.says != "unknown command") {
            EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << c.args << "\n" << r.out;
        }
    }
    for (const char* command : {"suggest", "notify", "chat"}) {
        const ToolRun r = run(std::string(command) + " --help");
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("usage:"), std::string::npos);
    }
}
