// Phrase-rule annotators of the Korean chain.
//
// KoreanRuleDetector answers one question per instance ("does the message
// thank the user?") from a phrase file of "LABEL TAB phrase" lines and
// always writes its category: any "FALSE" phrase found vetoes, otherwise the
// longest phrase found decides (the last of equally long ones), and no
// phrase means "FALSE". A phrase valued "LABEL@word|word...@word|word..."
// counts (as LABEL) only when the message, spaces aside, also holds a word
// of every "@" group and no word of a group written "@!word|word".
//
// KoreanTemplateMatcher recognises phrases that begin the message (after
// stop characters became spaces), or begin it after a leading call or
// filler ("과장님 ..."), or begin one of its later sentences, and writes
// "reply_type_" + the phrase's value as "TRUE" — unless a rule detector
// vetoed that reply type.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KoreanCallDetector.h"
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

    // True when a detector wrote FALSE for `category`, or for a category it
    // refines ("reply_type_greeting" for "reply_type_greeting_morning"),
    // because a veto phrase matched (not merely because no phrase did).
    static bool vetoed(const Annotation& annotation, const std::string& category);
    // Marks a FALSE result as decided by a veto phrase.
    static void markVeto(Classification& result);

private:
    std::string category;
    std::string path;
    std::shared_ptr<DictionaryFeature> dictionary;
    bool prebuilt;
};

class KoreanTemplateMatcher : public IAnnotator {
public:
    // `callDetector` (may be null) finds leading calls and fillers.
    KoreanTemplateMatcher(const std::string& path, bool prebuilt,
                          std::shared_ptr<KoreanCallDetector> callDetector = nullptr);
    ~KoreanTemplateMatcher() override;
    bool process(Annotation& annotation) const override;

    // The sentences of a text, cut after . ! ? ~ followed by white space and
    // at line ends.
    static std::vector<std::string> sentencesOf(const std::string& text);

private:
    bool matchAtStart(const std::string& sentence, std::string& value) const;

    std::shared_ptr<DictionaryFeature> dictionary;
    std::shared_ptr<KoreanStopCharRemover> stopCharRemover;
    std::shared_ptr<KoreanCallDetector> callDetector;
};

}  // namespace Varnex
