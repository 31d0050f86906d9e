#include "KoreanQuestionTypeDetector.h"

#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;
namespace K = KoreanCategory;
namespace Q = KoreanQuestionKind;

namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanQuestionTypeDetector";

// "/" and "\" separate the fields and entries of the answer material; a
// message's own slashes must not shift them.
std::string fieldSafe(std::string s) {
    StringUtil::replace(s, "/", " ");
    StringUtil::replace(s, "\\", " ");
    return s;
}

std::vector<std::string> values(const DictionaryFeature& dictionary, const std::string& text,
                                const std::string& text2) {
    std::vector<std::string> found;
    dictionary.getFeature(text, found, true, true);
    if (!text2.empty()) dictionary.getFeature(text2, found, true, true);
    return found;
}

// The question classifier is sure the message asks nothing.
bool classifierDenies(const Annotation& annotation) {
    if (!annotation.hasClassification(Category::QUESTION)) return false;
    const auto& scores = annotation.getClassification(Category::QUESTION).scores;
    auto no = scores.find(Label::FALSE_LABEL);
    return no != scores.end() && no->second >= KoreanQuestionTypeDetector::kClassifierVeto;
}

}  // namespace

KoreanQuestionTypeDetector::KoreanQuestionTypeDetector(const std::string& questionRule,
                                                       const std::string& questionTypeRule,
                                                       std::shared_ptr<KoreanVerbTable> table,
                                                       const std::string& multiChoiceVerbRule,
                                                       const std::string& multiChoicePatternRule,
                                                       const std::string& multiChoiceNegRule, bool prebuilt)
    : KoreanQuestionTypeDetector(std::make_shared<DictionaryFeature>(questionRule, prebuilt), questionTypeRule,
                                 std::move(table), multiChoiceVerbRule, multiChoicePatternRule, multiChoiceNegRule,
                                 prebuilt) {}

KoreanQuestionTypeDetector::KoreanQuestionTypeDetector(std::shared_ptr<DictionaryFeature> questionRules,
                                                       const std::string& questionTypeRule,
                                                       std::shared_ptr<KoreanVerbTable> table,
                                                       const std::string& multiChoiceVerbRule,
                                                       const std::string& multiChoicePatternRule,
                                                       const std::string& multiChoiceNegRule, bool prebuilt)
    : questionDictionary(questionRules ? std::move(questionRules) : std::make_shared<DictionaryFeature>()),
      questionTypeDictionary(std::make_shared<DictionaryFeature>(questionTypeRule, prebuilt)),
      verbTable(std::move(table)),
      multiChoiceDetector(std::make_shared<KoreanMultiChoiceDetector>(verbTable, multiChoiceVerbRule,
                                                                       multiChoicePatternRule, multiChoiceNegRule,
                                                                       prebuilt)),
      stopCharRemover(std::make_shared<KoreanStopCharRemover>(KoreanStopCharRemover::getDefaultStopChar())) {}

KoreanQuestionTypeDetector::~KoreanQuestionTypeDetector() = default;

bool KoreanQuestionTypeDetector::process(Annotation& annotation) const {
    std::string text, text2;
    stopCharRemover->remove(annotation.getText(), text);
    if (annotation.getNormalizedText() != annotation.getText())
        stopCharRemover->remove(annotation.getNormalizedText(), text2);

    // A greeting or a call is not a question to answer, whatever its form;
    // it still gets its FALSE, which later detectors read.
    std::string type = Label::FALSE_LABEL;
    if (annotation.getLabel(K::REPLY_GREETING) == Label::FALSE_LABEL) {
        const Cue cue = questionCue(text, text2);
        const bool question = cue == Cue::Phrase || (cue == Cue::VerbForm && !classifierDenies(annotation));
        if (question) {
            getQuestionType(text, text2, type);
            addReplySentence(type, text, text2, annotation);
        }
    }
    annotation.addCategory(K::REPLY_ANSWER, Classification(K::REPLY_ANSWER, type));
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", K::REPLY_ANSWER, type.c_str());
    return true;
}

KoreanQuestionTypeDetector::Cue KoreanQuestionTypeDetector::questionCue(const std::string& text,
                                                                        const std::string& text2) const {
    bool phrase = false;
    for (const auto& v : values(*questionDictionary, text, text2)) {
        if (v == Label::FALSE_LABEL) return Cue::Vetoed;
        if (v == Label::TRUE_LABEL) phrase = true;
    }
    if (phrase) return Cue::Phrase;
    DetectedVerbInfo info;
    if (verbTable && (verbTable->detectLast(text, "", info) || (!text2.empty() && verbTable->detectLast(text2, "", info))))
        return Cue::VerbForm;
    return Cue::None;
}

