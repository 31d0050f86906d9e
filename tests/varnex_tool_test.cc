// The `varnex` program as a user runs it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"

namespace {
struct ToolRun {
    int status;
    std::string out;
};

ToolRun run(const std::string& args) {
    std::string cmd = std::string(VARNEX_TOOLS_DIR) + "/varnex " + args + " 2>&1";
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

TEST(VarnexTool, SuggestsFromTheBuiltResources) {
    VarnexTest::TempDir data;
    ToolRun r = run("suggest" + resources() + " --data " + data.path() + " \"정말 고마워\"");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_FALSE(r.out.empty());
    // A message that fits nothing prints nothing and still succeeds.
    r = run("suggest" + resources() + " --data " + data.path() + " \"qzx\"");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
}

TEST(VarnexTool, ReportsBadArgumentsAndDirectoriesInOneLine) {
    VarnexTest::TempDir data;
    ToolRun r = run("");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("usage:"), std::string::npos);
    r = run("suggest");
    EXPECT_EQ(r.status, 2);
    r = run("frobnicate x");
    EXPECT_EQ(r.status, 2);
    r = run("suggest --resources " + data.path() + "/missing --data " + data.path() + " 안녕");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("no resource tree"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;

    // A data "directory" that is a file cannot be used.
    std::string file = data.write("plain-file", "x");
    r = run("suggest" + resources() + " --data " + file + " 안녕");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("data directory"), std::string::npos) << r.out;

    r = run("suggest" + resources() + " --data " + data.path() + " --now \"2026-02-30 10:00\" 안녕");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("--now"), std::string::npos);

    // A tree without its tables: one line saying what is missing.
    ::mkdir(data.file("empty").c_str(), 0700);
    ::mkdir(data.file("empty/1.0").c_str(), 0700);
    r = run("suggest --resources " + data.file("empty") + " --data " + data.path() + " 고마워");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
    EXPECT_NE(r.out.find("cannot serve suggestions: corpus/reply_corpus_kr.table.enc"), std::string::npos) << r.out;
}
