#include "KoreanQuestionTypeDetector.h"

#include <map>

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

// Question types whose past-tense form asks something else: where the
// reader went or did something, what a cost or a gift came to, what money
// came in.
const std::map<std::string, std::string> kPastTwins = {
    {"where_other", "where_done"},  {"where_trip", "where_done"}, {"where_event", "where_done"},
    {"where_todo", "where_done"},   {"cost_ongoing", "cost_paid"}, {"price", "paid_price"},
    {"income", "got_money"},        {"gift_money", "gift_given"}, {"how_long", "took_long"},
};

// Values of the question-type rules that name no type but mark a word of
// the message: a time still to come ("내일", "주말에", "퇴근하고") or the
// present ("지금", "요즘").
const char* const kLaterMark = "later";
const char* const kNowMark = "now";
// ... and a verb that offers to get or do something for the reader ("사 갈까",
// "사다 줄까"): a yes/no question with it is an offer.
const char* const kOfferMark = "offering";
const char* const kOffer = "offer";
// ... and an ending that asks what one should do ("사 가면 돼?", "하면
// 되겠습니까"): a count asked with it is a plan ("몇 개 사 가면 돼?").
const char* const kShouldMark = "should";
const char* const kCount = "count";
const char* const kHowLong = "how_long";
const char* const kTookLong = "took_long";
const char* const kPlanCount = "plan_count";
const char* const kActivity = "activity";
const char* const kPlanActivity = "plan_activity";
// Who-questions: who does something ("누가 해?"), asked in the past who
// did it ("누가 먹었어?"); who holds a role or whom something goes to
// ("담당자가 누구예요?", "누구한테 보내?"), and the same asked of the
// reader with no word before it ("누구세요?": "identity", left unanswered).
const char* const kPersonDoer = "person_doer";
const char* const kPersonDid = "person_did";
const char* const kPersonRole = "person_role";
const char* const kPersonYou = "identity";
// A where-question asked with what one should do ("주차 어디에 하면 돼요?",
// "어디로 보내면 됩니까?") asks for directions.
const char* const kWhereShould = "where_should";

// Where-questions whose answers are built on the question's verb: the
// detector leaves the verb table's affirming answer for them ("어디 살아?":
// 살아, "어디서 샀어?": 샀어) and, for who does something, the verb.
bool answeredWithVerb(const std::string& type) {
    return type == kPersonDoer || type == "where_self" || type == "where_bought" || type == "where_done" ||
           type == "where_event";
}

// The last word of `text` (marks and spaces at the end dropped).
std::string lastWord(const std::string& text) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(text, chars);
    while (!chars.empty() && (chars.back() == " " || chars.back() == "?" || chars.back() == ",")) chars.pop_back();
    size_t start = chars.size();
    while (start > 0 && chars[start - 1] != " ") --start;
    std::string word;
    for (size_t i = start; i < chars.size(); ++i) word += chars[i];
    return word;
}

// A syllable with the final consonant ㅆ marks the past (갔, 했, 나왔, 주웠,
// 하셨, 였), except 있 (to be) and 겠 (a guess or intention).
bool hasPastSyllable(const std::string& word) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(word, chars);
    for (const auto& ch : chars) {
        if (ch.size() != 3 || ch == "있" || ch == "겠") continue;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(ch.data());
        const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        if (c >= 0xAC00 && c <= 0xD7A3 && (c - 0xAC00) % 28 == 20) return true;
    }
    return false;
}

// The question is asked about the past: its last verb is in a past tense
// (the verb table's reading, or a past syllable in the last word). "-기로
// 했어" reports a decision about what is still to come, and so does a plan
// reported in quoted speech ("언제 온다고 했어", "어디 가자고 했어"); 남았어
// is what is left now.
bool askedInPast(const std::string& text, const std::string& text2, const KoreanVerbTable* verbTable) {
    if (text.find("기로") != std::string::npos) return false;
    // 남았어 tells what is left now ("며칠 남았어?", "몇 분 남았어요?").
    if (StringUtil::startWith(lastWord(text), "남았")) return false;
    for (const char* quoted : {"다고", "라고", "자고", "냐고"}) {
        const size_t at = text.find(quoted);
        if (at != std::string::npos && hasPastSyllable(lastWord(text.substr(at)))) return false;
    }
    DetectedVerbInfo info;
    if (verbTable &&
        (verbTable->detectLast(text, "", info) || (!text2.empty() && verbTable->detectLast(text2, "", info))) &&
        (info.time == KoreanVerbKind::PAST || info.time == KoreanVerbKind::PAST_PERFECT))
        return true;
    return hasPastSyllable(lastWord(text));
}

