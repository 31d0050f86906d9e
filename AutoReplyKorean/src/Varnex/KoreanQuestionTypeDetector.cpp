#include "KoreanQuestionTypeDetector.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
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
const char* const kOfferTime = "offer_time";
// ... and a word that asks the reader along ("같이", "우리", "한잔", "보러"):
// a yes/no question in a volitional ending with it is an invitation.
const char* const kTogetherMark = "together";
const char* const kInvitation = "invitation";
// A gathering the reader is asked to come to ("꼭 참석해 주십시오").
const char* const kAttend = "attend";
// Leave the speaker asks to do something themselves ("제가 정해도 될까요?").
const char* const kLeaveDo = "leave_do";
// ... and an ending that asks what one should do ("사 가면 돼?", "하면
// 되겠습니까"): a count asked with it is a plan ("몇 개 사 가면 돼?").
const char* const kShouldMark = "should";
const char* const kCount = "count";
const char* const kHowLong = "how_long";
const char* const kTookLong = "took_long";
const char* const kPlanCount = "plan_count";
const char* const kCountOwn = "known_count";

// The word right after 몇, spaces skipped ("몇 정거장": "정거장").
std::string wordAfterFew(const std::string& text) {
    const size_t few = text.find("몇");
    if (few == std::string::npos) return "";
    std::string after = text.substr(few + 3);
    while (!after.empty() && after[0] == ' ') after.erase(0, 1);
    return after.substr(0, after.find(' '));
}

// A count one finds out rather than decides: floors, rooms, stops, pages.
bool countLookedUp(const std::string& text) {
    const size_t few = text.find("몇");
    if (few == std::string::npos) return false;
    std::string after = text.substr(few + 3);
    StringUtil::replace(after, " ", "");
    for (const char* counter : {"층", "호", "정거장", "역", "페이지", "쪽", "번째", "번출구", "번버스", "번방", "번게이트"})
        if (StringUtil::startWith(after, counter)) return true;
    return false;
}

// A count that something requires ("몇 시간 자야 돼?", "약 몇 알 먹어야
// 돼?", "몇 번 타야 돼?"): a fact the reader knows or finds out, not an
// amount to settle.
bool countRequired(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    for (const char* must : {"야돼", "야되", "야됩", "야하", "야해", "야합"})
        if (s.find(must) != std::string::npos) return true;
    return false;
}

// A count the reader knows of their own life: a habit per day, week or month
// ("하루에 몇 시간 자?", "일주일에 운동 몇 번 해요?"), the animals they keep,
// their family ("형제가 몇 명이야?", "아이가 몇 명이에요?").
bool countOfOwnLife(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    for (const char* per : {"하루에", "하루", "일주일에", "일주일", "한주에", "한달에", "달에", "일년에", "1년에", "보통", "평소에", "매일",
                            "주말에", "평일에"})
        if (s.find(per) != std::string::npos) return true;
    for (const char* keeps : {"키워", "키우", "길러", "기르", "기릅", "키웁"})
        if (s.find(keeps) != std::string::npos) return true;
    if (StringUtil::startWith(wordAfterFew(text), "명"))
        for (const char* family : {"형제", "남매", "자매", "가족", "식구", "아이", "애들", "자녀", "자식", "아들", "딸", "손주"})
            if (s.find(family) != std::string::npos) return true;
    return false;
}
const char* const kActivity = "activity";
const char* const kPlanActivity = "plan_activity";
// What the reader did ("어제 뭐 했어?").
const char* const kDidWhat = "did_what";
const char* const kPlanWhere = "plan_where";
const char* const kPreference = "preference";
// Who-questions: who does something ("누가 해?"), asked in the past who
// did it ("누가 먹었어?"); who holds a role or whom something goes to
// ("담당자가 누구예요?", "누구한테 보내?"), and the same asked of the
// reader with no word before it ("누구세요?": "identity", left unanswered).
const char* const kPersonDoer = "person_doer";
const char* const kPersonDid = "person_did";
// ... and who did something the speaker does not mind ("누가 이겼어?").
const char* const kPersonDone = "person_done";
const char* const kPersonRole = "person_role";
const char* const kPersonYou = "identity";
// Who someone the reader was with or in touch with is ("아까 같이 있던 사람
// 누구야?"); who gave the reader something ("누가 사 줬어?") or made a thing
// ("누가 구웠어?").
const char* const kPersonWho = "who_is";
const char* const kPersonGave = "who_gave";
const char* const kPersonMade = "who_made";
// Who pays a bill ("회식비 누가 내?").
const char* const kPersonPays = "who_pays";
const char* const kPersonPaid = "who_paid";
// What the reader chose ("뭘로 골랐어?") and what the reader said or meant
// ("방금 뭐라고 했어?").
const char* const kWhatChose = "what_chose";
const char* const kSaidWhat = "said_what";
// Where the reader goes regularly ("필라테스 어디로 다녀?") and where the
// reader took a photo ("이 사진 어디서 찍었어?").
const char* const kWhereRegular = "where_regular";
const char* const kWherePhoto = "where_photo";
// Where the reader ate or had something done ("점심 어디서 먹었어?") and what
// the reader wore ("어제 뭐 입고 갔어?").
const char* const kWhereNearby = "where_nearby";
const char* const kWoreWhat = "wore_what";
// A where-question asked with what one should do ("주차 어디에 하면 돼요?",
// "어디로 보내면 됩니까?") asks for directions.
const char* const kWhereShould = "where_should";

