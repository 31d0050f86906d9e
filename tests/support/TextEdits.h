// Text files as editors and other platforms leave them, shared by the tests
// and the fuzz targets that check loaders read such files the same.
#pragma once

#include <string>

namespace VarnexTest {

// `s` as an editor or commit hook that strips trailing white space leaves it.
inline std::string stripped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n')
            while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
        out += c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    return out;
}

// `s` with Windows line ends.
inline std::string crlf(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace VarnexTest
