// Scrambling of resource files.
//
// A scrambled file has exactly the plain file's length; byte i is
// (p + k) mod 255 with p the plain byte and k byte (i mod n) of the pass
// phrase (mode 2) or the single key byte (mode 1). Other modes copy bytes.
// Its name ends in ".enc". Every reader uses the built-in pass phrase.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "Varnex/Export.h"
#include "Varnex/Utilities/Files.h"

namespace Varnex {

// True when `path` is longer than ".enc" and ends in it (case-sensitive).
bool isEncrypted(const std::string& path);

template <typename T>
struct varnex_array_deleter {
    void operator()(T* p) const { delete[] p; }
};

namespace Utilities {

extern const char* const kScrambledSuffix;  // ".enc"


// A whole file's bytes with shared ownership. The array holds one more byte
// than `size()`, a terminating zero.
class FileContent {
public:
    FileContent() = default;
    // Takes ownership of `data` (allocated with new[], size + 1 bytes).
    FileContent(char* data, size_t size) { assign(data, size); }
    void assign(char* data, size_t size) {
        buffer.reset(data, varnex_array_deleter<char>());
        length = data ? size : 0;
    }
    const char* data() const { return buffer.get(); }
    size_t size() const { return length; }
    bool empty() const { return buffer == nullptr; }

private:
    std::shared_ptr<char> buffer;
    size_t length = 0;
};

class Encryptor {
public:
    // Mode 2 with the built-in pass phrase.
    Encryptor();
    // Mode 2 with `passPhrase`; an empty phrase copies bytes unchanged.
    explicit Encryptor(std::string passPhrase);
    // Mode 1 with the low byte of `key` (255 counts as 0).
    explicit Encryptor(int key);

    static char safeAdd(char c, int k);

    // New arrays of len + 1 bytes ending in 0; release with delete[].
    char* encrypt(const char* data, size_t len) const;
    char* decrypt(const char* data, size_t len) const;
    // The result ends at the first zero byte produced.
    std::string encrypt(const std::string& s) const;
    std::string decrypt(const std::string& s) const;
    // Unscrambles `len` bytes where they lie (no terminator is added).
    void decryptInPlace(char* data, size_t len) const;

    // Scrambles a whole file. The input is read and checked completely
    // before the output is touched; the output is written to a temporary
    // file beside it and renamed into place only after every byte was
    // written and closed, so a failure never leaves a truncated file (and
    // scrambling a file onto itself works). False with an error log on any
    // failure.
    bool encrypt(const std::string& inPath, const std::string& outPath) const;
    // The same in the other direction.
    bool decrypt(const std::string& inPath, const std::string& outPath) const;
    // Reads and unscrambles a whole file; empty on any read failure.
    FileContent decryptFile(const std::string& path) const;

    int getMode() const { return mode; }

private:
    char* transform(const char* data, size_t len, int sign) const;
    // `out` may be `data` itself.
    void transformInto(const char* data, char* out, size_t len, int sign) const;
    bool transformFile(const std::string& inPath, const std::string& outPath, int sign) const;

    int mode;
    int key = 0;
    std::string passPhrase;
};

}  // namespace Utilities
}  // namespace Varnex
