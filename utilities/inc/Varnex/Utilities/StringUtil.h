// UTF-8 string toolbox of the engine.
//
// All text is UTF-8 held in byte strings; positions and lengths are byte
// counts. Lead bytes are classified by one rule everywhere: 0x00-0x7F start a
// 1-byte character, 0xC0-0xDF a 2-byte, 0xE0-0xEF a 3-byte and 0xF0-0xF7 a
// 4-byte character; continuation bytes (0x80-0xBF) and 0xF8-0xFF start none.
// The bytes after a lead byte are not checked, so overlong or otherwise
// malformed sequences are taken as whole characters of the length their lead
// byte announces. Invalid or truncated UTF-8 never makes a function read past
// the string or loop forever; each function says what it does with it.
//
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Varnex/Export.h"

namespace Varnex {
namespace Utilities {

// Static helpers only; none keeps state. The letter-class sets are built
// once, safely.
class StringUtil {
public:
    StringUtil() = delete;

    static void removeUtf8Bom(std::string& s);
    // Space, tab, carriage return and line feed only.
    static bool isspace(char c);
    static bool isspace(const std::string& s);
    // True if the symbol set "~!@#$%^&*()_+|`-=\[];'./,{}:<>?" contains `s`
    // as a substring (so also for the empty string).
    static bool issymbol(const std::string& s);
    static unsigned int murmur3_32(const char* data, unsigned int len, unsigned int seed);
    static unsigned int murmur3_32(const std::string& s, unsigned int seed);
    // Number of lead bytes; continuation bytes and 0xF8-0xFF are not counted.
    static int getLength(const std::string& s);

    // The character around `pos`, stepping back to its lead byte. Returns the
    // lead byte's index and sets `ch` to the character (cut at the end of `s`
    // when the string ends inside it). Bounded: with `pos` at or past the end
    // `ch` is empty and s.size() is returned; stepping back stops at index 0,
    // and when no lead byte is found there (stray continuation bytes at the
    // start) or `pos` is negative, `ch` is empty and 0 is returned.
    static int getPreviousChar(const std::string& s, int pos, std::string& ch);
    // The first character starting at or after `pos`, stepping forward over
    // bytes that start none. Returns its index and sets `ch` (cut at the end
    // of `s`). At or past the end, or when stepping forward runs off the end,
    // `ch` is empty and s.size() is returned. A negative `pos` counts as 0.
    static int getNextChar(const std::string& s, int pos, std::string& ch);
    // Walks back from `pos` over white space and collects the word before it,
    // stopping at white space or a symbol, or at `limit`; the token carries no
    // white space at either end and no symbols. Returns false when
    // `pos` is 0 or not above `limit`. `pos` is clamped to the string.
    static bool getPreviousToken(const std::string& s, int& pos, std::string& token, int limit);
    static std::string toLower(const std::string& s);
    static bool startWith(const std::string& s, const std::string& prefix);
    // True for one character of an emoji: a pictograph or symbol (U+2600 to
    // U+27BF, U+2B00 to U+2BFF, U+1F000 to U+1FAFF), a skin-tone modifier, a
    // variation selector, a zero-width joiner or a keycap mark.
    static bool isEmoji(const std::string& ch);
    // The same for the character of `size` bytes at `bytes`.
    static bool isEmoji(const char* bytes, size_t size);
    static bool isConsonant(const std::string& s);
    static bool isVowel(const std::string& s);
    static bool isNegation(const std::string& s);
    // Cuts Latin-letter words into syllables ("hello" -> "hel", "lo").
    static bool splitSyllable(const std::string& s, std::vector<std::string>& out);

    // Copies without the white space at the left, the right or both ends.
    static std::string ltrim(const std::string& s);
    static std::string rtrim(const std::string& s);
    static std::string trim(const std::string& s);

    // Replaces non-overlapping occurrences left to right; returns the count.
    static int replace(std::string& s, const std::string& from, const std::string& to);

    // Fields between delimiters; empty inner and leading fields are kept, a
    // delimiter at the very end adds no empty last field. `out` is not cleared.
    static void split(const std::string& s, char delim, std::vector<std::string>& out);

    // Reads a resource file line by line, unscrambling ".enc" content, and
    // appends the lines. A missing or unreadable file is a warning; a file
    // that is not text once unscrambled (a zero byte or more than 1% control
    // bytes), holds invalid UTF-8 or no line of text is refused with an
    // error naming it and the fault. Both return false and append nothing.
    static bool load(const std::string& path, std::vector<std::string>& lines, bool scrambled);

    // One string per character; stray bytes that start no character are
    // skipped; a character cut short by the end yields the bytes that remain.
    static void getCharactors(const std::string& s, std::vector<std::string>& out);
    // The same characters handed one by one to `visit(const std::string&)`,
    // in one reused string: for loops that run on every message.
    template <typename Visit>
    static void forEachCharacter(const std::string& s, Visit&& visit) {
        std::string c;
        forEachCharacterSpan(s, [&](size_t at, size_t length) {
            c.assign(s, at, length);
            visit(c);
        });
    }
    // The same characters as `visit(offset, length)`, with no string at all;
    // `length` may reach past the end of a character cut short.
    template <typename Visit>
    static void forEachCharacterSpan(const std::string& s, Visit&& visit) {
        for (size_t i = 0; i < s.size();) {
            const int length = charLength(static_cast<unsigned char>(s[i]));
            if (length == 0) {
                ++i;
                continue;
            }
            visit(i, static_cast<size_t>(length));
            i += static_cast<size_t>(length);
        }
    }

    // Byte length of the character whose lead byte is `c` (0 when `c` starts
    // no character).
    static int charLength(unsigned char c) {
        if (c < 0x80) return 1;
        if (c >= 0xC0 && c <= 0xDF) return 2;
        if (c >= 0xE0 && c <= 0xEF) return 3;
        if (c >= 0xF0 && c <= 0xF7) return 4;
        return 0;
    }
    // The bytes of one character (at most four) packed into a number, for
    // sorted tables and hashes of characters.
    static std::uint32_t packedCharacter(const char* bytes, size_t length) {
        std::uint32_t v = 0;
        for (size_t i = 0; i < length; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[i]);
        return v;
    }

    // The first `maxChars` characters of `s` (all of it when shorter), never
    // cutting a character in two; `truncated` tells whether anything was cut.
    static std::string headChars(const std::string& s, size_t maxChars, bool& truncated);
};

}  // namespace Utilities
}  // namespace Varnex
