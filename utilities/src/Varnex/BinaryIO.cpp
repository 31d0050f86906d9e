#include "Varnex/BinaryIO.h"

#include <climits>
#include <cstdio>
#include <istream>
#include <memory>
#include <ostream>

#include "Varnex/Utilities/Encryptor.h"

namespace Varnex {

namespace {

long long position(std::istream& in) {
    if (in.fail()) return -1;
    return static_cast<long long>(in.tellg());
}

long long position(std::ostream& out) {
    if (out.fail()) return -1;
    return static_cast<long long>(out.tellp());
}

long long fail(std::istream& in) {
    in.setstate(std::ios::failbit);
    return -1;
}

// Parses the ten bytes of an integer field: spaces, an optional '-', then at
// least one digit up to the end of the field. False for anything else or
// for a value outside int.
bool parseInteger(const char* field, int& value) {
    int i = 0;
    const int n = BinaryIO::kIntegerWidth;
    while (i < n && field[i] == ' ') ++i;
    bool negative = false;
    if (i < n && field[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == n) return false;
    long long v = 0;
    for (; i < n; ++i) {
        if (field[i] < '0' || field[i] > '9') return false;
        v = v * 10 + (field[i] - '0');  // at most 10 digits: no overflow in 64 bits
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

long long BinaryIO::remaining(std::istream& in) {
    if (in.fail()) return -1;
    const std::streampos here = in.tellg();
    if (here == std::streampos(-1)) return -1;
    in.seekg(0, std::ios::end);
    const std::streampos end = in.tellg();
    in.seekg(here);
    if (end == std::streampos(-1) || in.fail()) return -1;
    return static_cast<long long>(end - here);
}

long long BinaryIO::read(std::istream& in, int& value) {
    value = 0;
    char field[kIntegerWidth];
    if (in.fail() || !in.read(field, kIntegerWidth)) return fail(in);
    int parsed = 0;
    if (!parseInteger(field, parsed)) return fail(in);
    value = parsed;
    return position(in);
}

long long BinaryIO::read(std::istream& in, std::string& value) {
    value.clear();
    int length = 0;
    if (read(in, length) < 0) return -1;
    const long long left = remaining(in);
    if (length < 0 || left < 0 || length > left) return fail(in);
    if (length == 0) return position(in);
    // Read and unscrambled in the string's own memory: the big dictionaries
    // pass megabytes through here at start-up.
    value.resize(static_cast<size_t>(length));
    if (!in.read(&value[0], length)) {
        value.clear();
        return fail(in);
    }
    static const Utilities::Encryptor scrambler;
    scrambler.decryptInPlace(&value[0], value.size());
    const size_t zero = value.find('\0');  // the text ends at the first zero byte
    if (zero != std::string::npos) value.resize(zero);
    return position(in);
}

long long BinaryIO::read(std::istream& in, std::pair<std::string, std::string>& value) {
    std::pair<std::string, std::string> item;
    value = item;
    if (read(in, item.first) < 0 || read(in, item.second) < 0) return -1;
    value = std::move(item);
    return position(in);
}

long long BinaryIO::read(std::istream& in, std::set<std::string>& value) {
    int count = 0;
    if (read(in, count) < 0) return -1;
    if (count < 1) return position(in);
    // Every element takes at least one integer field.
    const long long left = remaining(in);
    if (left < 0 || count > left / kIntegerWidth) return fail(in);
    std::set<std::string> items;
    for (int i = 0; i < count; ++i) {
        std::string s;
        if (read(in, s) < 0) return -1;
        items.insert(std::move(s));
    }
    value.insert(items.begin(), items.end());
    return position(in);
}

long long BinaryIO::write(std::ostream& out, int value) {
    char text[32];
    std::snprintf(text, sizeof text, "%10d", value);
    out.write(text, kIntegerWidth);
    return position(out);
}

long long BinaryIO::write(std::ostream& out, const std::string& value) {
    if (value.size() > static_cast<size_t>(INT_MAX)) {
        out.setstate(std::ios::failbit);
        return -1;
    }
    if (write(out, static_cast<int>(value.size())) < 0) return -1;
    if (!value.empty()) {
        std::unique_ptr<char[]> scrambled(Utilities::Encryptor().encrypt(value.data(), value.size()));
        out.write(scrambled.get(), static_cast<std::streamsize>(value.size()));
    }
    return position(out);
}

long long BinaryIO::write(std::ostream& out, const std::pair<std::string, std::string>& value) {
    if (write(out, value.first) < 0) return -1;
    return write(out, value.second);
}

long long BinaryIO::write(std::ostream& out, const std::set<std::string>& value) {
    if (value.size() > static_cast<size_t>(INT_MAX)) {
        out.setstate(std::ios::failbit);
        return -1;
    }
    if (write(out, static_cast<int>(value.size())) < 0) return -1;
    for (const auto& s : value)
        if (write(out, s) < 0) return -1;
    return position(out);
}

}  // namespace Varnex
