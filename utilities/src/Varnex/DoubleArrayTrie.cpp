#include "Varnex/DoubleArrayTrie.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <exception>
#include <fstream>
#include <istream>
#include <ostream>

// The double-array library still spells its locals with "register".
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wregister"
#endif
#include <darts.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "Varnex/BinaryIO.h"
#include "Varnex/Log.h"
#include "Varnex/Trie.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
const char* const kTag = "utilities/src/Varnex/DoubleArrayTrie";

using Value = Darts::DoubleArray::value_type;
static_assert(sizeof(Value) == 4, "double-array units are expected to hold 32-bit fields");

// One unit of the double array as the library lays it out: a signed base
// followed by an unsigned check.
struct RawUnit {
    std::int32_t base;
    std::uint32_t check;
};
constexpr size_t kUnitSize = sizeof(RawUnit);
// A node's children sit at base + byte + 1 (byte 0..255), its key end at base.
constexpr long long kChildSpan = 257;
}  // namespace

struct DoubleArrayTrie::Units {
    // Backing memory of an array read from a file (the library does not own
    // it then); empty for an array the library built itself. Left
    // uninitialised until the file's bytes are read into it.
    std::unique_ptr<std::uint64_t[]> storage;
    Darts::DoubleArray darts;
};

namespace {

// Walks the double array for the shared longest-match routine, reading the
// units directly (one step of the library's traverse per call). A node's
// child for byte c sits at base + c + 1 and is its child when that unit's
// check names the base; the key end sits at base itself, with the value as
// -(base + 1). Loaded arrays were checked so that no step leaves them.
struct DartsCursor {
    using Node = size_t;
    const RawUnit* units;
    size_t count;

    Node root() const { return 0; }
    bool child(Node n, unsigned char byte, Node& next) const {
        const std::int32_t base = units[n].base;
        const size_t p = static_cast<size_t>(static_cast<std::uint32_t>(base)) + byte + 1;
        if (p >= count || units[p].check != static_cast<std::uint32_t>(base)) return false;
        next = p;
        return true;
    }
    // Group index of the key ending at `n`, or -1.
    Value value(Node n) const {
        const std::int32_t base = units[n].base;
        const size_t p = static_cast<size_t>(static_cast<std::uint32_t>(base));
        if (p >= count) return -1;
        const RawUnit u = units[p];
        return u.check == static_cast<std::uint32_t>(base) && u.base < 0 ? -u.base - 1 : -1;
    }
    bool endsKey(Node n) const { return n != 0 && value(n) >= 0; }
};

// Checks that no lookup in an array read from a file can leave it: every
// node a walk can enter (a unit whose check lies within 256 below its own
// index, and the root) must have a base from which all 256 children and the
// key end lie inside the array, and every key end must name an existing
// group. The library's own arrays always pass.
bool unitsAreSound(const std::uint64_t* storage, size_t count, size_t groups, std::string& why) {
    if (count > static_cast<size_t>(INT_MAX / 2)) {
        why = "double array too large";
        return false;
    }
    const long long units = static_cast<long long>(count);
    const char* bytes = reinterpret_cast<const char*>(storage);
    auto unitAt = [&](long long i) {
        RawUnit u;
        std::memcpy(&u, bytes + i * kUnitSize, kUnitSize);
        return u;
    };
    auto baseFits = [&](long long base) { return base >= 0 && base + kChildSpan <= units; };
    if (units < kChildSpan || !baseFits(unitAt(0).base)) {
        why = "double array root out of range";
        return false;
    }
    // A first pass with no branch on the data finds whether any unit fails
    // (arrays hold millions of units, read at every start); only then does
    // the second look for the first fault to name it.
    bool fault = false;
    for (long long p = 1; p < units; ++p) {
        const RawUnit u = unitAt(p);
        const long long base = u.base, check = u.check;
        const bool entered = (check < p) & (p - check <= 256);
        const bool fits = (base >= 0) & (base + kChildSpan <= units);
        const bool missing = (check == p) & (base < 0) & (static_cast<unsigned long long>(-base - 1) >= groups);
        fault |= (base == INT32_MIN) | (entered & !fits) | missing;
    }
    if (!fault) return true;
    for (long long p = 1; p < units; ++p) {
        const RawUnit u = unitAt(p);
        if (u.base == INT32_MIN) {
            why = "double array unit out of range";
            return false;
        }
        const long long check = u.check;
        if (check < p && p - check <= 256 && !baseFits(u.base)) {
            why = "double array node out of range";
            return false;
        }
        if (check == p && u.base < 0 && static_cast<size_t>(-static_cast<long long>(u.base) - 1) >= groups) {
            why = "double array names a missing group";
            return false;
        }
    }
    why = "double array unit out of range";
    return false;
}

// The first-character filter: a bit per hash of the bytes of one whole
// character, about sixteen bits per distinct first character (so most
// characters no key begins with miss), from 2^6 to 2^14 bits.
constexpr unsigned kMinFilterBits = 6;
constexpr unsigned kMaxFilterBits = 14;

// Length of the whole character at `p` (at most `n` bytes there) by its
// first byte, or 0 when that is no first byte or the character is cut.
size_t wholeCharacter(const char* p, size_t n) {
    const size_t length = static_cast<size_t>(StringUtil::charLength(static_cast<unsigned char>(p[0])));
    return length <= n ? length : 0;
}

size_t filterBit(std::uint32_t packed, unsigned bits) { return (packed * 2654435761u) >> (32 - bits); }

// Pairs: a key's first character and the character after it (0 when there
// is none), hashed together.
constexpr unsigned kMinPairBits = 6;
constexpr unsigned kMaxPairBits = 16;
std::uint64_t pairHash(std::uint32_t first, std::uint32_t second) {
    return ((std::uint64_t{first} << 32) | second) * 0x9E3779B97F4A7C15ull;
}
size_t pairBit(std::uint64_t hash, unsigned bits) { return static_cast<size_t>(hash >> (64 - bits)); }

// The raw key without marks, written into `out` (whose memory is reused).
void normaliseInto(const char* raw, size_t length, std::string& out) {
    // Most keys carry no mark: copied whole.
    if (std::memchr(raw, '/', length) == nullptr && std::memchr(raw, '~', length) == nullptr) {
        out.assign(raw, length);
        return;
    }
    out.clear();
    for (size_t i = 0; i < length; ++i)
        if (raw[i] != '/' && raw[i] != '~') out += raw[i];
}

}  // namespace

