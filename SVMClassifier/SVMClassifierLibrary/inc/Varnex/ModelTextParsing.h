// Strict, locale-independent number parsing and formatting shared by the
// model and feature-index readers and writers, and the safe excerpt their
// log lines quote file content with. A value must fill the whole token:
// "12abc", "" and out-of-range values are rejected rather than cut.
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

// Length of the well-formed UTF-8 character at `p` (at most `n` bytes
// available), or 0 when the bytes there are not one.
inline size_t utf8CharLength(const unsigned char* p, size_t n) {
    auto cont = [&](size_t i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return i < n && p[i] >= lo && p[i] <= hi;
    };
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const bool second = c == 0xE0 ? cont(1, 0xA0) : c == 0xED ? cont(1, 0x80, 0x9F) : cont(1);
        return second && cont(2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const bool second = c == 0xF0 ? cont(1, 0x90) : c == 0xF4 ? cont(1, 0x80, 0x8F) : cont(1);
        return second && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

// A piece of file content made safe for a log line: at most `limit` bytes
// of `bytes` (never half a character), with printable ASCII and well-formed
// UTF-8 kept, a backslash doubled, and every other byte (control bytes,
// DEL, C1 controls, invalid or cut UTF-8) written as \xNN; "..." marks a
// cut. Damaged files must never put raw bytes into the log.
inline std::string excerpt(const std::string& bytes, size_t limit = 40) {
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    std::string out;
    size_t i = 0;
    while (i < n) {
        const size_t len = utf8CharLength(p + i, n - i);
        const size_t take = len == 0 ? 1 : len;
        if (i + take > limit) break;
        const bool c1 = len == 2 && p[i] == 0xC2 && p[i + 1] < 0xA0;
        if (len == 1 && p[i] >= 0x20 && p[i] < 0x7F) {
            if (p[i] == '\\') out += '\\';
            out += static_cast<char>(p[i]);
        } else if (len > 1 && !c1) {
            out.append(bytes, i, len);
        } else {
            for (size_t k = 0; k < take; ++k) {
                out += "\\x";
                out += kHex[p[i + k] >> 4];
                out += kHex[p[i + k] & 0x0F];
            }
        }
        i += take;
    }
    if (i < n) out += "...";
    return out;
}

}  // namespace TextParsing
}  // namespace Varnex
