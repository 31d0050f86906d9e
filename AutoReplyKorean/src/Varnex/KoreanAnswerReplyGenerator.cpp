#include "KoreanAnswerReplyGenerator.h"

#include "KoreanVerbTable.h"
#include "KoreanVocabulary.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;
namespace K = KoreanCategory;
namespace Q = KoreanQuestionKind;

namespace {

// 0 casual, 1 polite, 2 most polite: the register of the scenario replies.
int politenessOf(const Annotation& annotation) {
    const std::string label = annotation.getLabel(Category::HONORIFIC);
    return label == Label::HIGH ? 2 : label == Label::NORMAL ? 1 : 0;
}

// The final consonant index (0: none) of a precomposed Hangul syllable
// given as its three UTF-8 bytes; -1 for anything else.
int hangulFinal(const std::string& syllable) {
    if (syllable.size() != 3) return -1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(syllable.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    if (c < 0xAC00 || c > 0xD7A3) return -1;
    return (c - 0xAC00) % 28;
}

// A choice offered to a polite question: a bare word gets the polite
// ending ("라떼" -> "라떼요", "포장" -> "포장이요"); a choice that already
// ends in a polite or formal form stays.
std::string politeChoice(const std::string& choice) {
    std::string last;
    StringUtil::getPreviousChar(choice, static_cast<int>(choice.size()) - 1, last);
    if (last == "요" || last == "다" || last == "까" || last == "죠") return choice;
    const int final = hangulFinal(last);
    if (final < 0) return choice;
    return choice + (final != 0 ? "이요" : "요");
}

// An answer the verb table gives in the polite 해요 style ("다 했어요",
// "아직이요", "그런 것 같아요"), turned into the formal style a formal
// question gets ("다 했습니다", "아직입니다", "그런 것 같습니다"). Only endings
// whose formal form follows from the text alone are turned; anything else
// (a vowel stem such as 가요, whose formal form needs the verb) stays.
std::string formalFromPolite(const std::string& answer) {
    auto endsWith = [&](const std::string& tail) {
        return answer.size() >= tail.size() && answer.compare(answer.size() - tail.size(), tail.size(), tail) == 0;
    };
    auto cut = [&](size_t bytes) { return answer.substr(0, answer.size() - bytes); };
    if (endsWith("이에요")) return cut(9) + "입니다";
    if (endsWith("예요") || endsWith("이요")) return cut(6) + "입니다";
    if (endsWith("해요")) return cut(6) + "합니다";
    if (endsWith("돼요")) return cut(6) + "됩니다";
    if ((endsWith("어요") || endsWith("아요")) && answer.size() >= 9) {
        // 했어요, 있어요, 같아요: a stem ending in a consonant other than ㄹ
        // (whose stems change: 알아요 -> 압니다) takes 습니다.
        const int final = hangulFinal(answer.substr(answer.size() - 9, 3));
        if (final > 0 && final != 8) return cut(6) + "습니다";
    }
    return answer;
}

void appendYesNo(int level, const std::string& verbType, std::string yes, std::string no, std::string notSure,
                 std::vector<ReplyScenario>& candidates) {
    if (level == 2) {
        yes = formalFromPolite(yes);
        no = formalFromPolite(no);
        notSure = formalFromPolite(notSure);
    }
    const std::string denial = KoreanAnswerReplyGenerator::makeYesNoAnswer(false, level, verbType, no);
    if (denial.empty())
        candidates.emplace_back(KoreanAnswerReplyGenerator::makeYesNoAnswer(true, level, verbType, yes));
    else
        candidates.emplace_back(KoreanAnswerReplyGenerator::makeYesNoAnswer(true, level, verbType, yes), denial);
    if (!notSure.empty()) candidates.emplace_back(notSure);
}


// The code point of a three-byte Hangul syllable, or -1.
int syllable(const std::string& ch) {
    if (ch.size() != 3) return -1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ch.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return c >= 0xAC00 && c <= 0xD7A3 ? c : -1;
}

std::string byLevel(int level, const char* casual, const char* polite, const char* formal) {
    return level == 0 ? casual : level == 1 ? polite : formal;
}

// The particle a place takes in the answer, after the where-word of the
// question: 어디서 -> "에서", 어디로 -> " 쪽으로" (로 and 으로 hang on the
// place's last sound), anything else -> "에".
std::string placeParticle(const std::string& text) {
    std::string s = text;
    StringUtil::replace(s, " ", "");
    if (s.find("어디서") != std::string::npos || s.find("어디에서") != std::string::npos) return "에서";
    if (s.find("어디로") != std::string::npos || s.find("어느쪽으로") != std::string::npos) return " 쪽으로";
    return "에";
}

const char* const kPlace = "LOCATION&'LOCATION'";

// "주차 어디에 하면 돼요?": the place with the question's own verb in the
// honorific, "'LOCATION'에 하시면 돼요" ("하면 돼" among friends). The word
// before 되다 must end in 면; a stem whose last syllable has a final
// consonant other than 으's is left alone ("걸면": 거시면), and so is a
// question without such a word.
std::string directionAnswer(const std::string& text, int level) {
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    std::string verb;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        const size_t at = w.find("면");
        if (at == std::string::npos || at == 0) continue;
        const std::string rest = w.substr(at + 3) + (i + 1 < words.size() ? words[i + 1] : "");
        if (StringUtil::startWith(rest, "돼") || StringUtil::startWith(rest, "되") ||
            StringUtil::startWith(rest, "됩") || StringUtil::startWith(rest, "됨"))
            verb = w.substr(0, at);
    }
    if (verb.empty()) return "";
    std::string last;
    StringUtil::getPreviousChar(verb, static_cast<int>(verb.size()) - 1, last);
    const int c = syllable(last);
    if (c < 0) return "";
    std::string honoured = verb;
    if (last != "시") {
        if (last != "으" && (c - 0xAC00) % 28 != 0) return "";
        honoured += "시";
    }
    const std::string place = kPlace + placeParticle(text) + " ";
    return place + (level == 0 ? verb + "면 돼" : honoured + (level == 1 ? "면 돼요" : "면 됩니다"));
}

// Who offers to do it: "제가 할게요" for the verbs one takes on for others.
std::string volunteer(const std::string& verb, int level) {
    static const std::vector<std::vector<const char*>> forms = {
        {"하다", "내가 할게", "제가 할게요", "제가 하겠습니다"},
        {"사다", "내가 살게", "제가 살게요", "제가 사겠습니다"},
        {"쏘다", "내가 쏠게", "제가 쏠게요", "제가 쏘겠습니다"},
        {"내다", "내가 낼게", "제가 낼게요", "제가 내겠습니다"},
        {"맡다", "내가 맡을게", "제가 맡을게요", "제가 맡겠습니다"},
        {"가다", "내가 갈게", "제가 갈게요", "제가 가겠습니다"},
        {"챙기다", "내가 챙길게", "제가 챙길게요", "제가 챙기겠습니다"},
        {"준비하다", "내가 준비할게", "제가 준비할게요", "제가 준비하겠습니다"},
    };
    for (const auto& f : forms)
        if (verb == f[0]) return byLevel(level, f[1], f[2], f[3]);
    // Any other 하다 verb ("운전하다", "예약하다"): 할게 stands for it.
    if (verb.size() > 6 && verb.compare(verb.size() - 6, 6, "하다") == 0)
        return byLevel(level, "내가 할게", "제가 할게요", "제가 하겠습니다");
    return "";
}

// A place answered with the question's verb: "어디 살아?" -> "'LOCATION'에
// 살아", "어디서 샀어요?" -> "'LOCATION'에서 샀어요", "어느 학교 다녀?" ->
// "'LOCATION' 다녀" (다니다 and 나오다 take the school or firm bare). Without
// the verb's answer: where one lives 살아 when the question has 살/사세,
// where one's home or work is "'LOCATION' 쪽이야", what one bought 샀어, an
// event held 해 when asked with 하다; otherwise nothing.
std::string placeAnswer(const Annotation& annotation, const std::string& type, int level) {
    const std::string& text = annotation.getText();
    std::string yes = annotation.getLabel(K::YES_CANDIDATE, "");
    std::string particle = placeParticle(text);
    std::string squeezed = text;
    StringUtil::replace(squeezed, " ", "");
    if (yes.empty()) {
        if (type == "where_self") {
            if (squeezed.find("어디살") != std::string::npos || squeezed.find("어디사") != std::string::npos ||
                squeezed.find("어디에살") != std::string::npos || squeezed.find("어디에사") != std::string::npos ||
                squeezed.find("동네살") != std::string::npos)
                yes = byLevel(level, "살아", "살아요", "삽니다");
            else
                return kPlace + byLevel(level, " 쪽이야", " 쪽이에요", " 쪽입니다");
        } else if (type == "where_bought") {
            yes = byLevel(level, "샀어", "샀어요", "샀습니다");
        } else if (type == "where_event" && annotation.getLabel(K::VERB, "") == "하다") {
            yes = byLevel(level, "해", "해요", "합니다");
        } else {
            return "";
        }
    }
    for (const char* bare : {"다녀", "다니", "다닙", "나왔", "나와", "나옵", "졸업"})
        if (StringUtil::startWith(yes, bare)) particle = "";
    return kPlace + particle + " " + yes;
}

// A promise to do now what the reader was asked why they have not done
// ("왜 안 와?": "미안 곧 갈게!", "보고서 왜 아직 안 올리셨습니까?": "죄송합니다
// 곧 올리겠습니다"); coming is answered with going. Verbs whose promise form
// the text alone does not give (돕다: 도울게) get none.
std::string promise(std::string verb, int level) {
    if (verb == "오다") verb = "가다";
    if (verb.size() < 6 || verb.compare(verb.size() - 3, 3, "다") != 0) return "";
    const std::string stem = verb.substr(0, verb.size() - 3);
    const std::string last = stem.substr(stem.size() - 3);
    const int c = syllable(last);
    if (c < 0) return "";
    const int final = (c - 0xAC00) % 28;
    std::string casual;
    if (final == 0 || final == 8) {
        // 가 -> 갈, 올리 -> 올릴; 만들 stays.
        const int withL = final == 0 ? c + 8 : c;
        std::string l;
        l += static_cast<char>(0xE0 | (withL >> 12));
        l += static_cast<char>(0x80 | ((withL >> 6) & 0x3F));
        l += static_cast<char>(0x80 | (withL & 0x3F));
        casual = stem.substr(0, stem.size() - 3) + l + "게";
    } else if (verb == "듣다" || verb == "걷다" || verb == "묻다") {
        const int withL = c - 7 + 8;  // ㄷ -> ㄹ
        std::string l;
        l += static_cast<char>(0xE0 | (withL >> 12));
        l += static_cast<char>(0x80 | ((withL >> 6) & 0x3F));
        l += static_cast<char>(0x80 | (withL & 0x3F));
        casual = stem.substr(0, stem.size() - 3) + l + "을게";
    } else if (final == 17) {
        return "";  // ㅂ: 돕다 도울게, 입다 입을게; not told apart here
    } else {
        casual = stem + "을게";
    }
    return byLevel(level, ("미안 곧 " + casual + "!").c_str(), ("죄송해요 곧 " + casual + "요!").c_str(),
                   ("죄송합니다 곧 " + stem + "겠습니다").c_str());
}

// The bare noun right before the word `word` ("출발 안 했어": 출발), with
// an object particle dropped; "" when the word before it is an adverb
// (아직, 또) or missing.
std::string nounBefore(const std::string& text, const std::string& word) {
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i] != word) continue;
        std::string noun = words[i - 1];
        for (const char* particle : {"을", "를"})
            if (noun.size() > 3 && noun.compare(noun.size() - 3, 3, particle) == 0) noun = noun.substr(0, noun.size() - 3);
        for (const char* adverb : {"아직", "아직도", "왜", "또", "이제", "여태", "지금", "벌써", "대체", "도대체", "얼른", "빨리"})
            if (noun == adverb) return "";
        for (const auto& ch : std::vector<std::string>{noun.size() >= 3 ? noun.substr(noun.size() - 3) : ""})
            if (syllable(ch) < 0) return "";
        return noun;
    }
    return "";
}

