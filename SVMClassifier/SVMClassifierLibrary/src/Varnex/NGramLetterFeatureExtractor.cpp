#include "Varnex/NGramLetterFeatureExtractor.h"

#include <utility>
#include <vector>

#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

const std::string NGramLetterFeatureExtractor::PREFIX = "prefix->";
const std::string NGramLetterFeatureExtractor::POSTFIX = "postfix->";
const std::string NGramLetterFeatureExtractor::WORD = "word->";
const std::string NGramLetterFeatureExtractor::JOIN = "->";

namespace {
const std::string kTextAttribute = "text";
}

NGramLetterFeatureExtractor::NGramLetterFeatureExtractor(const NGramLetterFeatureExtractorConfig& c) : config(c) {}

NGramLetterFeatureExtractor::NGramLetterFeatureExtractor(bool a1, bool a2, bool a3, bool a4, bool a5, bool a6, bool a7,
                                                         bool a8) {
    config.postfix = a1;     // f0
    config.prefix = a2;      // f1
    config.letters = a3;     // f2
    config.words = a5;       // f3
    config.wordNGrams = a6;  // f4
    config.syllables = a4;   // f5
    config.attributes = a7;  // f6
    config.reserved = a8;    // f7
}

void NGramLetterFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& vector) const {
    if (!config.anyMode()) return;
    std::vector<std::string> words;
    for (const Token& token : annotation.getTokens()) {
        words.push_back(token.getAttribute(kTextAttribute));
        if (config.attributes)
            for (const auto& a : token.attributes)
                if (a.first != kTextAttribute) vector.add(a.first + JOIN + a.second);
    }

    if (config.letterMode()) {
        std::vector<std::string> pieces;
        for (const auto& word : words) {
            pieces.clear();
            if (config.syllables)
                StringUtil::splitSyllable(word, pieces);
            else
                StringUtil::getCharactors(word, pieces);
            const size_t n = pieces.size();
            if (config.postfix) {
                std::string tail;
                for (size_t k = 1; k < n; ++k) {
                    tail.insert(0, pieces[n - k]);
                    vector.add(POSTFIX + tail);
                }
            }
            if (config.prefix) {
                std::string head;
                for (size_t k = 1; k < n; ++k) {
                    head += pieces[k - 1];
                    vector.add(PREFIX + head);
                }
            }
        }
    }

    if (config.wordNGrams && words.size() >= 3) {
        for (size_t m = 2; m < words.size(); ++m)
            for (size_t start = 0; start + m <= words.size(); ++start) {
                std::string run = WORD;
                for (size_t i = start; i < start + m; ++i) run += " " + words[i];
                vector.add(run);
            }
    }

    if (config.words) {
        bool afterNegation = false;
        for (const auto& word : words) {
            vector.add(WORD + word, afterNegation ? -10.0f : 1.0f);
            afterNegation = StringUtil::isNegation(word);
        }
    }
}

bool WhitespaceTokenizer::process(Annotation& annotation) const {
    if (!annotation.getTokens().empty()) return true;
    const std::string& text = annotation.getText();
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && StringUtil::isspace(text[i])) ++i;
        size_t begin = i;
        while (i < text.size() && !StringUtil::isspace(text[i])) ++i;
        if (i > begin) {
            Token t;
            t.begin = static_cast<int>(begin);
            t.end = static_cast<int>(i);
            t.addAttribute(kTextAttribute, text.substr(begin, i - begin));
            tokens.push_back(std::move(t));
        }
    }
    annotation.setTokens(tokens);
    return true;
}

TokenizingFeatureExtractor::TokenizingFeatureExtractor(std::shared_ptr<AnnotationBasedFeatureExtractor> e)
    : inner(std::move(e)) {}

void TokenizingFeatureExtractor::preprocess(const Annotation& annotation) {
    if (!inner) return;
    if (!annotation.getTokens().empty()) return inner->preprocess(annotation);
    Annotation copy(annotation);
    tokenizer.process(copy);
    inner->preprocess(copy);
}

void TokenizingFeatureExtractor::finish_preprocess() {
    if (inner) inner->finish_preprocess();
}

void TokenizingFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& vector) const {
    if (!inner) return;
    if (!annotation.getTokens().empty()) return inner->extract(annotation, vector);
    Annotation copy(annotation);
    tokenizer.process(copy);
    inner->extract(copy, vector);
}

}  // namespace Varnex