// Fills a Table group by group, each distinct value stored once. The key
// and value bytes handed to add() must outlive the builder: distinct values
// are recognised by views of them.
class DoubleArrayTrie::TableBuilder {
public:
    explicit TableBuilder(Table& t) : table(t) {}
    // A group holds the raw keys of one marks-free key, `key`: the bytes a
    // walk compares.
    void startGroup(const char* key, size_t keyLength) {
        table.groupStart.push_back(static_cast<std::uint32_t>(table.entries.size()));
        addPair(key, keyLength);
    }
    bool add(const char* key, size_t keyLength, const char* value, size_t valueLength) {
        if (table.keyArena.size() + keyLength > UINT32_MAX || table.entries.size() >= UINT32_MAX) return false;
        const std::string_view v(value, valueLength);
        auto it = valueIds.find(v);
        if (it == valueIds.end()) {
            it = valueIds.emplace(v, static_cast<std::uint32_t>(table.values.size())).first;
            table.values.emplace_back(v);
        }
        table.entries.push_back({static_cast<std::uint32_t>(table.keyArena.size()),
                                 static_cast<std::uint32_t>(keyLength), it->second});
        table.keyArena.append(key, keyLength);
        for (size_t i = 0; i < keyLength; ++i) {
            if (key[i] == '/' || key[i] == '~') continue;
            if ((static_cast<unsigned char>(key[i]) & 0xC0) == 0x80) table.keysStartMidCharacter = true;
            // The walk compares the key's bytes one by one, so its first
            // character counts whole only when no mark interrupts it.
            size_t length = wholeCharacter(key + i, keyLength - i);
            for (size_t k = 1; k < length; ++k)
                if (key[i + k] == '/' || key[i + k] == '~') length = 0;
            if (length == 0) {
                table.firstCharacterFilter = false;
                break;
            }
            // Keys arrive sorted: a run of keys shares its first character.
            const std::uint32_t first = StringUtil::packedCharacter(key + i, length);
            if (firsts.empty() || firsts.back() != first) firsts.push_back(first);
            break;
        }
        return true;
    }
    // The first two characters of a marks-free key (spaces between them
    // skipped; 0 for a missing second), or the pair filter off when either
    // is cut or broken.
    void addPair(const char* key, size_t keyLength) {
        // Groups arrive sorted: most share their first two characters with
        // the group before, whose pair is then already in.
        if (lastLength > 0 && keyLength >= lastLength && std::memcmp(key, last, lastLength) == 0) return;
        lastLength = 0;
        const size_t first = wholeCharacter(key, keyLength);
        if (first == 0 || !continuationsOnly(key, first)) {
            table.pairFilter = false;
            return;
        }
        const std::uint32_t a = StringUtil::packedCharacter(key, first);
        size_t j = first;
        while (j < keyLength && key[j] == ' ') ++j;
        if (j >= keyLength) {
            pushPair(pairHash(a, 0));
            return;
        }
        const size_t second = wholeCharacter(key + j, keyLength - j);
        if (second == 0 || !continuationsOnly(key + j, second)) {
            table.pairFilter = false;
            return;
        }
        pushPair(pairHash(a, StringUtil::packedCharacter(key + j, second)));
        if (j + second <= sizeof last) {
            lastLength = j + second;
            std::memcpy(last, key, lastLength);
        }
    }
    static bool continuationsOnly(const char* p, size_t length) {
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(p[k]) & 0xC0) != 0x80) return false;
        return true;
    }
    // A set of 16 bits per item (within the bounds), each item's bit set.
    template <typename Item, typename Bit>
    static void fillBits(const std::vector<Item>& items, unsigned minBits, unsigned maxBits, unsigned& bits,
                         std::vector<std::uint64_t>& set, Bit bitOf) {
        bits = minBits;
        while (bits < maxBits && (size_t{1} << bits) < 16 * items.size()) ++bits;
        set.assign((size_t{1} << bits) / 64, 0);
        for (const Item& item : items) {
            const size_t bit = bitOf(item, bits);
            set[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }
    void pushPair(std::uint64_t h) {
        // Keys arrive sorted, so neighbours mostly share their pair.
        if (pairs.empty() || pairs.back() != h) pairs.push_back(h);
    }
    void finish() {
        std::sort(firsts.begin(), firsts.end());
        firsts.erase(std::unique(firsts.begin(), firsts.end()), firsts.end());
        if (!firsts.empty())
            fillBits(firsts, kMinFilterBits, kMaxFilterBits, table.filterBits, table.firstCharacters,
                     [](std::uint32_t c, unsigned bits) { return filterBit(c, bits); });
        std::vector<std::uint32_t>().swap(firsts);
        if (table.firstCharacterFilter && table.pairFilter && !pairs.empty())
            fillBits(pairs, kMinPairBits, kMaxPairBits, table.pairBits, table.pairs,
                     [](std::uint64_t h, unsigned bits) { return pairBit(h, bits); });
        std::vector<std::uint64_t>().swap(pairs);
        table.groupStart.push_back(static_cast<std::uint32_t>(table.entries.size()));
        table.keyArena.shrink_to_fit();
        table.values.shrink_to_fit();
        table.entries.shrink_to_fit();
        table.groupStart.shrink_to_fit();
    }

private:
    Table& table;
    std::unordered_map<std::string_view, std::uint32_t> valueIds;
    // The first character of every key, packed.
    std::vector<std::uint32_t> firsts;
    // The hash of every group's first two characters.
    std::vector<std::uint64_t> pairs;
    // The bytes the last pair was read from (none after a key of one
    // character, whose pair depends on nothing following).
    char last[16];
    size_t lastLength = 0;
};

DoubleArrayTrie::DoubleArrayTrie() = default;
DoubleArrayTrie::~DoubleArrayTrie() = default;

void DoubleArrayTrie::clearSearchable() {
    array.reset();
    table = Table();
}

void DoubleArrayTrie::insert(const std::string& rawKey, const std::string& value) {
    std::string key = TrieKeys::normalise(rawKey);
    if (!TrieKeys::accepts(key)) return;
    entries[key][rawKey] = value;
}

bool DoubleArrayTrie::build() {
    clearSearchable();
    std::map<std::string, std::map<std::string, std::string>> staged;
    staged.swap(entries);
    if (staged.empty()) return true;

    // std::map orders its keys by unsigned byte comparison, the order the
    // builder needs.
    std::vector<const char*> keys;
    std::vector<size_t> lengths;
    std::vector<Value> values;
    Table built;
    TableBuilder builder(built);
    keys.reserve(staged.size());
    lengths.reserve(staged.size());
    values.reserve(staged.size());
    for (const auto& group : staged) {
        keys.push_back(group.first.data());
        lengths.push_back(group.first.size());
        values.push_back(static_cast<Value>(values.size()));
        builder.startGroup(group.first.data(), group.first.size());
        for (const auto& [rawKey, value] : group.second) {
            if (!builder.add(rawKey.data(), rawKey.size(), value.data(), value.size())) {
                varnex_print_log(LOG_ERROR, kTag, "BuildError : dictionary too large\n");
                return false;
            }
        }
    }
    builder.finish();
    try {
        auto units = std::make_shared<Units>();
        const int error = units->darts.build(keys.size(), keys.data(), lengths.data(), values.data());
        if (error != 0) {
            varnex_print_log(LOG_ERROR, kTag, "BuildError : double array builder failed (%d)\n", error);
            return false;
        }
        array = units;
    } catch (const std::exception& e) {
        varnex_print_log(LOG_ERROR, kTag, "BuildError : %s\n", e.what());
        return false;
    }
    table = std::move(built);
    return true;
}

bool DoubleArrayTrie::save(std::ostream& out) const {
    std::string text;
    for (const Entry& e : table.entries) {
        const std::string key = table.key(e);
        const std::string& value = table.values[e.value];
        if (!TrieKeys::storable(key, value)) {
            varnex_print_log(LOG_ERROR, kTag, "SaveError : entry cannot be stored in a binary dictionary : %s\n",
                             key.c_str());
            return false;
        }
        text += key;
        text += '\t';
        text += value;
        text += '\n';
    }
    size_t bytes = 0;
    if (array) bytes = array->darts.size() * array->darts.unit_size();
    if (bytes > static_cast<size_t>(INT_MAX)) {
        varnex_print_log(LOG_ERROR, kTag, "SaveError : double array too large (%zu bytes)\n", bytes);
        return false;
    }
    if (BinaryIO::write(out, text) < 0 || BinaryIO::write(out, static_cast<int>(bytes)) < 0) {
        varnex_print_log(LOG_ERROR, kTag, "SaveError : write failed\n");
        return false;
    }
    if (bytes > 0) out.write(static_cast<const char*>(array->darts.array()), static_cast<std::streamsize>(bytes));
    if (!out) {
        varnex_print_log(LOG_ERROR, kTag, "SaveError : write failed\n");
        return false;
    }
    return true;
}

bool DoubleArrayTrie::save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        varnex_print_log(LOG_ERROR, kTag, "SaveError : cannot create %s\n", path.c_str());
        return false;
    }
    if (!save(out)) return false;
    out.close();
    if (out.fail()) {
        varnex_print_log(LOG_ERROR, kTag, "SaveError : write failed %s\n", path.c_str());
        return false;
    }
    return true;
}