// A when-question in the past tense that asks when something happened, not
// the time something was set to ("언제로 잡으셨어요", "몇 시로 정했어") nor a
// time being recalled with the past copula ("몇 시였죠", "언제까지였지").
bool asksWhenItHappened(const std::string& text) {
    for (const char* setTo : {"언제로", "몇시로", "몇 시로", "며칠로", "몇일로", "요일로", "날짜로"})
        if (text.find(setTo) != std::string::npos) return false;
    const std::string last = lastWord(text);
    return last.find("였") == std::string::npos;
}

// Drops the words at the end that all choices share ("케이크 사 가자", "빵
// 사 가자" -> "케이크", "빵"), as long as every choice keeps a word.
void dropSharedTail(std::vector<std::string>& choices) {
    if (choices.size() < 2) return;
    std::vector<std::vector<std::string>> words;
    for (const auto& c : choices) {
        std::vector<std::string> parts, w;
        StringUtil::split(StringUtil::trim(c), ' ', parts);
        for (const auto& p : parts)
            if (!p.empty()) w.push_back(p);
        words.push_back(w);
    }
    size_t shared = 0;
    for (;; ++shared) {
        bool same = true;
        for (const auto& w : words) {
            if (w.size() <= shared + 1 || w[w.size() - 1 - shared] != words[0][words[0].size() - 1 - shared]) {
                same = false;
                break;
            }
        }
        if (!same) break;
    }
    if (shared == 0) return;
    for (size_t i = 0; i < choices.size(); ++i) {
        std::string kept;
        for (size_t j = 0; j + shared < words[i].size(); ++j) kept += (kept.empty() ? "" : " ") + words[i][j];
        choices[i] = kept;
    }
}

// "사진 몇 장 보냈어", "몇 번 전화했는데", "자료 몇 가지 보내드렸습니다": 몇
// counts "a few" in a report of what was done, not a question. A count or a
// span ("몇 분 후에 도착합니다") asked with 몇 but without a question mark,
// whose last word reports (a past tense, a formal statement in -니다, or a
// recollection in -더라) is no question. 몇 개 필요해, 몇 명이야 and every
// count with a question mark stay questions.
bool reportsAFew(const std::string& text, const std::string& type) {
    if (type != kCount && type != kHowLong && type != kTookLong) return false;
    if (text.find('?') != std::string::npos) return false;
    size_t few = text.find("몇");
    if (few == std::string::npos) few = text.find("며칠");
    if (few == std::string::npos) return false;
    auto endsWith = [](const std::string& word, const std::string& tail) {
        return word.size() >= tail.size() && word.compare(word.size() - tail.size(), tail.size(), tail) == 0;
    };
    const std::string last = lastWord(text);
    if (hasPastSyllable(last) || endsWith(last, "니다") || endsWith(last, "더라") || endsWith(last, "더라고") ||
        endsWith(last, "더라고요"))
        return true;
    // ... or a clause after it that reports what was done: "몇 명한테
    // 물어봤는데 다 모른대".
    std::vector<std::string> words;
    StringUtil::split(text.substr(few), ' ', words);
    for (const auto& w : words)
        if (hasPastSyllable(w) && endsWith(w, "데")) return true;
    return false;
}

