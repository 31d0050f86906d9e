// Phrase-rule annotators of the Korean chain.
//
// KoreanRuleDetector answers one question per instance ("does the message
// thank the user?") from a phrase file of "LABEL TAB phrase" lines and
// always writes its category: any "FALSE" phrase found vetoes, otherwise the
// last phrase found decides, and no phrase means "FALSE". A vetoed "FALSE"
// carries the rule id KoreanRuleId::VETO, so it can be told from a message
// where no phrase was found.
//
// KoreanTemplateMatcher recognises phrases that begin the message (after
// stop characters became spaces) and writes "reply_type_" + the phrase's
// value as "TRUE".
#pragma once

#include <memory>
#include <string>

#include "Varnex/IAnnotator.h"
#include "Varnex/KoreanStopCharRemover.h"

namespace Varnex {

class DictionaryFeature;

class KoreanRuleDetector : public IAnnotator {
public:
    KoreanRuleDetector(const std::string& category, const std::string& path, bool prebuilt);
    ~KoreanRuleDetector() override;
    // Loads the phrase file; an unreadable file leaves no phrases.
    bool init() override;
    bool process(Annotation& annotation) const override;

private:
    std::string category;
    std::string path;
    std::shared_ptr<DictionaryFeature> dictionary;
    bool prebuilt;
};

class KoreanTemplateMatcher : public IAnnotator {
public:
    KoreanTemplateMatcher(const std::string& path, bool prebuilt);
    ~KoreanTemplateMatcher() override;
    bool process(Annotation& annotation) const override;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
    std::shared_ptr<KoreanStopCharRemover> stopCharRemover;
};

}  // namespace Varnex
