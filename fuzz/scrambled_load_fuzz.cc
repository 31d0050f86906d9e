// Reads arbitrary bytes as a scrambled (".enc") and as a plain resource file.
// Lines never hold a line feed or trailing white space, the scrambled reader
// never yields more lines than pieces, and scrambling round-trips.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace {

std::string scratchDir;
std::string scratchPath;

void removeScratch() {
    std::remove(scratchPath.c_str());
    ::rmdir(scratchDir.c_str());
}

bool wellFormed(const std::vector<std::string>& lines) {
    for (const auto& l : lines) {
        if (l.find('\n') != std::string::npos) return false;
        if (!l.empty() && Varnex::Utilities::StringUtil::isspace(l.back())) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Varnex::setLogSink([](int, const char*, const char*) { return 0; });
    char dir[] = "/tmp/varnex-fuzz-XXXXXX";
    if (::mkdtemp(dir) == nullptr) std::abort();
    scratchDir = dir;
    scratchPath = scratchDir + "/resource.enc";
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::FILE* f = std::fopen(scratchPath.c_str(), "wb");
        if (f == nullptr) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
        std::fclose(f);
    }
    using Varnex::Utilities::StringUtil;
    std::vector<std::string> scrambled, plain;
    if (!StringUtil::load(scratchPath, scrambled, Varnex::isEncrypted(scratchPath))) std::abort();
    if (!StringUtil::load(scratchPath, plain, false)) std::abort();
    if (!wellFormed(scrambled) || !wellFormed(plain)) std::abort();

    // The decoded text, cut at its first zero byte, has at most one line per piece.
    Varnex::Utilities::Encryptor e;
    std::unique_ptr<char[]> decoded(e.decrypt(bytes.data(), bytes.size()));
    const std::string text(decoded.get());
    size_t pieces = 1;
    for (char c : text) pieces += c == '\n';
    if (scrambled.size() > pieces) std::abort();

    // Scrambling gives back every byte below 255.
    std::unique_ptr<char[]> enc(e.encrypt(bytes.data(), bytes.size()));
    std::unique_ptr<char[]> back(e.decrypt(enc.get(), bytes.size()));
    for (size_t i = 0; i < size; ++i) {
        const unsigned char want = data[i] == 255 ? 0 : data[i];
        if (static_cast<unsigned char>(back[i]) != want) std::abort();
    }
    return 0;
}