// Where-questions whose answers are built on the question's verb: the
// detector leaves the verb table's affirming answer for them ("어디 살아?":
// 살아, "어디서 샀어?": 샀어) and, for who does something, the verb.
bool answeredWithVerb(const std::string& type) {
    return type == kPersonDoer || type == "where_self" || type == "where_bought" || type == "where_done" ||
           type == "where_photo" || type == "where_nearby" || type == "where_event";
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

bool endsWith(const std::string& word, const std::string& tail) {
    return word.size() >= tail.size() && word.compare(word.size() - tail.size(), tail.size(), tail) == 0;
}

// Why-questions about the reader's own doing, sorted by what the answer
// owes: a thing the reader has not done yet ("보고서 왜 아직 안 올렸어?", "왜
// 안 와?": an apology and a promise, "미안 곧 갈게"), a message or call left
// unanswered ("왜 전화 안 받았어?", "왜 연락이 없었어요?": "미안 못 봤어"),
// something missed or done wrong ("왜 숙제 안 냈니?", "왜 늦었어?", "왜 나한테만
// 말 안 했어? 서운하네": an apology with a reason), and a choice the reader
// made ("차는 왜 파셨어요?": a reason, no apology).
const char* const kReason = "reason";
const char* const kSorryPending = "sorry_pending";
const char* const kSorryUnanswered = "sorry_unanswered";
const char* const kSorryMissed = "sorry_missed";
const char* const kSorryDid = "sorry_did";
const char* const kChoiceReason = "choice_reason";
// Why someone or something else does as it does ("택배가 왜 안 와?", "걔는 왜
// 헤어졌어?"): the reader can only wonder along, not give their reasons.
const char* const kOtherReason = "other_reason";

// Who the words before 왜 make the one asked about: someone or something
// else named as subject ("택배가 왜 안 와?", "걔는 왜 헤어졌어?"), a topic
// that may be the thing the reader acted on ("차는 왜 파셨어요?", "숙제는 왜
// 안 냈어?"), or the reader. The reader named (너는, 넌, 과장님은, 언니가) and
// a message or call as subject ("연락이 왜 없었어?") count as the reader; a
// vocative (민수야) or an object (보고서를) is no subject.
enum class Asked { Other, Topic, Reader };

Asked askedAbout(const std::string& text) {
    const size_t why = text.find("왜");
    if (why == std::string::npos) return Asked::Other;
    std::vector<std::string> words;
    StringUtil::split(text.substr(0, why), ' ', words);
    static const std::vector<std::string> reader = {"너", "넌", "니", "네", "너는", "너도", "니가", "네가", "당신",
                                                    "자기", "자기는", "자기가", "본인", "본인은"};
    static const std::vector<std::string> kin = {"님", "형", "오빠", "언니", "누나", "선배", "쌤"};
    static const std::vector<std::string> contact = {"연락", "답장", "답", "대답", "전화", "카톡", "톡", "문자", "소식"};
    static const std::vector<std::string> others = {"걔", "쟤", "얘", "그사람", "그분", "걔네", "쟤네", "얘네"};
    Asked asked = Asked::Reader;
    for (const auto& raw : words) {
        const std::string w = StringUtil::trim(raw);
        if (w.empty()) continue;
        std::string stem, particle;
        for (const char* p : {"께서는", "께서", "은", "는", "이", "가", "도"})
            if (endsWith(w, p) && w.size() > std::string(p).size()) {
                stem = w.substr(0, w.size() - std::string(p).size());
                particle = p;
                break;
            }
        if (std::find(others.begin(), others.end(), stem.empty() ? w : stem) != others.end()) return Asked::Other;
        if (stem.empty()) continue;  // no subject or topic particle
        if (std::find(reader.begin(), reader.end(), w) != reader.end()) continue;
        bool ok = std::find(contact.begin(), contact.end(), stem) != contact.end();
        for (const auto& k : kin) ok = ok || endsWith(stem, k);
        if (ok) continue;
        if (particle == "은" || particle == "는" || particle == "도")
            asked = Asked::Topic;
        else
            return Asked::Other;
    }
    return asked;
}

// Whether the words in front of the verb at `verbAt` leave the reader as
// the one who comes: only times, question words, a destination or a point
// in time (-에, -로, -까지), a vocative (민수야) or the reader named (너, 넌).
// Any other word may be what comes (버스, 택배, 민수는).
bool comingIsTheReaders(const std::string& text, int verbAt) {
    std::vector<std::string> words;
    StringUtil::split(text.substr(0, std::max(0, verbAt)), ' ', words);
    static const std::set<std::string> plain = {"언제", "몇", "시", "몇시", "내일", "오늘", "모레", "이따", "이따가",
                                                "지금", "나중에", "좀", "대충", "보통", "주로", "그럼", "근데",
                                                "너", "넌", "너는", "너도", "니가", "네가", "혹시", "정확히", "대략"};
    for (const auto& raw : words) {
        std::string w = StringUtil::trim(raw);
        while (!w.empty() && (w.back() == '?' || w.back() == ',' || w.back() == '!')) w.pop_back();
        if (w.empty() || plain.count(w)) continue;
        bool ok = false;
        for (const char* tail : {"에", "로", "까지", "쯤", "야", "아", "님"})
            ok = ok || (endsWith(w, tail) && w.size() > std::string(tail).size());
        if (!ok) return false;
    }
    return true;
}

bool containsAny(const std::string& squeezed, std::initializer_list<const char*> parts) {
    for (const char* p : parts)
        if (squeezed.find(p) != std::string::npos) return true;
    return false;
}

std::string reasonKind(const std::string& text, const std::string& text2, const KoreanVerbTable* verbTable) {
    const Asked asked = askedAbout(text);
    if (asked == Asked::Other) return kOtherReason;
    std::string s = text;
    StringUtil::replace(s, " ", "");
    const size_t why = s.find("왜");
    const std::string after = why == std::string::npos ? s : s.substr(why);
    DetectedVerbInfo info;
    const bool verbFound = verbTable && (verbTable->detectLast(text, "", info) ||
                                         (!text2.empty() && verbTable->detectLast(text2, "", info)));
    const bool past = askedInPast(text, text2, verbTable);
    bool negated = (verbFound && (info.compoundValue == "안" || info.compoundValue == "못")) ||
                   containsAny(after, {"왜안", "왜못", "안했", "안하", "안해", "못했"});
    std::vector<std::string> words;
    StringUtil::split(text.substr(text.find("왜")), ' ', words);
    for (const auto& w : words) negated = negated || w == "안" || w == "못";
    // 되다 and 그렇다 are no doing of the reader's ("왜 안 돼?", "왜 안 그래?").
    if (verbFound && (info.verb == "되다" || info.verb == "그렇다" || info.verb == "그러다")) return kReason;
    const bool yet = containsAny(after, {"아직"});
    const bool reproach = containsAny(s, {"서운", "섭섭", "걱정했잖", "기다렸잖", "말도없이", "말없이", "연락도없이", "그냥갔", "먼저갔"});
    const bool unanswered =
        containsAny(after, {"연락이없", "연락도없", "연락이안", "연락을안", "연락안", "답이없", "답장이없", "답장도없",
                            "답장안", "답장을안", "대답안", "대답을안", "소식이없", "씹", "안받", "못받", "안읽", "안봐",
                            "못봤", "안봤", "잠수"}) ||
        (negated && containsAny(after, {"전화", "카톡", "톡", "문자", "연락", "답장", "메일", "메시지"}));
    const bool late = containsAny(after, {"늦었", "늦게", "늦으", "늦냐", "늦어", "늦니", "지각", "이제와", "이제야", "이제오"});
    // Skipping or forgetting is a failure without a 안 ("왜 수업 빠졌어?").
    if (containsAny(after, {"빠졌", "빼먹", "결석", "까먹", "잊어", "잊었", "잊으"})) negated = true;
    // "택배는 왜 안 와?" asks about the parcel: only the reader's own coming is put off.
    if (negated && !past && !unanswered && (yet || (verbFound && info.verb == "오다" && asked == Asked::Reader)))
        return kSorryPending;
    if (negated && past && yet) return kSorryPending;
    if (unanswered) return kSorryUnanswered;
    if ((negated && past) || (reproach && negated)) return kSorryMissed;
    if (late || reproach) return kSorryDid;
    // A feeling or a state is no choice ("왜 화났어?", "왜 울었어?").
    for (const char* state : {"화나다", "삐지다", "울다", "웃다", "아프다", "그렇다", "그러다", "이러다", "속상하다"})
        if (verbFound && info.verb == state) return kReason;
    if (past && !negated) return kChoiceReason;
    return kReason;
}

// A why-question asking what the reader thinks or likes ("왜 그렇게
// 생각해?", "그 영화 왜 좋아해?", "그게 왜 별로야?"): answered with a view,
// not with circumstances ("음 그냥 그런 것 같아서").
const char* const kWhyOpinion = "why_opinion";

bool asksWhyOpinion(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    size_t why = s.find("왜");
    if (why == std::string::npos) why = s.find("어째서");
    if (why == std::string::npos) return false;
    return containsAny(s.substr(why), {"생각해", "생각하", "생각했", "생각이", "좋아해", "좋아하", "좋은데", "좋아?",
                                       "좋아요", "별로", "싫어", "싫은", "마음에", "맘에", "동의", "찬성", "반대",
                                       "낫다고", "낫다는", "나은데", "그렇게느"});
}

// How-questions. How the reader's own event turned out ("면접 어떻게 됐어?",
// "검사 결과 어떻게 나왔어요?", "계약 건은 어떻게 마무리됐습니까?"): it went
// fine, there is no news yet, or the reader tells it later.
const char* const kHowWent = "how_went";
// How the reader went about something done ("살 어떻게 뺐어?", "이거 어떻게
// 만들었어요?", "그걸 어떻게 알았어?"), or goes about a habit ("스트레스는
// 어떻게 푸세요?", "출근은 뭐 타고 해?", "보통 운동 어떻게 해?"): nothing
// special, or the reader tells it later; never a way made up.
const char* const kHowDone = "how_done";
const char* const kHowHabit = "how_habit";
// ... and how the reader came to know or find something ("그걸 어떻게
// 알았어?"): by chance, or the reader tells it later.
const char* const kHowKnew = "how_knew";
// The reader's impression of something ("새 회사 어때?", "바꾼 자전거는 탈
// 만해요?"): good, fine, and for something new to the reader, still getting
// used to it; how the reader's body is ("다리는 좀 어떠세요?"): better, or
// still sore.
const char* const kImpression = "impression";
const char* const kImpressionNew = "impression_new";
const char* const kImpressionHealth = "health_how";

std::string howKind(const std::string& text, const std::string& type, bool past) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    const bool how = containsAny(s, {"어떻게", "어케", "어찌"});
    if (how && containsAny(s, {"어떻게됐", "어떻게되었", "어떻게되셨", "어떻게됬", "어케됐", "어케됬", "어떻게나왔",
                               "어케나왔", "어떻게마무리", "어떻게끝났", "어떻게끝나셨", "어떻게봤",
                               "어떻게보셨", "어떻게풀렸"}))
        return kHowWent;
    if (type == "etc" && how) {
        // "이거 어떻게 써?", "이 매듭 어떻게 묶어?" ask for help with a thing at hand.
        // How a thing in progress goes ("준비는 어떻게 돼 가?") is no habit.
        if (containsAny(s, {"돼가", "되가", "되어가", "진행", "되고있"})) return type;
        if (past) return containsAny(s, {"알았", "아셨", "알게됐", "알게되셨", "찾았", "찾으셨"}) ? kHowKnew : kHowDone;
        const bool topic = containsAny(s, {"은어떻게", "는어떻게", "은어케", "는어케", "은뭐타고", "는뭐타고"}) &&
                           !containsAny(s, {"이건", "그건", "저건"});
        if (topic || containsAny(s, {"보통", "주로", "평소", "평소에", "원래", "매일", "맨날", "요즘"})) return kHowHabit;
        return type;
    }
    if (type == "etc" && containsAny(s, {"뭐타고", "뭘타고", "뭐로다녀", "뭐타고다녀"})) return kHowHabit;
    if (type == "preference" || type == "yes_no" || type == "choose_one" || type == "invitation") {
        const bool asksHow = containsAny(s, {"어때", "어떠세요", "어떠십니까", "어떠신가요", "어떤가요", "어떻습니까"});
        const bool worth = containsAny(s, {"만해", "만하", "만합니까"});
        const bool fresh = containsAny(s, {"새", "바꾼", "옮긴", "이사한", "들어간", "보니까", "보니", "요즘", "처음",
                                           "생활", "다녀보", "해보", "써보", "살아보"});
        if (!asksHow && !worth) return type;
        // "내일 영화 어때?" proposes; only the reader's new things are asked after.
        if (type != "preference" && !worth && !fresh) return type;
        if (containsAny(s, {"몸은", "몸좀", "몸이", "컨디션", "다리는", "다리좀", "허리는", "허리좀", "감기는", "감기좀",
                            "상처는", "발목은", "손목은", "어깨는", "무릎은", "속은좀", "머리는좀", "목은좀"}))
            return kImpressionHealth;
        if (worth || fresh) return kImpressionNew;
        return kImpression;
    }
    return type;
}

const char* const kPayAmount = "pay_amount";

