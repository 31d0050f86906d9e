#include "Varnex/Utilities/Encryptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Varnex/Log.h"
#include "Varnex/Utilities/Files.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

bool isEncrypted(const std::string& path) {
    const size_t n = 4;
    return path.size() > n && path.compare(path.size() - n, n, ".enc") == 0;
}

namespace Utilities {


namespace {
const char* const kTag = "utilities/src/Varnex/Utilities/Encryptor";
const char kBuiltInPhrase[] =
    "Seven quiet herons walk along the muddy banks at dawn, while small boats drift far downstream.";

// Reads a whole regular file in binary mode; false when it is missing, not a
// regular file (a directory, say) or cannot be read completely.
bool readWhole(const std::string& path, std::vector<char>& out) {
    if (!isRegularFile(path)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(out.data(), size)) return false;
    return true;
}
}  // namespace


const char* const kScrambledSuffix = ".enc";

Encryptor::Encryptor() : mode(2), passPhrase(kBuiltInPhrase) {}

Encryptor::Encryptor(std::string phrase) : mode(2), passPhrase(std::move(phrase)) {}

Encryptor::Encryptor(int k) : mode(1), key(k & 0xFF) {
    if (key == 255) key = 0;
}

char Encryptor::safeAdd(char c, int k) {
    int u = static_cast<unsigned char>(c);
    return static_cast<char>((k + u + 255) % 255);
}

char* Encryptor::transform(const char* data, size_t len, int sign) const {
    char* out = new char[len + 1];
    out[len] = '\0';
    transformInto(data, out, len, sign);
    return out;
}

void Encryptor::transformInto(const char* data, char* out, size_t len, int sign) const {
    // (k + u) mod 255 with k in [-255, 255]: the same as safeAdd, without a
    // division per byte (whole resource files pass through here at start-up).
    auto add = [](int k, unsigned char u) {
        int s = k + u + 255;  // 0 .. 765
        if (s >= 510) s -= 510;
        if (s >= 255) s -= 255;
        return static_cast<char>(s);
    };
    if (mode == 2 && !passPhrase.empty()) {
        // A block at a time, without a branch on the data, so the compiler
        // can do many bytes per step.
        const size_t n = passPhrase.size();
        // (u + k) mod 255 for k in [-255, 255]: with k' = k mod 255 in
        // [0, 254], u + k' stays below 510, so the byte is u + k' or, from
        // 255 - k' on, u + k' - 255. All in bytes, without a branch: the
        // compiler handles sixteen or more of them per step.
        // The phrase repeated (a whole number of times, no longer than the
        // data needs, within a few kilobytes on the stack) makes a block long
        // enough that the odd bytes at its end cost little. Nothing is
        // allocated for the many short strings a resource holds.
        constexpr size_t kStackBytes = 4096;
        const size_t repeats = n <= kStackBytes ? std::min<size_t>(64, kStackBytes / n) : 1;
        const size_t block = len < n ? len : n * std::min(repeats, len / n);
        const size_t period = std::min(n, block);
        unsigned char plusStack[kStackBytes], wrapStack[kStackBytes];
        std::vector<unsigned char> plusHeap, wrapHeap;
        unsigned char* plusBytes = plusStack;
        unsigned char* wrapBytes = wrapStack;
        if (block > kStackBytes) {
            plusHeap.resize(block);
            wrapHeap.resize(block);
            plusBytes = plusHeap.data();
            wrapBytes = wrapHeap.data();
        }
        for (size_t j = 0; j < period; ++j) {
            // k' = sign * byte mod 255, without a division.
            const unsigned char byte = static_cast<unsigned char>(passPhrase[j]);
            const unsigned char k = sign > 0 ? (byte == 255 ? 0 : byte) : (byte == 0 ? 0 : 255 - byte);
            plusBytes[j] = k;
            wrapBytes[j] = static_cast<unsigned char>(255 - k);
        }
        for (size_t filled = period; filled < block;) {
            const size_t copy = std::min(filled, block - filled);
            std::memcpy(plusBytes + filled, plusBytes, copy);
            std::memcpy(wrapBytes + filled, wrapBytes, copy);
            filled += copy;
        }
        const unsigned char* const plus = plusBytes;
        const unsigned char* const minus = wrapBytes;
        for (size_t start = 0; block > 0 && start < len; start += block) {
            const size_t m = std::min(block, len - start);
            const unsigned char* in = reinterpret_cast<const unsigned char*>(data) + start;
            unsigned char* to = reinterpret_cast<unsigned char*>(out) + start;
            for (size_t j = 0; j < m; ++j) {
                // Read before written: `out` may be `data` itself.
                // From 255 - k' on, u + k' - 255 is u + k' + 1 modulo 256.
                const unsigned char u = in[j];
                const unsigned char wraps = static_cast<unsigned char>(u >= minus[j]);
                to[j] = static_cast<unsigned char>(u + plus[j] + wraps);
            }
        }
    } else if (mode == 1) {
        for (size_t i = 0; i < len; ++i) out[i] = add(sign * key, static_cast<unsigned char>(data[i]));
    } else if (len > 0 && out != data) {
        std::memmove(out, data, len);
    }
}

void Encryptor::decryptInPlace(char* data, size_t len) const { transformInto(data, data, len, -1); }

char* Encryptor::encrypt(const char* data, size_t len) const { return transform(data, len, 1); }

char* Encryptor::decrypt(const char* data, size_t len) const { return transform(data, len, -1); }

std::string Encryptor::encrypt(const std::string& s) const {
    std::unique_ptr<char[]> out(transform(s.data(), s.size(), 1));
    return std::string(out.get());
}

std::string Encryptor::decrypt(const std::string& s) const {
    std::unique_ptr<char[]> out(transform(s.data(), s.size(), -1));
    return std::string(out.get());
}

bool Encryptor::transformFile(const std::string& inPath, const std::string& outPath, int sign) const {
    std::vector<char> input;
    if (!readWhole(inPath, input)) {
        varnex_print_log(LOG_ERROR, kTag, "%s: %s\n", inPath.c_str(), describeUnreadable(inPath));
        return false;
    }
    std::unique_ptr<char[]> output(transform(input.data(), input.size(), sign));

    // The bytes go to a fresh file beside the output, which is renamed into
    // place only when complete: the output is never left truncated, and a
    // file scrambled onto itself (or onto a name that happens to be the
    // input's temporary name) is read completely before anything is written.
    std::string tmpPath = outPath + ".XXXXXX";
    const int fd = ::mkstemp(&tmpPath[0]);
    if (fd < 0) {
        varnex_print_log(LOG_ERROR, kTag, "Encryptor::encrypt - Failed to create output file%s (%s)\n",
                         outPath.c_str(), std::strerror(errno));
        return false;
    }
    // mkstemp creates the file readable by its owner only; resource files
    // keep the mode of the file they replace, or the usual 0644.
    struct stat st;
    const mode_t mode = (::stat(outPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ? (st.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0;
    FILE* out = ::fdopen(fd, "wb");
    if (out == nullptr) {
        ::close(fd);
        ok = false;
    } else {
        ok = std::fwrite(output.get(), 1, input.size(), out) == input.size() && ok;
        ok = (std::fflush(out) == 0) && ok;
        ok = (std::fclose(out) == 0) && ok;
    }
    if (!ok) {
        varnex_print_log(LOG_ERROR, kTag, "Encryptor::encrypt - Failed to write output file%s\n", outPath.c_str());
        std::remove(tmpPath.c_str());
        return false;
    }
    if (std::rename(tmpPath.c_str(), outPath.c_str()) != 0) {
        varnex_print_log(LOG_ERROR, kTag, "Encryptor::encrypt - Failed to rename output file%s (%s)\n",
                         outPath.c_str(), std::strerror(errno));
        std::remove(tmpPath.c_str());
        return false;
    }
    return true;
}

bool Encryptor::encrypt(const std::string& inPath, const std::string& outPath) const {
    return transformFile(inPath, outPath, 1);
}

bool Encryptor::decrypt(const std::string& inPath, const std::string& outPath) const {
    return transformFile(inPath, outPath, -1);
}

FileContent Encryptor::decryptFile(const std::string& path) const {
    std::vector<char> input;
    // The caller says what the file was for; a missing file is not always an error.
    if (!readWhole(path, input)) return FileContent();
    return FileContent(transform(input.data(), input.size(), -1), input.size());
}

}  // namespace Utilities

namespace Utilities {

namespace {

const char* const kLoadTag = "utilities/src/Varnex/Utilities/StringUtil";

// Share of control bytes (besides tab, line feed and carriage return) above
// which a file is taken for binary: more than one byte in a hundred.
constexpr size_t kControlBytesPerHundred = 1;

// Line (1-based) and byte within it (1-based) of offset `at` in `text`.
std::string positionOf(const std::string& text, size_t at) {
    size_t line = 1, lineStart = 0;
    for (size_t i = 0; i < at; ++i)
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    return "line " + std::to_string(line) + ", byte " + std::to_string(at - lineStart + 1);
}

// What makes `text` unfit to be read as lines of text, or "" when nothing
// does: many control bytes or a zero byte (binary), invalid UTF-8, or no
// line with anything but white space on it.
std::string whyNotText(const std::string& text) {
    size_t control = 0, firstZero = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0 && firstZero == std::string::npos) firstZero = i;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) ++control;
    }
    if (control * 100 > text.size() * kControlBytesPerHundred)
        return "not text: " + std::to_string((control * 100 + text.size() / 2) / text.size()) + "% control bytes";
    if (firstZero != std::string::npos) return "not text: a zero byte at " + positionOf(text, firstZero);
    const gchar* end = nullptr;
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), &end))
        return "invalid UTF-8 at " + positionOf(text, static_cast<size_t>(end - text.data()));
    if (text.find_first_not_of(" \t\r\n") == std::string::npos ||
        (text.compare(0, 3, "\xEF\xBB\xBF") == 0 && text.find_first_not_of(" \t\r\n", 3) == std::string::npos))
        return text.empty() ? "no line of text: the file is empty" : "no line of text, only white space";
    return std::string();
}

}  // namespace

