#include "KoreanMessageAnalyzer.h"

#include <vector>

#include "KoreanAcknowledgementDetector.h"
#include "KoreanEmojiMessageDetector.h"
#include "KoreanGreetingDetector.h"
#include "KoreanHonorificDetector.h"
#include "KoreanMusingDetector.h"
#include "KoreanNoReplyDetector.h"
#include "KoreanNotSureTypeDetector.h"
#include "KoreanQuestionClassifier.h"
#include "KoreanQuestionTypeDetector.h"
#include "KoreanReplyTypeFallback.h"
#include "KoreanResourcePaths.h"
#include "KoreanRuleDetector.h"
#include "KoreanVocabulary.h"
#include "Varnex/KoreanSentenceNormalizer.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Files.h"

namespace Varnex {

namespace R = KoreanResource;

namespace {
const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanMessageAnalyzer";

// The single-file form the build makes; a tree without it (one assembled by
// hand) is read from the four text files, which takes longer.
std::shared_ptr<KoreanVerbTable> loadVerbTable(const std::string& resourceDir) {
    const std::string prebuilt = R::model(resourceDir, R::VERB_TABLE_DICTIONARY);
    if (Utilities::isRegularFile(prebuilt)) return std::make_shared<KoreanVerbTable>(prebuilt);
    varnex_print_log(LOG_WARN, kTag, "Resource file %s: %s; reading the verb table from its text files\n",
                     prebuilt.c_str(), Utilities::describeUnreadable(prebuilt));
    return std::make_shared<KoreanVerbTable>(R::text(resourceDir, R::YES_NO_TYPE), R::text(resourceDir, R::YES_NO_COMPOUND),
                                             R::text(resourceDir, R::YES_NO_NEGATIVE),
                                             R::text(resourceDir, R::YES_NO_EXCEPTION));
}
}  // namespace

_KoreanMessageAnalyzer::_KoreanMessageAnalyzer(const std::string& resourceDir,
                                               std::shared_ptr<_IKoreanHonorificHistoryManager> history)
    : senlp(std::make_unique<Senlp>()) {
    init(resourceDir, std::move(history));
}

void _KoreanMessageAnalyzer::init(const std::string& resourceDir,
                                  std::shared_ptr<_IKoreanHonorificHistoryManager> history) {
    auto text = [&](const std::string& name) { return R::text(resourceDir, name); };
    std::vector<std::shared_ptr<IAnnotator>> chain;

    // Normalisation comes first: the detectors read the normalized text too.
    chain.push_back(std::make_shared<KoreanSentenceNormalizer>(text(R::NORMALIZE_DICTIONARY),
                                                               text(R::NORMALIZE_RULE), true, false));
    // Speech level: two models, overridden by what the user has replied before.
    auto model = [&](const std::string& name) { return R::model(resourceDir, name); };
    auto honorific = std::make_shared<KoreanHonorificDetector>(
        model(R::HONORIFIC_TF_MODEL), model(R::HONORIFIC_TF_INDEX), model(R::HONORIFIC_TF_CATEGORY),
        model(R::HONORIFIC_HN_MODEL), model(R::HONORIFIC_HN_INDEX), model(R::HONORIFIC_HN_CATEGORY),
        text(R::HONORIFIC_DICTIONARY), history, false);
    if (!honorific->modelsLoaded()) {
        // Name the files at fault: those missing or unreadable, or else the
        // model that did not load.
        const std::vector<std::vector<std::string>> files = {
            {R::HONORIFIC_TF_MODEL, R::HONORIFIC_TF_INDEX, R::HONORIFIC_TF_CATEGORY},
            {R::HONORIFIC_HN_MODEL, R::HONORIFIC_HN_INDEX, R::HONORIFIC_HN_CATEGORY}};
        for (size_t m = 0; m < files.size(); ++m) {
            if (honorific->modelLoaded(m)) continue;
            size_t named = unreadableRequired.size();
            for (const auto& f : files[m])
                if (!Utilities::isReadableFile(model(f))) unreadableRequired.push_back(model(f));
            if (unreadableRequired.size() == named) unreadableRequired.push_back(model(files[m][0]));
        }
    }
    // Calls serve the speech level, the greetings and the templates.
    auto calls = std::make_shared<KoreanCallDetector>(text(R::CALL_RULE), false);
    honorific->setCallDetector(calls);
    chain.push_back(honorific);

    // Greetings and calls.
    chain.push_back(std::make_shared<KoreanGreetingDetector>(text(R::GREETING_RULE), calls, false));

    // Questions: the classifier's opinion, then the question's type and the
    // material of its answers, both with the shared verb table.
    auto verbs = loadVerbTable(resourceDir);
    auto questionRules = std::make_shared<DictionaryFeature>(text(R::QUESTION_RULE), false);
    chain.push_back(std::make_shared<KoreanQuestionClassifier>(model(R::QUESTION_MODEL), model(R::QUESTION_INDEX),
                                                               model(R::QUESTION_CATEGORY), questionRules, verbs));
    chain.push_back(std::make_shared<KoreanQuestionTypeDetector>(
        questionRules, text(R::QUESTION_TYPE_RULE), verbs, text(R::MULTI_CHOICE_VERB), text(R::MULTI_CHOICE_PATTERN),
        text(R::MULTI_CHOICE_NEG), false));

    // Phrase rules, one category each, then the emotion of emoji and emoticons.
    namespace K = KoreanCategory;
    const std::pair<const char*, const std::string*> rules[] = {
        {K::REPLY_THANKS, &R::THANKS_RULE},
        {K::REPLY_ME_TOO, &R::WISH_RULE},
        {K::REPLY_YOU_RE_WELCOME, &R::YOU_ARE_WELCOME_RULE},
        {K::REPLY_WORRY, &R::WORRY_RULE},
        {K::REPLY_ITS_OK, &R::ITS_OK_RULE},
        {K::REPLY_WHY, &R::WHY_RULE},
        {K::REPLY_WHAT_IS_THIS, &R::WHAT_IS_THIS_RULE},
        {K::REPLY_CONGRATULATION, &R::CONGRATULATION_RULE},
        {K::REPLY_WHEN, &R::WHEN_RULE},
        {K::REPLY_FAVOR, &R::FAVOR_RULE},
        {K::REPLY_APOLOGY, &R::APOLOGY_RULE},
        {K::REPLY_COMPLIMENT, &R::COMPLIMENT_RULE},
        {K::REPLY_SARCASM, &R::SARCASM_RULE},
        {Category::EMOTION, &R::EMOJI_DICTIONARY},
    };
    for (const auto& rule : rules) chain.push_back(std::make_shared<KoreanRuleDetector>(rule.first, text(*rule.second), false));
    // Message-initial templates run after the rules and may override them.
    chain.push_back(std::make_shared<KoreanTemplateMatcher>(text(R::REPLY_TEMPLATE), false, calls));
    // Self-talk ("택시가 왜 이렇게 안 잡히지"); the ranker lets it set aside the
    // reasons and answers the rules above may have found.
    chain.push_back(std::make_shared<KoreanMusingDetector>(text(R::MUSING_RULE), false));
#if VARNEX_REPLY_TYPE_FALLBACK
    // What the rules and templates left undecided, the reply-type models may fill in.
    chain.push_back(std::make_shared<KoreanReplyTypeFallback>(model(R::REPLY_TYPE_MODEL_DIR), Category::REPLY_TYPE,
                                                              R::REPLY_TYPE_MODELS, text(R::REPLY_TYPE_THRESHOLD)));
#endif
    chain.push_back(std::make_shared<KoreanEmojiMessageDetector>());
    chain.push_back(std::make_shared<KoreanNoReplyDetector>(text(R::NO_REPLY_RULE), false));
    // These two read the question and greeting analysis.
    chain.push_back(std::make_shared<KoreanAcknowledgementDetector>(text(R::ACKNOWLEDGE_RULE), false));
    chain.push_back(std::make_shared<KoreanNotSureTypeDetector>());

    senlp->addPipeline(KOREAN, chain);
    // A detector whose phrase file cannot be read just finds nothing later.
    senlp->initPipeline();
}

void _KoreanMessageAnalyzer::analyze(const std::string&, const std::string& message, Annotation& annotation) const {
    annotation.setText(message);
    senlp->process(KOREAN, annotation);
}

}  // namespace Varnex
