#include "Varnex/Annotation.h"

#include <cstdint>
#include <utility>

namespace Varnex {

void Token::addAttribute(const std::string& name, const std::string& value) { attributes[name] = value; }

const std::string& Token::getAttribute(const std::string& name) const {
    static const std::string empty;
    auto it = attributes.find(name);
    return it == attributes.end() ? empty : it->second;
}

Classification::Classification(const std::string& n, const std::string& label) : name(n) { scores[label] = 0.99; }

Classification::Classification(const std::string& n, const std::map<std::string, double>& s) : name(n), scores(s) {}

std::string Classification::getPredictedClass() const {
    std::string best = Label::NONE;
    double bestScore = 0.0;
    for (const auto& kv : scores) {
        if (kv.second > bestScore) {
            bestScore = kv.second;
            best = kv.first;
        }
    }
    return best;
}

std::string Classification::getRuleId(const std::string& label) const {
    auto it = class2RuleIds.find(label);
    return it == class2RuleIds.end() ? std::string() : it->second;
}

void Classification::setRuleId(const std::string& label, const std::string& ruleId) { class2RuleIds[label] = ruleId; }

void Classification::setClass2RuleIds(const std::map<std::string, std::string>& ids) { class2RuleIds = ids; }

Annotation::Annotation(const std::string& t) : text(t) {}

std::string Annotation::getCoveredText(const Token& token) const {
    // The length is a signed 32-bit difference widened to size_t, so an end
    // before the begin reaches to the end of the text.
    int32_t len = token.end - token.begin;
    size_t n = len < 0 ? std::string::npos : static_cast<size_t>(len);
    if (token.begin < 0) return text.substr(static_cast<size_t>(-1), n);  // throws out_of_range
    return text.substr(static_cast<size_t>(token.begin), n);
}

bool Annotation::hasClassification(const std::string& name) const { return classifications.count(name) > 0; }

const Classification& Annotation::getClassification(const std::string& name) const {
    return classifications.at(name);
}

std::string Annotation::getLabel(const std::string& name, const std::string& absent) const {
    auto it = classifications.find(name);
    return it == classifications.end() ? absent : it->second.getPredictedClass();
}

void Annotation::addCategory(const std::string& name, const Classification& c) {
    auto it = classifications.lower_bound(name);
    if (it != classifications.end() && it->first == name)
        it->second = c;
    else
        classifications.emplace_hint(it, name, c);
}

void Annotation::addCategory(const std::string& name, Classification&& c) {
    auto it = classifications.lower_bound(name);
    if (it != classifications.end() && it->first == name)
        it->second = std::move(c);
    else
        classifications.emplace_hint(it, name, std::move(c));
}

void Annotation::addCategory(const std::string& name, const std::string& label) {
    // Built in place: the same as storing Classification(name, label).
    auto it = classifications.lower_bound(name);
    if (it == classifications.end() || it->first != name) it = classifications.emplace_hint(it, name, Classification());
    Classification& c = it->second;
    c.name = name;
    c.class2RuleIds.clear();
    c.scores.clear();
    c.scores.emplace(label, 0.99);
}

void Annotation::getClassificationByPrefix(const std::string& part, std::vector<Classification>& out) const {
    for (const auto& kv : classifications)
        if (kv.first.find(part) != std::string::npos) out.push_back(kv.second);
}

void Annotation::addExtractedValue(const std::string& type, const std::string& name, const std::string& value) {
    extractedValues[type][name].push_back(value);
}

std::vector<std::string> Annotation::getExtractedTypes() const {
    std::vector<std::string> out;
    for (const auto& kv : extractedValues) out.push_back(kv.first);
    return out;
}

std::shared_ptr<std::vector<std::string>> Annotation::getExtractedValues(const std::string& type,
                                                                         const std::string& name) const {
    auto t = extractedValues.find(type);
    if (t == extractedValues.end()) return nullptr;
    auto n = t->second.find(name);
    if (n == t->second.end()) return nullptr;
    return std::make_shared<std::vector<std::string>>(n->second);
}

std::vector<std::string> Annotation::getExtractedNames(const std::string& type) const {
    std::vector<std::string> out;
    auto t = extractedValues.find(type);
    if (t != extractedValues.end())
        for (const auto& kv : t->second) out.push_back(kv.first);
    return out;
}

}  // namespace Varnex
