#include "KoreanMusingDetector.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "KoreanRuleDetector.h"
#include "KoreanVocabulary.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Trie.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanMusingDetector";
const char* const kWhy = "why";
const char* const kLost = "lost";
const char* const kFood = "food";
const char* const kRecall = "recall";
const char* const kPlan = "plan";
const char* const kWait = "wait";
const char* const kCurious = "curious";
// The sender running themselves down (나는 왜 맨날 이 모양이지) or doubting
// their own part (내가 뭘 잘못했나, 내가 너무 예민한 건가): reassurance fits,
// never agreement. A "self" phrase turns a plain "why" into it.
const char* const kSelf = "self";
const char* const kDoubt = "doubt";

// Someone else named as the subject (걔는, 팀장님이): a "self" phrase then
// runs them down, not the sender.
const char* const kOther = "OTHER";

// "why" and the kinds that go with its endings (-ㄹ까, -죠, -냐).
bool whyLike(const std::string& label) { return label == kWhy || label == kSelf || label == kDoubt; }

// The code point of a precomposed Hangul syllable, or -1.
int syllable(const std::string& ch) {
    if (ch.size() != 3) return -1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ch.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return c >= 0xAC00 && c <= 0xD7A3 ? c : -1;
}

// The syllable ends in ㄹ (갈, 먹을).
bool endsInRieul(const std::string& ch) {
    const int c = syllable(ch);
    return c >= 0 && (c - 0xAC00) % 28 == 8;
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The last sentence that holds a Hangul syllable.
std::string lastSentence(const std::string& text) {
    const std::vector<std::string> sentences = KoreanTemplateMatcher::sentencesOf(text);
    for (auto it = sentences.rbegin(); it != sentences.rend(); ++it) {
        const std::string& sentence = *it;
        bool found = false;
        StringUtil::forEachCharacterSpan(sentence, [&](size_t at, size_t length) {
            found = found || (length == 3 && at + 3 <= sentence.size() && syllable(sentence.substr(at, 3)) >= 0);
        });
        if (found) return sentence;
    }
    return "";
}

// The last word has a syllable with the final ㅆ of the past (먹었지, 갔더라),
// other than 있 and 겠.
bool pastLastWord(const std::string& sentence) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(sentence, chars);
    while (!chars.empty() && syllable(chars.back()) < 0) chars.pop_back();
    for (size_t i = chars.size(); i > 0 && chars[i - 1] != " "; --i) {
        const int c = syllable(chars[i - 1]);
        if (c >= 0 && (c - 0xAC00) % 28 == 20 && chars[i - 1] != "있" && chars[i - 1] != "겠") return true;
    }
    return false;
}

// The last Hangul syllable of the sentence, or "".
std::string lastSyllable(const std::string& sentence) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(sentence, chars);
    for (auto it = chars.rbegin(); it != chars.rend(); ++it)
        if (syllable(*it) >= 0) return *it;
    return "";
}

enum class Ending { None, Wonder, Self, Recall, Jyo, Kka, KkaYo, Nya, Na, Nga, Plain };

// Some word before the first word that begins with `wh` names what is
// wondered about ("시간 왜 이렇게 안 가냐", "주말 언제 오냐"); a call alone
// ("야", "민수야") does not.
bool topicBefore(const std::string& sentence, const std::string& wh) {
    std::vector<std::string> words;
    StringUtil::split(sentence, ' ', words);
    for (const auto& word : words) {
        if (word.compare(0, wh.size(), wh) == 0) return false;
        std::vector<std::string> chars;
        StringUtil::getCharactors(word, chars);
        while (!chars.empty() && syllable(chars.back()) < 0) chars.pop_back();
        if (chars.empty()) continue;
        const bool call = chars.back() == "야" || (chars.size() >= 2 && chars.back() == "아");
        if (!call) return true;
    }
    return false;
}

