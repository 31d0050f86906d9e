#include "Varnex/ContextAnalyzer.h"

#include <map>

#include "Varnex/Clock.h"

namespace Varnex {
namespace {

// Day of the year (0 = 1 January) of the Korean harvest festival, 2015-2037,
// stored as the festival's day plus one, the convention the window below
// expects.
const int kHarvestFestival[] = {270, 259, 277, 267, 256, 275, 264, 253, 272, 261, 279, 268,
                                258, 277, 265, 255, 274, 263, 251, 270, 259, 278, 267};
// Day of the year of the lunar new year, 2015-2043.
const int kLunarNewYear[] = {49, 38, 27, 46, 35, 24, 42, 31, 21, 40, 28, 47, 37, 26, 43,
                             33, 22, 41, 30, 49, 38, 27, 45, 34, 23, 42, 31, 21, 40};
const int kFirstTableYear = 2015;

bool inWindow(int day, int holiday) { return holiday - 2 <= day && day <= holiday + 1; }

std::tm localNow() {
    std::time_t t = Clock::now();
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) tm = std::tm{};
    return tm;
}

}  // namespace

ContextType convertToContextType(const std::string& keyword) {
    static const std::map<std::string, ContextType> table = {
        {"morning", CONTEXT_MORNING},
        {"noon", CONTEXT_NOON},
        {"afternoon", CONTEXT_AFTERNOON},
        {"evening", CONTEXT_EVENING},
        {"night", CONTEXT_NIGHT},
        {"midnight", CONTEXT_MIDNIGHT},
        {"dawn", CONTEXT_DAWN},
        {"office_hour", CONTEXT_OFFICE_HOUR},
        {"sunday", CONTEXT_SUNDAY},
        {"monday", CONTEXT_MONDAY},
        {"tuesday", CONTEXT_TUESDAY},
        {"wednesday", CONTEXT_WEDNESDAY},
        {"thursday", CONTEXT_THURSDAY},
        {"friday", CONTEXT_FRIDAY},
        {"saturday", CONTEXT_SATURDAY},
        {"weekday", CONTEXT_WEEKDAY},
        {"weekend", CONTEXT_WEEKEND},
        {"new_year", CONTEXT_NEW_YEAR},
        {"lunar_new_year", CONTEXT_LUNAR_NEW_YEAR},
        {"valentine_day", CONTEXT_VALENTINE_DAY},
        {"christ_mas", CONTEXT_CHRISTMAS},
        {"thanks_giving_us", CONTEXT_THANKS_GIVING_US},
        {"thanks_giving_kr", CONTEXT_THANKS_GIVING_KR},
        {"halloween", CONTEXT_HALLOWEEN},
        {"sender_birthday", CONTEXT_SENDER_BIRTHDAY},
        {"has_schedule", CONTEXT_HAS_SCHEDULE},
        {"has_no_schedule", CONTEXT_HAS_NO_SCHEDULE},
        {"no_reply_in_1_hour", CONTEXT_NO_REPLY_IN_1_HOUR},
        {"no_reply_in_1_day", CONTEXT_NO_REPLY_IN_1_DAY},
        {"first_message_in_thread", CONTEXT_FIRST_MESSAGE_IN_THREAD},
        {"no_message_in_1_hour", CONTEXT_NO_MESSAGE_IN_1_HOUR},
        {"home", CONTEXT_HOME},
        {"office", CONTEXT_OFFICE},
        {"school", CONTEXT_SCHOOL},
        {"sender_group_friend", CONTEXT_SENDER_GROUP_FRIEND},
        {"sender_group_family", CONTEXT_SENDER_GROUP_FAMILY},
        {"sender_group_colleague", CONTEXT_SENDER_GROUP_COLLEAGUE},
        {"sender_not_in_contact", CONTEXT_SENDER_NOT_IN_CONTACT},
    };
    auto it = table.find(keyword);
    return it == table.end() ? CONTEXT_UNKNOWN : it->second;
}