// The reader's pastime in the question's verb: "요즘 이것저것 보고 있어 ㅎㅎ
// 너는?"; 요즘 only when the question has it.
std::string pastimeAnswer(const Annotation& annotation, int level) {
    std::string verb = annotation.getLabel(K::VERB, "");
    if (verb == "게임하다") verb = "하다";
    if (verb != "보다" && verb != "읽다" && verb != "듣다" && verb != "하다") return "";
    const std::string stem = verb.substr(0, verb.size() - 3);
    const std::string& text = annotation.getText();
    const std::string lately =
        text.find("요즘") != std::string::npos ? "요즘 " : text.find("요새") != std::string::npos ? "요새 " : "";
    const std::string doing = lately + "이것저것 " + stem + "고 있";
    return byLevel(level, (doing + "어 ㅎㅎ 너는?").c_str(), (doing + "어요 ㅎㅎ").c_str(), (doing + "습니다").c_str());
}

// A counter after 몇 and the counts a reader would give with it: the counts
// for an amount to settle ("떡 몇 팩 살까?": 두 팩, 세 팩) and for a count of
// the reader's own life ("고양이 몇 마리 키워?": 한 마리, 두 마리). Native
// counters take 한 두 세 네 ... ("두 개", "세 판"); digit counters take the
// number written in figures and no space ("2인분", "10부", "5분"). A counter
// with no counts here (층, 호, 정거장, 페이지, 살, 원 and the like: a count
// one looks up or would not say) gets none.
struct Counter {
    const char* word;
    bool native;
    int plan[2];
    int own[2];
};