bool asksAmountToPay(const std::string& text, bool should) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    if (should || asksWhatToDo(text)) return true;
    // Fees one pays for a meal, a delivery or a gathering ("참가비는 얼마입니까?").
    if (containsAny(s, {"참가비", "입장료", "회비", "회식비", "배달비", "점심값", "저녁값", "밥값",
                        "술값", "커피값", "식대"}))
        return true;
    return containsAny(s, {"얼마씩", "인당", "명당", "각자", "얼마래", "얼마라고", "얼마랍", "얼마보내", "얼마입금",
                           "얼마송금", "얼마이체", "얼마드리", "얼마줘야", "n빵", "N빵", "엔빵", "1/n", "1/N", "더치"});
}

// What the reader is watching, reading, listening to or playing these
// days ("요즘 무슨 드라마 봐?", "요즘 뭐 읽으세요?"): answered with the
// reader's own pastime, not with where they are or what they are doing.
const char* const kPastime = "pastime";

// Whose age is asked. The age words (나이, 연세, 몇 살, 몇 년생, 올해 몇)
// follow the person they belong to; nothing before them is the reader.
const char* const kAge = "age";
const char* const kOtherAge = "other_age";
const char* const kChildAge = "child_age";
const char* const kElderAge = "elder_age";
const char* const kPartnerAge = "partner_age";
const char* const kYoungerAge = "younger_age";

struct Kin {
    const char* word;
    const char* type;
    // A word one also calls the reader by ("언니 몇 살이에요?" asks the
    // reader): it names someone else only with 너네 / 우리 / 그쪽 before it
    // or a particle after it.
    bool calledBy;
};

const Kin kKin[] = {
    {"걔", kOtherAge, false},        {"그분", kOtherAge, false},       {"그사람", kOtherAge, false},
    {"그애", kOtherAge, false},      {"쟤", kOtherAge, false},         {"사촌", kOtherAge, false},
    {"조카", kOtherAge, false},      {"후배", kOtherAge, false},       {"시누이", kOtherAge, false},
    {"시누", kOtherAge, false},      {"고모", kOtherAge, true},        {"이모", kOtherAge, true},
    {"삼촌", kOtherAge, true},       {"매형", kOtherAge, true},        {"형부", kOtherAge, true},
    {"새언니", kOtherAge, true},     {"처제", kOtherAge, true},        {"부모님", kOtherAge, true},
    {"아버님", kOtherAge, true},     {"아버지", kOtherAge, true},      {"아빠", kOtherAge, true},
    {"어머님", kOtherAge, true},     {"어머니", kOtherAge, true},      {"엄마", kOtherAge, true},
    {"할머니", kOtherAge, true},     {"할아버지", kOtherAge, true},    {"시아버지", kOtherAge, true},
    {"시어머니", kOtherAge, true},   {"장모님", kOtherAge, true},      {"선배", kOtherAge, true},
    {"선생님", kOtherAge, true},     {"교수님", kOtherAge, true},      {"과장님", kOtherAge, true},
    {"부장님", kOtherAge, true},     {"사장님", kOtherAge, true},      {"팀장님", kOtherAge, true},
    {"언니", kElderAge, true},       {"누나", kElderAge, true},        {"오빠", kElderAge, true},
    {"형", kElderAge, true},         {"남자친구", kPartnerAge, false}, {"여자친구", kPartnerAge, false},
    {"남친", kPartnerAge, false},    {"여친", kPartnerAge, false},     {"남편", kPartnerAge, false},
    {"아내", kPartnerAge, false},    {"와이프", kPartnerAge, false},   {"신랑", kPartnerAge, false},
    {"애인", kPartnerAge, false},    {"아들", kChildAge, false},       {"아드님", kChildAge, false},
    {"딸", kChildAge, false},        {"따님", kChildAge, false},       {"아이", kChildAge, false},
    {"애기", kChildAge, false},      {"아기", kChildAge, false},       {"애들", kChildAge, false},
    {"큰애", kChildAge, false},      {"작은애", kChildAge, false},     {"첫째", kChildAge, false},
    {"둘째", kChildAge, false},      {"막내", kChildAge, false},       {"손주", kChildAge, false},
    {"동생", kYoungerAge, false},
};

// The type of an age question once the person before the age word is known.
std::string ageAskedOf(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    size_t at = std::string::npos;
    for (const char* cue : {"나이", "연세", "몇살", "몇년생", "몇년도생", "몇세", "올해", "몇개월", "몇학년"})
        at = std::min(at, s.find(cue));
    if (at == std::string::npos || at == 0) return kAge;
    // An age gap or the age at which something happened is the plain set.
    if (s.find("차이", at) != std::string::npos || s.find("살때", at) != std::string::npos) return kAge;
    std::string before = s.substr(0, at);
    bool particle = false;
    for (const char* p : {"은", "는", "이", "가", "의", "도"}) {
        if (endsWith(before, p) && before.size() > std::strlen(p)) {
            // 아이 and 형이 end in 이: the particle is read only when a kin
            // word is left before it.
            const std::string rest = before.substr(0, before.size() - std::strlen(p));
            bool kinLeft = false;
            for (const Kin& k : kKin) kinLeft = kinLeft || endsWith(rest, k.word) || endsWith(rest, std::string(k.word) + "분");
            if (kinLeft) {
                before = rest;
                particle = true;
            }
            break;
        }
    }
    auto kinAtEnd = [](const std::string& words) {
        const Kin* found = nullptr;
        for (const Kin& k : kKin)
            if (endsWith(words, k.word) && (!found || std::strlen(k.word) > std::strlen(found->word))) found = &k;
        return found;
    };
    const Kin* found = kinAtEnd(before);
    if (!found && endsWith(before, "분")) {
        before.erase(before.size() - std::strlen("분"));
        found = kinAtEnd(before);
    }
    if (!found) return kAge;
    // The honorific 분 after a partner or a child (남편분, 여자친구분) was
    // taken off above; the person is the same.
    const std::string owner = before.substr(0, before.size() - std::strlen(found->word));
    bool possessed = false;
    for (const char* p : {"너희", "너네", "니네", "걔네", "그쪽", "저희", "우리", "네", "니", "내", "제", "당신"})
        possessed = possessed || endsWith(owner, p);
    // 사촌 형, 사촌 동생: a cousin, whatever the word after it.
    if (endsWith(owner, "사촌")) return kOtherAge;
    if (found->calledBy && !possessed && !particle) return kAge;
    return found->type;
}

// The verb of a pastime question in the present: 보다, 읽다, 듣다, or 하다
// with a game; "" for any other. A bare 봐 or 들어 at the end ("요즘 뭐
// 봐?"), which the verb table leaves alone, counts as well.
std::string pastimeVerb(const std::string& text, const std::string& text2, const KoreanVerbTable* verbTable) {
    DetectedVerbInfo info;
    if (verbTable && (verbTable->detectLast(text, "", info) || (!text2.empty() && verbTable->detectLast(text2, "", info)))) {
        if (info.time != "present" || info.type != KoreanVerbKind::QUESTION) return "";
        if (info.verb == "보다" || info.verb == "읽다" || info.verb == "듣다") return info.verb;
        if (info.verb == "게임하다" || (info.verb == "하다" && text.find("게임") != std::string::npos)) return "하다";
        return "";
    }
    const std::string last = lastWord(text);
    for (const char* form : {"봐", "봐요", "보니", "보냐"})
        if (last == form) return "보다";
    for (const char* form : {"읽어", "읽어요", "읽니", "읽냐"})
        if (last == form) return "읽다";
    for (const char* form : {"들어", "들어요", "듣니", "듣냐"})
        if (last == form) return "듣다";
    return "";
}

bool asksPastime(const std::string& text, const std::string& text2, bool now, const KoreanVerbTable* verbTable) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    const bool media = containsAny(s, {"드라마", "영화", "책", "노래", "음악", "예능", "웹툰", "유튜브", "게임", "애니",
                                       "소설", "만화", "넷플", "팟캐스트"});
    if (!media && !now) return false;
    return !pastimeVerb(text, text2, verbTable).empty();
}

// The last word of `text` with laughter, marks and emoji after it dropped
// ("먹을래? ㅋㅋ" -> "먹을래"), and the word before it.
void lastTwoWords(const std::string& text, std::string& last, std::string& before) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(text, chars);
    static const std::vector<std::string> trailing = {" ", "?", "!", "~", ".", ",", "ㅋ", "ㅎ", "ㅠ", "ㅜ", "^", ";"};
    while (!chars.empty() && (std::find(trailing.begin(), trailing.end(), chars.back()) != trailing.end() ||
                              StringUtil::isEmoji(chars.back())))
        chars.pop_back();
    std::vector<std::string> words(1);
    for (const auto& c : chars) {
        if (c == " ") {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back() += c;
        }
    }
    last = words.back();
    before = words.size() >= 2 ? words[words.size() - 2] : "";
}

