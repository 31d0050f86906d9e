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
// Most operations exist as a static function taking the string first and as a
// member working on the string the object wraps. Not thread-safe except where
// noted; the letter-class sets are built once, safely.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Varnex/Export.h"

namespace Varnex {
namespace Utilities {

namespace Charset {
extern const std::string UTF8;    // "UTF-8"
extern const std::string KOREAN;  // "CP949"
}  // namespace Charset

class StringUtil {
public:
    // Wraps an internal empty string.
    StringUtil();
    // Wraps the caller's string, which must outlive the object.
    StringUtil(std::string& s);
    StringUtil(const StringUtil& other);
    StringUtil& operator=(const StringUtil& other);

    std::string get() const { return *target; }
    operator std::string&() { return *target; }
    operator const std::string&() const { return *target; }
    operator const char*() const { return target->c_str(); }

    // --- static only ------------------------------------------------------
    static void removeUtf8Bom(std::string& s);
    // Space, tab, carriage return and line feed only.
    static bool isspace(char c);
    static bool isspace(const std::string& s);
    // True if the symbol set "~!@#$%^&*()_+|`-=\[];'./,{}:<>?" contains `s`
    // as a substring (so also for the empty string).
    static bool issymbol(const std::string& s);
    static std::string makeFormat(int width, int precision, const char* conv);
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
    static bool isMultibyteChar(const std::string& s);
    // Walks back from `pos` over white space and collects the word before it,
    // stopping at white space or a symbol, or at `limit`; the token carries no
    // white space at either end and no symbols. Returns false when
    // `pos` is 0 or not above `limit`. `pos` is clamped to the string.
    static bool getPreviousToken(const std::string& s, int& pos, std::string& token, int limit);
    // Character-set conversion is not available: logs an error, returns false.
    static bool convert(std::string& s, const std::string& from, const std::string& to);
    static std::string toLower(const std::string& s);
    static bool startWith(const std::string& s, const std::string& prefix);
    static bool contains(const std::string& s, const std::string& part);
    // Reads a leading double as a stream would ("12abc" gives 12). Empty text
    // logs "str is empty" and gives 0.0; text without a number logs
    // "runtime error" and throws std::runtime_error(s).
    static double StringToDouble(const std::string& s);
    static bool isConsonant(const std::string& s);
    static bool isVowel(const std::string& s);
    static bool isNegation(const std::string& s);
    // Cuts Latin-letter words into syllables ("hello" -> "hel", "lo").
    static bool splitSyllable(const std::string& s, std::vector<std::string>& out);

    // --- static and member ------------------------------------------------
    static std::string ltrim(std::string& s);
    static std::string rtrim(std::string& s);
    static std::string trim(std::string& s);
    std::string ltrim() { return ltrim(*target); }
    std::string rtrim() { return rtrim(*target); }
    std::string trim() { return trim(*target); }

    // Replaces non-overlapping occurrences left to right; returns the count.
    static int replace(std::string& s, const std::string& from, const std::string& to);
    int replace(const std::string& from, const std::string& to) { return replace(*target, from, to); }

    static StringUtil append(std::string& s, int v, int width);
    static StringUtil append(std::string& s, short v, int width);
    static StringUtil append(std::string& s, unsigned int v, int width);
    static StringUtil append(std::string& s, long long v, int width);
    static StringUtil append(std::string& s, double v, int width, int precision);
    static StringUtil append(std::string& s, float v, int width, int precision);
    static StringUtil append(std::string& s, bool v, int width);
    static StringUtil append(std::string& s, char v, int width);
    static StringUtil append(std::string& s, const void* v, int width);
    // `maxBytes` below 1 means no limit.
    static StringUtil append(std::string& s, const char* v, int width, int maxBytes);
    // Appends the first `maxBytes` bytes when 0 < maxBytes < size, else all.
    static StringUtil append(std::string& s, const std::string& v, int width, int maxBytes);
    template <typename T>
    StringUtil append(T v, int width) { return append(*target, v, width); }
    template <typename T>
    StringUtil append(T v, int width, int extra) { return append(*target, v, width, extra); }

    // Fields between delimiters; empty inner and leading fields are kept, a
    // delimiter at the very end adds no empty last field. `out` is not cleared.
    static void split(const std::string& s, char delim, std::vector<std::string>& out);
    void split(char delim, std::vector<std::string>& out) const { split(*target, delim, out); }

    static std::vector<std::string> tokenize(const std::string& s);
    std::vector<std::string> tokenize() const { return tokenize(*target); }

    // Reads a resource file line by line, unscrambling ".enc" content.
    static bool load(const std::string& path, std::vector<std::string>& lines, bool scrambled);

    // One string per character; stray bytes that start no character are
    // skipped; a character cut short by the end yields the bytes that remain.
    static void getCharactors(const std::string& s, std::vector<std::string>& out);
    void getCharactors(std::vector<std::string>& out) const { getCharactors(*target, out); }

    static std::map<std::string, int> bagWords(const std::string& s);
    std::map<std::string, int> bagWords() const { return bagWords(*target); }

    StringUtil& operator<<(const char* text);
    StringUtil& operator<<(std::string text);

    // Byte length of the character whose lead byte is `c` (0 when `c` starts
    // no character).
    static int charLength(unsigned char c);

private:
    std::string* target;
    std::string own;
};

}  // namespace Utilities
}  // namespace Varnex