bool StringUtil::load(const std::string& path, std::vector<std::string>& lines, bool scrambled) {
    varnex_print_log(LOG_DEBUG, kLoadTag, "Loading resource : %s\n", path.c_str());
    std::vector<char> bytes;
    if (!readWhole(path, bytes)) {
        // Whether a missing file matters is the reader's decision: it is only
        // reported here, as a warning in plain words.
        varnex_print_log(LOG_WARN, kLoadTag, "Resource file %s: %s\n", path.c_str(), describeUnreadable(path));
        return false;
    }
    const Encryptor scrambler;
    auto unscrambled = [&]() {
        std::unique_ptr<char[]> decoded(scrambler.decrypt(bytes.data(), bytes.size()));
        return std::string(decoded.get(), bytes.size());
    };
    const std::string raw(bytes.begin(), bytes.end());
    const std::string text = scrambled ? unscrambled() : raw;

    // A damaged file is refused whole and said loudly: read line by line it
    // would give nothing useful, and a table of garbage rows silently
    // empties every suggestion built on it.
    const std::string why = whyNotText(text);
    if (!why.empty()) {
        // The other reading of the same bytes tells a file read the wrong way.
        const bool otherIsText = !text.empty() && whyNotText(scrambled ? raw : unscrambled()).empty();
        const char* hint = !otherIsText ? "" : scrambled ? " (a plain text file read as scrambled)"
                                                         : " (a scrambled file read as plain text)";
        varnex_print_log(LOG_ERROR, kLoadTag, "Resource file %s is refused: %s%s\n", path.c_str(), why.c_str(), hint);
        return false;
    }

    std::vector<std::string> read;
    bool first = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string::npos ? text.size() : nl;
        // Scrambled files drop empty pieces; plain files keep empty lines.
        if (end > start || !scrambled) {
            std::string piece = text.substr(start, end - start);
            if (first) removeUtf8Bom(piece);
            first = false;
            read.push_back(rtrim(piece));
        }
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    lines.insert(lines.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    return true;
}

}  // namespace Utilities
}  // namespace Varnex
