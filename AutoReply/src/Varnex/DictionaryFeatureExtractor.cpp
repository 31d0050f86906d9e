#include "Varnex/DictionaryFeatureExtractor.h"

#include <string>
#include <utility>
#include <vector>

#include "Varnex/FeatureSetFactory.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"

namespace Varnex {

DictionaryFeatureExtractor::DictionaryFeatureExtractor(std::shared_ptr<DictionaryFeature> d) : dictionary(std::move(d)) {}

void DictionaryFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& vector) const {
    if (!dictionary) return;
    std::vector<std::string> features;
    dictionary->getFeature(annotation.getText(), features, false, true);
    for (const auto& f : features) vector.insert(f);
}

namespace {
const char* const kTag = "AutoReply/src/Varnex/DictionaryFeatureExtractor";

bool buildDictionaryNGramSet(const FeatureSetOptions& options, FeatureSet& set) {
    if (options.dictionary.empty()) {
        varnex_print_log(LOG_ERROR, kTag, "Feature set [%s] needs a phrase dictionary\n", set.name.c_str());
        return false;
    }
    if (!Utilities::isRegularFile(options.dictionary)) {
        varnex_print_log(LOG_ERROR, kTag, "Feature set [%s] can't read its dictionary %s: %s\n", set.name.c_str(),
                         options.dictionary.c_str(), Utilities::describeUnreadable(options.dictionary));
        return false;
    }
    auto dictionary = std::make_shared<DictionaryFeature>(options.dictionary, options.prebuilt);
    set.extractors.push_back(std::make_shared<DictionaryFeatureExtractor>(dictionary));
    set.extractors.push_back(FeatureSetFactory::letterNGrams());
    return true;
}
}  // namespace

VARNEX_REGISTER_FEATURE_SET("dictionary_ngram", "phrases and values of a phrase dictionary, letter prefixes and suffixes",
                            buildDictionaryNGramSet)

}  // namespace Varnex