// What the sentence ends in, once laughter, tears, marks and spaces after
// its last syllable are set aside.
Ending endingOf(const std::string& sentence) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(sentence, chars);
    while (!chars.empty() && syllable(chars.back()) < 0) chars.pop_back();
    if (chars.empty()) return Ending::None;
    std::string compact;  // without spaces
    for (const auto& ch : chars)
        if (ch != " ") compact += ch;
    // A word of stress after the ending (살 언제 빼냐 진짜) and -나 싶다
    // (언제 다 끝내나 싶네요, 나만 그런가 싶다) leave the ending before them.
    for (const std::string_view t : {"진짜", "정말", "증말", "싶다", "싶네", "싶네요", "싶어", "싶어요"}) {
        const bool stress = t == "진짜" || t == "정말" || t == "증말";
        if (!endsWith(compact, t) || compact.size() <= t.size()) continue;
        const std::string_view before = std::string_view(compact).substr(0, compact.size() - t.size());
        if (stress || endsWith(before, "나") || endsWith(before, "가")) {
            compact.erase(compact.size() - t.size());
            std::vector<std::string> kept;
            StringUtil::getCharactors(compact, kept);
            chars = kept;
            break;
        }
    }
    if (endsWith(compact, "려나") || endsWith(compact, "려나요")) return Ending::Wonder;
    // Not knowing or pondering what the wh-word asks: 어디 뒀는지 모르겠어요,
    // 뭘 먹어야 할지 고민이에요, 이름이 기억이 안 나.
    for (const char* unsure : {"모르겠다", "모르겠네", "모르겠어", "모르겠어요", "모르겠네요", "모르겠습니다", "모르겠음",
                               "고민이다", "고민이야", "고민이네", "고민이에요", "고민이네요", "고민입니다", "고민중"}) {
        if (!endsWith(compact, unsure)) continue;
        const std::string_view before = std::string_view(compact).substr(0, compact.size() - std::strlen(unsure));
        if (endsWith(before, "지") || endsWith(before, "나")) return Ending::Self;
    }
    for (const char* forgot : {"기억이안나", "기억이안나요", "기억이안난다", "기억안나", "기억이안납니다",
                               "기억이나지않습니다", "생각이안나", "생각이안나요", "생각안나"})
        if (endsWith(compact, forgot)) return Ending::Self;
    const std::string& last = chars.back();
    if (endsWith(compact, "더라")) return Ending::Recall;
    if (last == "지") return Ending::Self;
    if (last == "죠" || endsWith(compact, "지요")) return Ending::Jyo;
    // -냐 and -나 said to oneself: 이걸 언제 다 하냐, 언제 다 끝나나
    if (last == "냐") return Ending::Nya;
    if (last == "나" && chars.size() >= 2 && syllable(chars[chars.size() - 2]) >= 0) return Ending::Na;
    // -ㄴ가 / -는가 / -건가 said to oneself: 나만 그런가, 내가 너무 예민한 건가
    if (last == "가" && chars.size() >= 2 && syllable(chars[chars.size() - 2]) >= 0 &&
        ((syllable(chars[chars.size() - 2]) - 0xAC00) % 28 == 4 || chars[chars.size() - 2] == "는"))
        return Ending::Nga;
    // -ㄹ까요 without an asking mark: 이번 주는 왜 이렇게 길까요
    if (last == "요" && chars.size() >= 3 && chars[chars.size() - 2] == "까" && endsInRieul(chars[chars.size() - 3]))
        return Ending::KkaYo;
    // -ㄹ까 말까 weighs two choices, which the either/or answers take up.
    if (last == "까" && chars.size() >= 2 && endsInRieul(chars[chars.size() - 2]) &&
        compact.find("까말까") == std::string::npos)
        return Ending::Kka;
    // The plain 반말 ending of a statement (습해, 안 와, 더워): a complaint
    // when it wonders why something named is so (날씨 왜 이리 습해).
    // Its last syllable is open with the vowel ㅏ, ㅐ, ㅑ, ㅓ, ㅕ, ㅘ, ㅙ or ㅝ.
    const int code = syllable(last);
    if (code >= 0 && (code - 0xAC00) % 28 == 0) {
        const int vowel = (code - 0xAC00) / 28 % 21;
        if (vowel == 0 || vowel == 1 || vowel == 2 || vowel == 4 || vowel == 6 || vowel == 9 || vowel == 10 || vowel == 14)
            return Ending::Plain;
    }
    return Ending::None;
}