const Counter kCounters[] = {
    {"개", true, {2, 3}, {2, 3}},      {"명", true, {3, 4}, {2, 3}},     {"잔", true, {2, 3}, {1, 2}},
    {"장", true, {2, 3}, {2, 3}},      {"줄", true, {2, 3}, {2, 3}},     {"병", true, {2, 3}, {1, 2}},
    {"권", true, {2, 3}, {1, 2}},      {"마리", true, {1, 2}, {1, 2}},   {"번", true, {2, 3}, {2, 3}},
    {"판", true, {2, 3}, {2, 3}},      {"공기", true, {1, 2}, {1, 2}},   {"켤레", true, {2, 3}, {2, 3}},
    {"끼", true, {2, 3}, {2, 3}},      {"팩", true, {2, 3}, {2, 3}},     {"봉지", true, {2, 3}, {1, 2}},
    {"통", true, {2, 3}, {1, 2}},      {"박스", true, {2, 3}, {1, 2}},   {"상자", true, {2, 3}, {1, 2}},
    {"대", true, {2, 3}, {1, 2}},      {"컵", true, {2, 3}, {1, 2}},     {"캔", true, {2, 3}, {1, 2}},
    {"그릇", true, {1, 2}, {1, 2}},    {"조각", true, {2, 3}, {1, 2}},   {"접시", true, {2, 3}, {1, 2}},
    {"송이", true, {2, 3}, {2, 3}},    {"가지", true, {2, 3}, {2, 3}},   {"곡", true, {2, 3}, {2, 3}},
    {"벌", true, {2, 3}, {2, 3}},      {"인분", false, {2, 3}, {0, 0}},  {"부", false, {10, 20}, {0, 0}},
    {"시간", true, {0, 0}, {1, 2}},    {"바퀴", true, {2, 3}, {2, 3}},   {"개비", true, {2, 3}, {5, 10}},
    // Words after 몇 that start like a counter above but count nothing to
    // offer: 개월, 개국, 번째, 번지, 대학, 명함, 시간대.
    {"개월", false, {0, 0}, {0, 0}},   {"번째", false, {0, 0}, {0, 0}},  {"시간대", false, {0, 0}, {0, 0}},
    {"부분", false, {0, 0}, {0, 0}},   {"개국", false, {0, 0}, {0, 0}},  {"번지", false, {0, 0}, {0, 0}},
    {"대학", false, {0, 0}, {0, 0}},   {"명함", false, {0, 0}, {0, 0}},  {"장면", false, {0, 0}, {0, 0}},
};

