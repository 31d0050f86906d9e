// Whether a message asks the reader something, what kind of question it is,
// and the material its answers are made of.
//
// Writes "reply_type_answer" for every message: FALSE for no question (and
// for greetings and calls), "yes_no" by default for a question,
// "choose_one" for an either/or question, "multi_question" for several
// questions in one message, or the type a question-type rule names
// ("location", "person", "time_date", ...). A where or money type asked in
// the past tense becomes its past reading: a plan, an event, a way or an
// untyped where-question asked about the past is "where_done", a running
// cost "cost_paid", a price "paid_price", income "got_money", a gift of
// money "gift_given", how long something takes "took_long"; a when-question asked in the past tense has "time_past"
// for "time" at the start of its type ("time_past", "time_past_date"); a
// what-are-you-doing question ("activity") with a word for a time still to
// come (the rules' mark "later": 내일, 주말에, 퇴근하고) and none for now
// ("now": 지금) asks for plans, "plan_activity", unless asked in the past; a
// yes/no question with a verb that offers to get something for the reader
// (the mark "offering": 사 갈까, 사다 줄까) is an "offer", and so is
// something the speaker will arrange for the reader ("제가 회의실 잡아
// 둘까요?", "공유해 드릴게요 괜찮으세요?") or a drink offered ("커피 한잔
// 드실래요?"), an "offer_time" when set for an hour ("두 시로 잡아도 될까요?");
// leave asked to speak, call, come in or call on the reader is
// "leave_talk", "leave_call", "leave_enter" or "leave_visit", and leave to
// do something oneself ("제가 정해도 될까요?") "leave_do"; a gathering
// the reader is asked to come to ("꼭 참석해 주십시오") is "attend", asked or
// not; a proposal made as a statement ("피시방 ㄱㄱ", "치맥 콜?", "커피 마시러
// 가요", "우리 같이 헬스 끊자") is an "invitation"; a count asked
// with what one should do (the mark "should": 사 가면 돼, 하면 되겠습니까)
// is a "plan_count", and so is a count or a place the speaker proposes to
// settle ("몇 장 뽑아 둘까요?": "plan_count", "어디로 잡을까?": "plan_where");
// what the reader did ("어제 뭐 했어?") is "did_what"; who did something the
// speaker does not mind ("누가 이겼어?") is "person_done"; a where-question
// with 지금 asks the reader's "location"; questions about the reader's own
// life have their own kinds: who someone seen with the reader is ("who_is"),
// who gave or made a thing ("who_gave", "who_made"), who pays or paid
// ("who_pays", "who_paid"), what the reader chose, wore or said
// ("what_chose", "wore_what", "said_what"), where the reader goes regularly,
// took a photo or ate ("where_regular", "where_photo", "where_nearby");
// laughter after a content question with no question mark ("이 표정 뭐냐
// ㅋㅋㅋ") exclaims and asks nothing. For
// yes/no and time questions it
// adds the verb table's answers ("yes_candidate", "no_candidate",
// "not_sure_candidate") and the verb's key, sentence type and tense, except
// the yes and no of a time asked with what one should do ("몇 시에 가면
// 돼?": the time alone answers it); for either/or questions the choices
// ("multi_choice"), only the things offered when the question offers them
// ("케이크 사 갈까 빵 사 갈까?": 케이크, 빵); for several questions a
// summary of each ("multi_question_candidate").
//
// A message is a question when a question rule phrase ("TRUE") is in it or
// the verb table finds an interrogative verb form at its end; a "FALSE"
// phrase (a look-alike such as an exclamatory 뭐야 ㅋㅋ) vetoes both, and so
// does the question classifier when it is confident the message asks
// nothing. A count or span with 몇 and no question mark that ends as a
// report ("사진 몇 장 보냈어", "몇 번 전화했는데", "몇 가지 보내드렸습니다":
// a past tense, -니다, -더라) says "a few" and asks nothing. Built once;
// read-only afterwards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KoreanMultiChoiceDetector.h"
#include "KoreanVerbTable.h"
#include "Varnex/IAnnotator.h"
#include "Varnex/KoreanStopCharRemover.h"

namespace Varnex {

class DictionaryFeature;

class KoreanQuestionTypeDetector : public IAnnotator {
public:
    KoreanQuestionTypeDetector(const std::string& questionRule, const std::string& questionTypeRule,
                               std::shared_ptr<KoreanVerbTable> verbTable, const std::string& multiChoiceVerbRule,
                               const std::string& multiChoicePatternRule, const std::string& multiChoiceNegRule,
                               bool prebuilt);
    // The same with the question rules already loaded (shared with the
    // question classifier).
    KoreanQuestionTypeDetector(std::shared_ptr<DictionaryFeature> questionRules, const std::string& questionTypeRule,
                               std::shared_ptr<KoreanVerbTable> verbTable, const std::string& multiChoiceVerbRule,
                               const std::string& multiChoicePatternRule, const std::string& multiChoiceNegRule,
                               bool prebuilt);
    ~KoreanQuestionTypeDetector() override;

    bool process(Annotation& annotation) const override;

    bool isQuestion(const std::string& text, const std::string& text2) const;
    // Cuts `text` after each question mark (runs of them count as one);
    // pieces of three bytes or less are dropped. True for two or more pieces.
    static bool splitQuestions(const std::string& text, std::vector<std::string>& pieces);
    void getQuestionType(const std::string& text, const std::string& text2, std::string& type) const;
    void addReplySentence(const std::string& type, const std::string& text, const std::string& text2,
                          Annotation& annotation) const;

    // A classifier probability of "FALSE" for "question" at or above this
    // vetoes a question the rules and the verb table found.
    static constexpr double kClassifierVeto = 0.9;

private:
    // What the question-type rules find in a message: the last type named
    // ("" for none) and the marks of words for later, now, offering and
    // what one should do.
    struct Marks {
        std::string type;
        bool later = false, now = false, offering = false, should = false, together = false;
    };
    Marks marks(const std::string& text, const std::string& text2) const;
    // A question piece that only guesses an answer: one or two words, no
    // verb and no word that asks.
    bool guessesAnswer(const std::string& piece) const;

    enum class Cue { Vetoed, None, Phrase, VerbForm };
    Cue questionCue(const std::string& text, const std::string& text2) const;

    std::shared_ptr<DictionaryFeature> questionDictionary;
    std::shared_ptr<DictionaryFeature> questionTypeDictionary;
    std::shared_ptr<KoreanVerbTable> verbTable;
    std::shared_ptr<KoreanMultiChoiceDetector> multiChoiceDetector;
    std::shared_ptr<KoreanStopCharRemover> stopCharRemover;
};

}  // namespace Varnex