// Labels of the rule file beyond the kinds: a word for the reader (너, 니가)
// vetoes any reading, "remark_FALSE" only the remark, and kinds that begin
// with "remark_" name a remark on the sender's own day.
const char* const kAddress = "ADDRESS";
const char* const kRemarkVeto = "remark_FALSE";
const char* const kGlad = "remark_glad";
const char* const kResolve = "remark_resolve";
const char* const kOops = "remark_oops";
const char* const kClose = "remark_close";
const char* const kDown = "remark_down";

bool isRemark(const std::string& label) { return label.compare(0, 7, "remark_") == 0 && label != kRemarkVeto; }

// The last sentence states rather than asks, suggests, requests, reports
// or reminds: not -니, -냐, -ㄹ까, -래, -자, -죠, -나, -가, -줘, -봐, -대,
// -잖아, nor -요 after 나, 가, 래, 까, 세 or 죠 (laughter, tears and marks
// after it set aside).
bool statementEnding(const std::string& sentence) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(sentence, chars);
    while (!chars.empty() && syllable(chars.back()) < 0) chars.pop_back();
    if (chars.empty()) return false;
    std::string last = chars.back();
    if (last == "요" && chars.size() >= 2) last = chars[chars.size() - 2];
    for (const char* asking : {"니", "냐", "까", "래", "자", "죠", "나", "가", "줘", "세", "오"})
        if (last == asking) return false;
    // What someone else said (-대) or a reminder to the reader (-잖아) is no
    // remark on the sender's day.
    if (last == "대" || (last == "아" && chars.size() >= 2 && chars[chars.size() - 2] == "잖") ||
        (chars.size() >= 3 && chars.back() == "요" && chars[chars.size() - 2] == "아" && chars[chars.size() - 3] == "잖"))
        return false;
    // 해 봐, 다시 봐 urge the reader; 내 정신 좀 봐 is said to oneself.
    return last != "봐" || sentence.find("정신") != std::string::npos;
}