bool DoubleArrayTrie::load(std::istream& in) {
    clearSearchable();
    auto failed = [&](const char* why) {
        varnex_print_log(LOG_ERROR, kTag, "LoadError : %s\n", why);
        in.setstate(std::ios::failbit);
        return false;
    };

    std::string text;
    if (BinaryIO::read(in, text) < 0) return failed("value table unreadable");

    // The value table: one "raw key TAB value" line per raw key; a new group
    // starts whenever the normalised key changes. Files written by save()
    // list each group in raw-key order without repeats; a group in any
    // other order is sorted, the last value of a repeated raw key kept.
    struct Line {
        size_t key, keyLength, value, valueLength;
    };
    Table loaded;
    TableBuilder builder(loaded);
    std::string previous, key;  // the marks-free keys of the last group and of the current line
    std::vector<Line> group;
    auto keyOf = [&](const Line& l) { return std::string_view(text.data() + l.key, l.keyLength); };
    auto flush = [&]() {
        if (group.empty()) return true;
        const bool ordered = std::adjacent_find(group.begin(), group.end(), [&](const Line& a, const Line& b) {
                                 return !(keyOf(a) < keyOf(b));
                             }) == group.end();
        if (!ordered) {
            std::stable_sort(group.begin(), group.end(),
                             [&](const Line& a, const Line& b) { return keyOf(a) < keyOf(b); });
            std::vector<Line> unique;
            for (const Line& l : group) {
                if (!unique.empty() && keyOf(unique.back()) == keyOf(l))
                    unique.back() = l;
                else
                    unique.push_back(l);
            }
            group.swap(unique);
        }
        builder.startGroup(previous.data(), previous.size());
        for (const Line& l : group)
            if (!builder.add(text.data() + l.key, l.keyLength, text.data() + l.value, l.valueLength)) return false;
        group.clear();
        return true;
    };
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const void* tabAt = std::memchr(text.data() + start, '\t', end - start);
        if (tabAt == nullptr) return failed("value table line without a tab");
        const size_t tab = static_cast<size_t>(static_cast<const char*>(tabAt) - text.data());
        normaliseInto(text.data() + start, tab - start, key);
        if (key.empty() || key.size() > TrieKeys::kMaxKeyBytes) return failed("value table line without a valid key");
        if (key != previous) {
            if (!flush()) return failed("value table too large");
            previous.swap(key);
        }
        group.push_back({start, tab - start, tab + 1, end - tab - 1});
        start = end + 1;
    }
    if (!flush()) return failed("value table too large");
    builder.finish();

    int bytes = 0;
    if (BinaryIO::read(in, bytes) < 0) return failed("double array size unreadable");
    const long long left = BinaryIO::remaining(in);
    if (bytes < 0 || left < 0 || bytes > left) return failed("double array size larger than the file");
    if (bytes % static_cast<int>(kUnitSize) != 0) return failed("double array size is not a whole number of units");

    std::shared_ptr<Units> units;
    if (bytes > 0) {
        units = std::make_shared<Units>();
        if (units->darts.unit_size() != kUnitSize) return failed("double array unit size mismatch");
        const size_t count = static_cast<size_t>(bytes) / kUnitSize;
        const size_t words = (static_cast<size_t>(bytes) + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t);
        units->storage.reset(new std::uint64_t[words]);
        units->storage[words - 1] = 0;  // the bytes past the last unit, if any
        if (!in.read(reinterpret_cast<char*>(units->storage.get()), bytes)) return failed("double array truncated");
        std::string why;
        if (!unitsAreSound(units->storage.get(), count, loaded.groups(), why)) return failed(why.c_str());
        units->darts.set_array(units->storage.get(), count);
    } else if (loaded.groups() > 0) {
        return failed("value table without a double array");
    }

    array = units;
    table = std::move(loaded);
    return true;
}

