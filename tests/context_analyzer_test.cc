#include <gtest/gtest.h>

#include <set>

#include "Varnex/Clock.h"
#include "Varnex/ContextAnalyzer.h"

using namespace Varnex;

namespace {
std::set<ContextType> at(int y, int mo, int d, int h, int mi) {
    EXPECT_TRUE(Clock::setFixedLocalTime(y, mo, d, h, mi));
    std::set<ContextType> c;
    ContextAnalyzer().getActiveContext("anyone", c);
    Clock::clearFixedTime();
    return c;
}
bool has(const std::set<ContextType>& c, ContextType t) { return c.count(t) > 0; }
std::set<ContextType> dateOnly(int y, int yday) {
    // 1 January of y plus yday days, at noon.
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 1 + yday;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    std::mktime(&tm);
    std::set<ContextType> c;
    ContextAnalyzer::dateContexts(tm, c);
    return c;
}
}  // namespace

TEST(ContextAnalyzer, PartOfDayAndWeekday) {
    // 2026-12-08 is a Tuesday.
    EXPECT_EQ(at(2026, 12, 8, 9, 30), (std::set<ContextType>{CONTEXT_MORNING, CONTEXT_OFFICE_HOUR, CONTEXT_TUESDAY,
                                                             CONTEXT_WEEKDAY}));
    // 2026-12-06 is a Sunday.
    EXPECT_EQ(at(2026, 12, 6, 18, 0), (std::set<ContextType>{CONTEXT_EVENING, CONTEXT_SUNDAY, CONTEXT_WEEKEND}));
    auto late = at(2026, 12, 6, 23, 59);
    EXPECT_FALSE(has(late, CONTEXT_NIGHT));
    EXPECT_FALSE(has(late, CONTEXT_MIDNIGHT));
    auto justAfter = at(2026, 12, 7, 0, 0);  // Monday
    EXPECT_TRUE(has(justAfter, CONTEXT_MIDNIGHT));
    EXPECT_TRUE(has(justAfter, CONTEXT_MONDAY));
    EXPECT_TRUE(has(justAfter, CONTEXT_WEEKDAY));
    EXPECT_TRUE(has(at(2026, 12, 7, 17, 59), CONTEXT_OFFICE_HOUR));
    EXPECT_FALSE(has(at(2026, 12, 7, 18, 0), CONTEXT_OFFICE_HOUR));
    EXPECT_TRUE(has(at(2026, 12, 7, 2, 0), CONTEXT_DAWN));
    EXPECT_TRUE(has(at(2026, 12, 7, 21, 0), CONTEXT_NIGHT));
}

TEST(ContextAnalyzer, FixedDatesStopTheDateRules) {
    auto newYearsEve = at(2026, 12, 31, 23, 0);
    EXPECT_TRUE(has(newYearsEve, CONTEXT_NEW_YEAR));
    EXPECT_TRUE(has(at(2027, 1, 1, 0, 5), CONTEXT_NEW_YEAR));
    EXPECT_TRUE(has(at(2026, 12, 24, 20, 0), CONTEXT_CHRISTMAS));
    EXPECT_TRUE(has(at(2026, 12, 25, 10, 0), CONTEXT_CHRISTMAS));
    EXPECT_FALSE(has(at(2026, 12, 26, 10, 0), CONTEXT_CHRISTMAS));
    EXPECT_TRUE(has(at(2027, 2, 14, 10, 0), CONTEXT_VALENTINE_DAY));
    EXPECT_TRUE(has(at(2026, 10, 31, 10, 0), CONTEXT_HALLOWEEN));
    EXPECT_TRUE(has(at(2026, 11, 26, 10, 0), CONTEXT_THANKS_GIVING_US));  // fourth Thursday
    EXPECT_FALSE(has(at(2026, 11, 19, 10, 0), CONTEXT_THANKS_GIVING_US));
}

TEST(ContextAnalyzer, HolidayWindowsFollowTheLunarCalendar) {
    for (int d = 268; d <= 271; ++d) EXPECT_TRUE(has(dateOnly(2015, d), CONTEXT_THANKS_GIVING_KR)) << d;
    EXPECT_FALSE(has(dateOnly(2015, 267), CONTEXT_THANKS_GIVING_KR));
    EXPECT_FALSE(has(dateOnly(2015, 272), CONTEXT_THANKS_GIVING_KR));
    for (int d = 47; d <= 50; ++d) EXPECT_TRUE(has(dateOnly(2015, d), CONTEXT_LUNAR_NEW_YEAR)) << d;
    // The harvest festival of 2021 fell on 21 September (day 263).
    EXPECT_TRUE(has(at(2021, 9, 21, 12, 0), CONTEXT_THANKS_GIVING_KR));
    EXPECT_FALSE(has(at(2021, 9, 10, 12, 0), CONTEXT_THANKS_GIVING_KR));
    // The lunar new year of 2032 falls on 11 February (day 41).
    EXPECT_TRUE(has(at(2032, 2, 11, 12, 0), CONTEXT_LUNAR_NEW_YEAR));
    EXPECT_TRUE(has(at(2032, 2, 12, 12, 0), CONTEXT_LUNAR_NEW_YEAR));
    EXPECT_TRUE(has(at(2026, 2, 17, 12, 0), CONTEXT_LUNAR_NEW_YEAR));
    EXPECT_TRUE(has(at(2026, 9, 25, 12, 0), CONTEXT_THANKS_GIVING_KR));
    // Beyond the harvest table only the lunar new year is known.
    EXPECT_TRUE(has(dateOnly(2040, 40), CONTEXT_LUNAR_NEW_YEAR));
    for (int d = 0; d < 365; ++d) EXPECT_FALSE(has(dateOnly(2040, d), CONTEXT_THANKS_GIVING_KR));
    for (int d = 1; d < 364; ++d) {
        auto c = dateOnly(2050, d);
        EXPECT_FALSE(has(c, CONTEXT_LUNAR_NEW_YEAR));
    }
}

TEST(ContextAnalyzer, KeywordsAreExact) {
    EXPECT_EQ(convertToContextType("morning"), CONTEXT_MORNING);
    EXPECT_EQ(convertToContextType("christ_mas"), CONTEXT_CHRISTMAS);
    EXPECT_EQ(convertToContextType("sender_not_in_contact"), CONTEXT_SENDER_NOT_IN_CONTACT);
    EXPECT_EQ(convertToContextType("Morning"), CONTEXT_UNKNOWN);
    EXPECT_EQ(static_cast<int>(convertToContextType("")), -1);
    EXPECT_FALSE(Clock::setFixedLocalTime(2026, 2, 30, 10, 0));
    EXPECT_FALSE(Clock::setFixedLocalTime(2026, 13, 1, 10, 0));
}
