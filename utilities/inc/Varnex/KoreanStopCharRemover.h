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
    // The stop characters packed (StringUtil::packedCharacter) and sorted:
    // every message passes through here several times.
    std::vector<std::uint32_t> stopChars;
    // False when the stop set holds a syllable, a letter, a digit or the
    // space, which are otherwise kept without a look-up.
    bool keepsPlainCharacters = true;
};

}  // namespace Varnex