// "가 보실래요?", "먹어 볼래?", "해 볼까?": 보다 after a verb in -아/-어 tries
// the verb out. The word before ends in a syllable without a final consonant
// whose vowel is ㅏ, ㅓ, ㅐ, ㅕ, ㅘ or ㅝ; a longer word ending in 가, 와 or 과
// is a noun with its particle ("내가 볼까?").
bool triesOut(const std::string& last, const std::string& before) {
    bool tryForm = false;
    for (const char* form : {"볼래", "볼까", "보실", "보시겠", "보자"})
        tryForm = tryForm || StringUtil::startWith(last, form);
    if (!tryForm || before.empty()) return false;
    std::vector<std::string> chars;
    StringUtil::getCharactors(before, chars);
    const std::string& end = chars.back();
    if (end.size() != 3) return false;
    if (chars.size() > 1 && (end == "가" || end == "와" || end == "과")) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(end.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    if (c < 0xAC00 || c > 0xD7A3 || (c - 0xAC00) % 28 != 0) return false;
    const int vowel = (c - 0xAC00) / 28 % 21;
    // ㅏ 0, ㅐ 1, ㅓ 4, ㅕ 6, ㅘ 9, ㅝ 14
    return vowel == 0 || vowel == 1 || vowel == 4 || vowel == 6 || vowel == 9 || vowel == 14;
}

// An invitation or a proposal asked as a question: "같이 퇴근하실래요?",
// "우리 집에서 떡볶이 먹을래?", "볼링 한 판 칠까? ㅋㅋ", "한잔 드시겠습니까?"
// (a word that asks the reader along, and a volitional ending), and a try
// with 보다 ("가 보실래요?"). A guess in -ㄹ까 about what will happen ("우리
// 팀 이길까?", "시간 될까?") invites no one; "같이 가실까요?" is the rules' own.
bool invites(const std::string& text, bool together, const KoreanVerbTable* verbTable) {
    std::string last, before;
    lastTwoWords(text, last, before);
    if (triesOut(last, before)) return true;
    if (!together) return false;
    // "같이 가 줄래?" asks a favour, answered as one.
    for (const char* favour : {"줄래", "줄까", "주실", "주시겠", "주겠"})
        if (StringUtil::startWith(last, favour)) return false;
    const bool will = endsWith(last, "래") || endsWith(last, "래요") || endsWith(last, "시겠어요") ||
                      endsWith(last, "시겠습니까") || endsWith(last, "실래요");
    const bool shall = endsWith(last, "까") || endsWith(last, "까요") || endsWith(last, "자");
    if (!will && !shall) return false;
    if (shall) {
        DetectedVerbInfo info;
        if (verbTable && verbTable->detectLast(text, "", info))
            for (const char* guess : {"되다", "이기다", "지다", "오다", "괜찮다", "좋다", "있다", "없다", "맞다", "늦다"})
                if (info.verb == guess) return false;
        // A guess about the past, about what something is or about what
        // someone else will do ("갔을까", "뭘일까", "우리 엄마 오실까?").
        if (hasPastSyllable(last) || last.find("일까") != std::string::npos || last.find("실까") != std::string::npos)
            return false;
    }
    return true;
}

// A verb the verb table does not know, in a shall-form that proposes to do
// something ("몇 개 삶을까", "몇 개 불까", "몇 개 줄까", typed "주문할가"):
// not a guess in the past or with 시, 이, and not one of the verbs that
// guess what will be (올까, 갈까, 될까, 있을까, 걸릴까, 남을까, 나올까).
bool unknownVerbProposes(const std::string& last) {
    if (!(endsWith(last, "까") || endsWith(last, "까요") || endsWith(last, "가"))) return false;
    if (hasPastSyllable(last) || last.find("실까") != std::string::npos || last.find("일까") != std::string::npos)
        return false;
    for (const char* guess : {"올까", "갈까", "될까", "있을까", "없을까", "걸릴까", "남을까", "나올까", "할까나"})
        if (StringUtil::startWith(last, guess)) return false;
    std::vector<std::string> chars;
    StringUtil::getCharactors(last, chars);
    // The syllable before 까 carries ㄹ (삶을, 불, 줄, 할): a shall-form.
    if (chars.size() < 2) return false;
    const std::string& before = chars[chars.size() - (endsWith(last, "요") ? 3 : 2)];
    if (before.size() != 3) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(before.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return c >= 0xAC00 && c <= 0xD7A3 && (c - 0xAC00) % 28 == 8;
}

// Verbs that follow another verb ("사 갈까", "뽑아 둘까", "빌려 올까"): alone
// they would say something else ("두 병 가자").
bool isHelperVerb(const std::string& verb) {
    for (const char* helper : {"가다", "오다", "두다", "놓다", "주다", "드리다", "보다", "갖다", "가지다"})
        if (verb == helper) return true;
    return false;
}

// The speaker offers to do something for the reader: 내가 or 제가 with a
// shall-form of a service one does for others ("제가 모시러 갈까요?", "내가
// 장 봐 올까?", "이거 내가 설거지할까?", "제가 계산할까요?"), or offers leave
// to do it ("일정 잡아 드려도 될까요?"). What the speaker weighs doing for
// their own sake ("내가 먼저 사과할까?", "내가 그냥 포기할까?"), a guess or a
// worry ("내가 합격할까?", "내가 잘할 수 있을까?") offers nothing.
bool offersToDo(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    if (s.find("드려도될까") != std::string::npos || s.find("드려도되") != std::string::npos ||
        s.find("드려도돼") != std::string::npos || s.find("드려도괜찮") != std::string::npos ||
        s.find("잡아도될까") != std::string::npos || s.find("잡아도괜찮") != std::string::npos)
        return true;
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    bool self = false;
    for (const auto& w : words) self = self || w == "내가" || w == "제가";
    if (!self) return false;
    // "일정표 제가 공유해 드릴게요 괜찮으세요?": what the speaker will do,
    // then whether it suits the reader.
    if (containsAny(s, {"드릴게", "드리겠", "두겠", "둘게", "놓을게", "놓겠", "해둘게"}) &&
        containsAny(s, {"괜찮으세요", "괜찮으시죠", "괜찮죠", "괜찮으시겠", "괜찮을까", "괜찮아?", "괜찮지?", "될까요"}))
        return true;
    std::string last, before;
    lastTwoWords(text, last, before);
    if (!(endsWith(last, "까") || endsWith(last, "까요")) || hasPastSyllable(last) ||
        last.find("일까") != std::string::npos || last.find("실까") != std::string::npos || before == "수")
        return false;
    for (const char* service : {"데리러", "모시러", "마중", "배웅", "태우러", "가지러", "장봐", "장보러", "운전할", "예약할",
                                "예약해놓", "계산할", "설거지할", "치울", "쏠까", "낼까", "정리할", "챙길", "챙겨갈",
                                "챙겨올", "가져갈", "가져올", "사갈", "사올", "사다놓", "알아볼", "찾아볼", "확인해볼",
                                "청소할", "빨래할", "요리할", "밥할", "주문할", "복사해둘", "뽑아둘", "출력할", "대신",
                                "연락돌릴", "연락드려볼", "연락해볼", "연락드릴", "전화해볼", "전화돌릴", "전화드릴",
                                "잡아둘", "잡아놓", "잡을까", "예매해둘", "예매할", "예약해둘", "공유해", "공유드릴",
                                "보내드릴", "보내줄", "보내둘", "돌려둘", "돌릴까", "정리해서", "정리해둘", "만들어둘",
                                "써서드릴", "조율해볼", "조율할", "알려줄", "알려드릴", "준비할", "준비해둘", "출력해",
                                "불러줄", "불러드릴", "부를까", "해둘까", "해놓을까", "픽업", "가지고갈", "가지고올",
                                "말씀드려볼", "말씀드릴까", "여쭤볼", "물어볼까", "물어봐줄"})
        if (s.find(service) != std::string::npos) return true;
    return false;
}

// "-러 갈래", "놀러 올래", "산책 나갈래": the question asks the reader out.
bool asksOut(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    for (const char* out : {"러갈", "러가실", "러올", "러오실", "러나갈", "놀래", "나갈래", "나가실래", "산책"})
        if (s.find(out) != std::string::npos) return true;
    return false;
}

// Leave asked of the reader before speaking, calling, coming in or calling
// on them ("잠시 여쭤봐도 될까요", "지금 통화 괜찮으세요?", "들어가도 되겠습니까",
// "팀장님 잠시 뵐 수 있을까요?"): the type of its answer ("leave_talk",
// "leave_call", "leave_enter", "leave_visit"), or nullptr. An either/or
// named with 아니면 or 중에 is a choice, not leave.
const char* leaveAsked(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    if (containsAny(s, {"아니면", "아님", "중에"})) return nullptr;
    // "어제 통화 가능했어?" asks what was, not leave.
    std::string last, before;
    lastTwoWords(text, last, before);
    if (hasPastSyllable(last)) return nullptr;
    if (!containsAny(s, {"도될까", "도되", "도돼", "도괜찮", "가능", "괜찮으세요", "괜찮으십니까", "괜찮으신가", "괜찮아?",
                         "괜찮아요?", "괜찮을까", "수있을까", "수있어", "수있나", "수있으세요", "수있겠", "돼?", "되나요",
                         "되세요", "될까요", "되겠습니까"}))
        return nullptr;
    if (containsAny(s, {"들어가도", "들어가봐도", "들어가면안", "들어갈게요괜찮"})) return "leave_enter";
    if (containsAny(s, {"찾아뵈", "찾아봬", "찾아뵐", "뵐수", "뵈러가도", "뵈어도", "봬도", "찾아가도", "놀러가도"}))
        return "leave_visit";
    if (containsAny(s, {"통화", "전화해도", "전화드려도", "전화돼", "전화되", "전화가능", "전화괜찮", "전화걸어도",
                        "전화해봐도"}))
        return "leave_call";
    if (containsAny(s, {"여쭤", "여쭈", "여쭙", "물어봐도", "물어볼수", "질문하나", "질문좀", "질문드려", "질문해도",
                        "질문있", "말씀드려도", "말씀좀드려도", "말씀드릴수", "얘기좀", "이야기좀", "얘기할수", "이야기할수",
                        "얘기해도", "이야기해도", "말씀나눌", "말씀좀나눌", "얘기나눌", "이야기나눌", "잠깐시간", "잠시시간",
                        "시간좀내", "시간좀있", "시간좀괜찮", "시간좀되", "시간좀돼", "상의좀", "상의드려도"}))
        return "leave_talk";
    return nullptr;
}

// The speaker asks leave to do something themselves ("발표 순서는 제가 정해도
// 될까요?", "내가 먼저 골라도 돼?", "오늘 일찍 퇴근해도 될까요?"): -아도/-어도
// 될까, or 제가 or 내가 with -아도/-어도 되다 or 괜찮다.
bool decidesWithLeave(const std::string& text) {
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    bool self = false;
    for (const auto& w : words) self = self || w == "내가" || w == "제가";
    std::string s = text;
    StringUtil::replace(s, " ", "");
    // "오늘 일찍 퇴근해도 될까요?": -도 될까 asks leave, not a guess, with or
    // without 제가.
    if (containsAny(s, {"도될까", "도되겠습니까"})) return true;
    if (!self) return false;
    return containsAny(s, {"도되나", "도되겠", "도돼?", "도돼요", "도괜찮", "도되죠", "도되지"});
}

// A gathering the reader is asked to attend ("다음 달 세미나에도 꼭 참석해
// 주십시오", "송년회에 부장님도 함께해 주시면 좋겠습니다", "결혼식에 꼭 와
// 줘", "토요일 동창회 꼭 나와라"): coming or joining asked with 꼭 or with
// the gathering named. "이리 와 줘" asks for help, not attendance.
bool asksToAttend(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    // "꼭 와", "꼭 와요": not "꼭 와야 돼" (whether one must come) nor "꼭 와서".
    const size_t come = s.find("꼭와");
    const bool comeSurely = come != std::string::npos && s.compare(come + 6, 3, "야") != 0 &&
                            s.compare(come + 6, 3, "서") != 0;
    if (!comeSurely && !containsAny(s, {"참석해주", "참석해줘", "참석부탁", "참석하시면", "참석해달", "참석바랍", "참석해요", "참여해주",
                         "참여해줘", "참여부탁", "와주십시오", "와주세요", "와주시면", "와주실", "와줘", "와주라",
                         "와주면", "와주시길", "와라", "오세요", "오십시오", "오시면좋", "오시면감사", "오시면영광",
                         "나와라", "나와줘", "나와주", "나오세요", "함께해주", "함께해줘", "함께하시면좋", "함께해요",
                         "함께하면좋", "자리를빛내"}))
        return false;
    // Coming back or home safely ("꼭 무사히 돌아와라") is a wish, not a gathering.
    if (containsAny(s, {"돌아오", "돌아와", "다녀오", "다녀와", "조심히", "무사히", "건강하게", "들어오", "들어와", "놀러와",
                        "놀러오"}))
        return false;
    if (s.find("꼭") != std::string::npos) return true;
    return containsAny(s, {"세미나", "회의", "모임", "행사", "결혼식", "파티", "송년회", "신년회", "회식", "워크숍",
                           "워크샵", "설명회", "동창회", "돌잔치", "집들이", "발표회", "공연", "전시회", "졸업식",
                           "개업식", "시상식", "간담회", "총회", "잔치", "개업", "오픈", "연주회", "축제", "생일",
                           "환영회", "송별회", "결혼", "예식", "세미나", "포럼", "토론회", "조찬", "만찬", "야유회"});
}

// Chat shorthand that proposes going for something named before it ("노래방
// ㄱ?", "피시방 ㄱㄱ", "게임 한판 ㄱ", "치맥 콜?"): ㄱ or ㄱㄱ last, or 콜
// with a question mark, after a word that is no agreement ("그럼 ㄱㄱ",
// "오키 ㄱ", "좋아 콜" agree to something already proposed).
bool proposesInShorthand(const std::string& raw) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(raw, chars);
    static const std::vector<std::string> trailing = {" ", "?", "!", "~", ".", "ㅋ", "ㅎ", "^"};
    bool asked = false;
    while (!chars.empty() && (std::find(trailing.begin(), trailing.end(), chars.back()) != trailing.end() ||
                              StringUtil::isEmoji(chars.back()))) {
        asked = asked || chars.back() == "?";
        chars.pop_back();
    }
    std::string rest;
    for (const auto& c : chars) rest += c;
    std::vector<std::string> words;
    StringUtil::split(StringUtil::trim(rest), ' ', words);
    words.erase(std::remove(words.begin(), words.end(), std::string()), words.end());
    if (words.size() < 2) return false;
    const std::string& last = words.back();
    const bool go = last == "ㄱ" || last == "ㄱㄱ" || last == "ㄱㄱㄱ" || last == "고고" || last == "ㄱ?";
    if (!go && !(asked && last == "콜")) return false;
    for (const char* agree : {"그래", "좋아", "오키", "ㅇㅋ", "오케이", "그럼", "응", "웅", "ㅇㅇ", "네", "넵", "콜", "바로",
                              "당장", "고고", "ㄱㄱ", "ㄱ", "ok", "OK", "그러자", "좋지", "좋아요"})
        if (words[words.size() - 2] == agree) return false;
    return true;
}

// A proposal made as a statement in 해요체: going to do something together
// ("이따 커피 마시러 가요", "선배님 저녁 드시러 가요") or something done
// together ("이번엔 우리 팀끼리 뭉쳐요", "주말에 같이 드라이브 나가 봐요").
// Said of oneself ("저 점심 먹으러 가요") it tells where one goes.
bool proposesPolitely(const std::string& text) {
    std::vector<std::string> words;
    StringUtil::split(StringUtil::trim(text), ' ', words);
    words.erase(std::remove(words.begin(), words.end(), std::string()), words.end());
    if (words.size() < 2) return false;
    for (const auto& w : words)
        for (const char* self : {"저", "전", "저는", "제가", "나", "난", "나는", "내가", "저도", "나도"})
            if (w == self) return false;
    std::string last = words.back();
    while (!last.empty() && (last.back() == '~' || last.back() == '!' || last.back() == '.')) last.pop_back();
    const std::string& before = words[words.size() - 2];
    if ((last == "가요" || last == "가시죠") && endsWith(before, "러")) return true;
    // Asked to drop by ("시간 되면 들러", "근처 오시면 들르세요", "우리 집 와서
    // 밥 먹고 가"): an invitation to visit. An errand ("퇴근길에 마트 들러")
    // names no visit.
    std::string squeezed = text;
    StringUtil::replace(squeezed, " ", "");
    const bool visit = containsAny(squeezed, {"시간되면", "시간나면", "근처", "언제", "한번", "우리", "저희", "집에",
                                              "놀러", "사무실", "편할때", "편하실때"});
    for (const char* dropBy : {"들러", "들러요", "들르세요", "들러주세요", "들러줘", "들르십시오"})
        if (visit && last == dropBy) return true;
    if ((last == "가" || last == "가요" || last == "가세요") && endsWith(before, "먹고") &&
        text.find("와서") != std::string::npos)
        return true;
    if (endsWith(last, "러가요")) return true;
    // 같이, 함께 and -끼리 ask along; 우리 may only say whose ("우리 애가 잘
    // 놀아요"), so it counts only with a -자 or a will-form.
    bool along = false, ours = false;
    for (const auto& w : words) {
        along = along || w == "같이" || w == "함께" || w == "다같이" || w.find("끼리") != std::string::npos;
        ours = ours || StringUtil::startWith(w, "우리");
    }
    if (!along && !ours) return false;
    // "야 우리 헬스 같이 끊자", "주말에 같이 드라이브 나가 볼래요": a -자 or a
    // will-form the verb table does not read, said with a together-word.
    if (endsWith(last, "래") || endsWith(last, "래요")) {
        // -ㄹ래: the syllable before 래 ends in ㄹ (갈래, 볼래요); 그래, 노래,
        // 원래 and 빨래, 몰래 are no will-forms.
        std::vector<std::string> chars;
        StringUtil::getCharactors(last, chars);
        const size_t at = chars.size() - (endsWith(last, "요") ? 3 : 2);
        if (chars.size() < 2 || at >= chars.size() || chars[at].size() != 3) return false;
        if (endsWith(last, "빨래") || endsWith(last, "몰래")) return false;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(chars[at].data());
        const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return c >= 0xAC00 && c <= 0xD7A3 && (c - 0xAC00) % 28 == 8;
    }
    if (endsWith(last, "자") && last.size() >= 6) {
        for (const char* noun : {"남자", "여자", "의자", "모자", "과자", "감자", "부자", "상자", "액자", "숫자", "글자", "피자",
                                 "왕자", "환자", "기자", "제자", "주자", "투자", "이자", "조카자", "자자"})
            if (endsWith(last, noun)) return false;
        return true;
    }
    if (!along) return false;
    for (const char* verb : {"가요", "해요", "먹어요", "만나요", "봐요", "뭉쳐요", "찍어요", "놀아요", "마셔요", "시켜요",
                             "떠나요", "나가요", "놀러가요", "모여요", "달려요", "드셔요", "가봐요", "해봐요"})
        if (last == verb || (endsWith(last, verb) && std::string(verb).size() > 6)) return true;
    return false;
}

// The question's last verb proposes that the speaker or both do something
// ("뽑아 둘까요", "어디로 잡을까", "몇 인분 시킬까", "빌려 올까"): the count or
// the place is the reader's to decide. A guess ("몇 명 올까?", "어디 있을까?")
// proposes nothing; 오다, 가다, 놓다 and 두다 propose only after another verb
// ("빌려 올까", "불어 놓을까"), and a verb in the past or with 시 guesses.
bool proposesToDo(const std::string& text, const std::string& text2, const KoreanVerbTable* verbTable) {
    std::string last, before;
    lastTwoWords(text, last, before);
    DetectedVerbInfo info;
    if (!verbTable || !(verbTable->detectLast(text, "", info) || (!text2.empty() && verbTable->detectLast(text2, "", info))))
        return last == "할까" || last == "할까요" || endsWith(last, "놓을까") || endsWith(last, "놓을까요") ||
               endsWith(last, "둘까") || endsWith(last, "둘까요") || unknownVerbProposes(last);
    if (!(endsWith(last, "까") || endsWith(last, "까요")) || hasPastSyllable(last) ||
        last.find("실까") != std::string::npos || last.find("일까") != std::string::npos)
        return false;
    if (info.type == KoreanVerbKind::SUGGEST || info.verb == "하다") return true;
    const bool connected = !info.compoundWord.empty() && info.compoundWord != "-" && info.compoundWord != "안" &&
                           info.compoundWord != "못";
    return connected && (info.verb == "오다" || info.verb == "가다" || info.verb == "놓다" || info.verb == "두다");
}

// "누가 내 과자 먹었어?", "누가 문 안 닫았어?", "이거 누가 깼어?": who did
// something the speaker minds, where the reader may be the one suspected
// (the thing is the speaker's, something was left undone, or the deed is a
// mischief). "누가 이겼어?", "누가 전화했어?" suspect nobody.
bool asksWhoIsToBlame(const std::string& text) {
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "내" || words[i] == "제" || words[i] == "우리집") return true;
        if ((words[i] == "안" || words[i] == "못") && i + 1 < words.size() && hasPastSyllable(words[i + 1])) return true;
    }
    std::string s = text;
    StringUtil::replace(s, " ", "");
    return containsAny(s, {"먹었", "먹은", "마셨", "깼", "깨뜨렸", "깨트렸", "망가뜨렸", "망가트렸", "망가졌", "부쉈",
                           "부셨", "버렸", "그랬", "이랬", "저질렀", "열어놨", "열어놓", "켜놨", "켜놓", "꺼놨", "건드렸",
                           "가져갔", "숨겼", "흘렸", "쏟았", "엎었", "어질렀", "더럽혔", "뜯었", "찢었", "지웠", "만졌",
                           "떨어뜨렸", "긁었", "낙서", "안치웠", "안닫", "안껐", "안잠갔", "안내렸", "썼어", "썼냐",
                           "썼니", "입었", "잃어버렸", "놔뒀", "놓고갔", "두고갔", "빼먹"});
}