// The kind of wondering aloud the sentence's ending and its longest
// wondering phrase make, or FALSE.
std::string wondering(const std::string& sentence, Ending ending, const std::string& label) {
    if (ending == Ending::None) return Label::FALSE_LABEL;
    const bool asked = sentence.find('?') != std::string::npos;
    switch (ending) {
    case Ending::Wonder:
        return label.empty() ? Label::TRUE_LABEL : label;
    case Ending::Self:
        // 나 바보 같지? asks only to be told otherwise.
        if (label == kSelf) return label;
        if (asked || label.empty()) return Label::FALSE_LABEL;
        // 잘 지내고 있지 asks the reader to agree; only 잘 지내나 모르겠다 wonders.
        if (label == kCurious && lastSyllable(sentence) == "지") return Label::FALSE_LABEL;
        // A meal, a plan or a wait in the past (점심 뭐 먹었지, 언제 왔지) is
        // being remembered, not weighed.
        return pastLastWord(sentence) && (label == kFood || label == kPlan || label == kWait) ? kRecall : label;
    case Ending::Recall:  // 어디서 봤더라: trying to remember
        return asked || label.empty() ? Label::FALSE_LABEL : label == Label::TRUE_LABEL ? kRecall : label;
    case Ending::Jyo:
        return label == kSelf || (!asked && (whyLike(label) || label == kLost)) ? label : Label::FALSE_LABEL;
    case Ending::Kka:
        return !asked && (label == kFood || whyLike(label) || label == kCurious) ? label : Label::FALSE_LABEL;
    case Ending::KkaYo:
        return !asked && (whyLike(label) || label == kCurious) ? label : Label::FALSE_LABEL;
    case Ending::Nga:  // 나만 그런가, 내가 예민한 건가: only one's own doubt
        return label == kDoubt || label == kSelf ? label : Label::FALSE_LABEL;
    case Ending::Nya: {
        // -냐 also asks the reader ("왜 그러냐", "언제 오냐"): it wonders
        // aloud when a plan is lamented (이걸 언제 다 하냐), or when the
        // "why" or the wait is about something named before it.
        if (asked) return Label::FALSE_LABEL;
        if (label == kPlan) return label;
        std::string compact = sentence;
        StringUtil::replace(compact, " ", "");
        if (whyLike(label) && (topicBefore(sentence, "왜") || compact.find("왜이렇게") != std::string::npos ||
                              compact.find("왜케") != std::string::npos || compact.find("왤케") != std::string::npos ||
                              compact.find("왜이리") != std::string::npos))
            return label;
        // A wait for something else to come or end, not an act of the reader.
        if (label == kWait && topicBefore(sentence, "언제")) {
            for (const char* wait : {"언제오", "언제와", "언제끝나", "언제그치", "언제낫", "언제나을", "언제풀리", "언제도착",
                                     "언제가냐", "언제되", "언제돼"})
                if (compact.find(wait) != std::string::npos) return label;
        }
        return Label::FALSE_LABEL;
    }
    case Ending::Plain: {
        // 버스 왜 이렇게 안 와, 날씨 왜 이리 습해: something named before a
        // 왜 이렇게 is complained of; a bare 왜 이렇게 늦어 reproaches the reader.
        if (asked || label != kWhy || !topicBefore(sentence, "왜")) return Label::FALSE_LABEL;
        // What is complained of must be no one's doing: a thing of the
        // weather, the road, a machine, prices or time (버스, 인터넷, 날씨가),
        // or a remark comes before it (날씨 미쳤네 왜 이리 습해). The
        // reader's voice, meal or reply (답장이 왜 이렇게 늦어) is asked after.
        std::vector<std::string> words;
        StringUtil::split(sentence.substr(0, sentence.find("왜")), ' ', words);
        static const std::vector<std::string> things = {
            "날씨", "하늘", "비", "눈", "바람", "공기", "미세먼지", "햇빛", "버스", "지하철", "택시", "길", "도로",
            "차가", "신호", "인터넷", "와이파이", "폰", "핸드폰", "휴대폰", "컴퓨터", "노트북", "프린터", "엘리베이터",
            "시간", "하루", "이번주", "주", "주말", "월요일", "물가", "가격", "값", "월세", "전기세", "줄",
            "배송", "택배", "회사", "일이", "일은", "세상", "이거", "여기", "요즘", "요새", "습도", "모기", "방이", "집이"};
        bool named = false;
        for (const auto& word : words) {
            std::vector<std::string> wc;
            StringUtil::getCharactors(word, wc);
            while (!wc.empty() && syllable(wc.back()) < 0) wc.pop_back();
            if (!wc.empty() && (wc.back() == "네" || wc.back() == "다")) named = true;
            for (const auto& thing : things)
                if (word.compare(0, thing.size(), thing) == 0 &&
                    (word.size() == thing.size() || thing == "일이" || thing == "일은" || thing == "방이" ||
                     thing == "집이" || thing == "차가" ||
                     [&] {
                         const std::string rest = word.substr(thing.size());
                         for (const char* particle : {"이", "가", "은", "는", "도", "만", "까지", "좀"})
                             if (rest == particle) return true;
                         return false;
                     }()))
                    named = true;
        }
        if (!named) return Label::FALSE_LABEL;
        std::string compact = sentence;
        StringUtil::replace(compact, " ", "");
        // A pleasant wonder (날씨 왜 이렇게 좋아) is no complaint, and heat and
        // cold (왜 이렇게 추워) are agreed with by the acknowledgement of weather.
        std::vector<std::string> chars;
        StringUtil::getCharactors(compact, chars);
        while (!chars.empty() && syllable(chars.back()) < 0) chars.pop_back();
        std::string end;
        for (const auto& ch : chars) end += ch;
        for (const char* weather : {"더워", "추워", "쌀쌀해", "후덥지근해", "찜통이야"})
            if (endsWith(end, weather)) return Label::FALSE_LABEL;
        for (const char* nice : {"좋아", "시원해", "맑아", "예뻐", "이뻐", "귀여워", "따뜻해", "포근해", "재밌어",
                                 "맛있어", "잘해", "멋져", "멋있어", "착해", "부드러워", "빨라", "싸"})
            if (endsWith(end, nice) && !endsWith(end, std::string("안") + nice) && !endsWith(end, "비싸"))
                return Label::FALSE_LABEL;
        for (const char* so : {"왜이렇게", "왜케", "왤케", "왜이리", "왜그렇게", "왜저렇게"})
            if (compact.find(so) != std::string::npos) return label;
        return Label::FALSE_LABEL;
    }
    case Ending::Na:  // 언제 끝나나, 저녁은 뭘 먹어야 하나: only wondering
        return asked || label.empty() || label == Label::TRUE_LABEL ? Label::FALSE_LABEL : label;
    case Ending::None:
        break;
    }
    return Label::FALSE_LABEL;
}

