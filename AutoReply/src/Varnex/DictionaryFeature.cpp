#include "Varnex/DictionaryFeature.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>

#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Files.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {
namespace {
const char* const kTag = "AutoReply/src/Varnex/DictionaryFeature";
}  // namespace

DictionaryFeature::DictionaryFeature() { install(std::make_shared<DoubleArrayTrie>()); }

void DictionaryFeature::install(std::shared_ptr<DoubleArrayTrie> fresh) {
    static std::atomic<std::uint64_t> generations{0};
    trie = std::move(fresh);
    generation = ++generations;
}

DictionaryFeature::DictionaryFeature(const std::string& path, bool binary) { loadDictionary(path, binary); }

DictionaryFeature::DictionaryFeature(std::vector<std::pair<std::string, std::string>> entries) {
    loadDictionary(std::move(entries));
}

DictionaryFeature::~DictionaryFeature() = default;

namespace {

const char kCompiledMagic[] = "varnex compiled dictionary 1\n";

bool readBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    return size == 0 || static_cast<bool>(in.read(&bytes[0], size));
}

// "size hash\n" of a text dictionary's bytes, as the compiled form records it.
std::string fingerprint(const std::string& bytes) {
    return std::to_string(bytes.size()) + " " +
           std::to_string(Utilities::StringUtil::murmur3_32(bytes.data(), static_cast<unsigned int>(bytes.size()), 17)) +
           "\n";
}

std::shared_ptr<DoubleArrayTrie> buildFromText(const std::string& path) {
    // Value TAB raw key.
    Utilities::TableFormat format;
    format.minFields = format.maxFields = 2;
    std::vector<Utilities::TableRow> rows;
    auto trie = std::make_shared<DoubleArrayTrie>();
    if (Utilities::readTable(path, format, rows)) {
        for (const auto& row : rows) trie->insert(row.fields[1], row.fields[0]);
        trie->build();
    }
    return trie;
}

// The compiled form of `path`, when there is one made from its present bytes.
std::shared_ptr<DoubleArrayTrie> loadCompiled(const std::string& path) {
    const std::string compiled = DictionaryFeature::compiledPath(path);
    if (!Utilities::isRegularFile(compiled)) return nullptr;
    std::ifstream in(compiled, std::ios::binary);
    std::string magic, recorded, bytes;
    if (!std::getline(in, magic) || magic + "\n" != kCompiledMagic || !std::getline(in, recorded) ||
        !readBytes(path, bytes))
        return nullptr;
    if (recorded + "\n" != fingerprint(bytes)) {
        varnex_print_log(LOG_INFO, kTag, "%s was compiled from other contents; reading the text\n", compiled.c_str());
        return nullptr;
    }
    auto trie = std::make_shared<DoubleArrayTrie>();
    if (!trie->load(in)) {
        varnex_print_log(LOG_WARN, kTag, "%s is damaged; reading the text\n", compiled.c_str());
        return nullptr;
    }
    return trie;
}

}  // namespace

std::string DictionaryFeature::compiledPath(const std::string& textPath) { return textPath + ".trie"; }