bool KoreanQuestionTypeDetector::isQuestion(const std::string& text, const std::string& text2) const {
    const Cue cue = questionCue(text, text2);
    return cue == Cue::Phrase || cue == Cue::VerbForm;
}

bool KoreanQuestionTypeDetector::splitQuestions(const std::string& text, std::vector<std::string>& pieces) {
    std::string s = text;
    while (StringUtil::replace(s, "??", "?") > 0) {
    }
    size_t start = 0;
    for (size_t p = s.find('?'); p != std::string::npos; p = s.find('?', start)) {
        if (p + 1 - start > 3) pieces.push_back(s.substr(start, p + 1 - start));
        start = p + 1;
    }
    return pieces.size() >= 2;
}

void KoreanQuestionTypeDetector::getQuestionType(const std::string& text, const std::string& text2,
                                                 std::string& type) const {
    std::vector<std::string> pieces;
    const bool multi = splitQuestions(text, pieces);
    type = Q::YES_NO;
    for (const auto& v : values(*questionTypeDictionary, text, text2))
        if (v != Label::FALSE_LABEL) type = v;
    std::vector<std::string> choices;
    if (type == Q::YES_NO && multiChoiceDetector->detect(text, "", choices) != KoreanMultiChoiceDetector::NONE)
        type = Q::CHOOSE_ONE;
    if (multi && type != Q::CHOOSE_ONE) type = Q::MULTI_QUESTION;
}

void KoreanQuestionTypeDetector::addReplySentence(const std::string& type, const std::string& text,
                                                  const std::string& text2, Annotation& annotation) const {
    const std::string honorific = annotation.getLabel(Category::HONORIFIC);
    if (type == Q::YES_NO || StringUtil::startWith(type, Q::TIME)) {
        DetectedVerbInfo info;
        if (!verbTable) return;
        if (!verbTable->detectLast(text, honorific, info) &&
            (text2.empty() || !verbTable->detectLast(text2, honorific, info)))
            return;
        annotation.addCategory(K::YES_CANDIDATE, info.yesAnswer);
        annotation.addCategory(K::NO_CANDIDATE, info.noAnswer);
        if (!info.notSureAnswer.empty()) annotation.addCategory(K::NOT_SURE_CANDIDATE, info.notSureAnswer);
        annotation.addCategory(K::VERB, info.verb);
        annotation.addCategory(K::VERB_TYPE, info.type);
        annotation.addCategory(K::VERB_TIME, info.time);
    } else if (type == Q::CHOOSE_ONE) {
        std::vector<std::string> choices;
        if (multiChoiceDetector->detect(text, honorific, choices) == KoreanMultiChoiceDetector::NONE) return;
        std::string joined;
        for (const auto& c : choices) {
            const std::string choice = StringUtil::trim(fieldSafe(c));
            if (choice.empty()) continue;
            joined += (joined.empty() ? "" : "/") + choice;
        }
        if (!joined.empty()) annotation.addCategory(K::MULTI_CHOICE, joined);
    } else if (type == Q::MULTI_QUESTION) {
        std::vector<std::string> pieces;
        splitQuestions(text, pieces);
        std::string summary;
        for (const auto& piece : pieces) {
            std::string pieceType;
            getQuestionType(piece, piece, pieceType);
            std::string entry = fieldSafe(piece) + "/" + pieceType;
            DetectedVerbInfo info;
            if (pieceType == Q::YES_NO && verbTable && verbTable->detectLast(piece, honorific, info)) {
                // As for a single question: no hesitant answer about the past.
                const bool past = info.time == KoreanVerbKind::PAST || info.time == KoreanVerbKind::PAST_PERFECT;
                entry += "/" + fieldSafe(info.yesAnswer) + "/" + fieldSafe(info.noAnswer) + "/" + info.type + "/" +
                         (past ? "" : fieldSafe(info.notSureAnswer));
            }
            else
                entry += "////";
            summary += (summary.empty() ? "" : "\\") + entry;
        }
        annotation.addCategory(K::MULTI_QUESTION_CANDIDATE, summary);
    }
}

}  // namespace Varnex