// The last sentence ends in -네(요), -다, -더라, -습니다, -군(요) or -구나,
// which no question to the reader does.
bool plainlyStates(const std::string& text) {
    std::vector<std::string> chars;
    StringUtil::getCharactors(lastSentence(text), chars);
    while (!chars.empty() && syllable(chars.back()) < 0) chars.pop_back();
    if (!chars.empty() && chars.back() == "요") chars.pop_back();
    if (chars.empty()) return false;
    const std::string& last = chars.back();
    const std::string before = chars.size() >= 2 ? chars[chars.size() - 2] : "";
    return last == "네" || last == "다" || last == "군" || (last == "라" && before == "더") ||
           (last == "나" && before == "구");
}

// A word of the sender's own resolve: 나, 난, 이제, 꼭, 진짜, 이번(엔), 올해,
// -부터, 다시는, 절대.
bool resolvesOneself(const std::string& text) {
    std::vector<std::string> words;
    StringUtil::split(text, ' ', words);
    for (const auto& word : words) {
        if (word == "나" || word == "난" || word.compare(0, 6, "나는") == 0 || word.compare(0, 6, "나도") == 0)
            return true;
        for (const char* cue : {"이제", "꼭", "진짜", "이번", "올해", "부터", "다시는", "절대"})
            if (word.find(cue) != std::string::npos) return true;
    }
    return false;
}

// The kind of remark on the sender's own day the longest remark phrase of
// the message names, when it asks nothing and its last sentence states.
std::string remarkOf(const DictionaryFeature& dictionary, const std::string& text, const std::string& sentence) {
    if (text.find('?') != std::string::npos || text.find("\xef\xbc\x9f") != std::string::npos) return Label::FALSE_LABEL;
    if (!statementEnding(sentence)) return Label::FALSE_LABEL;
    std::vector<std::string> found;
    dictionary.getFeature(text, found, false, true);
    std::string label = Label::FALSE_LABEL;
    size_t longest = 0;
    for (size_t i = 0; i + 1 < found.size(); i += 2) {
        if (found[i + 1] == kAddress || found[i + 1] == kRemarkVeto) return Label::FALSE_LABEL;
        if (!isRemark(found[i + 1])) continue;
        const std::string key = TrieKeys::normalise(found[i]);
        // -야지 also urges the reader (약 먹어야지, 병원 가 봐야지): it is a
        // resolution only beside a word of the sender's own resolve.
        if (found[i + 1] == kResolve && endsWith(key, "야지") && !resolvesOneself(text)) continue;
        if (key.size() >= longest) {
            longest = key.size();
            label = found[i + 1];
        }
    }
    return label;
}

}  // namespace

KoreanMusingDetector::KoreanMusingDetector(const std::string& rulePath, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(rulePath, prebuilt)) {}

KoreanMusingDetector::~KoreanMusingDetector() = default;

