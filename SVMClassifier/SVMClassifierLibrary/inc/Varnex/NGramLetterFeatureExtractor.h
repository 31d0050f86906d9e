// Letter and word n-gram features over the tokens of an annotation.
//
// Every token's "text" attribute is one word. Letter features are the
// proper prefixes ("prefix->" + first k pieces) and suffixes ("postfix->" +
// last k pieces) of each word, cut into characters or into syllables; word
// features are single words ("word->" + word, weight -10 right after a
// negation word) and runs of 2 .. (words - 1) consecutive words ("word->"
// followed by each word with a space before it). Token attributes other
// than "text" can be added as "name->value".
//
// The extractor reads only tokens: an annotation without tokens gives no
// features (see TokenizingFeatureExtractor for a white-space tokenizer).
#pragma once

#include <memory>
#include <string>

#include "Varnex/AnnotationBasedFeatureExtractor.h"
#include "Varnex/GenericAnnotators.h"

namespace Varnex {

// The eight switches in the order they are stored.
struct NGramLetterFeatureExtractorConfig {
    bool postfix = false;     // f0: "postfix->" letter suffixes
    bool prefix = false;      // f1: "prefix->" letter prefixes
    bool letters = false;     // f2: letter mode without prefixes or suffixes
    bool words = false;       // f3: single words
    bool wordNGrams = false;  // f4: runs of consecutive words
    bool syllables = false;   // f5: cut words into syllables, not characters
    bool attributes = false;  // f6: token attributes other than "text"
    bool reserved = false;    // f7: kept, unused

    bool letterMode() const { return letters || postfix || prefix; }
    bool wordMode() const { return words || wordNGrams; }
    bool anyMode() const { return letterMode() || wordMode(); }
};

class NGramLetterFeatureExtractor : public AnnotationBasedFeatureExtractor {
public:
    static const std::string PREFIX;   // "prefix->"
    static const std::string POSTFIX;  // "postfix->"
    static const std::string WORD;     // "word->"
    static const std::string JOIN;     // "->"

    explicit NGramLetterFeatureExtractor(const NGramLetterFeatureExtractorConfig& config);
    // The positional form. Its arguments are not in storage order: the
    // fourth chooses syllables, the fifth single words and the sixth word
    // runs (f3 = a5, f4 = a6, f5 = a4); every other argument goes to the
    // flag of its own position.
    NGramLetterFeatureExtractor(bool postfix, bool prefix, bool letters, bool syllables, bool words, bool wordNGrams,
                                bool attributes, bool reserved);

    const NGramLetterFeatureExtractorConfig& getConfig() const { return config; }

    void extract(const Annotation& annotation, SVMFeatureVector& vector) const override;

private:
    NGramLetterFeatureExtractorConfig config;
};

// Splits `text` at white space into tokens carrying their word as the
// "text" attribute; an annotation that already has tokens is left alone.
class WhitespaceTokenizer : public Tokenizer {
public:
    bool process(Annotation& annotation) const override;
};

// Gives an inner extractor tokens to work on: an annotation without tokens
// is tokenized at white space (on a copy; the caller's annotation is not
// changed) before the inner extractor sees it.
class TokenizingFeatureExtractor : public AnnotationBasedFeatureExtractor {
public:
    explicit TokenizingFeatureExtractor(std::shared_ptr<AnnotationBasedFeatureExtractor> inner);
    void preprocess(const Annotation& annotation) override;
    void finish_preprocess() override;
    void extract(const Annotation& annotation, SVMFeatureVector& vector) const override;

private:
    std::shared_ptr<AnnotationBasedFeatureExtractor> inner;
    WhitespaceTokenizer tokenizer;
};

}  // namespace Varnex