bool DoubleArrayTrie::load(const std::string& path) {
    clearSearchable();
    std::ifstream in;
    if (Utilities::isRegularFile(path)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        varnex_print_log(LOG_ERROR, kTag, "LoadError : cannot open %s\n", path.c_str());
        return false;
    }
    return load(in);
}

bool DoubleArrayTrie::buildDic(const std::string& sourcePath, const std::string& targetPath) {
    // Value TAB raw key. A build tool must not drop a line quietly: any
    // refused line fails the build.
    std::vector<std::string> lines;
    if (!StringUtil::load(sourcePath, lines, false)) return false;
    Utilities::TableFormat format;
    format.minFields = 2;
    std::vector<Utilities::TableRow> rows;
    std::vector<Utilities::TableProblem> problems;
    Utilities::parseTable(lines, sourcePath, format, rows, &problems);
    for (const auto& p : problems)
        varnex_print_log(LOG_ERROR, kTag, "BuildError : %s:%d: %s\n", sourcePath.c_str(), p.line, p.reason.c_str());
    if (!problems.empty()) return false;
    DoubleArrayTrie trie;
    for (const auto& row : rows) trie.insert(row.fields[1], row.fields[0]);
    if (!trie.build()) return false;
    return trie.save(targetPath);
}

bool DoubleArrayTrie::mayStartAt(const std::string& text, int start) const {
    // Scanners try every offset, and most fall inside a character; when
    // every key begins with a whole character (as every real dictionary
    // does) none of them can start a match.
    if (!table.keysStartMidCharacter && (static_cast<unsigned char>(text[static_cast<size_t>(start)]) & 0xC0) == 0x80)
        return false;
    return mayStart(TextCharacters::read(text, static_cast<size_t>(start)));
}