std::string KoreanMusingDetector::musing(const std::string& text) const {
    const std::string sentence = lastSentence(text);
    const Ending ending = endingOf(sentence);
    // The phrases of the sentence: a word for the reader vetoes both readings,
    // FALSE the wondering and remark_FALSE the remark; else the longest
    // phrase of each reading decides.
    std::vector<std::string> found;
    dictionary->getFeature(sentence, found, false, true);
    std::string label;
    size_t longest = 0;
    bool wonderVetoed = false;
    bool self = false, other = false, why = false;
    for (size_t i = 0; i + 1 < found.size(); i += 2) {
        if (found[i + 1] == kAddress) return Label::FALSE_LABEL;
        self = self || found[i + 1] == kSelf;
        other = other || found[i + 1] == kOther;
        why = why || found[i + 1] == kWhy;
        if (found[i + 1] == kOther) continue;
        // A pleasant wonder (왜 이렇게 기분이 좋지) is no worry either.
        if (found[i + 1] == Label::FALSE_LABEL || found[i + 1] == kGlad) wonderVetoed = true;
        if (found[i + 1] == Label::FALSE_LABEL || isRemark(found[i + 1]) || found[i + 1] == kRemarkVeto) continue;
        const size_t length = TrieKeys::normalise(found[i]).size();
        if (length >= longest) {
            longest = length;
            label = found[i + 1];
        }
    }
    if (self && label == kWhy && !other) label = kSelf;
    if (other && label == kSelf) label = why ? kWhy : "";
    std::string wondered = wonderVetoed ? std::string(Label::FALSE_LABEL) : wondering(sentence, ending, label);
    // The lost or forgotten thing named after the wondering, in up to three
    // words ("어디 뒀더라 내 이어폰"): the ending is that of the words before.
    if (wondered == Label::FALSE_LABEL && !wonderVetoed && ending == Ending::None &&
        (label == kLost || label == kRecall) && sentence.find('?') == std::string::npos) {
        std::vector<std::string> words;
        StringUtil::split(sentence, ' ', words);
        for (size_t trailing = 1; trailing <= 3 && trailing < words.size(); ++trailing) {
            std::string head;
            for (size_t k = 0; k + trailing < words.size(); ++k) head += (k ? " " : "") + words[k];
            const Ending before = endingOf(head);
            if (before == Ending::Self || before == Ending::Recall) {
                wondered = wondering(head, before, label);
                break;
            }
        }
    }
    return wondered != Label::FALSE_LABEL ? wondered : remarkOf(*dictionary, text, sentence);
}

bool KoreanMusingDetector::process(Annotation& annotation) const {
    std::string label = musing(annotation.getText());
    if (label == Label::FALSE_LABEL && annotation.getNormalizedText() != annotation.getText())
        label = musing(annotation.getNormalizedText());
    // "새 폰 살까 말까" weighs whether to do it at all; when no two choices
    // could be read from it, it is weighed aloud like a plan.
    if (label == Label::FALSE_LABEL && annotation.getLabel(KoreanCategory::REPLY_ANSWER, "") != "choose_one") {
        std::string compact = annotation.getText();
        StringUtil::replace(compact, " ", "");
        if (compact.find("까말까") != std::string::npos) label = kPlan;
    }
    // A remark that already has a fitting frame (thanks, good news, an
    // apology, praise, a favour, a greeting, or worry other than a vague
    // low mood or tears alone, or a mishap that was only nearly one) is
    // left to it. A mishap of forgetting
    // (깜빡했네) reads as an apology too; with no word of apology in it
    // (미안, 죄송 veto the remark) the mishap's light reaction fits either.
    if (isRemark(label)) {
        namespace K = KoreanCategory;
        // Read as a question to the reader ("커피 쏟았어 ㅋㅋ 밥은 먹었어"),
        // it stays one unless it plainly ends in a statement (-네, -다,
        // -더라, -습니다, -군요, -구나) or says the sender feels empty
        // (사는 게 뭘까 요즘), which no answer fits.
        if (annotation.getLabel(K::REPLY_ANSWER) != Label::FALSE_LABEL && label != kDown &&
            !plainlyStates(annotation.getText()))
            label = Label::FALSE_LABEL;
        for (const char* frame : {K::REPLY_YOU_RE_WELCOME, K::REPLY_CONGRATULATION, K::REPLY_APOLOGY,
                                  K::REPLY_COMPLIMENT, K::REPLY_FAVOR, K::REPLY_GREETING, K::REPLY_WHEN})
            if (annotation.getLabel(frame) != Label::FALSE_LABEL && !(frame == K::REPLY_APOLOGY && (label == kOops || label == kClose)))
                label = Label::FALSE_LABEL;
        const std::string thanks = annotation.getLabel(K::REPLY_THANKS);
        if (thanks != Label::FALSE_LABEL && thanks != "considerate") label = Label::FALSE_LABEL;
        const std::string worry = annotation.getLabel(K::REPLY_WORRY);
        if (worry != Label::FALSE_LABEL && worry != "down" && worry != "trouble" && worry != "tears" &&
            !(worry == "oops" && label == kClose))
            label = Label::FALSE_LABEL;
    }
    annotation.addCategory(KoreanCategory::REPLY_MUSING, Classification(KoreanCategory::REPLY_MUSING, label));
    varnex_print_log(LOG_DEBUG, kTag, "Classifier : %s = %s\n", KoreanCategory::REPLY_MUSING, label.c_str());
    return true;
}

}  // namespace Varnex
