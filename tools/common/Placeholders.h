// Filling the placeholder replies the engine hands to its host.
//
// A placeholder reply starts with a kind and "&" ("DATE&", "TIME&",
// "DAYOFWEEK&", "LOCATION&"); in the text after the "&" the kind name in
// single quotes stands where a date, a time, a weekday or a place belongs:
//   "DATE&'DATE'에 가요"  ->  "12월 8일에 가요"
// A host with a picker lets the user choose; the command-line programs fill
// dates, times and weekdays from the clock and drop what they cannot fill
// (places).
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace VarnexTools {

// True when `reply` starts with a placeholder kind and "&".
bool isPlaceholder(const std::string& reply);

// The reply with its placeholder filled from `when` (local time), or "" when
// it cannot be filled (a place, an unknown kind). Replies that are no
// placeholder come back unchanged.
std::string fillPlaceholder(const std::string& reply, std::time_t when);

// Fills every reply of `replies` in place, dropping those that cannot be
// filled and those that turn into a duplicate of an earlier reply.
void fillPlaceholders(std::vector<std::string>& replies, std::time_t when);

}  // namespace VarnexTools