bool DoubleArrayTrie::mayStart(const TextCharacters::At& at) const {
    // A character no key begins with starts no match, nor one no key goes
    // on from with the next character. A broken character is walked, not
    // judged: in it a space may stand where a byte belongs, which a walk
    // that skips spaces steps over.
    if (!table.firstCharacterFilter || table.firstCharacters.empty() || at.firstBroken) return true;
    const size_t bit = filterBit(at.first, table.filterBits);
    if ((table.firstCharacters[bit / 64] & (std::uint64_t{1} << (bit % 64))) == 0) return false;
    if (table.pairs.empty()) return true;
    auto has = [&](std::uint32_t second) {
        const size_t b = pairBit(pairHash(at.first, second), table.pairBits);
        return (table.pairs[b / 64] & (std::uint64_t{1} << (b % 64))) != 0;
    };
    // A key of one character matches whatever follows it.
    if (has(0)) return true;
    if (at.nextMissing) return false;
    return at.nextBroken || has(at.next);
}

int DoubleArrayTrie::nextCandidate(const std::string& text, int from) const {
    const int n = static_cast<int>(text.size());
    if (!array) return n;
    for (int p = std::max(from, 0); p < n;) {
        if (mayStartAt(text, p)) return p;
        // A whole character refused: its continuation bytes cannot start a
        // match either, unless some key starts inside a character.
        const size_t length = table.keysStartMidCharacter
                                  ? 1
                                  : wholeCharacter(text.data() + p, text.size() - static_cast<size_t>(p));
        p += length > 0 ? static_cast<int>(length) : 1;
    }
    return n;
}

