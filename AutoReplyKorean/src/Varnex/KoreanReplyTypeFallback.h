// A reply type for messages the phrase rules miss: when no rule and no
// template gave a message a reply type, and the question analysis found no
// question to answer, the reply-type models' most probable type fills in,
// as that type's category with the label TRUE (rule id KoreanRuleId::MODEL,
// the models' probabilities as scores), provided its probability reaches
// the type's threshold.
//
// It decides nothing against the rules: a message with any positive
// reply-type result is left alone, and a type whose rule vetoed it (a FALSE
// with rule id KoreanRuleId::VETO) is never filled in; when the models'
// best type is vetoed, nothing is. A message the question classifier calls
// a question only gets a type a question can call for (why, when, favor).
//
// Thresholds file: "type TAB threshold" lines, a threshold in (0.5, 1] (a
// fill-in must predict TRUE). A type without a line is never filled in,
// though its model still competes for the best type. A line "disabled", or
// no file at all, turns the fallback off, and then no model is loaded.
// Refused lines are reported as path:line.
//
// Built once, then only read.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KoreanReplyTypeDetector.h"
#include "Varnex/IAnnotator.h"

namespace Varnex {

struct ReplyTypeGuess {
    std::string category;  // "reply_type_" + type
    std::string type;
    double probability = 0.0;
};

class KoreanReplyTypeFallback : public IAnnotator {
public:
    // The models of `types` as KoreanReplyTypeDetector(dir, name, types)
    // reads them, and the thresholds file at `thresholds`.
    KoreanReplyTypeFallback(const std::string& dir, const std::string& name, const std::vector<std::string>& types,
                            const std::string& thresholds);
    // The same with thresholds given by type (a tuning tool's view: always
    // on, the models always loaded).
    KoreanReplyTypeFallback(const std::string& dir, const std::string& name, const std::vector<std::string>& types,
                            const std::map<std::string, double>& thresholds);

    // Off by the thresholds file, or without any loaded model.
    bool enabled() const;
    // The models; null when the fallback is off by its thresholds file.
    const std::shared_ptr<const KoreanReplyTypeDetector>& getDetector() const { return detector; }
    // Thresholds by type, as read.
    const std::map<std::string, double>& getThresholds() const { return thresholds; }

    // Whether the message leaves room for a fill-in and, if so, the models'
    // best type in `guess`, whatever its probability and threshold. False
    // when the fallback is off by its thresholds file.
    bool guess(const Annotation& annotation, ReplyTypeGuess& guess) const;

    // Fills in guess() when enabled and its probability reaches the type's
    // threshold; always returns true.
    bool process(Annotation& annotation) const override;

private:
    std::string prefix;  // name + "_", before the type in a category
    std::shared_ptr<const KoreanReplyTypeDetector> detector;
    std::map<std::string, double> thresholds;
};

}  // namespace Varnex