// "아까 같이 있던 사람 누구야?", "그 메시지 보낸 분 누구세요?": who someone
// the reader was seen or in touch with is. The word before 누구 names a
// person (사람, 분, 남자, 친구, 걔), with or without 은/는; a role
// ("담당자가 누구예요?") or a baby is left as it was.
bool asksWhoSomeoneIs(const std::string& text) {
    const size_t who = text.find("누구");
    if (who == std::string::npos || text.find("누구한테") != std::string::npos ||
        text.find("누구에게") != std::string::npos || text.find("누구랑") != std::string::npos)
        return false;
    std::string before = StringUtil::trim(text.substr(0, who));
    for (const char* topic : {"은", "는"})
        if (endsWith(before, topic) && before.size() > 3) {
            const std::string bare = before.substr(0, before.size() - 3);
            if (endsWith(bare, "분") || endsWith(bare, "람") || endsWith(bare, "자") || endsWith(bare, "구")) before = bare;
        }
    std::string last, ignored;
    lastTwoWords(before, last, ignored);
    for (const char* person : {"사람", "분", "남자", "여자", "친구", "애", "걔", "쟤", "얘", "사람들", "분들", "애들"})
        if (last == person || (endsWith(last, person) && std::string(person).size() > 3)) return true;
    // 여자분, 남자애, 남자분들.
    for (const char* person : {"자분", "자애", "자분들", "자애들"})
        if (endsWith(last, person)) return true;
    return false;
}