DoubleArrayTrie::TextCharacters::At DoubleArrayTrie::TextCharacters::read(const std::string& text, size_t p) {
    const size_t n = text.size();
    auto wellFormedAt = [&](size_t at, size_t& length) {
        length = wholeCharacter(text.data() + at, n - at);
        if (length == 0) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return false;
        return true;
    };
    At at{static_cast<int>(p), 0, 0, false, false, false};
    size_t length = 0;
    if (!wellFormedAt(p, length)) {
        at.firstBroken = true;
        return at;
    }
    at.first = StringUtil::packedCharacter(text.data() + p, length);
    size_t j = p + length;
    while (j < n && text[j] == ' ') ++j;
    size_t nextLength = 0;
    if (j >= n)
        at.nextMissing = true;
    else if (!wellFormedAt(j, nextLength))
        at.nextBroken = true;
    else
        at.next = StringUtil::packedCharacter(text.data() + j, nextLength);
    return at;
}

DoubleArrayTrie::TextCharacters::TextCharacters(const std::string& t) : text(t) {
    starts.reserve(text.size());
    for (size_t p = 0; p < text.size(); ++p)
        if ((static_cast<unsigned char>(text[p]) & 0xC0) != 0x80) starts.push_back(read(text, p));
}

int DoubleArrayTrie::nextCandidate(const TextCharacters& chars, int from) const {
    const int n = static_cast<int>(chars.text.size());
    if (!array) return n;
    if (table.keysStartMidCharacter) return nextCandidate(chars.text, from);
    auto it = std::lower_bound(chars.starts.begin(), chars.starts.end(), std::max(from, 0),
                               [](const TextCharacters::At& a, int offset) { return a.offset < offset; });
    for (; it != chars.starts.end(); ++it)
        if (mayStart(*it)) return it->offset;
    return n;
}

bool DoubleArrayTrie::search(const std::string& text, int start,
                             std::vector<std::pair<std::string, std::string>>& results, int& matchLength,
                             bool skipSpaces, bool ignoreLeadingMark) const {
    if (!array || start < 0 || start >= static_cast<int>(text.size())) return !results.empty();
    if (!mayStartAt(text, start)) return !results.empty();
    DartsCursor cursor{static_cast<const RawUnit*>(array->darts.array()), array->darts.size()};
    size_t node = 0;
    // The longest key with an entry whose boundary tests pass: a shorter key
    // is not hidden by a longer one that fails them.
    auto passing = [&](size_t at, int length, bool collect) {
        const Value group = cursor.value(at);
        if (group < 0 || static_cast<size_t>(group) >= table.groups()) return false;
        bool any = false;
        for (std::uint32_t i = table.groupStart[group]; i < table.groupStart[group + 1]; ++i) {
            const Entry& e = table.entries[i];
            const char* key = table.keyArena.data() + e.keyOffset;
            if (e.keyLength == 0 ||
                !TrieKeys::passes(text, start, length, key[0], key[e.keyLength - 1], ignoreLeadingMark))
                continue;
            any = true;
            if (!collect) break;
            results.emplace_back(std::string(key, e.keyLength), table.values[e.value]);
        }
        return any;
    };
    const int length = longestMatch(cursor, text, start, skipSpaces, node,
                                    [&](size_t at, int len) { return passing(at, len, false); });
    if (length <= 0) return !results.empty();
    passing(node, length, true);
    matchLength = length;
    return !results.empty();
}

void DoubleArrayTrie::listEntries(std::vector<std::pair<std::string, std::string>>& out) const {
    for (const Entry& e : table.entries) out.emplace_back(table.key(e), table.values[e.value]);
}

size_t DoubleArrayTrie::size() const { return table.entries.size(); }

}  // namespace Varnex