std::string numberWord(int n, bool native) {
    static const char* const natives[] = {"", "한", "두", "세", "네", "다섯", "여섯", "일곱", "여덟", "아홉", "열"};
    if (native && n >= 1 && n <= 10) return natives[n];
    return std::to_string(n);
}

// The counts a reader gives to the count asked with 몇 in `text`: "두 개",
// "세 판", "2인분"; none for a counter not known here. 분 counts people
// (native, "두 분") when a booking or guests are in view ("몇 분으로 예약",
// "몇 분 오세요?"), and minutes ("5분", "10분") otherwise. Hours of the
// reader's own life are hours of sleep or work when the question says so.
std::vector<std::string> countsAsked(const std::string& text, bool own) {
    std::vector<std::string> counts;
    const size_t few = text.find("몇");
    if (few == std::string::npos) return counts;
    std::string after = text.substr(few + 3);
    while (!after.empty() && after[0] == ' ') after.erase(0, 1);
    std::string squeezed = text;
    StringUtil::replace(squeezed, " ", "");
    if (StringUtil::startWith(after, "분")) {
        const std::string rest = after.substr(3);
        bool people = StringUtil::startWith(rest, "으로") || StringUtil::startWith(rest, "이 ") ||
                      StringUtil::startWith(rest, "이세") || StringUtil::startWith(rest, "께서");
        for (const char* guests : {"오시", "오세", "손님", "예약", "자리", "인원", "모시", "계시", "계세"})
            people = people || squeezed.find(guests) != std::string::npos;
        if (own) return counts;
        for (int n : people ? std::vector<int>{2, 3} : std::vector<int>{5, 10})
            counts.push_back(people ? numberWord(n, true) + " 분" : std::to_string(n) + "분");
        return counts;
    }
    const Counter* found = nullptr;
    for (const auto& c : kCounters)
        if (StringUtil::startWith(after, c.word) && (!found || std::string(c.word).size() > std::string(found->word).size()))
            found = &c;
    if (!found) return counts;
    int a = own ? found->own[0] : found->plan[0];
    int b = own ? found->own[1] : found->plan[1];
    // Hours to spend are no small count to offer; hours of one's own day are.
    if (own && std::string(found->word) == "시간") {
        if (squeezed.find("자") != std::string::npos || squeezed.find("주무") != std::string::npos) a = 6, b = 7;
        else if (squeezed.find("일하") != std::string::npos || squeezed.find("근무") != std::string::npos) a = 8, b = 9;
    }
    if (a == 0) return counts;
    for (int n : {a, b})
        counts.push_back(numberWord(n, found->native) + (found->native ? " " : "") + found->word);
    return counts;
}

