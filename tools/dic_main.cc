// varnex-dic: builds binary phrase dictionaries and dumps them back to text.
//
//   varnex-dic build SOURCE TARGET   lines "value TAB raw key" -> binary file
//   varnex-dic dump BINARY [OUT]     binary file -> lines "value TAB raw key"
//                                    (to OUT, or to standard output)
//   varnex-dic compile TEXT [OUT]    the compiled form the engine reads in
//                                    place of the text dictionary TEXT (plain
//                                    or scrambled); OUT defaults to TEXT.trie
//
// A dump is itself a valid source, so build(dump(x)) gives the same
// dictionary. Exit status: 0 on success, 1 when a file cannot be read,
// written or is damaged, 2 on bad arguments.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"

namespace {

const char kUsage[] = "usage: varnex-dic build SOURCE TARGET | dump BINARY [OUT] | compile TEXT [OUT]\n";

int compile(const std::string& text, const std::string& target) {
    if (!Varnex::Utilities::isRegularFile(text)) {
        std::fprintf(stderr, "varnex-dic: cannot read %s\n", text.c_str());
        return 1;
    }
    return Varnex::DictionaryFeature::compile(text, target) ? 0 : 1;
}

int build(const std::string& source, const std::string& target) {
    if (!Varnex::Utilities::isRegularFile(source)) {
        std::fprintf(stderr, "varnex-dic: cannot read %s\n", source.c_str());
        return 1;
    }
    if (!Varnex::DoubleArrayTrie::buildDic(source, target)) {
        std::fprintf(stderr, "varnex-dic: failed to build %s from %s\n", target.c_str(), source.c_str());
        return 1;
    }
    Varnex::DoubleArrayTrie check;
    if (!check.load(target)) {
        std::fprintf(stderr, "varnex-dic: %s does not load back\n", target.c_str());
        return 1;
    }
    std::fprintf(stderr, "varnex-dic: %zu entries written to %s\n", check.size(), target.c_str());
    return 0;
}

int dump(const std::string& binary, const std::string& outPath) {
    Varnex::DoubleArrayTrie trie;
    if (!trie.load(binary)) {
        std::fprintf(stderr, "varnex-dic: cannot load %s\n", binary.c_str());
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> entries;
    trie.listEntries(entries);
    std::ofstream file;
    if (!outPath.empty()) {
        file.open(outPath, std::ios::binary | std::ios::trunc);
        if (!file) {
            std::fprintf(stderr, "varnex-dic: cannot create %s\n", outPath.c_str());
            return 1;
        }
    }
    std::ostream& out = outPath.empty() ? std::cout : file;
    for (const auto& e : entries) out << e.second << '\t' << e.first << '\n';
    out.flush();
    if (file.is_open()) file.close();
    if (!out) {
        std::fprintf(stderr, "varnex-dic: write failed\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Varnex::setLogLevel(Varnex::LOG_ERROR);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "build" && argc == 4) return build(argv[2], argv[3]);
    if (command == "compile" && (argc == 3 || argc == 4))
        return compile(argv[2], argc == 4 ? argv[3] : Varnex::DictionaryFeature::compiledPath(argv[2]));
    if (command == "dump" && (argc == 3 || argc == 4)) return dump(argv[2], argc == 4 ? argv[3] : "");
    std::fputs(kUsage, stderr);
    return 2;
}
