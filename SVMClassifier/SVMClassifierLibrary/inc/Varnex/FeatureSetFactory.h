// Named feature sets: the one place where the extractors of a classifier
// are put together, used alike by the engine's modules and by the trainer,
// so that a model is always served with the features it was trained on.
//
// A feature set is built by a registered builder from FeatureSetOptions.
// Besides its extractors it may list preparation annotators: the steps the
// engine's analysis chain runs before the classifier (a normaliser, for
// example). The trainer runs them on every training message; the engine
// does not run them again.
//
// Built-in sets (needing no resource):
//   "letter_ngram"     letter prefixes and suffixes of white-space words
//   "word_ngram"       single words and runs of words
//   "ngram"            both of the above
//   "dictionary_ngram" phrases and values of FeatureSetOptions::dictionary
//                      plus letter prefixes and suffixes
// Other modules register their sets with VARNEX_REGISTER_FEATURE_SET in
// their own source file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/IAnnotator.h"

namespace Varnex {

struct FeatureSetOptions {
    // The directory that relative resource names such as
    // "/model/honorific.dictionary" are appended to (the version directory
    // of a resource tree).
    std::string resourceRoot;
    // A phrase dictionary file, for the sets that take one.
    std::string dictionary;
    // Dictionaries are prebuilt binary images rather than text.
    bool prebuilt = false;

    // resourceRoot + name, scrambled (+ ".enc") when the root is a packed
    // tree that has it, else the plain source.
    std::string resourceFile(const std::string& name) const;
};

struct FeatureSet {
    std::string name;
    std::vector<std::shared_ptr<IAnnotator>> preparation;
    std::vector<std::shared_ptr<AnnotationBasedFeatureExtractor>> extractors;

    // Runs the preparation annotators on `annotation`, in order.
    void prepare(Annotation& annotation) const;
    // Runs every extractor on one vector.
    void extract(const Annotation& annotation, SVMFeatureVector& vector) const;
    // A classifier (with an empty model) owning this set's extractors.
    std::shared_ptr<AnnotationBasedClassifier> makeClassifier() const;
};

// Fills `set` (name already set by the factory); false when the set cannot
// be built from the options (the builder logs why).
using FeatureSetBuilder = std::function<bool(const FeatureSetOptions& options, FeatureSet& set)>;

class FeatureSetFactory {
public:
    // Registers a builder; false (and nothing changes) when the name is
    // taken or empty or the builder is empty.
    static bool add(const std::string& name, const std::string& description, FeatureSetBuilder builder);
    // Builds the named set into `set`; false for an unknown name or when
    // the builder fails (an error is logged).
    static bool build(const std::string& name, const FeatureSetOptions& options, FeatureSet& set);
    // The registered names with their descriptions, by name.
    static std::vector<std::pair<std::string, std::string>> list();
    // The extractor of the "letter_ngram" set, for sets that combine it
    // with features of their own.
    static std::shared_ptr<AnnotationBasedFeatureExtractor> letterNGrams();
};

}  // namespace Varnex

#define VARNEX_FEATURE_SET_CONCAT2(a, b) a##b
#define VARNEX_FEATURE_SET_CONCAT(a, b) VARNEX_FEATURE_SET_CONCAT2(a, b)
// Registers a feature set when the library is loaded.
#define VARNEX_REGISTER_FEATURE_SET(name, description, builder)                                        \
    namespace {                                                                                        \
    [[maybe_unused]] const bool VARNEX_FEATURE_SET_CONCAT(varnexFeatureSetRegistered_, __LINE__) =                      \
        ::Varnex::FeatureSetFactory::add(name, description, builder);                                  \
    }