// "어디로 보내면 됩니까?", "어디서 갈아타야 돼?": asked with what one should
// do. The rules' mark "should" can be hidden by a longer where-phrase that
// covers its 면 ("어디로보내면"), so the words are looked for here as well.
bool asksWhatToDo(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    for (const char* should : {"면돼", "면되", "면됩", "면됨", "야돼", "야되", "야됩", "야하", "야해", "야합"})
        if (s.find(should) != std::string::npos) return true;
    return false;
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
        // Two bare words with a question mark ("짜장 짬뽕?") ask to pick one.
        std::vector<std::string> pair;
        const bool question = cue == Cue::Phrase || (cue == Cue::VerbForm && !classifierDenies(annotation)) ||
                              (cue != Cue::VerbForm && multiChoiceDetector->detectBarePair(text, pair) != 0);
        if (question) {
            getQuestionType(text, text2, type);
            if (reportsAFew(text, type))
                type = Label::FALSE_LABEL;
            else
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

KoreanQuestionTypeDetector::Marks KoreanQuestionTypeDetector::marks(const std::string& text,
                                                                    const std::string& text2) const {
    Marks m;
    // Laughter and marks before a question are no words before it: "ㅋㅋ 어디야"
    // starts with its where-word as "어디야" does.
    for (const auto& v : values(*questionTypeDictionary, StringUtil::trim(text), StringUtil::trim(text2))) {
        if (v == kLaterMark)
            m.later = true;
        else if (v == kNowMark)
            m.now = true;
        else if (v == kOfferMark)
            m.offering = true;
        else if (v == kShouldMark)
            m.should = true;
        else if (v != Label::FALSE_LABEL)
            m.type = v;
    }
    return m;
}

void KoreanQuestionTypeDetector::getQuestionType(const std::string& text, const std::string& text2,
                                                 std::string& type) const {
    std::vector<std::string> pieces;
    const bool multi = splitQuestions(text, pieces);
    const Marks m = marks(text, text2);
    type = m.type.empty() ? std::string(Q::YES_NO) : m.type;
    const bool later = m.later, now = m.now, offering = m.offering, should = m.should;
    // What the reader does at a time still to come is a plan ("주말에 뭐
    // 해?", "퇴근하고 뭐 하세요?"), unless it is asked about the past ("주말에
    // 뭐 했어?") or about now ("지금 뭐 해?").
    if (type == kActivity && later && !now && !askedInPast(text, text2, verbTable.get())) type = kPlanActivity;
    if (type == kCount && should) type = kPlanCount;
    if ((should || asksWhatToDo(text)) && (type == "where_other" || type == "where_todo" || type == "where_put")) type = kWhereShould;
    if (type == kPersonDoer && askedInPast(text, text2, verbTable.get())) type = kPersonDid;
    // "누구세요?", "누구야?": who the reader is, not who holds a role.
    if (type == kPersonRole && StringUtil::startWith(StringUtil::trim(text), "누구")) type = kPersonYou;
    // A where or money question asked in the past tense asks what the reader
    // did or paid ("어디서 주웠어", "택시비 얼마 나왔어"), not a plan or a price.
    const auto twin = kPastTwins.find(type);
    if (twin != kPastTwins.end() && askedInPast(text, text2, verbTable.get())) type = twin->second;
    // A when-question in the past tense asks when something happened ("언제
    // 이사했어"): its answers lie behind, not ahead (곧, 아직 모르겠어).
    if (StringUtil::startWith(type, Q::TIME) && !StringUtil::startWith(type, Q::TIME_PAST) &&
        askedInPast(text, text2, verbTable.get()) && asksWhenItHappened(text))
        type = Q::TIME_PAST + type.substr(std::string(Q::TIME).size());
    // An either/or question is no yes/no one, nor an invitation or a "which"
    // question once its two choices are cut out ("쉴래 아니면 놀러 갈래?",
    // "치킨 피자 뭐가 나아?").
    std::vector<std::string> choices;
    const int choice = multiChoiceDetector->detect(text, "", choices);
    if (choice != KoreanMultiChoiceDetector::NONE &&
        (type == Q::YES_NO || (choice == KoreanMultiChoiceDetector::ALTERNATIVES && choices.size() >= 2)))
        type = Q::CHOOSE_ONE;
    // "살까 말까" wonders whether to do it at all: without its two choices a
    // bare 응 or 아니 would answer nothing, so it is no question to answer.
    if (type == Q::YES_NO && (text.find("까 말까") != std::string::npos || text.find("까말까") != std::string::npos))
        type = Label::FALSE_LABEL;
    // "커피 사 갈까?" offers; "뭐 사 갈까?" and "몇 개 사 갈까?" keep their wh-type.
    if (type == Q::YES_NO && offering) type = kOffer;
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
        // "몇 시에 가면 돼?" asks when to go: its 돼 is no verb to answer the
        // time with ("오후 2시에 돼"), so the time stands alone.
        const bool timeToDo = StringUtil::startWith(type, Q::TIME) && marks(text, text2).should;
        if (!timeToDo) {
            annotation.addCategory(K::YES_CANDIDATE, info.yesAnswer);
            annotation.addCategory(K::NO_CANDIDATE, info.noAnswer);
        }
        if (!info.notSureAnswer.empty()) annotation.addCategory(K::NOT_SURE_CANDIDATE, info.notSureAnswer);
        annotation.addCategory(K::VERB, info.verb);
        annotation.addCategory(K::VERB_TYPE, info.type);
        annotation.addCategory(K::VERB_TIME, info.time);
    } else if (answeredWithVerb(type)) {
        DetectedVerbInfo info;
        if (!verbTable || (!verbTable->detectLast(text, honorific, info) &&
                           (text2.empty() || !verbTable->detectLast(text2, honorific, info))))
            return;
        if (!info.yesAnswer.empty() && !KoreanVerbTable::isCommonAnswer(info.yesAnswer))
            annotation.addCategory(K::YES_CANDIDATE, info.yesAnswer);
        annotation.addCategory(K::VERB, info.verb);
    } else if (type == Q::CHOOSE_ONE) {
        std::vector<std::string> choices;
        if (multiChoiceDetector->detect(text, honorific, choices) == KoreanMultiChoiceDetector::NONE) return;
        // An offer between two things ("케이크 사 갈까 빵 사 갈까?") is answered
        // with the thing: the words the choices share ("사 가자", a suggestion
        // to go together) are dropped.
        if (marks(text, text2).offering) dropSharedTail(choices);
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
