#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "Varnex/Log.h"

using namespace Varnex;
using VarnexTest::LogCapture;

TEST(Log, ThresholdDropsLowerLevelsAndMapsPriorities) {
    LogCapture log(LOG_ERROR);
    EXPECT_EQ(varnex_print_log(LOG_DEBUG, "a", "debug\n"), 0);
    EXPECT_EQ(varnex_print_log(LOG_INFO, "a", "info\n"), 0);
    EXPECT_EQ(varnex_print_log(LOG_WARN, "a", "warn\n"), 0);
    EXPECT_EQ(varnex_print_log(LOG_ERROR, "a", "error %d\n", 7), 1);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].priority, 6);
    EXPECT_EQ(log.lines()[0].tag, "AutoReply");
    EXPECT_EQ(log.lines()[0].text, "error 7\n");

    setLogLevel(LOG_DEBUG);
    varnex_print_log(LOG_DEBUG, "a", "d");
    varnex_print_log(LOG_INFO, "a", "i");
    varnex_print_log(LOG_WARN, "a", "w");
    varnex_print_log(static_cast<LogType>(7), "a", "seven");
    ASSERT_EQ(log.lines().size(), 5u);
    EXPECT_EQ(log.lines()[1].priority, 3);
    EXPECT_EQ(log.lines()[2].priority, 4);
    EXPECT_EQ(log.lines()[3].priority, 5);
    EXPECT_EQ(log.lines()[4].priority, 3);
}

TEST(Log, FileFilterPassesOnlyTheNamedSource) {
    LogCapture log(LOG_DEBUG);
    enableLogFromFileOnly("AutoReply/src/Varnex/AutoReply");
    varnex_print_log(LOG_ERROR, "utilities/src/Varnex/Utilities/StringUtil", "dropped");
    varnex_print_log(LOG_DEBUG, "AutoReply/src/Varnex/AutoReply", "kept");
    varnex_print_log(LOG_ERROR, nullptr, "no file");
    enableLogFromFileOnly("");
    varnex_print_log(LOG_ERROR, "anything", "again");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0].text, "kept");
    EXPECT_EQ(log.lines()[1].text, "again");
}

TEST(Log, OverlongMessageIsCutAtACharacterBoundary) {
    LogCapture log(LOG_DEBUG);
    std::string korean;
    for (int i = 0; i < 3000; ++i) korean += "가";  // 9000 bytes
    varnex_print_log(LOG_ERROR, "a", "x%s", korean.c_str());
    ASSERT_EQ(log.lines().size(), 1u);
    const std::string& text = log.lines()[0].text;
    EXPECT_LT(text.size(), static_cast<size_t>(kLogBufferSize));
    EXPECT_GT(text.size(), 4000u);
    // "x" then whole three-byte characters only.
    EXPECT_EQ((text.size() - 1) % 3, 0u);
}

TEST(Log, DefaultSinkIsRestoredWithAnEmptySink) {
    auto before = setLogSink(nullptr);
    auto restored = setLogSink(before);
    EXPECT_TRUE(static_cast<bool>(restored));
}
