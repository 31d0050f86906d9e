// Primitives of the engine's binary resource files.
//
//   integer  exactly 10 bytes: printf "%10d" (right-aligned, space-padded);
//            only the first 10 characters of a longer rendering are written,
//            so values below -999999999 do not survive a round trip
//   string   an integer n (byte length), then n bytes scrambled with the
//            built-in pass phrase
//   pair     the first string, then the second
//   set      an integer count, then each element as a string, in set order
//
// Every function returns the stream position after the item, or -1 when the
// stream has failed. Readers distrust their input: an integer field must be
// optional spaces, an optional minus sign and at least one digit filling the
// ten bytes exactly, and must fit in an int; a length or count is accepted
// only when it is not negative and not larger than the bytes left in the
// stream. On any such fault the stream's failbit is set, the target receives
// 0 / an empty string / an empty pair (a set is left unchanged) and -1 is
// returned, so one damaged field stops every later read of the same stream.
// A target is only changed once its whole item was read.
#pragma once

#include <iosfwd>
#include <set>
#include <string>
#include <utility>

namespace Varnex {

class BinaryIO {
public:
    static constexpr int kIntegerWidth = 10;

    static long long read(std::istream& in, int& value);
    static long long read(std::istream& in, std::string& value);
    static long long read(std::istream& in, std::pair<std::string, std::string>& value);
    static long long read(std::istream& in, std::set<std::string>& value);

    static long long write(std::ostream& out, int value);
    // Strings longer than INT_MAX bytes cannot be written: the stream's
    // failbit is set and -1 returned.
    static long long write(std::ostream& out, const std::string& value);
    static long long write(std::ostream& out, const std::pair<std::string, std::string>& value);
    static long long write(std::ostream& out, const std::set<std::string>& value);

    // Bytes between the read position and the end of the stream; -1 when
    // the stream has failed or cannot seek.
    static long long remaining(std::istream& in);
};

}  // namespace Varnex
