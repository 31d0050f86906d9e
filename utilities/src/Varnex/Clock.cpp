#include "Varnex/Clock.h"

namespace Varnex {
namespace Clock {
namespace {
bool g_fixed = false;
std::time_t g_fixedTime = 0;
}  // namespace

std::time_t now() { return g_fixed ? g_fixedTime : std::time(nullptr); }

void setFixedTime(std::time_t t) {
    g_fixedTime = t;
    g_fixed = true;
}

void clearFixedTime() { g_fixed = false; }

bool setFixedLocalTime(int year, int month, int day, int hour, int minute) {
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59)
        return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    std::tm check = tm;
    std::time_t t = std::mktime(&check);
    if (t == static_cast<std::time_t>(-1)) return false;
    // mktime normalises 31 February into March: reject dates that moved.
    if (check.tm_mday != day || check.tm_mon != month - 1) return false;
    setFixedTime(t);
    return true;
}

}  // namespace Clock
}  // namespace Varnex