// "두 개" + "면": 면 after a vowel, 이면 after a final consonant; 요 / 이요
// the same way.
std::string withCopula(const std::string& count, const char* vowelForm, const char* consonantForm) {
    std::string last;
    StringUtil::getPreviousChar(count, static_cast<int>(count.size()) - 1, last);
    const int final = hangulFinal(last);
    if (final < 0) {
        // A figure ("10부" ends in a syllable; a bare figure never comes here).
        return count + vowelForm;
    }
    return count + (final != 0 ? consonantForm : vowelForm);
}

// Counts for an amount to settle, in the speaker's frame: an offer to give
// or do ("몇 개 줄까?", "몇 부 뽑아 드릴까요?") is taken up with 부탁해 /
// 부탁드려요; otherwise the count is proposed with the question's own verb
// among friends ("세 판 시키자"), or as what will do ("두 개면 돼", "두
// 개요", "두 개면 됩니다").
void appendPlanCounts(const Annotation& annotation, int level, std::vector<ReplyScenario>& candidates) {
    const std::string& text = annotation.getText();
    std::string squeezed = text;
    StringUtil::replace(squeezed, " ", "");
    const bool offered = squeezed.find("줄까") != std::string::npos || squeezed.find("드릴까") != std::string::npos;
    const std::string verb = annotation.getLabel(K::YES_CANDIDATE, "");
    for (const auto& count : countsAsked(text, false)) {
        if (offered)
            candidates.emplace_back(count + byLevel(level, " 부탁해", " 부탁드려요", " 부탁드립니다"));
        else if (level == 0)
            candidates.emplace_back(verb.empty() ? withCopula(count, "면 돼", "이면 돼") : count + " " + verb);
        else if (level == 1)
            candidates.emplace_back(withCopula(count, "요", "이요"));
        else
            candidates.emplace_back(withCopula(count, "면 됩니다", "이면 됩니다"));
    }
}

// Counts of the reader's own life ("하루에 몇 시간 자?": "일곱 시간 정도"),
// with 정도 for a habit counted per day, week or month.
void appendOwnCounts(const Annotation& annotation, int level, std::vector<ReplyScenario>& candidates) {
    const std::string& text = annotation.getText();
    bool habit = false;
    for (const char* per : {"하루", "일주일", "주에", "달에", "한달", "년에", "보통", "평소", "매일", "주말에", "평일에"})
        habit = habit || text.find(per) != std::string::npos;
    for (auto count : countsAsked(text, true)) {
        if (habit) count += " 정도";
        candidates.emplace_back(level == 0   ? count
                                : level == 1 ? withCopula(count, "요", "이요")
                                             : withCopula(count, "입니다", "입니다"));
    }
}

