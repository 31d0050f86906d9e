// The framework's generic annotators. The do-nothing ones stand ready for
// languages or features without an implementation (no chain of this engine
// uses them); SentenceNormalizer copies the text and is the base of the
// Korean normaliser.
#pragma once

#include <string>

#include "Varnex/IAnnotator.h"

namespace Varnex {

class LanguageDetector : public IAnnotator {
public:
    bool process(Annotation&) const override { return true; }
};

class NamedEntityRecognizer : public IAnnotator {
public:
    bool process(Annotation&) const override { return true; }
};

class KoreanDateTimeDetector : public NamedEntityRecognizer {
public:
    explicit KoreanDateTimeDetector(const std::string&) {}
};

class KoreanNamedEntityRecognizer : public NamedEntityRecognizer {
public:
    explicit KoreanNamedEntityRecognizer(const std::string&) {}
};

class KoreanItemListDetector : public IAnnotator {
public:
    explicit KoreanItemListDetector(const std::string&) {}
    bool process(Annotation&) const override { return true; }
};

class Stemmer : public IAnnotator {
public:
    bool process(Annotation&) const override { return true; }
};

class PosTagger : public IAnnotator {};
class Tokenizer : public IAnnotator {};
class TokenNormalizer : public IAnnotator {};

class SentenceNormalizer : public IAnnotator {
public:
    bool process(Annotation& annotation) const override {
        annotation.setNormalizedText(annotation.getText());
        return true;
    }
};

}  // namespace Varnex
