// Replaces stop characters (punctuation, laughter and crying jamo, ...) with
// spaces, keeping one character in the output for each in the input so word
// boundaries survive. Read-only after construction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Varnex {

class KoreanStopCharRemover {
public:
    explicit KoreanStopCharRemover(const std::string& stopChars);
    virtual ~KoreanStopCharRemover() = default;

    // "~!^-_.@#$%^&*<>()" followed by the jamo ㅂㅈㄷㄱㅅㅁㄴㅇㄹㅎㅋㅌㅊㅍㅠㅜㅡㅗㅛ.
    static const std::string& getDefaultStopChar();

    // `out` = `in` with every stop character, and every emoji character,
    // replaced by one space.
    void remove(const std::string& in, std::string& out) const;

private:
    // The bytes of one character packed into a number, for a sorted lookup:
    // every message passes through here several times.
    static std::uint32_t packed(const char* bytes, size_t length);

    std::vector<std::uint32_t> stopChars;  // sorted
};

}  // namespace Varnex
