#include "KoreanReplyTypeDetector.h"

#include "KoreanCharactorFeature.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Files.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanReplyTypeDetector";
}  // namespace

KoreanReplyTypeFeatureExtractor::KoreanReplyTypeFeatureExtractor(const std::string& path)
    : dictionary(std::make_shared<DictionaryFeature>(path, false)) {}

void KoreanReplyTypeFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& features) const {
    KoreanCharactorFeature::insertPhrasesAndCharacters(dictionary.get(), annotation.getText(), features);
}

std::string KoreanReplyTypeDetector::dictionaryPath(const std::string& dir, const std::string& name) {
    const std::string plain = dir + "/" + name + ".dictionary";
    const std::string scrambled = plain + ".enc";
    return !Utilities::isRegularFile(plain) && Utilities::isRegularFile(scrambled) ? scrambled : plain;
}

std::string KoreanReplyTypeDetector::modelPath(const std::string& dir, const std::string& name,
                                               const std::string& type, const std::string& extension) {
    return dir + "/" + name + "_" + type + extension;
}

KoreanReplyTypeDetector::KoreanReplyTypeDetector(const std::string& dir, const std::string& name,
                                                 const std::vector<std::string>& types) {
    if (types.empty()) return;
    auto extractor = std::make_shared<KoreanReplyTypeFeatureExtractor>(dictionaryPath(dir, name));
    for (const auto& t : types) {
        auto classifier = std::make_shared<AnnotationBasedClassifier>(extractor);
        classifier->loadModel(modelPath(dir, name, t, ".model"), modelPath(dir, name, t, ".category"),
                              modelPath(dir, name, t, ".index"));
        addClassifier(name + "_" + t, classifier);
    }
}

std::map<std::string, double> KoreanReplyTypeDetector::scores(const Annotation& annotation) const {
    std::map<std::string, double> out;
    // Every model reads the same features: extracted once, by the first.
    SVMFeatureVector features;
    bool extracted = false;
    for (const auto& [category, classifier] : getClassifiers()) {
        if (!classifier || !classifier->loaded()) continue;
        if (!extracted) features = classifier->extractByHash(annotation), extracted = true;
        const auto result = classifier->classifyExtracted(features);
        auto it = result.find(Label::TRUE_LABEL);
        if (it != result.end()) out[category] = it->second;
    }
    return out;
}

int KoreanReplyTypeDetector::loadedModels() const {
    int n = 0;
    for (const auto& entry : getClassifiers())
        if (entry.second && entry.second->loaded()) ++n;
    return n;
}

namespace {
bool buildReplyTypeSet(const FeatureSetOptions& options, FeatureSet& set) {
    const std::string dictionary = options.dictionary.empty()
                                       ? KoreanReplyTypeDetector::dictionaryPath(options.resourceRoot + "/model",
                                                                                 Category::REPLY_TYPE)
                                       : options.dictionary;
    if (!Utilities::isRegularFile(dictionary)) {
        varnex_print_log(LOG_ERROR, kTag, "reply-type features need the reply-type dictionary %s: %s\n",
                         dictionary.c_str(), Utilities::describeUnreadable(dictionary));
        return false;
    }
    set.extractors.push_back(std::make_shared<KoreanReplyTypeFeatureExtractor>(dictionary));
    return true;
}
}  // namespace

VARNEX_REGISTER_FEATURE_SET(Category::REPLY_TYPE,
                            "reply-type dictionary phrases and values and character n-grams of words, raw text "
                            "(the reply-type models)",
                            buildReplyTypeSet)

}  // namespace Varnex
