// The per-message analysis record and its parts.
//
// One Annotation is built for each message; the annotator chain fills it with
// named Classification results and the generators read them. Every
// rule-based decision is stored with the single score 0.99 for its label.
// Records own their data and copy deeply; none is shared between threads.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/LanguageType.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {

class Token {
public:
    Token() = default;
    virtual ~Token() = default;

    void addAttribute(const std::string& name, const std::string& value);
    // The stored value, or a shared empty string when absent.
    const std::string& getAttribute(const std::string& name) const;

    int begin = 0;
    int end = 0;
    std::map<std::string, std::string> attributes;
};

class Classification {
public:
    Classification() = default;
    // { label: 0.99 }: how every rule-based decision is recorded.
    Classification(const std::string& name, const std::string& label);
    Classification(const std::string& name, const std::map<std::string, double>& scores);
    virtual ~Classification() = default;

    // The label with the highest score above 0.0 (first in label order among
    // equals), or Label::NONE.
    std::string getPredictedClass() const;
    std::string getRuleId(const std::string& label) const;
    void setRuleId(const std::string& label, const std::string& ruleId);
    void setClass2RuleIds(const std::map<std::string, std::string>& ids);

    std::string name;
    std::map<std::string, double> scores;
    std::map<std::string, std::string> class2RuleIds;
};

class Annotation {
public:
    Annotation() = default;
    explicit Annotation(const std::string& text);
    virtual ~Annotation() = default;

    const std::string& getText() const { return text; }
    void setText(const std::string& t) { text = t; }
    const std::string& getNormalizedText() const { return normalizedText; }
    void setNormalizedText(const std::string& t) { normalizedText = t; }
    LanguageType getLanguage() const { return language; }
    void setLanguage(LanguageType l) { language = l; }
    const std::vector<Token>& getTokens() const { return tokens; }
    void setTokens(const std::vector<Token>& t) { tokens = t; }

    // The bytes of `text` from token.begin, end - begin long, cut at the end
    // of the text (everything to the end when end < begin). Throws
    // std::out_of_range when begin lies beyond the text.
    std::string getCoveredText(const Token& token) const;

    // The sender of the message, as the host named it.
    const std::string& getSender() const { return sender; }
    void setSender(const std::string& s) { sender = s; }

    bool hasClassification(const std::string& name) const;
    // The key must be present (test hasClassification first).
    const Classification& getClassification(const std::string& name) const;
    // The predicted class of a category, or `absent` when it was not written.
    std::string getLabel(const std::string& name, const std::string& absent = Label::FALSE_LABEL) const;
    // Stores a copy under `name`, replacing any earlier result entirely.
    void addCategory(const std::string& name, const Classification& c);
    void addCategory(const std::string& name, Classification&& c);
    void addCategory(const std::string& name, const std::string& label);
    std::map<std::string, Classification> getClassifications() const { return classifications; }
    // Appends every result whose key contains `part`, in key order.
    void getClassificationByPrefix(const std::string& part, std::vector<Classification>& out) const;
    // The same results, visited in place: `visit(const Classification&)`.
    template <typename Visit>
    void visitClassificationsContaining(const std::string& part, Visit&& visit) const {
        for (const auto& kv : classifications)
            if (kv.first.find(part) != std::string::npos) visit(kv.second);
    }

    void addExtractedValue(const std::string& type, const std::string& name, const std::string& value);
    std::vector<std::string> getExtractedTypes() const;
    // A new copy of the values, or null when type or name is absent.
    std::shared_ptr<std::vector<std::string>> getExtractedValues(const std::string& type,
                                                                 const std::string& name) const;
    // The names stored under `type`, in order; empty when absent.
    std::vector<std::string> getExtractedNames(const std::string& type) const;

    std::string text;
    std::string normalizedText;
    std::string sender;
    LanguageType language = UNKNOWN;
    std::vector<Token> tokens;
    std::map<std::string, Classification> classifications;
    std::map<std::string, std::map<std::string, std::vector<std::string>>> extractedValues;
};


}  // namespace Varnex