bool DictionaryFeature::compile(const std::string& textPath, const std::string& target) {
    std::string bytes;
    if (!readBytes(textPath, bytes)) {
        varnex_print_log(LOG_ERROR, kTag, "Cannot read %s\n", textPath.c_str());
        return false;
    }
    const auto trie = buildFromText(textPath);
    const std::string temp = target + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << kCompiledMagic << fingerprint(bytes);
        if (!out || !trie->save(out) || !(out.flush())) {
            out.close();
            std::remove(temp.c_str());
            varnex_print_log(LOG_ERROR, kTag, "Cannot write %s\n", target.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::remove(temp.c_str());
        varnex_print_log(LOG_ERROR, kTag, "Cannot write %s\n", target.c_str());
        return false;
    }
    return true;
}

void DictionaryFeature::loadDictionary(const std::string& path, bool binary) {
    if (binary) {
        auto fresh = std::make_shared<DoubleArrayTrie>();
        fresh->load(path);
        install(fresh);
        return;
    }
    auto compiled = loadCompiled(path);
    install(compiled ? compiled : buildFromText(path));
}

void DictionaryFeature::loadDictionary(std::vector<std::pair<std::string, std::string>> entries) {
    auto fresh = std::make_shared<DoubleArrayTrie>();
    for (const auto& e : entries) fresh->insert(e.first, e.second);
    fresh->build();
    install(fresh);
}

void DictionaryFeature::load(std::ifstream& in) {
    auto fresh = std::make_shared<DoubleArrayTrie>();
    fresh->load(in);
    install(fresh);
}

void DictionaryFeature::save(std::ofstream& out) const { trie->save(out); }

bool DictionaryFeature::matchAt(const std::string& text, int offset, bool skipSpaces, bool ignoreLeadingMark,
                                std::vector<std::pair<std::string, std::string>>& scratch,
                                std::pair<std::string, std::string>& entry, int& length) const {
    scratch.clear();
    int matchLength = 0;
    if (!trie->search(text, offset, scratch, matchLength, skipSpaces, ignoreLeadingMark) || matchLength <= 0)
        return false;
    const std::pair<std::string, std::string>* best = &scratch.front();
    for (const auto& candidate : scratch)
        if (candidate.first.size() > best->first.size()) best = &candidate;
    entry = *best;
    length = matchLength;
    return true;
}

namespace {

// A few remembered answers per thread, replaced in turn: one message's
// detectors ask a handful of dictionaries about a handful of texts.
template <typename Memo>
struct MemoRing {
    static constexpr size_t kSize = 16;
    std::array<Memo, kSize> memos;
    size_t next = 0;

    template <typename Same>
    Memo* find(const Same& same) {
        for (Memo& m : memos)
            if (m.generation != 0 && same(m)) return &m;
        return nullptr;
    }
    // The slot to refill; invalid until its generation is set again.
    Memo& take() {
        Memo& m = memos[next];
        next = (next + 1) % kSize;
        m.generation = 0;
        return m;
    }
};

struct MatchMemo {
    std::uint64_t generation = 0;
    int options = 0;
    std::string text;
    int position = -1;
    std::string key, matched, value;
};

struct ScanMemo {
    std::uint64_t generation = 0;
    int options = 0;
    std::string text;
    std::vector<std::string> found;
};

}  // namespace

int DictionaryFeature::findFirstMatch(const std::string& text, std::string& key, std::string& matched,
                                      std::string& value, bool skipSpaces, bool ignoreLeadingMark) const {
    return findMatch(false, text, key, matched, value, skipSpaces, ignoreLeadingMark);
}

int DictionaryFeature::findLastMatch(const std::string& text, std::string& key, std::string& matched,
                                     std::string& value, bool skipSpaces, bool ignoreLeadingMark) const {
    return findMatch(true, text, key, matched, value, skipSpaces, ignoreLeadingMark);
}

int DictionaryFeature::findMatch(bool last, const std::string& text, std::string& key, std::string& matched,
                                 std::string& value, bool skipSpaces, bool ignoreLeadingMark) const {
    const int options = (last ? 1 : 0) | (skipSpaces ? 2 : 0) | (ignoreLeadingMark ? 4 : 0);
    thread_local MemoRing<MatchMemo> ring;
    const MatchMemo* memo = ring.find([&](const MatchMemo& m) {
        return m.generation == generation && m.options == options && m.text == text;
    });
    if (memo == nullptr) {
        MatchMemo& m = ring.take();
        m.position = -1;
        forEachMatch(text, skipSpaces, ignoreLeadingMark, [&](int p, int length, const auto& entry) {
            m.key = entry.first;
            m.value = entry.second;
            m.matched = text.substr(p, length);
            m.position = p;
            return last;
        });
        m.text = text;
        m.options = options;
        m.generation = generation;
        memo = &m;
    }
    if (memo->position >= 0) {
        key = memo->key;
        matched = memo->matched;
        value = memo->value;
    }
    return memo->position;
}

void DictionaryFeature::getFeature(const std::string& text, std::vector<std::string>& features, bool valuesOnly,
                                   bool skipSpaces) const {
    const int options = (valuesOnly ? 1 : 0) | (skipSpaces ? 2 : 0);
    thread_local MemoRing<ScanMemo> ring;
    const ScanMemo* memo = ring.find([&](const ScanMemo& m) {
        return m.generation == generation && m.options == options && m.text == text;
    });
    if (memo == nullptr) {
        ScanMemo& m = ring.take();
        m.found.clear();
        scan(text, m.found, valuesOnly, skipSpaces);
        m.text = text;
        m.options = options;
        m.generation = generation;
        memo = &m;
    }
    features.insert(features.end(), memo->found.begin(), memo->found.end());
}

namespace {
// The characters of the texts this thread scanned last: a message's
// dictionaries scan the same few texts one after another. A scan holds its
// own reference, so a scan started inside another cannot pull it away.
std::shared_ptr<const DoubleArrayTrie::TextCharacters> charactersOf(const std::string& text) {
    constexpr size_t kSlots = 8;
    thread_local std::shared_ptr<const DoubleArrayTrie::TextCharacters> slots[kSlots];
    thread_local size_t next = 0;
    for (const auto& s : slots)
        if (s && s->text == text) return s;
    auto fresh = std::make_shared<const DoubleArrayTrie::TextCharacters>(text);
    slots[next] = fresh;
    next = (next + 1) % kSlots;
    return fresh;
}
}  // namespace

void DictionaryFeature::forEachMatch(
    const std::string& text, bool skipSpaces, bool ignoreLeadingMark,
    const std::function<bool(int, int, const std::pair<std::string, std::string>&)>& onMatch) const {
    std::vector<std::pair<std::string, std::string>> scratch;
    std::pair<std::string, std::string> entry;
    int length = 0;
    const int n = static_cast<int>(text.size());
    const auto chars = charactersOf(text);
    for (int p = trie->nextCandidate(*chars, 0); p < n;) {
        if (matchAt(text, p, skipSpaces, ignoreLeadingMark, scratch, entry, length)) {
            if (!onMatch(p, length, entry)) return;
            p = trie->nextCandidate(*chars, p + length);
        } else {
            p = trie->nextCandidate(*chars, p + 1);
        }
    }
}

void DictionaryFeature::scan(const std::string& text, std::vector<std::string>& features, bool valuesOnly,
                             bool skipSpaces) const {
    forEachMatch(text, skipSpaces, false, [&](int, int, const auto& entry) {
        if (!valuesOnly) features.push_back(entry.first);
        features.push_back(entry.second);
        return true;
    });
}

int DictionaryFeature::findAllMatch(const std::string& text, std::vector<std::pair<int, int>>& spans,
                                    std::vector<std::pair<std::string, std::string>>& matches, bool skipSpaces,
                                    bool ignoreLeadingMark) const {
    forEachMatch(text, skipSpaces, ignoreLeadingMark, [&](int p, int length, const auto& entry) {
        matches.push_back(entry);
        spans.emplace_back(p, p + length);
        return true;
    });
    return static_cast<int>(matches.size());
}

}  // namespace Varnex
