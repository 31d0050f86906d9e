// Feeds arbitrary bytes to the binary dictionary loader, then searches
// whatever loaded. A damaged file must be rejected without a crash, an
// unchecked allocation or a hang; an accepted one must be safe to search.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Varnex/BinaryIO.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Log.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Varnex::setLogSink([](int, const char*, const char*) { return 0; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    Varnex::DoubleArrayTrie trie;
    std::istringstream in(bytes);
    const bool loaded = trie.load(in);
    if (!loaded && trie.size() != 0) std::abort();  // a failed load keeps nothing

    static const char* const kTexts[] = {"안녕하세요 잘 지냈어?", "ab c", "고마워 ㅋㅋ", "  x  ", "/~", ""};
    std::vector<std::pair<std::string, std::string>> results;
    for (const char* text : kTexts) {
        const std::string t = text;
        for (int p = 0; p <= static_cast<int>(t.size()); ++p) {
            results.clear();
            int length = 0;
            if (trie.search(t, p, results, length, true, false) &&
                (length <= 0 || length > static_cast<int>(t.size()) - p))
                std::abort();
        }
    }
    // The same bytes as a text to search, when short.
    if (loaded && size < 256) {
        for (int p = 0; p < static_cast<int>(bytes.size()); ++p) {
            results.clear();
            int length = 0;
            trie.search(bytes, p, results, length, p % 2 == 0, p % 3 == 0);
        }
    }

    // The primitives on their own.
    std::istringstream again(bytes);
    std::set<std::string> set;
    std::pair<std::string, std::string> pair;
    Varnex::BinaryIO::read(again, set);
    Varnex::BinaryIO::read(again, pair);
    return 0;
}
