// Reads arbitrary bytes as a scrambled (".enc") and as a plain resource file.
// A refused file appends nothing; accepted lines are well-formed UTF-8
// without zero bytes, line feeds or trailing white space; the scrambled
// reader never yields more lines than pieces; scrambling round-trips.
#include <glib.h>
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
        if (l.find('\n') != std::string::npos || l.find('\0') != std::string::npos) return false;
        if (!l.empty() && Varnex::Utilities::StringUtil::isspace(l.back())) return false;
        if (!g_utf8_validate(l.data(), static_cast<gssize>(l.size()), nullptr)) return false;
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
    // A refused file appends nothing; an accepted one only lines of text.
    std::vector<std::string> scrambled{"sentinel"}, plain{"sentinel"};
    const bool scrambledOk = StringUtil::load(scratchPath, scrambled, Varnex::isEncrypted(scratchPath));
    const bool plainOk = StringUtil::load(scratchPath, plain, false);
    for (const auto* lines : {&scrambled, &plain})
        if (lines->empty() || lines->front() != "sentinel") std::abort();
    if ((!scrambledOk && scrambled.size() != 1) || (!plainOk && plain.size() != 1)) std::abort();
    if (!wellFormed(scrambled) || !wellFormed(plain)) std::abort();

    // The decoded text has at most one line per piece.
    Varnex::Utilities::Encryptor e;
    std::unique_ptr<char[]> decoded(e.decrypt(bytes.data(), bytes.size()));
    size_t pieces = 1;
    for (size_t i = 0; i < size; ++i) pieces += decoded[i] == '\n';
    if (scrambled.size() - 1 > pieces) std::abort();

    // Scrambling gives back every byte below 255.
    std::unique_ptr<char[]> enc(e.encrypt(bytes.data(), bytes.size()));
    std::unique_ptr<char[]> back(e.decrypt(enc.get(), bytes.size()));
    for (size_t i = 0; i < size; ++i) {
        const unsigned char want = data[i] == 255 ? 0 : data[i];
        if (static_cast<unsigned char>(back[i]) != want) std::abort();
    }
    return 0;
}
