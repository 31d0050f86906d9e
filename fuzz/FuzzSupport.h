// Helpers for the fuzz targets that read resource files: a private scratch
// directory (removed at exit), whole-file writes, scrambling as the pack
// tool does, and cutting an input into parts at zero bytes.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"

namespace VarnexFuzz {

// Every rejected input logs; the fuzzer's output stays readable without.
inline void quiet() {
    Varnex::setLogSink([](int, const char*, const char*) { return 0; });
}

// Never destroyed, so that the removal at exit can still name it.
inline const std::string& scratchDir() {
    static const std::string* dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnex-fuzz-XXXXXX").string();
        if (::mkdtemp(&pattern[0]) == nullptr) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchDir(), ec);
        });
        return new std::string(pattern);
    }();
    return *dir;
}

// Writes `bytes` as scratchDir()/name and returns the path.
inline std::string writeScratch(const std::string& name, const std::string& bytes) {
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
    return path;
}

// `plain` as a ".enc" file holds it (every byte but 255, which comes back 0).
inline std::string scrambled(const std::string& plain) {
    std::unique_ptr<char[]> bytes(Varnex::Utilities::Encryptor().encrypt(plain.data(), plain.size()));
    return std::string(bytes.get(), plain.size());
}

// The input cut at its first n - 1 zero bytes into n parts (missing parts
// are empty).
inline std::vector<std::string> parts(const uint8_t* data, size_t size, size_t n) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> out(n);
    size_t start = 0;
    for (size_t i = 0; i < n && start <= input.size(); ++i) {
        size_t end = i + 1 < n ? input.find('\0', start) : std::string::npos;
        if (end == std::string::npos) end = input.size();
        out[i] = input.substr(start, end - start);
        start = end + 1;
    }
    return out;
}

// Whether plain and scrambled readings of `text` must agree: they differ by
// design on a byte-order mark (the scrambled reader removes it from the
// first non-empty line, the plain one from the first line) and on byte 255
// (which scrambling cannot carry).
inline bool readingsComparable(const std::string& text) {
    return text.find("\xEF\xBB\xBF") == std::string::npos && text.find('\xFF') == std::string::npos;
}

}  // namespace VarnexFuzz
