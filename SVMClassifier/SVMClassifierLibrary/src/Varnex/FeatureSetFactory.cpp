#include "Varnex/FeatureSetFactory.h"

#include <map>
#include <mutex>

#include "Varnex/Log.h"
#include "Varnex/NGramLetterFeatureExtractor.h"
#include "Varnex/Utilities/Files.h"

namespace Varnex {

namespace {

const char* const kTag = "SVMClassifier/SVMClassifierLibrary/src/Varnex/FeatureSetFactory";

struct Entry {
    std::string description;
    FeatureSetBuilder builder;
};

std::shared_ptr<AnnotationBasedFeatureExtractor> ngram(const NGramLetterFeatureExtractorConfig& config) {
    return std::make_shared<TokenizingFeatureExtractor>(std::make_shared<NGramLetterFeatureExtractor>(config));
}

NGramLetterFeatureExtractorConfig letterConfig() {
    NGramLetterFeatureExtractorConfig c;
    c.postfix = c.prefix = c.letters = true;
    return c;
}

NGramLetterFeatureExtractorConfig wordConfig() {
    NGramLetterFeatureExtractorConfig c;
    c.words = c.wordNGrams = true;
    return c;
}

class Registry {
public:
    static Registry& instance() {
        static Registry registry;
        return registry;
    }

    bool add(const std::string& name, const std::string& description, FeatureSetBuilder builder) {
        if (name.empty() || !builder) return false;
        std::lock_guard<std::mutex> lock(mutex);
        return entries.emplace(name, Entry{description, std::move(builder)}).second;
    }

    bool find(const std::string& name, FeatureSetBuilder& builder) {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = entries.find(name);
        if (it == entries.end()) return false;
        builder = it->second.builder;
        return true;
    }

    std::vector<std::pair<std::string, std::string>> list() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& e : entries) out.emplace_back(e.first, e.second.description);
        return out;
    }

private:
    Registry() {
        entries["letter_ngram"] = {"letter prefixes and suffixes of the white-space separated words",
                                   [](const FeatureSetOptions&, FeatureSet& set) {
                                       set.extractors.push_back(ngram(letterConfig()));
                                       return true;
                                   }};
        entries["word_ngram"] = {"single words and runs of consecutive words",
                                 [](const FeatureSetOptions&, FeatureSet& set) {
                                     set.extractors.push_back(ngram(wordConfig()));
                                     return true;
                                 }};
        entries["ngram"] = {"letter prefixes and suffixes, single words and runs of words",
                            [](const FeatureSetOptions&, FeatureSet& set) {
                                NGramLetterFeatureExtractorConfig c = letterConfig();
                                c.words = c.wordNGrams = true;
                                set.extractors.push_back(ngram(c));
                                return true;
                            }};
    }

    std::mutex mutex;
    std::map<std::string, Entry> entries;
};

}  // namespace

std::string FeatureSetOptions::resourceFile(const std::string& name) const {
    const std::string plain = resourceRoot + name;
    return Utilities::isRegularFile(plain + ".enc") ? plain + ".enc" : plain;
}

void FeatureSet::prepare(Annotation& annotation) const {
    for (const auto& a : preparation)
        if (a) a->process(annotation);
}

void FeatureSet::extract(const Annotation& annotation, SVMFeatureVector& vector) const {
    for (const auto& e : extractors)
        if (e) e->extract(annotation, vector);
}

std::shared_ptr<AnnotationBasedClassifier> FeatureSet::makeClassifier() const {
    auto classifier = std::make_shared<AnnotationBasedClassifier>();
    for (const auto& e : extractors) classifier->addFeatureExtractor(e);
    return classifier;
}

std::shared_ptr<AnnotationBasedFeatureExtractor> FeatureSetFactory::letterNGrams() { return ngram(letterConfig()); }

bool FeatureSetFactory::add(const std::string& name, const std::string& description, FeatureSetBuilder builder) {
    return Registry::instance().add(name, description, std::move(builder));
}

bool FeatureSetFactory::build(const std::string& name, const FeatureSetOptions& options, FeatureSet& set) {
    FeatureSetBuilder builder;
    if (!Registry::instance().find(name, builder)) {
        varnex_print_log(LOG_ERROR, kTag, "Unknown feature set [%s]", name.c_str());
        return false;
    }
    FeatureSet built;
    built.name = name;
    if (!builder(options, built)) {
        varnex_print_log(LOG_ERROR, kTag, "Feature set [%s] could not be built", name.c_str());
        return false;
    }
    set = std::move(built);
    return true;
}

std::vector<std::pair<std::string, std::string>> FeatureSetFactory::list() { return Registry::instance().list(); }

}  // namespace Varnex
