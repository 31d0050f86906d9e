#include "Varnex/StoreKey.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Varnex/Log.h"

namespace Varnex {
namespace {

const char* const kTag = "AutoReply/src/Varnex/StoreKey";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads at most `limit` bytes of `path`; false with `error` set on failure.
bool readSmallFile(const std::string& path, size_t limit, std::string& text, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    text.clear();
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > limit) break;
    }
    ::close(fd);
    return true;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The key in the key file at `path`; false with `error` set when the file
// cannot be read or does not hold a key.
bool readKeyFile(const std::string& path, StoreKey& key, std::string& error) {
    std::string text;
    if (!readSmallFile(path, 1024, text, error)) {
        error = "the key file " + path + " cannot be read: " + error;
        return false;
    }
    if (!StoreKey::fromHex(text, key)) {
        error = "the key file " + path + " is damaged (it must hold 64 hexadecimal digits)";
        return false;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 077) != 0) {
        // Only the owner may read the key; tighten a file someone loosened.
        if (::chmod(path.c_str(), S_IRUSR | S_IWUSR) == 0)
            varnex_print_log(LOG_WARN, kTag, "The key file %s could be read by others; it is now the owner's only\n",
                             path.c_str());
        else
            varnex_print_log(LOG_WARN, kTag, "The key file %s can be read by others: %s\n", path.c_str(),
                             std::strerror(errno));
    }
    return true;
}

enum class Created { Yes, AlreadyThere, ReadOnly, Failed };

// Writes a new key into a temporary file beside `path` and links it into
// place, so the key file appears whole or not at all, and two processes
// creating it at once end up with one key (the second finds the first's).
Created createKeyFile(const std::string& path, std::string& error) {
    StoreKey key;
    if (!StoreKey::generate(key, error)) return Created::Failed;
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(&temp[0]);  // mode 0600
    if (fd < 0) {
        const int e = errno;
        if (e == EACCES || e == EROFS || e == EPERM) return Created::ReadOnly;
        error = "the key file " + path + " cannot be created: " + std::strerror(e);
        return Created::Failed;
    }
    const bool written = writeAll(fd, key.hex() + "\n") && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temp.c_str());
        error = "the key file " + path + " cannot be written: " + std::strerror(writeErrno);
        return Created::Failed;
    }
    const int linked = ::link(temp.c_str(), path.c_str());
    const int linkErrno = errno;
    ::unlink(temp.c_str());
    if (linked == 0) return Created::Yes;
    if (linkErrno == EEXIST) return Created::AlreadyThere;
    error = "the key file " + path + " cannot be created: " + std::strerror(linkErrno);
    return Created::Failed;
}

}  // namespace

const char* const kStoreKeyFileName = "varnex.key";

StoreKey StoreKey::builtIn() {
    StoreKey key;
    key.passphrase = "*KQZWTR_vexmorlint#";
    return key;
}

bool StoreKey::fromBytes(const unsigned char* data, size_t size, StoreKey& key) {
    if (data == nullptr || size != kBytes) return false;
    StoreKey made;
    std::memcpy(made.bytes.data(), data, kBytes);
    key = made;
    return true;
}

bool StoreKey::fromHex(const std::string& text, StoreKey& key) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    if (first == std::string::npos || last - first + 1 != 2 * kBytes) return false;
    StoreKey made;
    for (size_t i = 0; i < kBytes; ++i) {
        const int high = hexValue(text[first + 2 * i]), low = hexValue(text[first + 2 * i + 1]);
        if (high < 0 || low < 0) return false;
        made.bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    key = made;
    return true;
}

bool StoreKey::generate(StoreKey& key, std::string& error) {
    StoreKey made;
    size_t done = 0;
    while (done < kBytes) {
        const ssize_t n = ::getrandom(made.bytes.data() + done, kBytes - done, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::string("no random bytes from the operating system: ") + std::strerror(errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    key = made;
    return true;
}

std::string StoreKey::hex() const {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * kBytes);
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string StoreKey::pragmaValue() const {
    if (isBuiltIn()) return "'" + passphrase + "'";
    return "\"x'" + hex() + "'\"";
}

bool storeKeysFor(const std::string& dataDir, const StoreKey* hostKey, StoreKeys& keys, std::string& error) {
    const std::string path = dataDir + kStoreKeyFileName;
    StoreKeys found;
    if (hostKey != nullptr) {
        found.key = *hostKey;
        StoreKey fileKey;
        std::string ignored;
        if (::access(path.c_str(), F_OK) == 0 && readKeyFile(path, fileKey, ignored) && fileKey != *hostKey)
            found.former.push_back(fileKey);
        if (!hostKey->isBuiltIn()) found.former.push_back(StoreKey::builtIn());
        keys = found;
        return true;
    }
    if (::access(path.c_str(), F_OK) != 0) {
        switch (createKeyFile(path, error)) {
            case Created::Yes:
                varnex_print_log(LOG_INFO, kTag, "Created the key file %s\n", path.c_str());
                break;
            case Created::AlreadyThere:
                break;
            case Created::ReadOnly:
                // Nothing can be stored here; stores written before keys
                // were made per directory can still be read.
                varnex_print_log(LOG_WARN, kTag, "The key file %s cannot be created (the directory is read-only)\n",
                                 path.c_str());
                keys = found;
                return true;
            case Created::Failed:
                return false;
        }
    }
    if (!readKeyFile(path, found.key, error)) return false;
    found.former.push_back(StoreKey::builtIn());
    keys = found;
    return true;
}

}  // namespace Varnex
