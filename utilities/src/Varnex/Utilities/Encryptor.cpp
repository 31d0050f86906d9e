#include "Varnex/Utilities/Encryptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

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
    // (k + u) mod 255 with k in [-255, 255]: the same as safeAdd, without a
    // division per byte (whole resource files pass through here at start-up).
    auto add = [](int k, unsigned char u) {
        int s = k + u + 255;  // 0 .. 765
        if (s >= 510) s -= 510;
        if (s >= 255) s -= 255;
        return static_cast<char>(s);
    };
    if (mode == 2 && !passPhrase.empty()) {
        const size_t n = passPhrase.size();
        for (size_t i = 0, j = 0; i < len; ++i) {
            out[i] = add(sign * static_cast<unsigned char>(passPhrase[j]), static_cast<unsigned char>(data[i]));
            if (++j == n) j = 0;
        }
    } else if (mode == 1) {
        for (size_t i = 0; i < len; ++i) out[i] = add(sign * key, static_cast<unsigned char>(data[i]));
    } else if (len > 0) {
        std::memcpy(out, data, len);
    }
    return out;
}

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

bool StringUtil::load(const std::string& path, std::vector<std::string>& lines, bool scrambled) {
    const char* const tag = "utilities/src/Varnex/Utilities/StringUtil";
    varnex_print_log(LOG_DEBUG, tag, "Loading resource : %s\n", path.c_str());
    // Whether a missing file matters is the reader's decision: it is only
    // reported here, as a warning in plain words.
    auto unreadable = [&]() {
        varnex_print_log(LOG_WARN, tag, "Resource file %s: %s\n", path.c_str(), describeUnreadable(path));
        return false;
    };
    if (scrambled) {
        FileContent content = Encryptor().decryptFile(path);
        if (content.empty()) return unreadable();
        // The text ends at its first zero byte; empty pieces are dropped.
        std::string text(content.data());
        bool first = true;
        size_t start = 0;
        while (start <= text.size()) {
            size_t nl = text.find('\n', start);
            size_t end = nl == std::string::npos ? text.size() : nl;
            if (end > start) {
                std::string piece = text.substr(start, end - start);
                if (first) removeUtf8Bom(piece);
                first = false;
                lines.push_back(rtrim(piece));
            }
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
        return true;
    }
    std::ifstream in;
    if (isRegularFile(path)) in.open(path);
    if (!in.is_open()) return unreadable();
    // Lines are collected apart and appended only when the whole file was read.
    std::vector<std::string> read;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first) removeUtf8Bom(line);
        first = false;
        read.push_back(rtrim(line));
    }
    if (in.bad()) return unreadable();
    lines.insert(lines.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    return true;
}

}  // namespace Utilities
}  // namespace Varnex