std::vector<std::string> fields(const std::string& s, char separator) {
    std::vector<std::string> out;
    StringUtil::split(s, separator, out);
    return out;
}

}  // namespace

std::string KoreanAnswerReplyGenerator::makeYesNoAnswer(bool yes, int level, const std::string& verbType,
                                                        const std::string& answer) {
    const bool polite = level != 0;
    const std::string suffix = answer.empty() ? "" : " " + answer;
    if (verbType == KoreanVerbKind::COMMAND) {
        // A request or favour: declined only with the verb table's polite
        // decline as it stands, or not at all; never with a bare 싫어.
        if (yes) return (polite ? "네." : "그래.") + suffix;
        return answer;
    }
    if (verbType == KoreanVerbKind::SUGGEST) {
        if (yes) return (polite ? "네." : "그래.") + suffix;
        // Put off with the verb table's 다음에 가자 as it stands; otherwise
        // declined gently, never with a bare 안돼.
        if (!answer.empty()) return answer;
        return level == 0 ? "아니 괜찮아." : level == 1 ? "아뇨 괜찮아요." : "아닙니다 괜찮습니다.";
    }
    if (yes) return (polite ? "네." : "응.") + suffix;
    return (polite ? "아뇨." : "아니.") + suffix;
}

std::string KoreanAnswerReplyGenerator::makeTimeAnswer(const Annotation& annotation, const std::string& questionType,
                                                       const std::string& kind, int level) {
    const bool from = questionType.find("from") != std::string::npos;
    const bool until = !from && questionType.find("until") != std::string::npos;
    const std::string placeholder = kind + "&'" + kind + "'";
    const std::string yes = annotation.getLabel(K::YES_CANDIDATE, "");
    if (!yes.empty() && !KoreanVerbTable::isCommonAnswer(yes))
        return placeholder + (from ? "부터" : until ? "까지" : "에") + " " + (level == 2 ? formalFromPolite(yes) : yes);
    std::string ending = from ? "부터" : until ? "까지" : "";
    if (level == 1) ending += "요";
    if (level == 2) ending += "입니다";
    return placeholder + ending;
}

void KoreanAnswerReplyGenerator::generate(const std::string&, const std::string&, const Annotation& annotation,
                                          std::vector<ReplyScenario>& candidates) const {
    if (!annotation.hasClassification(K::REPLY_ANSWER)) return;
    const std::string type = annotation.getLabel(K::REPLY_ANSWER);
    const int level = politenessOf(annotation);
    const size_t before = candidates.size();
    appendAnswers(annotation, type, level, candidates);
    // The candidates carry their intent, as scenario rows do, for the ranker.
    for (size_t i = before; i < candidates.size(); ++i) candidates[i].replyTypePattern = "answer_" + type;
}

