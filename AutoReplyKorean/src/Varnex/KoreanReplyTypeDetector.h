// Reply types by linear models: one yes/no model per reply type, all served
// the same features, each writing its category ("reply_type_thanks" = TRUE
// or FALSE with the model's probabilities) where no earlier step gave a
// positive answer.
//
//   KoreanReplyTypeDetector detector(dir, "reply_type", {"thanks", "worry"});
//   detector.process(annotation);  // reply_type_thanks, reply_type_worry
//
// With a model directory `dir`, a base name `name` and a type `t` it reads
//   dir/name.dictionary                        the shared phrase dictionary
//   dir/name_t.model, .category and .index     the model of type t
// and registers the category name_t. A dictionary is read scrambled from
// dir/name.dictionary.enc when that is the file present (a packed tree). A
// model that cannot be read is logged with its path; its category is still
// registered and then gets an empty result (predicted "none").
//
// The features are the phrases and values of the dictionary found in the
// raw text and character n-grams of its words; the trainer builds the same
// extractor through the feature set "reply_type". Built once, then only read.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/MultiClassificationAnnotator.h"

namespace Varnex {

class KoreanReplyTypeFeatureExtractor : public AnnotationBasedFeatureExtractor {
public:
    // Character n-grams only.
    KoreanReplyTypeFeatureExtractor() = default;
    // Reads the text dictionary at `dictionary` (scrambled when its name
    // ends in ".enc"); an unreadable file is logged and adds no phrases.
    explicit KoreanReplyTypeFeatureExtractor(const std::string& dictionary);
    void extract(const Annotation& annotation, SVMFeatureVector& features) const override;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
};

class KoreanReplyTypeDetector : public MultiClassificationAnnotator {
public:
    KoreanReplyTypeDetector(const std::string& dir, const std::string& name, const std::vector<std::string>& types);

    // dir/name.dictionary, or its scrambled form when only that exists.
    static std::string dictionaryPath(const std::string& dir, const std::string& name);
    // dir/name_type + extension (".model", ".category" or ".index").
    static std::string modelPath(const std::string& dir, const std::string& name, const std::string& type,
                                 const std::string& extension);

    // The probability of TRUE under every loaded model, by category.
    std::map<std::string, double> scores(const Annotation& annotation) const;
    // The number of types whose model loaded.
    int loadedModels() const;
};

}  // namespace Varnex
