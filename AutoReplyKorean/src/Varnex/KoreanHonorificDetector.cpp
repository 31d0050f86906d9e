#include "KoreanHonorificDetector.h"

#include <algorithm>
#include <vector>

#include "Varnex/FeatureSetFactory.h"
#include "Varnex/KoreanSentenceNormalizer.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanHonorificDetector";
}  // namespace

KoreanHonorificFeatureExtractor::KoreanHonorificFeatureExtractor(const std::string& path, bool prebuilt)
    : dictionary(path, prebuilt),
      stopCharRemover(std::make_shared<KoreanStopCharRemover>(KoreanStopCharRemover::getDefaultStopChar() +
                                                              "1234567890")) {}

void KoreanHonorificFeatureExtractor::extract(const Annotation& annotation, SVMFeatureVector& features) const {
    std::string a, b;
    stopCharRemover->remove(annotation.getText(), a);
    stopCharRemover->remove(annotation.getNormalizedText(), b);
    // Phrases count once per text; the normalised text is often the text
    // itself, and is then scanned once and counted twice.
    std::vector<std::string> list;
    dictionary.getFeature(a, list, false, true);
    if (b != a) dictionary.getFeature(b, list, false, true);
    const float weight = b == a ? 2.0f : 1.0f;
    for (const auto& f : list) features.add(f, weight);
    // Each character feature counts once, whichever texts hold it. A model
    // that only reads takes them by hash, which spares building the names.
    if (features.takesHashes()) {
        std::vector<int> hashes;
        KoreanCharactorFeature::appendFeatureHashes(a, hashes, true);
        if (b != a) KoreanCharactorFeature::appendFeatureHashes(b, hashes, true);
        std::sort(hashes.begin(), hashes.end());
        hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
        for (int h : hashes) features.addHash(h, 1.0f);
        return;
    }
    std::vector<std::string> chars;
    KoreanCharactorFeature::appendFeatures(a, chars, true);
    if (b != a) KoreanCharactorFeature::appendFeatures(b, chars, true);
    std::sort(chars.begin(), chars.end());
    chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
    for (const auto& f : chars) features.add(f);
}

KoreanHonorificDetector::KoreanHonorificDetector(const std::string& tfModel, const std::string& tfIndex,
                                                 const std::string& tfCategory, const std::string& hnModel,
                                                 const std::string& hnIndex, const std::string& hnCategory,
                                                 const std::string& dictionary,
                                                 std::shared_ptr<_IKoreanHonorificHistoryManager> h, bool prebuilt)
    : history(std::move(h)) {
    auto extractor = std::make_shared<KoreanHonorificFeatureExtractor>(dictionary, prebuilt);
    tfClassifier = std::make_shared<AnnotationBasedClassifier>(extractor);
    tfClassifier->loadModel(tfModel, tfCategory, tfIndex);
    hnClassifier = std::make_shared<AnnotationBasedClassifier>(extractor);
    hnClassifier->loadModel(hnModel, hnCategory, hnIndex);
}

bool KoreanHonorificDetector::process(Annotation& annotation) const {
    using Category::HONORIFIC;
    // Both models read the same features: extracted once.
    const SVMFeatureVector features = tfClassifier->extractByHash(annotation);
    const std::string first = Classification(HONORIFIC, tfClassifier->classifyExtracted(features)).getPredictedClass();
    std::string level = first;
    if (first == Label::TRUE_LABEL)
        level = Classification(HONORIFIC, hnClassifier->classifyExtracted(features)).getPredictedClass();
    std::string kind;
    if (level != Label::HIGH && level != Label::NORMAL && callDetector &&
        callDetector->isCall(annotation.getText(), kind) && kind == KoreanCallDetector::kTitle)
        level = Label::NORMAL;
    annotation.addCategory(HONORIFIC, Classification(HONORIFIC, level));

    // The analyses of a notification carry no sender: the level of the
    // user's own reply is then read from the reply alone.
    std::string remembered = level;
    if (history && !annotation.getSender().empty() &&
        history->getHonorificLevel(annotation.getSender(), annotation.getText(), annotation, remembered))
        annotation.addCategory(HONORIFIC, Classification(HONORIFIC, remembered));
    if (getLogLevel() <= LOG_DEBUG)
        varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", HONORIFIC, annotation.getLabel(HONORIFIC).c_str());
    return true;
}

namespace {
bool buildHonorificSet(const FeatureSetOptions& options, FeatureSet& set) {
    const std::string dictionary =
        options.dictionary.empty() ? options.resourceFile("/model/honorific.dictionary") : options.dictionary;
    const std::string normalizeDictionary = options.resourceFile("/normalize/normalize.dictionary");
    const std::string normalizeRule = options.resourceFile("/normalize/normalize.rule");
    if (!Utilities::isRegularFile(dictionary)) {
        varnex_print_log(LOG_ERROR, kTag, "honorific features need the honorific dictionary [%s]\n",
                         dictionary.c_str());
        return false;
    }
    // The engine normalises before the detector runs; training does the same.
    set.preparation.push_back(std::make_shared<KoreanSentenceNormalizer>(
        normalizeDictionary, normalizeRule, isEncrypted(normalizeDictionary), false));
    set.extractors.push_back(std::make_shared<KoreanHonorificFeatureExtractor>(dictionary, options.prebuilt));
    return true;
}
}  // namespace

VARNEX_REGISTER_FEATURE_SET(Category::HONORIFIC,
                            "character n-grams of words plus honorific dictionary phrases and values, after "
                            "normalisation (the speech-level models)",
                            buildHonorificSet)

}  // namespace Varnex