void KoreanAnswerReplyGenerator::appendAnswers(const Annotation& annotation, const std::string& type, int level,
                                               std::vector<ReplyScenario>& candidates) {

    if (type == Q::YES_NO) {
        std::string yes, no, verbType;
        // The verb's answers only as a pair: one without the other would
        // mix a verb answer with a bare one.
        if (annotation.hasClassification(K::YES_CANDIDATE) && annotation.hasClassification(K::NO_CANDIDATE)) {
            yes = annotation.getLabel(K::YES_CANDIDATE, "");
            no = annotation.getLabel(K::NO_CANDIDATE, "");
            verbType = annotation.getLabel(K::VERB_TYPE, "");
        }
        // A favour asked ("올 때 두부 좀 사다 줄래?") is answered by its own
        // replies (응 알겠어, 미안 지금은 좀 어려워); a bare 아니 would refuse it.
        if (yes.empty() && no.empty() && annotation.getLabel(K::REPLY_FAVOR, "") == Label::TRUE_LABEL) return;
        // The user knows what they did: a question about the past gets no
        // hesitant answer.
        const std::string tense = annotation.getLabel(K::VERB_TIME, "");
        const bool past = tense == KoreanVerbKind::PAST || tense == KoreanVerbKind::PAST_PERFECT;
        appendYesNo(level, verbType, yes, no, past ? "" : annotation.getLabel(K::NOT_SURE_CANDIDATE, ""), candidates);
    } else if (type == Q::CHOOSE_ONE) {
        for (const auto& choice : fields(annotation.getLabel(K::MULTI_CHOICE, ""), '/'))
            if (!choice.empty()) candidates.emplace_back(level == 0 ? choice : politeChoice(choice));
    } else if (type == Q::MULTI_QUESTION) {
        // Each entry: piece/type/yes/no/verb type/not sure. The last yes/no
        // question gets its answers; a final wh-question the engine cannot
        // answer does not silence an earlier yes/no one.
        const auto entries = fields(annotation.getLabel(K::MULTI_QUESTION_CANDIDATE, ""), '\\');
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            const auto f = fields(*it, '/');
            if (f.size() < 5 || f[1] != Q::YES_NO) continue;
            appendYesNo(level, f[4], f[2], f[3], f.size() == 6 ? f[5] : "", candidates);
            break;
        }
    } else if (StringUtil::startWith(type, Q::TIME)) {
        const bool specific = type.find("_dayofweek") != std::string::npos ||
                              type.find("_date") != std::string::npos || type.find("_time") != std::string::npos;
        if (!specific) {
            for (const char* kind : {"DATE", "TIME", "DAYOFWEEK"})
                candidates.emplace_back(makeTimeAnswer(annotation, type, kind, level));
        } else {
            const char* kind = type.find("dayofweek") != std::string::npos ? "DAYOFWEEK"
                               : type.find("date") != std::string::npos    ? "DATE"
                                                                            : "TIME";
            candidates.emplace_back(makeTimeAnswer(annotation, type, kind, level));
        }
    } else if (type == "person_doer") {
        // 하다 counts in the verb table only with its noun in front ("발표해");
        // "발표 누가 해요?" puts 누가 between them, so a word after 누가 that
        // is a form of 하다 (해, 할래, 하실, 합니까) stands for it.
        std::string verb = annotation.getLabel(K::VERB, "");
        const std::string& text = annotation.getText();
        const size_t who = text.find("누가");
        if (verb.empty() && who != std::string::npos) {
            std::vector<std::string> words;
            StringUtil::split(text.substr(who), ' ', words);
            for (size_t i = 1; i < words.size(); ++i)
                for (const char* form : {"해", "하", "할", "합"})
                    if (StringUtil::startWith(words[i], form)) verb = "하다";
        }
        const std::string offer = volunteer(verb, level);
        if (!offer.empty()) candidates.emplace_back(offer);
    } else if (type == "sorry_pending") {
        // "출발 안 했어": 하다 takes back its noun from before 안 (출발하다).
        std::string verb = annotation.getLabel(K::VERB, "");
        if (verb == "하다") verb = nounBefore(annotation.getText(), "안") + verb;
        const std::string answer = promise(verb, level);
        if (!answer.empty()) candidates.emplace_back(answer);
    } else if (type == "plan_count") {
        appendPlanCounts(annotation, level, candidates);
    } else if (type == "known_count") {
        appendOwnCounts(annotation, level, candidates);
    } else if (type == "pastime") {
        const std::string answer = pastimeAnswer(annotation, level);
        if (!answer.empty()) candidates.emplace_back(answer);
    } else if (type == "where_place" || type == "facility_where") {
        // Where a place or a facility nearby is ("화장실이 어디예요?"): the
        // place picked by the host.
        candidates.emplace_back(kPlace + byLevel(level, "에 있어", "에 있어요", "에 있습니다"));
    } else if (type == "where_should") {
        const std::string direction = directionAnswer(annotation.getText(), level);
        if (!direction.empty()) candidates.emplace_back(direction);
    } else if (type == "where_self" || type == "where_bought" || type == "where_done" || type == "where_event" ||
               type == "where_photo" || type == "where_nearby") {
        // Where a photo was taken or a meal eaten is a place done there
        // ("'LOCATION'에서 찍었어").
        const bool done = type == "where_photo" || type == "where_nearby";
        const std::string answer = placeAnswer(annotation, done ? "where_done" : type, level);
        if (!answer.empty()) candidates.emplace_back(answer);
    } else if (type == Q::LOCATION) {
        candidates.emplace_back(std::string("LOCATION&") + (level == 0 ? "여기" : level == 1 ? "여기요" : "여기입니다"));
    }
}

}  // namespace Varnex