// A thing of the speaker's or one that came by post or message ("나한테
// 누가 보낸 거야?", "이 택배 누가 보냈어?") is no gift to the reader.
bool aboutSpeakersThing(const std::string& text) {
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    for (const auto& w : words)
        for (const char* mine : {"나", "내", "나한테", "날", "나를", "저", "제", "저한테", "저를", "우리", "우리집", "우리집에"})
            if (w == mine) return true;
    std::string s = text;
    StringUtil::replace(s, " ", "");
    return containsAny(s, {"택배", "문자", "메시지", "메세지", "메일", "카톡", "전화", "연락"});
}

// Who gave, sent or did something for the reader ("그 팔찌 누가 사 줬어요?",
// "꽃 누가 보냈어?", "누가 데려다줬어?"), and who made a thing shown ("이
// 케이크 누가 구웠어?", "이 반찬 누가 만든 거예요?"): the reader knows.
bool askedWhoGave(const std::string& squeezed) {
    return containsAny(squeezed, {"줬", "준거", "준건", "준거임", "주셨", "주신거", "보냈", "보낸거", "보낸건", "보내신거",
                                  "선물했"});
}
bool askedWhoMade(const std::string& squeezed) {
    return containsAny(squeezed, {"만들었", "만든거", "만든건", "만든겨", "만드셨", "구웠", "구운거", "그렸", "그린거",
                                  "담갔", "담근거", "편집했", "편집한거", "찍었", "찍은거", "썼어", "쓴거", "쓴건", "뜬거",
                                  "떴어", "꾸몄", "꾸민", "그리신거", "만드신거", "구우신거", "쓰신거", "찍으신거",
                                  "담그신거"});
}

// What the reader chose, set or named ("동생 선물 뭘로 골랐어?", "논문 주제
// 뭐로 잡았어요?", "이름 뭐로 지었어?", "케이크 무슨 맛으로 했어?"): a choice
// already made, asked with 로 and a verb of choosing in the past.
bool askedWhatChosen(const std::string& squeezed) {
    if (!containsAny(squeezed, {"뭘로", "뭐로", "무엇으로", "으로했", "으로골랐", "으로정했", "로했", "로정했", "로골랐"}))
        return false;
    return containsAny(squeezed, {"골랐", "고르셨", "정했", "정하셨", "잡았", "잡으셨", "지었", "지으셨", "바꿨",
                                  "바꾸셨", "했어", "했니", "했냐", "했어요", "하셨", "했습니까", "샀", "사셨", "염색했"});
}

// A where-question naming what the reader goes to ("필라테스 어디로 다녀?",
// "어느 헬스장 다녀?"), not only asking where the reader has been ("요즘 어디
// 다녀? 얼굴 보기 힘드네").
bool namesWhereGone(const std::string& text) {
    if (text.find("어느") != std::string::npos) return true;
    const size_t where = text.find("어디");
    if (where == std::string::npos) return false;
    std::vector<std::string> words;
    StringUtil::split(text.substr(0, where), ' ', words);
    for (const auto& w : words) {
        static const std::vector<std::string> filler = {"요즘", "요새", "너", "넌", "너는", "혹시", "지금", "근데", "그럼",
                                                        "자주", "매일", "맨날", "주로", "평소에", "보통", "그래서", "아니"};
        if (!w.empty() && std::find(filler.begin(), filler.end(), w) == filler.end() && w.find("야") == std::string::npos)
            return true;
    }
    return false;
}

// What the reader said or meant ("방금 뭐라고 했어?", "아까 그 말 무슨
// 뜻이에요?", "무슨 말이야 그게?"). Words written somewhere ("서류에 뭐라고
// 써 있어?") and what someone else said ("선생님이 뭐라고 했어?") are
// looked up or reported, not the reader's own.
bool asksWhatReaderSaid(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    if (containsAny(s, {"써있", "써져", "적혀", "적혀있", "쓰여", "나와있", "이뭐라", "가뭐라", "께서", "님이", "님은", "인지",
                        "는지"}))
        return false;
    if (containsAny(s, {"뭐라고했", "뭐라했", "뭐라고하셨", "뭐라고하신", "뭐라고한", "뭐라그랬", "뭐라고그랬"}))
        return true;
    return containsAny(s, {"그말무슨", "한말무슨", "무슨말이야", "무슨말이에요", "무슨말씀", "무슨소리야", "무슨소리예요"});
}

