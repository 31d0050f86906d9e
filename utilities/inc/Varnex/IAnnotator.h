// One step of message analysis: reads the shared Annotation and adds to it.
// Annotators keep no per-message state; process() is const.
#pragma once

#include "Varnex/Annotation.h"

namespace Varnex {

class IAnnotator {
public:
    virtual ~IAnnotator() = default;
    // Loads resources; the default does nothing.
    virtual bool init() { return true; }
    virtual bool process(Annotation& annotation) const = 0;
};

// Framework annotators. The do-nothing ones stand ready for languages or
// features without an implementation; SentenceNormalizer copies the text.
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
