// Sparse feature vector of one message: feature index -> value.
//
// Names are mapped through the shared feature index; with a frozen index a
// name unknown to it is refused and the vector stays unchanged, so only
// features the model was trained on reach the classifier.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "Varnex/SVMFeatureIndex.h"

namespace Varnex {

class SVMFeatureVector {
public:
    SVMFeatureVector() = default;
    explicit SVMFeatureVector(std::shared_ptr<SVMFeatureIndex> index);
    SVMFeatureVector(const std::unordered_map<int, float>& features, std::shared_ptr<SVMFeatureIndex> index,
                     const std::string& text);

    // features[index] = value.
    bool insert(int index, float value);
    // features[index] += value (a new index starts at 0).
    bool add(int index, float value);

    // The same through the name's index; false (nothing changes) without an
    // index or for a name a frozen index does not know.
    bool insert(const std::string& name, float value);
    bool insert(const std::string& name, int value) { return insert(name, static_cast<float>(value)); }
    bool insert(const std::string& name) { return insert(name, 1.0f); }
    bool add(const std::string& name, float value);
    bool add(const std::string& name, int value) { return add(name, static_cast<float>(value)); }
    bool add(const std::string& name) { return add(name, 1.0f); }

    // A vector keyed by the hash of each feature name rather than by an
    // index: what extractors produce once for several models that share
    // them; remapped() then gives each model its own vector.
    static SVMFeatureVector keyedByHash();
    bool isKeyedByHash() const { return byHash; }
    // Whether features may be given by the hash of their name: a hash-keyed
    // vector, or one whose index is frozen (no name is numbered anew).
    bool takesHashes() const { return byHash || (index && index->isFrozen()); }
    // insert() and add() by the name's hash (SVMFeatureIndex::hash); false
    // when the vector does not take hashes or the index does not know it.
    bool insertHash(int hash, float value);
    bool addHash(int hash, float value);
    // This hash-keyed vector through `index`: the features it knows, with
    // their values. Equal to extracting straight into a vector of `index`.
    SVMFeatureVector remapped(std::shared_ptr<SVMFeatureIndex> index) const;

    const std::unordered_map<int, float>& getFeatureMap() const { return features; }
    const std::shared_ptr<SVMFeatureIndex>& getIndex() const { return index; }
    void setText(const std::string& t) { text = t; }
    const std::string& getText() const { return text; }
    // The number of entries of the feature index (0 without one).
    int getTotalNumberOfFeatures() const;

    // "offset = N," then "[index:value]" per feature, by index.
    std::string toString() const;

private:
    std::unordered_map<int, float> features;
    std::shared_ptr<SVMFeatureIndex> index;
    std::string text;
    bool byHash = false;
};

}  // namespace Varnex
