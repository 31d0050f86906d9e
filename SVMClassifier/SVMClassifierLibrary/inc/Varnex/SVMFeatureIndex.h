// Maps feature names to rows of a model's weight matrix.
//
// A feature name is never stored: only its 32-bit murmur3 hash (seed 0,
// taken as a signed integer). Each known hash carries an index; the weight
// row of a feature is its index minus the offset. While an index is being
// built (training) unknown names are added on first sight; an index read
// from a file is frozen, so names not seen in training are dropped.
//
// Feature-index file: the offset on the first line ("%d\n"), then one
// "hash:index" line per entry.
#pragma once

#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Varnex {

class SVMFeatureIndex {
public:
    explicit SVMFeatureIndex(int offset);
    // Reads `path`; on failure the index stays empty and not frozen.
    explicit SVMFeatureIndex(const std::string& path);
    // Takes ready entries; the result is frozen.
    SVMFeatureIndex(const std::unordered_map<int, int>& entries, int offset);

    static int hash(const std::string& name);

    // The index stored for the hash or name, or -1.
    int getIndex(int hash) const;
    int getIndex(const std::string& name) const;
    // The index of `name`; an unknown name gets offset + (number of entries)
    // unless the index is frozen, which gives -1.
    int insert(const std::string& name);

    int getFeatureNumber() const { return lookup.empty() ? static_cast<int>(entries.size()) : frozenCount; }
    int getOffset() const { return offset; }
    bool isFrozen() const { return frozen; }
    void freeze();
    // Every (hash, index); for a frozen index made anew from its lookup table
    // on each call (the tools ask, classification never does).
    const std::unordered_map<int, int>& getEntries() const;
    // Calls `visit(hash, index)` for every entry, in no order, without
    // copying them.
    template <typename Visit>
    void forEachEntry(const Visit& visit) const {
        if (lookup.empty()) {
            for (const auto& [h, index] : entries) visit(h, index);
        } else {
            for (const auto& [h, index] : lookup)
                if (index != -1) visit(h, index);
        }
    }

    // Replaces the entries with those of the file and freezes the index.
    // Every line after the first must be "hash:index" (blank lines aside);
    // a malformed line, a read error or more than `maxEntries` entries (when
    // not negative) fails and leaves the index as it was.
    bool readFromFile(const std::string& path);
    bool readFromStream(std::FILE* in, const std::string& name, long long maxEntries = -1);
    // Writes the offset line and the entries ordered by index, so the same
    // index always gives the same file. Every write and the close are
    // checked; false with an error log on any failure.
    bool writeToFile(const std::string& path) const;
    bool writeToStream(std::FILE* out, const std::string& name) const;
    // The file content writeToStream produces.
    std::string toText() const;

private:
    // Rebuilds `lookup` from `entries` (frozen indexes only).
    void buildLookup();
    // Fills `lookup` with `pairs`, a later pair of a hash replacing an
    // earlier one; returns the number of distinct hashes.
    size_t fillLookup(const std::vector<std::pair<int, int>>& pairs);

    // The entries while the index is built; emptied once the lookup table
    // holds them (see getEntries).
    mutable std::unordered_map<int, int> entries;
    int offset;
    bool frozen = false;
    int frozenCount = 0;
    // A frozen index answers getIndex from this open-addressing table of
    // (hash, index) pairs, index -1 marking a free slot: classification asks
    // for every feature of every message and model, and the table answers
    // in about one probe.
    std::vector<std::pair<int, int>> lookup;
};

}  // namespace Varnex
