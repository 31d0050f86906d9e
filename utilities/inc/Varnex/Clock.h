// The one place the engine reads the time of day.
//
// Time contexts (morning, weekend, holidays) are computed from Clock::now()
// converted to local time. A host, the demo program or a test may pin the
// clock to a fixed instant; by default it follows the system clock.
#pragma once

#include <ctime>

#include "Varnex/Export.h"

namespace Varnex {
namespace Clock {

// The current time: the pinned instant when one is set, else time(nullptr).
VARNEX_EXPORT std::time_t now();

// Pins the clock to `t` until clearFixedTime() is called.
VARNEX_EXPORT void setFixedTime(std::time_t t);
VARNEX_EXPORT void clearFixedTime();

// Converts local calendar fields to a time_t and pins the clock there.
// Returns false (and changes nothing) when the fields are out of range.
VARNEX_EXPORT bool setFixedLocalTime(int year, int month, int day, int hour, int minute);

}  // namespace Clock
}  // namespace Varnex