// Laughter after a content question with no question mark, and after it
// nothing or a remark ("이 표정 뭐냐 ㅋㅋㅋ", "이게 다 얼마야 ㅋㅋ", "이 사람
// 누구야 ㅋㅋㅋ 너무 웃겨", "어디서 이런 걸 구했대 ㅋㅋ"): an exclamation
// over what is shown, not a request for a fact. Questions about the
// reader's own day or place keep their answers ("뭐 먹었어 ㅋㅋ", "어디야 ㅋㅋ").
bool exclaims(const std::string& text, const std::string& type) {
    if (text.find('?') != std::string::npos) return false;
    const bool laughs = text.find("ㅋㅋ") != std::string::npos || text.find("ㅎㅎ") != std::string::npos;
    if (!laughs) return false;
    static const std::vector<std::string> shown = {"etc",       "price",     "count",    "person",     "person_role",
                                                   "identity",  "where_other", "ask_fact", "who_is",     "said_what",
                                                   "what_chose"};
    if (std::find(shown.begin(), shown.end(), type) != shown.end()) return true;
    // Hearsay or a rough 냐 about someone else's doing ("어디서 구했대 ㅋㅋ",
    // "누가 이런 걸 샀대 ㅋㅋ").
    const size_t laugh = std::min(text.find("ㅋㅋ"), text.find("ㅎㅎ"));
    std::string last, before;
    lastTwoWords(text.substr(0, laugh), last, before);
    if (StringUtil::startWith(type, "where_")) return endsWith(last, "대") || endsWith(last, "냐");
    return (StringUtil::startWith(type, "person_") || StringUtil::startWith(type, "who_")) && endsWith(last, "대");
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
        Cue cue = questionCue(text, text2);
        // "왜 연락이 없었어요? 걱정했잖아요": a why-question asked first keeps
        // its answers when the words after it (잖아요) are no question.
        if (cue == Cue::Vetoed) {
            const size_t mark = text.find('?');
            const std::string first = mark == std::string::npos ? "" : text.substr(0, mark + 1);
            std::string firstType;
            if (!first.empty() && mark + 1 < text.size() && questionCue(first, "") == Cue::Phrase) {
                getQuestionType(first, "", firstType);
                if (StringUtil::startWith(firstType, "sorry_")) {
                    text = first;
                    text2.clear();
                    cue = Cue::Phrase;
                }
            }
        }
        // Two bare words with a question mark ("짜장 짬뽕?") ask to pick one.
        std::vector<std::string> pair;
        const bool question = cue == Cue::Phrase || (cue == Cue::VerbForm && !classifierDenies(annotation)) ||
                              (cue != Cue::VerbForm && multiChoiceDetector->detectBarePair(text, pair) != 0);
        // "우리 힘내자", "다 같이 힘냅시다": a cheer shared, not a plan to accept
        // or put off; the acknowledgement rules answer it.
        std::string squeezed = text;
        StringUtil::replace(squeezed, " ", "");
        const bool cheers = containsAny(squeezed, {"힘내자", "힘냅시다", "힘내보자", "화이팅하자", "파이팅하자",
                                                   "화이팅합시다", "파이팅합시다", "열심히하자", "열심히합시다",
                                                   "잘해보자", "잘해봅시다", "버티자",
                                                   "버텨보자", "이겨내자", "이겨냅시다"}) &&
                            text.find('?') == std::string::npos;
        if (cheers) {
        } else if (!question && cue != Cue::Vetoed &&
            (proposesInShorthand(annotation.getText()) || proposesPolitely(text))) {
            // A proposal with no question cue is answered as an invitation.
            type = kInvitation;
        } else if (!question && cue != Cue::Vetoed && asksToAttend(text)) {
            type = kAttend;
        } else if (question && proposesInShorthand(annotation.getText())) {
            type = kInvitation;
        } else if (question) {
            // "캠핑 한번 가 볼래? 나 장비 없지만 ㅋㅋ": a remark after the last
            // question, asking nothing itself, leaves the question to answer.
            const size_t mark = text.rfind('?');
            if (mark != std::string::npos && mark > 0 &&
                StringUtil::trim(text.substr(mark + 1)).size() > 0 &&
                questionCue(text.substr(mark + 1), "") == Cue::None) {
                text.erase(mark + 1);
                text2.clear();
            }
            // "어디서 봐? 역 앞?": a bare guess after a question that asks what,
            // where or when is no yes/no question of its own; the question
            // before it is the one to answer.
            std::vector<std::string> pieces;
            if (splitQuestions(text, pieces) && guessesAnswer(pieces.back()) &&
                !marks(pieces[pieces.size() - 2], "").type.empty()) {
                const size_t at = text.rfind(pieces.back());
                if (at != std::string::npos && at > 0) {
                    text.erase(at);
                    text2.clear();
                }
            }
            getQuestionType(text, text2, type);
            if (reportsAFew(text, type) || exclaims(annotation.getText(), type))
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

bool KoreanQuestionTypeDetector::guessesAnswer(const std::string& piece) const {
    std::vector<std::string> words;
    StringUtil::split(StringUtil::trim(piece), ' ', words);
    words.erase(std::remove(words.begin(), words.end(), std::string()), words.end());
    if (words.empty() || words.size() > 2) return false;
    // No verb ("역 앞?", "내일?", "치킨?"), nor a word that asks something itself.
    DetectedVerbInfo info;
    if (verbTable && verbTable->detectLast(piece, "", info)) return false;
    return marks(piece, "").type.empty() && questionCue(piece, "") != Cue::Vetoed;
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
        else if (v == kTogetherMark)
            m.together = true;
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
    // "누가 제일 먼저 왔어?": who came first, not which one the reader likes.
    if (type == kPreference && text.find("누가") != std::string::npos) type = kPersonDoer;
    if (type == kPersonDoer && askedInPast(text, text2, verbTable.get())) type = kPersonDid;
    // "누구세요?", "누구야?": who the reader is, not who holds a role.
    if (type == kPersonRole && StringUtil::startWith(StringUtil::trim(text), "누구")) type = kPersonYou;
    if (type == kAge) type = ageAskedOf(text);
    // A where or money question asked in the past tense asks what the reader
    // did or paid ("어디서 주웠어", "택시비 얼마 나왔어"), not a plan or a price.
    const auto twin = kPastTwins.find(type);
    if (twin != kPastTwins.end() && askedInPast(text, text2, verbTable.get())) type = twin->second;
    if ((type == kActivity || type == "etc") && !later && asksPastime(text, text2, now, verbTable.get())) type = kPastime;
    // What the reader did ("어제 뭐 했어?", "여행 가서 뭐 했어?") is answered
    // with what one did, not with where one is now.
    if (type == kActivity && askedInPast(text, text2, verbTable.get())) type = kDidWhat;
    // A count or a place the speaker proposes to settle ("현수막 몇 장 뽑아
    // 둘까요?", "모임 장소 어디로 잡을까?") is the reader's to decide.
    if (type == kCount && proposesToDo(text, text2, verbTable.get())) type = kPlanCount;
    // A count one looks up ("몇 정거장 가야 돼요?", "몇 층으로 가면 돼?") is
    // no amount to settle; a count of the reader's own life ("하루에 몇 시간
    // 자?", "고양이 몇 마리 키워요?") is known, not counted up.
    if (type == kPlanCount && (countLookedUp(text) || countRequired(text))) type = kCount;
    if ((type == kCount || (type == "self_fact" && StringUtil::startWith(wordAfterFew(text), "명"))) &&
        !askedInPast(text, text2, verbTable.get()) && !countRequired(text) && countOfOwnLife(text))
        type = kCountOwn;
    if ((type == "where_other" || type == "where_place" || type == "where_event") &&
        proposesToDo(text, text2, verbTable.get()))
        type = kPlanWhere;
    // Who did something the speaker minds: the reader may be suspected.
    if (type == kPersonDid && !asksWhoIsToBlame(text)) type = kPersonDone;
    {
        std::string s = text;
        StringUtil::replace(s, " ", "");
        // Who gave the reader a thing or made one ("누가 사 줬어?", "누가
        // 구웠어?"); not who won or called (still "person_done"). A past deed
        // the verb table reads as no past ("누가 준 거야?", "누가 잘라줬어? 잘
        // 어울린다") is found by the same words.
        const bool readersThing = !aboutSpeakersThing(text);
        if ((type == kPersonDone || type == kPersonDoer) && readersThing && askedWhoGave(s)) type = kPersonGave;
        else if ((type == kPersonDone || type == kPersonDoer) && readersThing && askedWhoMade(s)) type = kPersonMade;
        // Who pays ("회식비 누가 내?", "커피는 누가 쏘는 거야?").
        if (type == kPersonDoer && (containsAny(s, {"누가내", "누가낼", "누가내요", "누가쏘", "누가쏠", "누가쏴", "누가계산",
                                                     "누가사?", "누가살래", "누가사요"}) ||
                                    endsWith(s, "누가사")))
            type = kPersonPays;
        // ... and who paid ("밥값 누가 냈어?").
        if ((type == kPersonDone || type == kPersonDid) && containsAny(s, {"누가냈", "누가계산했", "누가쐈", "누가내셨"}))
            type = kPersonPaid;
        if ((type == kPersonRole || type == "person") && asksWhoSomeoneIs(text)) type = kPersonWho;
        if ((type == "etc" || type == "food" || type == "ask_fact" || type == kPreference) && askedWhatChosen(s) &&
            askedInPast(text, text2, verbTable.get()))
            type = kWhatChose;
        if ((type == "etc" || type == Q::YES_NO || type == "ask_fact") && asksWhatReaderSaid(text)) type = kSaidWhat;
        // Where the reader goes regularly ("요즘 필라테스 어디로 다녀?", "요가
        // 어디서 배워요?") is near home or work; which school or firm ("회사
        // 어디 다니세요?") is no place nearby.
        if ((type == "where_other" || type == "where_self") && !askedInPast(text, text2, verbTable.get()) &&
            namesWhereGone(text) &&
            containsAny(s, {"다녀", "다니", "배워", "배우", "다닙"}) && !containsAny(s, {"다녀오", "다녀올", "다녀와"}) &&
            !containsAny(s, {"회사", "학교", "대학", "직장", "교회", "성당", "절에"}))
            type = kWhereRegular;
        // ... and where the reader keeps up a habit ("요즘 헬스 어디서 해?",
        // "수영 어디서 하세요?"), not where an event is held ("회식 어디서 해?").
        if ((type == "where_event" || type == "where_other") && !askedInPast(text, text2, verbTable.get()) &&
            containsAny(s, {"헬스", "운동", "요가", "필라테스", "수영", "피티", "클라이밍", "테니스", "골프", "복싱", "발레"}) &&
            containsAny(s, {"서해", "서하", "서운동해", "서운동하"}) && !containsAny(s, {"할까", "할래", "하자"}))
            type = kWhereRegular;
        // Where the reader took a photo ("이 사진 어디서 찍었어요?").
        if ((type == "where_done" || type == "where_other") && containsAny(s, {"찍었", "찍은", "찍으셨", "찍으신", "찍음"}))
            type = kWherePhoto;
        // A place already chosen ("여행지 어디로 정했어?") is told as a trip
        // still being planned is: 아직 안 정했어, 정해지면 알려줄게.
        if (type == "where_done" && containsAny(s, {"정했", "정하셨", "잡았", "잡으셨", "골랐", "고르셨"})) type = "where_trip";
        // Where the reader ate or had a haircut or glasses made ("점심 어디서
        // 먹었어?", "머리 어디서 잘랐어?"): somewhere nearby, as a rule.
        if (type == "where_done" &&
            containsAny(s, {"먹었", "드셨", "마셨", "잘랐", "자르셨", "맞췄", "맞추셨", "파마", "염색", "네일"}))
            type = kWhereNearby;
        // What the reader wore ("어제 뭐 입고 갔어?", "오늘 뭐 입었어?").
        if (type == "etc" && askedInPast(text, text2, verbTable.get()) &&
            containsAny(s, {"뭐입었", "뭐입고갔", "뭐입고왔", "뭐입으셨", "뭐입고가셨", "뭐입고오셨", "뭘입었", "뭘입고"}))
            type = kWoreWhat;
    }
    // A taste asked with 좋아하다 ("어떤 영화 좋아해?", "무슨 음식 좋아하세요?")
    // is no choice to make now.
    if ((type == "etc" || type == "food" || type == "plan_what") && !askedInPast(text, text2, verbTable.get())) {
        std::string s = text;
        StringUtil::replace(s, " ", "");
        if (s.find("좋아하") != std::string::npos || s.find("좋아해") != std::string::npos) type = kPreference;
    }
    // How much one should pay, send or chip in ("회비 얼마씩 내면 돼?", "점심값
    // 얼마 보내면 돼?"), or what someone said it comes to ("배달비 얼마래?"):
    // the reader works it out or finds out; whether it is dear is not asked.
    if ((type == "price" || type == "cost_ongoing") && asksAmountToPay(text, should)) type = kPayAmount;
    // A why-question about the reader's own doing: put off, unanswered,
    // missed, or a choice made.
    if (type == kReason) type = asksWhyOpinion(text) ? kWhyOpinion : reasonKind(text, text2, verbTable.get());
    // A when-question in the past tense asks when something happened ("언제
    // 이사했어"): its answers lie behind, not ahead (곧, 아직 모르겠어).
    if (StringUtil::startWith(type, Q::TIME) && !StringUtil::startWith(type, Q::TIME_PAST) &&
        askedInPast(text, text2, verbTable.get()) && asksWhenItHappened(text))
        type = Q::TIME_PAST + type.substr(std::string(Q::TIME).size());
    // An either/or question is no yes/no one, nor an invitation or a "which"
    // question once its two choices are cut out ("쉴래 아니면 놀러 갈래?",
    // "치킨 피자 뭐가 나아?").
    std::vector<std::string> choices;
    int choice = multiChoiceDetector->detect(text, "", choices);
    // A typed ending the normaliser mends ("커피 드실래여?": 드실래요) is no
    // second choice: the mended text decides.
    std::vector<std::string> mended;
    if (choice != KoreanMultiChoiceDetector::NONE && !text2.empty() && text2 != text &&
        multiChoiceDetector->detect(text2, "", mended) == KoreanMultiChoiceDetector::NONE)
        choice = KoreanMultiChoiceDetector::NONE;
    if (choice != KoreanMultiChoiceDetector::NONE &&
        (type == Q::YES_NO || (choice == KoreanMultiChoiceDetector::ALTERNATIVES && choices.size() >= 2)))
        type = Q::CHOOSE_ONE;
    // "살까 말까" wonders whether to do it at all: without its two choices a
    // bare 응 or 아니 would answer nothing, so it is no question to answer.
    if (type == Q::YES_NO && (text.find("까 말까") != std::string::npos || text.find("까말까") != std::string::npos))
        type = Label::FALSE_LABEL;
    // "커피 사 갈까?" offers; "뭐 사 갈까?" and "몇 개 사 갈까?" keep their wh-type.
    if (type == Q::YES_NO && (offering || offersToDo(text))) type = kOffer;
    // A will-form that asks the reader out ("산책 나갈래?", "떡볶이 먹으러
    // 갈래?"), or to eat, drink or meet at a time still to come ("내일 점심에
    // 짜장면 먹을래?"), invites as 같이 does; what the reader will do on their
    // own ("내일 쉴래?", "이따 숙제 먼저 할래?") is no invitation.
    std::string lastW, beforeW;
    lastTwoWords(text2.empty() ? text : text2, lastW, beforeW);
    const bool willForm = endsWith(lastW, "래") || endsWith(lastW, "래요");
    bool social = false;
    for (const char* meet : {"먹을래", "드실래", "마실래", "만날래", "뵐래", "놀래", "한잔"})
        social = social || lastW.find(meet) != std::string::npos;
    if (type == Q::YES_NO &&
        invites(text, m.together || (willForm && ((m.later && !now && social) || asksOut(text))), verbTable.get()))
        type = kInvitation;
    // "커피 한잔 드실래요?": something offered to the reader, not asked along.
    if (type == Q::YES_NO && willForm && lastW.find("드실래") != std::string::npos && !m.together && !m.later)
        type = kOffer;
    // An arrangement set for an hour ("예약은 토요일 저녁 일곱 시로 해 드려도
    // 괜찮으시겠어요?", "금요일 오후 두 시로 잡아도 될까요?") is answered with
    // the time: it suits, or another is asked for.
    if (type == kOffer) {
        std::string s = text;
        StringUtil::replace(s, " ", "");
        if (containsAny(s, {"시로", "시반으로", "시쯤으로", "분으로", "시에해", "시에잡", "시에예약"}))
            type = kOfferTime;
    }
    // How it went, how the reader does it, how the reader finds it.
    if (!multi) type = howKind(text, type, askedInPast(text, text2, verbTable.get()));
    // Leave to speak, call or come in, and a gathering to attend, are
    // answered as such, whatever verb or offer the question was read with.
    if (type == Q::YES_NO || type == kOffer || type == kInvitation || type == Q::CHOOSE_ONE) {
        if (const char* leave = leaveAsked(text))
            type = leave;
        else if (type == Q::YES_NO && decidesWithLeave(text))
            type = kLeaveDo;
        else if (type != Q::CHOOSE_ONE && asksToAttend(text))
            type = kAttend;
    }
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
        // "언제 와?" asks when the reader comes: one says when one will go
        // ("오후 2시에 갈게", not "오후 2시에 와"); with someone or something
        // else named ("버스 언제 와?") the 오다 stays.
        std::string yes = info.yesAnswer;
        if (StringUtil::startWith(type, Q::TIME) && !StringUtil::startWith(type, Q::TIME_PAST) &&
            info.verb == "오다" && info.compoundWord != "안" && info.compoundWord != "못" &&
            comingIsTheReaders(text, info.begin)) {
            const bool formal = yes.size() >= 6 && yes.compare(yes.size() - 6, 6, "니다") == 0;
            const bool polite = !formal && !yes.empty() && yes.compare(yes.size() - 3, 3, "요") == 0;
            yes = formal ? "가겠습니다" : polite ? "갈게요" : "갈게";
        }
        if (!timeToDo) {
            annotation.addCategory(K::YES_CANDIDATE, yes);
            annotation.addCategory(K::NO_CANDIDATE, info.noAnswer);
        }
        if (!info.notSureAnswer.empty()) annotation.addCategory(K::NOT_SURE_CANDIDATE, info.notSureAnswer);
        annotation.addCategory(K::VERB, info.verb);
        annotation.addCategory(K::VERB_TYPE, info.type);
        annotation.addCategory(K::VERB_TIME, info.time);
    } else if (type == kPlanCount) {
        // The count proposed with the question's own verb ("세 판 시키자"):
        // a plain verb in a suggestion, not one joined to another ("사 갈까").
        DetectedVerbInfo info;
        if (verbTable && (verbTable->detectLast(text, honorific, info) ||
                          (!text2.empty() && verbTable->detectLast(text2, honorific, info))) &&
            info.type == KoreanVerbKind::SUGGEST && (info.compoundWord.empty() || info.compoundWord == "-") &&
            endsWith(info.yesAnswer, "자") && !KoreanVerbTable::isCommonAnswer(info.yesAnswer) &&
            !isHelperVerb(info.verb))
            annotation.addCategory(K::YES_CANDIDATE, info.yesAnswer);
    } else if (answeredWithVerb(type)) {
        DetectedVerbInfo info;
        if (!verbTable || (!verbTable->detectLast(text, honorific, info) &&
                           (text2.empty() || !verbTable->detectLast(text2, honorific, info))))
            return;
        if (!info.yesAnswer.empty() && !KoreanVerbTable::isCommonAnswer(info.yesAnswer))
            annotation.addCategory(K::YES_CANDIDATE, info.yesAnswer);
        annotation.addCategory(K::VERB, info.verb);
    } else if (type == kPastime) {
        // The verb of the reader's pastime ("이것저것 보고 있어").
        annotation.addCategory(K::VERB, pastimeVerb(text, text2, verbTable.get()));
    } else if (type == kSorryPending) {
        // The verb of a promise ("곧 올릴게").
        DetectedVerbInfo info;
        if (verbTable && (verbTable->detectLast(text, honorific, info) ||
                          (!text2.empty() && verbTable->detectLast(text2, honorific, info))))
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
