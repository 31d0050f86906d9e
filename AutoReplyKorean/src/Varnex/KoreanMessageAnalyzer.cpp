#include "KoreanMessageAnalyzer.h"

#include <vector>

#include "KoreanHonorificDetector.h"
#include "KoreanResourcePaths.h"
#include "KoreanRuleDetector.h"
#include "Varnex/KoreanSentenceNormalizer.h"

namespace Varnex {

namespace R = KoreanResource;

_KoreanMessageAnalyzer::_KoreanMessageAnalyzer(const std::string& resourceDir)
    : _KoreanMessageAnalyzer(resourceDir, nullptr) {}

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
    chain.push_back(std::make_shared<KoreanHonorificDetector>(
        model(R::HONORIFIC_TF_MODEL), model(R::HONORIFIC_TF_INDEX), model(R::HONORIFIC_TF_CATEGORY),
        model(R::HONORIFIC_HN_MODEL), model(R::HONORIFIC_HN_INDEX), model(R::HONORIFIC_HN_CATEGORY),
        text(R::HONORIFIC_DICTIONARY), history, false));
    // Phrase rules, one category each, then the emotion of emoji and emoticons.
    const std::pair<const char*, const std::string*> rules[] = {
        {"reply_type_thanks", &R::THANKS_RULE},
        {"reply_type_me_too", &R::WISH_RULE},
        {"reply_type_you_re_welcome", &R::YOU_ARE_WELCOME_RULE},
        {"reply_type_worry", &R::WORRY_RULE},
        {"reply_type_its_ok", &R::ITS_OK_RULE},
        {"reply_type_why", &R::WHY_RULE},
        {"reply_type_what_is_this", &R::WHAT_IS_THIS_RULE},
        {"reply_type_congratulation", &R::CONGRATULATION_RULE},
        {"reply_type_when", &R::WHEN_RULE},
        {"reply_type_favor", &R::FAVOR_RULE},
        {"emotion", &R::EMOJI_DICTIONARY},
    };
    for (const auto& rule : rules) chain.push_back(std::make_shared<KoreanRuleDetector>(rule.first, text(*rule.second), false));
    // Message-initial templates run after the rules and may override them.
    chain.push_back(std::make_shared<KoreanTemplateMatcher>(text(R::REPLY_TEMPLATE), false));

    senlp->addPipeline(KOREAN, chain);
    // A detector whose phrase file cannot be read just finds nothing later.
    senlp->initPipeline();
}

void _KoreanMessageAnalyzer::analyze(const std::string&, const std::string& message, Annotation& annotation) const {
    annotation.setText(message);
    senlp->process(KOREAN, annotation);
}

}  // namespace Varnex
