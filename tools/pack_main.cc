// varnex-pack: scrambles plain resource sources into the ".enc" files the
// engine reads, and back for inspection.
//
//   varnex-pack encode FILE OUT        scramble one file
//   varnex-pack decode FILE OUT        unscramble one file
//   varnex-pack pack SRCDIR OUTDIR     every file of a tree: OUTDIR/<path>.enc;
//                                      classifier files (*.model, *.index,
//                                      *.category) are copied unchanged
//   varnex-pack unpack ENCDIR OUTDIR   every *.enc file of a tree, unscrambled
//                                      without the suffix; other files copied
//
// Relative paths are kept; hidden files and editor backups (*~) are skipped.
// Exit status: 0 on success, 1 when a file could not be processed, 2 on
// bad arguments.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"

namespace fs = std::filesystem;
using Varnex::Utilities::Encryptor;

namespace {

const char kUsage[] =
    "usage: varnex-pack encode FILE OUT | decode FILE OUT | pack SRCDIR OUTDIR | unpack ENCDIR OUTDIR\n";

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Classifier files are read plain by the engine.
bool isClassifierFile(const std::string& name) {
    return endsWith(name, ".model") || endsWith(name, ".index") || endsWith(name, ".category");
}

bool isIgnored(const std::string& name) { return name.empty() || name[0] == '.' || endsWith(name, "~"); }

bool makeParent(const fs::path& out) {
    std::error_code ec;
    if (out.has_parent_path()) fs::create_directories(out.parent_path(), ec);
    if (ec) {
        std::fprintf(stderr, "varnex-pack: cannot create %s: %s\n", out.parent_path().c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

bool scramble(const fs::path& in, const fs::path& out, bool encode) {
    if (!makeParent(out)) return false;
    Encryptor encryptor;
    const bool ok = encode ? encryptor.encrypt(in.string(), out.string()) : encryptor.decrypt(in.string(), out.string());
    if (!ok) std::fprintf(stderr, "varnex-pack: cannot %s %s\n", encode ? "scramble" : "unscramble", in.c_str());
    return ok;
}

bool copyPlain(const fs::path& in, const fs::path& out) {
    if (!makeParent(out)) return false;
    std::error_code ec;
    fs::copy_file(in, out, fs::copy_options::overwrite_existing, ec);
    if (ec) std::fprintf(stderr, "varnex-pack: cannot copy %s: %s\n", in.c_str(), ec.message().c_str());
    return !ec;
}

// Walks `src` and processes every regular file; returns the exit status.
int walkTree(const fs::path& src, const fs::path& dst, bool encode) {
    std::error_code ec;
    if (!fs::is_directory(src, ec)) {
        std::fprintf(stderr, "varnex-pack: not a directory: %s\n", src.c_str());
        return 1;
    }
    std::vector<fs::path> files;
    fs::recursive_directory_iterator it(src, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (isIgnored(name)) {
            if (it->is_directory(ec)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file(ec)) files.push_back(it->path());
    }
    if (ec) {
        std::fprintf(stderr, "varnex-pack: cannot read %s: %s\n", src.c_str(), ec.message().c_str());
        return 1;
    }
    int processed = 0, failed = 0;
    for (const auto& file : files) {
        const fs::path rel = fs::relative(file, src, ec);
        if (ec) {
            ++failed;
            continue;
        }
        const std::string name = file.filename().string();
        bool ok;
        if (isClassifierFile(name)) {
            ok = copyPlain(file, dst / rel);
        } else if (encode) {
            ok = scramble(file, dst / (rel.string() + Varnex::Utilities::kScrambledSuffix), true);
        } else if (Varnex::isEncrypted(name)) {
            std::string plain = rel.string();
            plain.resize(plain.size() - 4);
            ok = scramble(file, dst / plain, false);
        } else {
            ok = copyPlain(file, dst / rel);
        }
        ++processed;
        if (!ok) ++failed;
    }
    std::fprintf(stderr, "varnex-pack: %d file(s) %s into %s, %d failed\n", processed, encode ? "packed" : "unpacked",
                 dst.c_str(), failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Error messages of the engine's file code go to stderr.
    Varnex::setLogLevel(Varnex::LOG_ERROR);
    if (argc != 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const fs::path in = argv[2], out = argv[3];
    if (command == "encode" || command == "decode") {
        std::error_code ec;
        if (!fs::is_regular_file(in, ec)) {
            std::fprintf(stderr, "varnex-pack: cannot read %s\n", in.c_str());
            return 1;
        }
        return scramble(in, out, command == "encode") ? 0 : 1;
    }
    if (command == "pack") return walkTree(in, out, true);
    if (command == "unpack") return walkTree(in, out, false);
    std::fputs(kUsage, stderr);
    return 2;
}