void ContextAnalyzer::dayContexts(const std::tm& tm, std::set<ContextType>& contexts) {
    const int h = tm.tm_hour;
    if (h <= 1)
        contexts.insert(CONTEXT_MIDNIGHT);
    else if (h <= 5)
        contexts.insert(CONTEXT_DAWN);
    else if (h <= 9)
        contexts.insert(CONTEXT_MORNING);
    else if (h <= 11)
        contexts.insert(CONTEXT_NOON);
    else if (h <= 16)
        contexts.insert(CONTEXT_AFTERNOON);
    else if (h <= 20)
        contexts.insert(CONTEXT_EVENING);
    else if (h <= 22)
        contexts.insert(CONTEXT_NIGHT);
    // 23:00-23:59 is late night: no part of the day fits it well, so none is active.
    if (h >= 8 && h <= 17) contexts.insert(CONTEXT_OFFICE_HOUR);
}

void ContextAnalyzer::dayOfWeekContexts(const std::tm& tm, std::set<ContextType>& contexts) {
    const int w = tm.tm_wday;
    if (w < 0 || w > 6) return;
    contexts.insert(static_cast<ContextType>(CONTEXT_SUNDAY + w));
    contexts.insert(w == 0 || w == 6 ? CONTEXT_WEEKEND : CONTEXT_WEEKDAY);
}

void ContextAnalyzer::dateContexts(const std::tm& tm, std::set<ContextType>& contexts) {
    const int d = tm.tm_yday, m = tm.tm_mon, day = tm.tm_mday, w = tm.tm_wday;
    if (d == 0) {
        contexts.insert(CONTEXT_NEW_YEAR);
        return;
    }
    if (m == 11) {
        if (day == 31) {
            contexts.insert(CONTEXT_NEW_YEAR);
            return;
        }
        if (day == 24 || day == 25) {
            contexts.insert(CONTEXT_CHRISTMAS);
            return;
        }
    }
    if (m == 1 && day == 14) {
        contexts.insert(CONTEXT_VALENTINE_DAY);
        return;
    }
    if (m == 9 && day == 31) {
        contexts.insert(CONTEXT_HALLOWEEN);
        return;
    }
    if (m == 10 && w == 4 && day >= 22 && day <= 28) {
        contexts.insert(CONTEXT_THANKS_GIVING_US);
        return;
    }
    const int y = tm.tm_year + 1900 - kFirstTableYear;
    const int harvestYears = sizeof kHarvestFestival / sizeof kHarvestFestival[0];
    const int lunarYears = sizeof kLunarNewYear / sizeof kLunarNewYear[0];
    if (y >= 0 && y < harvestYears && inWindow(d, kHarvestFestival[y])) contexts.insert(CONTEXT_THANKS_GIVING_KR);
    if (y >= 0 && y < lunarYears && inWindow(d, kLunarNewYear[y])) contexts.insert(CONTEXT_LUNAR_NEW_YEAR);
}

void ContextAnalyzer::getActiveContext(const std::string& sender, std::set<ContextType>& contexts) const {
    getActiveTimeDayContext(sender, contexts);
    getActiveTimeDayOfWeekContext(sender, contexts);
    getActiveTimeDateContext(sender, contexts);
    getActiveScheduleContext(sender, contexts);
    getActiveSmsContext(sender, contexts);
    getActiveLocationContext(sender, contexts);
    getActiveContactScheduleContext(sender, contexts);
}

void ContextAnalyzer::getActiveTimeDayContext(const std::string&, std::set<ContextType>& contexts) const {
    dayContexts(localNow(), contexts);
}

void ContextAnalyzer::getActiveTimeDayOfWeekContext(const std::string&, std::set<ContextType>& contexts) const {
    dayOfWeekContexts(localNow(), contexts);
}

void ContextAnalyzer::getActiveTimeDateContext(const std::string&, std::set<ContextType>& contexts) const {
    dateContexts(localNow(), contexts);
}

}  // namespace Varnex
