#include "Varnex/SVMFeatureVector.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace Varnex {

SVMFeatureVector::SVMFeatureVector(std::shared_ptr<SVMFeatureIndex> idx) : index(std::move(idx)) {}

SVMFeatureVector::SVMFeatureVector(const std::unordered_map<int, float>& f, std::shared_ptr<SVMFeatureIndex> idx,
                                   const std::string& t)
    : features(f), index(std::move(idx)), text(t) {}

bool SVMFeatureVector::insert(int i, float value) {
    features[i] = value;
    return true;
}

bool SVMFeatureVector::add(int i, float value) {
    features[i] += value;
    return true;
}

SVMFeatureVector SVMFeatureVector::keyedByHash() {
    SVMFeatureVector v;
    v.byHash = true;
    return v;
}

SVMFeatureVector SVMFeatureVector::remapped(std::shared_ptr<SVMFeatureIndex> idx) const {
    SVMFeatureVector out(idx);
    out.text = text;
    if (!byHash || !out.index) return out;
    out.features.reserve(features.size());
    // Distinct names with distinct hashes have distinct indices, so each
    // entry lands on its own index, as extraction through the index does.
    for (const auto& [hash, value] : features) {
        const int i = out.index->getIndex(hash);
        if (i >= 0) out.features[i] = value;
    }
    return out;
}

bool SVMFeatureVector::insert(const std::string& name, float value) {
    if (byHash) return insert(SVMFeatureIndex::hash(name), value);
    if (!index) return false;
    int i = index->insert(name);
    if (i < 0) return false;
    return insert(i, value);
}

bool SVMFeatureVector::add(const std::string& name, float value) {
    if (byHash) return add(SVMFeatureIndex::hash(name), value);
    if (!index) return false;
    int i = index->insert(name);
    if (i < 0) return false;
    return add(i, value);
}

bool SVMFeatureVector::insertHash(int hash, float value) {
    if (byHash) return insert(hash, value);
    if (!index || !index->isFrozen()) return false;
    const int i = index->getIndex(hash);
    return i >= 0 && insert(i, value);
}

bool SVMFeatureVector::addHash(int hash, float value) {
    if (byHash) return add(hash, value);
    if (!index || !index->isFrozen()) return false;
    const int i = index->getIndex(hash);
    return i >= 0 && add(i, value);
}

int SVMFeatureVector::getTotalNumberOfFeatures() const { return index ? index->getFeatureNumber() : 0; }

std::string SVMFeatureVector::toString() const {
    std::vector<std::pair<int, float>> sorted(features.begin(), features.end());
    std::sort(sorted.begin(), sorted.end());
    std::string out = "offset = " + std::to_string(index ? index->getOffset() : 0) + ",";
    char buf[64];
    for (const auto& f : sorted) {
        std::snprintf(buf, sizeof buf, "%f", static_cast<double>(f.second));
        out += "[" + std::to_string(f.first) + ":" + buf + "]";
    }
    return out;
}

}  // namespace Varnex
