// Text phrase dictionaries ("value TAB raw key" lines) on any text: loaded
// plain and scrambled as the detectors load them, and built into the binary
// form by the dictionary tool and loaded back.
//
// Input: the dictionary's text. Scans stay inside the scanned text; the
// plain and scrambled files find the same matches; a binary dictionary the
// tool builds loads again and finds what the text dictionary finds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Utilities/TableReader.h"

namespace {

using Matches = std::vector<std::pair<std::string, std::string>>;

// Everything the four scans of `d` give on `text`, checked for bounds.
std::vector<std::string> scan(const Varnex::DictionaryFeature& d, const std::string& text) {
    std::vector<std::string> out;
    d.getFeature(text, out, false, true);
    d.getFeature(text, out, true, false);
    std::vector<std::pair<int, int>> spans;
    Matches matches;
    d.findAllMatch(text, spans, matches, true, false);
    if (spans.size() != matches.size()) std::abort();
    const int n = static_cast<int>(text.size());
    for (const auto& s : spans) {
        if (s.first < 0 || s.second <= s.first || s.second > n) std::abort();
        out.push_back(std::to_string(s.first) + "-" + std::to_string(s.second));
    }
    for (const auto& m : matches) out.push_back(m.first + "=" + m.second);
    for (bool skip : {false, true}) {
        std::string key, matched, value;
        const int first = d.findFirstMatch(text, key, matched, value, skip, !skip);
        if (first >= 0 && (first >= n || text.compare(first, matched.size(), matched) != 0)) std::abort();
        out.push_back(std::to_string(first) + key + "|" + matched + "|" + value);
        const int last = d.findLastMatch(text, key, matched, value, skip, skip);
        if (last >= 0 && (last >= n || text.compare(last, matched.size(), matched) != 0))
            std::abort();
        out.push_back(std::to_string(last) + key + "|" + matched + "|" + value);
    }
    return out;
}

std::vector<std::string> scanAll(const Varnex::DictionaryFeature& d, const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const auto& t : texts) {
        auto part = scan(d, t);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    VarnexFuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> texts = {"안녕하세요 잘 지냈어?", "고마워 ㅋㅋ 진짜 고마워", "ab c /~ 잘 자", ""};
    // The dictionary's own lines are texts that should match something.
    if (size < 2048) {
        size_t start = 0;
        while (start < text.size() && texts.size() < 24) {
            size_t nl = text.find('\n', start);
            if (nl == std::string::npos) nl = text.size();
            texts.push_back(text.substr(start, nl - start));
            start = nl + 1;
        }
    }

    const std::string plainPath = VarnexFuzz::writeScratch("d.dictionary", text);
    Varnex::DictionaryFeature plain(plainPath, false);
    Varnex::DictionaryFeature scrambled(VarnexFuzz::writeScratch("d.dictionary.enc", VarnexFuzz::scrambled(text)),
                                        false);
    Varnex::DictionaryFeature raw(VarnexFuzz::writeScratch("raw.dictionary.enc", text), false);
    const std::vector<std::string> fromPlain = scanAll(plain, texts);
    if (VarnexFuzz::readingsComparable(text) && scanAll(scrambled, texts) != fromPlain) std::abort();
    scanAll(raw, texts);

    // The tool's build takes further fields and refuses nothing but short
    // lines; with two fields to a line it holds what the text load holds.
    const std::string binPath = VarnexFuzz::scratchDir() + "/d.bin";
    std::remove(binPath.c_str());
    if (Varnex::DoubleArrayTrie::buildDic(plainPath, binPath)) {
        Varnex::DoubleArrayTrie loaded;
        if (!loaded.load(binPath)) std::abort();
        // The text load refuses lines of more than two fields, the tool does not.
        Varnex::Utilities::TableFormat any;
        std::vector<Varnex::Utilities::TableRow> rows;
        bool twoFields = Varnex::Utilities::readTable(plainPath, any, rows);
        for (const auto& row : rows) twoFields = twoFields && row.fields.size() <= 2;
        if (twoFields && scanAll(Varnex::DictionaryFeature(binPath, true), texts) != fromPlain) std::abort();
    }
    return 0;
}
