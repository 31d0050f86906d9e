// Strict, locale-independent number parsing and formatting shared by the
// model and feature-index readers and writers. A value must fill the whole
// token: "12abc", "" and out-of-range values are rejected rather than cut.
#pragma once

#include <stdio.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>

namespace Varnex {
namespace TextParsing {

inline bool parseInt(const char* first, const char* last, int& out) {
    if (first == last) return false;
    int v = 0;
    auto r = std::from_chars(first, last, v);
    if (r.ec != std::errc() || r.ptr != last) return false;
    out = v;
    return true;
}

inline bool parseInt(const std::string& s, int& out) { return parseInt(s.data(), s.data() + s.size(), out); }

// Finite values only: a NaN or infinite weight would poison every score.
inline bool parseDouble(const std::string& s, double& out) {
    if (s.empty()) return false;
    double v = 0.0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// General notation with six significant digits, as "%g" in the C locale.
inline void appendGeneral(std::string& out, double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    out.append(buf, r.ptr);
}

inline void appendInt(std::string& out, long long v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// Reads one line (without its '\n' and a trailing '\r') into `line`.
// Returns false at the end of input when nothing was read.
inline bool readLine(std::FILE* in, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    // The stream is read by one thread only: no lock per character.
    while ((c = getc_unlocked(in)) != EOF) {
        any = true;
        if (c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

inline std::string trimmed(const std::string& s) {
    const char* ws = " \t\r\n\f\v";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

}  // namespace TextParsing
}  // namespace Varnex
