#include "conjugate.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

namespace Varnex {
namespace Conjugate {

const char* const kTypeDictionaryFile = "yes_no_type.dictionary";
const char* const kCompoundRuleFile = "yes_no_compound.rule";
const char* const kNegativeRuleFile = "yes_no_negative.rule";
const char* const kExceptionDictionaryFile = "yes_no_type_exception.dictionary";

namespace {

// ---------------------------------------------------------------------------
// UTF-8 and Hangul syllable arithmetic

std::u32string decode(const std::string& s) {
    std::u32string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else {
            cp = c & 0x07;
            extra = 3;
        }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) {
            cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        }
        out.push_back(cp);
    }
    return out;
}

std::string encode(const std::u32string& s) {
    std::string out;
    for (char32_t cp : s) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

const char32_t kSyllableBase = 0xAC00;
const char32_t kSyllableLast = 0xD7A3;

// Medial vowels.
enum Medial {
    kA = 0, kAe = 1, kYa = 2, kYae = 3, kEo = 4, kE = 5, kYeo = 6, kYe = 7, kO = 8, kWa = 9,
    kWae = 10, kOe = 11, kYo = 12, kU = 13, kWo = 14, kWe = 15, kWi = 16, kYu = 17, kEu = 18,
    kUi = 19, kI = 20
};
// Final consonants.
enum Final { kNoFinal = 0, kFinalN = 4, kFinalD = 7, kFinalL = 8, kFinalB = 17, kFinalS = 19, kFinalSS = 20, kFinalH = 27 };
// Initial consonants.
enum Initial { kInitialN = 2, kInitialL = 5, kInitialB = 7, kInitialS = 9, kInitialIeung = 11 };

struct Syllable {
    int initial;
    int medial;
    int final;
};

bool isSyllable(char32_t c) { return c >= kSyllableBase && c <= kSyllableLast; }

Syllable splitSyllable(char32_t c) {
    int index = static_cast<int>(c - kSyllableBase);
    return Syllable{index / 588, (index % 588) / 28, index % 28};
}

char32_t joinSyllable(int initial, int medial, int final) {
    return kSyllableBase + static_cast<char32_t>((initial * 21 + medial) * 28 + final);
}

char32_t withFinal(char32_t c, int final) {
    Syllable s = splitSyllable(c);
    return joinSyllable(s.initial, s.medial, final);
}

char32_t withMedial(char32_t c, int medial) {
    Syllable s = splitSyllable(c);
    return joinSyllable(s.initial, medial, s.final);
}

// 아 after stems whose last vowel is ㅏ or ㅗ (and ㅑ, ㅘ, ㅛ), 어 otherwise.
bool isBright(int medial) { return medial == kA || medial == kYa || medial == kO || medial == kWa || medial == kYo; }

char32_t vowelSyllable(bool bright) { return joinSyllable(kInitialIeung, bright ? kA : kEo, kNoFinal); }

const char32_t kEuSyllable = 0xC73C;  // 으

std::u32string U(const char* utf8) { return decode(utf8); }

// ---------------------------------------------------------------------------
// Stem transformations by class

struct Stem {
    std::u32string core;
    VerbClass cls;

    char32_t last() const { return core.back(); }
    Syllable lastSyllable() const { return splitSyllable(core.back()); }
    bool endsInVowel() const { return lastSyllable().final == kNoFinal; }
};

std::u32string infinitiveOf(const Stem& st) {
    std::u32string s = st.core;
    Syllable last = st.lastSyllable();
    switch (st.cls) {
    case VerbClass::Ha:
        s.back() = withMedial(s.back(), kAe);  // 하 → 해
        return s;
    case VerbClass::DIrregular:
        s.back() = withFinal(s.back(), kFinalL);
        s.push_back(vowelSyllable(isBright(last.medial)));
        return s;
    case VerbClass::BIrregular: {
        s.back() = withFinal(s.back(), kNoFinal);
        // Only 돕다 and 곱다 keep 아: 도와, 고와; every other ㅂ-irregular stem takes 워.
        bool takesWa = (s.size() == 1 && (st.core == U("돕") || st.core == U("곱")));
        s.push_back(takesWa ? U("와")[0] : U("워")[0]);
        return s;
    }
    case VerbClass::SIrregular:
        s.back() = withFinal(s.back(), kNoFinal);
        s.push_back(vowelSyllable(isBright(last.medial)));  // 나아, 지어: no contraction
        return s;
    case VerbClass::ReuIrregular: {
        // X르 → Xㄹ라 / Xㄹ러 by the vowel of X.
        char32_t prev = s[s.size() - 2];
        bool bright = isBright(splitSyllable(prev).medial);
        s[s.size() - 2] = withFinal(prev, kFinalL);
        s.back() = joinSyllable(kInitialL, bright ? kA : kEo, kNoFinal);
        return s;
    }
    case VerbClass::HIrregular: {
        // ㅎ drops and the vowel fuses with 어: 그렇 → 그래, 하얗 → 하얘.
        int medial = (last.medial == kYa || last.medial == kYeo) ? kYae : kAe;
        s.back() = joinSyllable(last.initial, medial, kNoFinal);
        return s;
    }
    case VerbClass::EuDrop: {
        bool bright = s.size() >= 2 && isBright(splitSyllable(s[s.size() - 2]).medial);
        s.back() = joinSyllable(last.initial, bright ? kA : kEo, kNoFinal);
        return s;
    }
    case VerbClass::Regular:
    case VerbClass::LDrop:
        break;
    }
    if (last.final != kNoFinal) {
        s.push_back(vowelSyllable(isBright(last.medial)));
        return s;
    }
    switch (last.medial) {
    case kA: case kEo: case kYeo: case kAe: case kE:
        return s;  // 가, 서, 켜, 보내, 세: the ending merges into the stem vowel
    case kO:
        s.back() = withMedial(s.back(), kWa);  // 오 → 와, 보 → 봐
        return s;
    case kU:
        s.back() = withMedial(s.back(), kWo);  // 주 → 줘, 배우 → 배워
        return s;
    case kI:
        s.back() = withMedial(s.back(), kYeo);  // 마시 → 마셔, 기다리 → 기다려
        return s;
    case kOe:
        s.back() = withMedial(s.back(), kWae);  // 되 → 돼
        return s;
    case kEu: {
        bool bright = s.size() >= 2 && isBright(splitSyllable(s[s.size() - 2]).medial);
        s.back() = joinSyllable(last.initial, bright ? kA : kEo, kNoFinal);
        return s;
    }
    default:
        s.push_back(vowelSyllable(isBright(last.medial)));  // 쉬어, 띄어
        return s;
    }
}

// The stem as it appears before an ending that begins with 으 after a
// consonant (-(으)ㄴ, -(으)ㄹ, -(으)시, -(으)ㅂ시다). `needsEu` tells whether
// 으 is kept.
struct EuForm {
    std::u32string s;
    bool needsEu;
};

EuForm euFormOf(const Stem& st) {
    std::u32string s = st.core;
    switch (st.cls) {
    case VerbClass::BIrregular:
        s.back() = withFinal(s.back(), kNoFinal);
        s.push_back(U("우")[0]);  // 추우-, 도우-
        return {s, false};
    case VerbClass::DIrregular:
        s.back() = withFinal(s.back(), kFinalL);  // 들으-
        return {s, true};
    case VerbClass::SIrregular:
        s.back() = withFinal(s.back(), kNoFinal);  // 나으-: 으 stays although the syllable is open
        return {s, true};
    case VerbClass::HIrregular:
        s.back() = withFinal(s.back(), kNoFinal);  // 그러-
        return {s, false};
    case VerbClass::LDrop:
        return {s, false};
    default:
        return {s, st.endsInVowel() ? false : true};
    }
}

// Adds a final ㄴ, ㄹ or ㅂ ending: 간/먹은/안, 갈/먹을/알, 갑시다/먹읍시다/놉시다.
std::u32string attachFinal(const Stem& st, int final) {
    EuForm f = euFormOf(st);
    std::u32string s = f.s;
    if (st.cls == VerbClass::LDrop) {
        if (final == kFinalL) {
            return s;
        }
        s.back() = withFinal(s.back(), final);
        return s;
    }
    if (f.needsEu) {
        s.push_back(withFinal(kEuSyllable, final));
        return s;
    }
    s.back() = withFinal(s.back(), final);
    return s;
}

// Adds a syllable ending of the -(으)시 kind: 가시, 읽으시, 아시, 추우시.
std::u32string attachEuSyllable(const Stem& st, const std::u32string& ending) {
    EuForm f = euFormOf(st);
    std::u32string s = f.s;
    if (st.cls == VerbClass::LDrop) {
        s.back() = withFinal(s.back(), kNoFinal);
        return s + ending;
    }
    if (f.needsEu) {
        s.push_back(kEuSyllable);
    }
    return s + ending;
}

// Adds an ending that begins with a consonant; ㄹ drops before ㄴ, ㅂ, ㅅ.
std::u32string attachConsonant(const Stem& st, const std::u32string& ending) {
    std::u32string s = st.core;
    if (st.cls == VerbClass::LDrop && !ending.empty() && isSyllable(ending[0])) {
        int initial = splitSyllable(ending[0]).initial;
        if (initial == kInitialN || initial == kInitialB || initial == kInitialS) {
            s.back() = withFinal(s.back(), kNoFinal);
        }
    }
    return s + ending;
}

std::u32string formalOf(const Stem& st) {
    if (st.cls == VerbClass::LDrop) {
        std::u32string s = st.core;
        s.back() = withFinal(s.back(), kFinalB);  // 알 → 압
        return s;
    }
    if (st.endsInVowel()) {
        std::u32string s = st.core;
        s.back() = withFinal(s.back(), kFinalB);  // 가 → 갑, 하 → 합
        return s;
    }
    return st.core + U("습");
}

std::u32string addFinal(std::u32string s, int final) {
    s.back() = withFinal(s.back(), final);
    return s;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> splitOn(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    out.push_back(cur);
    return out;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \r\n\t");
    if (b == std::string::npos) {
        return "";
    }
    size_t e = s.find_last_not_of(" \r\n\t");
    return s.substr(b, e - b + 1);
}

std::string removeSpaces(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c != ' ') {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Names

const char* verbClassName(VerbClass verbClass) {
    switch (verbClass) {
    case VerbClass::Regular: return "regular";
    case VerbClass::Ha: return "ha";
    case VerbClass::DIrregular: return "d";
    case VerbClass::BIrregular: return "b";
    case VerbClass::SIrregular: return "s";
    case VerbClass::ReuIrregular: return "reu";
    case VerbClass::HIrregular: return "h";
    case VerbClass::EuDrop: return "eu";
    case VerbClass::LDrop: return "l";
    }
    return "regular";
}

bool parseVerbClass(const std::string& name, VerbClass& verbClass) {
    static const VerbClass all[] = {VerbClass::Regular, VerbClass::Ha, VerbClass::DIrregular,
                                    VerbClass::BIrregular, VerbClass::SIrregular, VerbClass::ReuIrregular,
                                    VerbClass::HIrregular, VerbClass::EuDrop, VerbClass::LDrop};
    for (VerbClass c : all) {
        if (name == verbClassName(c)) {
            verbClass = c;
            return true;
        }
    }
    return false;
}

bool parsePartOfSpeech(const std::string& name, PartOfSpeech& pos) {
    if (name == "V") {
        pos = PartOfSpeech::Verb;
    } else if (name == "A") {
        pos = PartOfSpeech::Adjective;
    } else if (name == "E") {
        pos = PartOfSpeech::Existential;
    } else {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Conjugator

Conjugator::Conjugator(const Verb& verb) : verb_(verb) {
    std::string lemma = verb.lemma;
    size_t space = lemma.rfind(' ');
    std::string last = lemma;
    if (space != std::string::npos) {
        head_ = lemma.substr(0, space + 1);
        last = lemma.substr(space + 1);
    }
    std::u32string word = decode(last);
    if (word.size() < 2 || word.back() != U("다")[0]) {
        throw ConjugationError("not a dictionary form ending in 다: " + lemma);
    }
    word.pop_back();
    for (char32_t c : word) {
        if (!isSyllable(c)) {
            throw ConjugationError("stem is not written in Hangul syllables: " + lemma);
        }
    }
    core_ = word;
    Syllable s = splitSyllable(core_.back());
    bool ok = true;
    switch (verb.verbClass) {
    case VerbClass::Ha:
        ok = core_.back() == U("하")[0];
        break;
    case VerbClass::DIrregular:
        ok = s.final == kFinalD;
        break;
    case VerbClass::BIrregular:
        ok = s.final == kFinalB;
        break;
    case VerbClass::SIrregular:
        ok = s.final == kFinalS;
        break;
    case VerbClass::ReuIrregular:
        ok = core_.size() >= 2 && core_.back() == U("르")[0] &&
             splitSyllable(core_[core_.size() - 2]).final == kNoFinal;
        break;
    case VerbClass::HIrregular:
        ok = s.final == kFinalH && (s.medial == kA || s.medial == kEo || s.medial == kYa || s.medial == kYeo);
        break;
    case VerbClass::EuDrop:
        ok = s.medial == kEu && s.final == kNoFinal;
        break;
    case VerbClass::LDrop:
        ok = s.final == kFinalL;
        break;
    case VerbClass::Regular:
        // Stems that change must be declared with their class.
        ok = !(s.medial == kEu && s.final == kNoFinal) && s.final != kFinalL &&
             !(core_.back() == U("하")[0]);
        break;
    }
    if (!ok) {
        throw ConjugationError(std::string("stem does not fit the class ") + verbClassName(verb.verbClass) +
                               ": " + lemma);
    }
}

std::string Conjugator::stem() const { return head_ + encode(core_); }

std::string Conjugator::infinitive() const { return head_ + encode(infinitiveOf(Stem{core_, verb_.verbClass})); }

std::string Conjugator::pastStem() const {
    return head_ + encode(addFinal(infinitiveOf(Stem{core_, verb_.verbClass}), kFinalSS));
}

std::string Conjugator::futureAdnominal() const {
    return head_ + encode(attachFinal(Stem{core_, verb_.verbClass}, kFinalL));
}

std::string Conjugator::pastAdnominal() const {
    return head_ + encode(attachFinal(Stem{core_, verb_.verbClass}, kFinalN));
}

std::string Conjugator::presentAdnominal() const {
    if (verb_.pos == PartOfSpeech::Adjective) {
        return pastAdnominal();
    }
    return withEnding("는");
}

std::string Conjugator::honorificStem() const {
    if (!verb_.honorificStem.empty()) {
        return verb_.honorificStem;
    }
    return head_ + encode(attachEuSyllable(Stem{core_, verb_.verbClass}, U("시")));
}

std::string Conjugator::formalStem() const { return head_ + encode(formalOf(Stem{core_, verb_.verbClass})); }

std::string Conjugator::withEnding(const std::string& ending) const {
    return head_ + encode(attachConsonant(Stem{core_, verb_.verbClass}, decode(ending)));
}

std::string Conjugator::present(Register reg) const {
    switch (reg) {
    case Register::Plain: return infinitive();
    case Register::Polite: return infinitive() + "요";
    case Register::Formal: return formalStem() + "니다";
    }
    return "";
}

std::string Conjugator::past(Register reg) const {
    switch (reg) {
    case Register::Plain: return pastStem() + "어";
    case Register::Polite: return pastStem() + "어요";
    case Register::Formal: return pastStem() + "습니다";
    }
    return "";
}

std::string Conjugator::pastPerfect(Register reg) const {
    switch (reg) {
    case Register::Plain: return pastStem() + "었어";
    case Register::Polite: return pastStem() + "었어요";
    case Register::Formal: return pastStem() + "었습니다";
    }
    return "";
}

std::string Conjugator::future(Register reg) const {
    switch (reg) {
    case Register::Plain: return futureAdnominal() + " 거야";
    case Register::Polite: return futureAdnominal() + " 거예요";
    case Register::Formal: return futureAdnominal() + " 겁니다";
    }
    return "";
}

std::string Conjugator::progressive(Register reg) const {
    switch (reg) {
    case Register::Plain: return withEnding("고") + " 있어";
    case Register::Polite: return withEnding("고") + " 있어요";
    case Register::Formal: return withEnding("고") + " 있습니다";
    }
    return "";
}

std::string Conjugator::intent(Register reg) const {
    switch (reg) {
    case Register::Plain: return futureAdnominal() + "래";
    case Register::Polite: return futureAdnominal() + "래요";
    case Register::Formal: return withEnding("겠") + "습니다";
    }
    return "";
}

std::string Conjugator::suggest(Register reg) const {
    switch (reg) {
    case Register::Plain: return withEnding("자");
    case Register::Polite: return infinitive() + "요";
    case Register::Formal: return head_ + encode(attachFinal(Stem{core_, verb_.verbClass}, kFinalB)) + "시다";
    }
    return "";
}

std::string Conjugator::honorificPresent() const {
    std::string h = honorificStem();
    return h.substr(0, h.size() - std::string("시").size()) + "세요";
}

std::string Conjugator::honorificPast() const {
    std::string h = honorificStem();
    return h.substr(0, h.size() - std::string("시").size()) + "셨어요";
}

std::string Conjugator::question(Register reg) const {
    if (reg == Register::Formal) {
        return formalStem() + "니까?";
    }
    return present(reg) + "?";
}

std::string Conjugator::pastQuestion(Register reg) const {
    if (reg == Register::Formal) {
        return pastStem() + "습니까?";
    }
    return past(reg) + "?";
}

std::string Conjugator::futureQuestion(Register reg) const {
    if (reg == Register::Formal) {
        return futureAdnominal() + " 겁니까?";
    }
    return future(reg) + "?";
}

// ---------------------------------------------------------------------------
// Kinds

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Present: return "present";
    case Kind::Past: return "past";
    case Kind::PastPerfect: return "past_perfect";
    case Kind::Future: return "future";
    case Kind::Intent: return "intent";
    case Kind::Suggest: return "suggest";
    case Kind::Progressive: return "progressive";
    case Kind::Ability: return "ability";
    case Kind::Experience: return "experience";
    case Kind::Request: return "request";
    case Kind::Want: return "want";
    }
    return "";
}

const char* kindType(Kind kind) {
    switch (kind) {
    case Kind::Suggest: return "suggest";
    case Kind::Request: return "command";
    default: return "question";
    }
}

const char* kindTime(Kind kind) {
    switch (kind) {
    case Kind::Present: return "present";
    case Kind::Past: return "past";
    case Kind::PastPerfect: return "past_perfect";
    case Kind::Future: return "future";
    case Kind::Intent: return "future";
    case Kind::Suggest: return "future";
    case Kind::Progressive: return "present_progressive";
    case Kind::Ability: return "present";
    case Kind::Experience: return "past";
    case Kind::Request: return "present";
    case Kind::Want: return "present";
    }
    return "";
}

// ---------------------------------------------------------------------------
// Verb list

namespace {

// Parts of an entry: the word(s) in front of the conjugated verb and the
// verb itself. A separable compound (공부하다) keeps its noun apart so that
// negation goes between them (공부 안 해); a multi-word lemma keeps its
// leading words (마음에 들다 → 마음에 안 들어).
struct Split {
    std::string head;   // "공부" or "마음에 " or ""
    bool separable = false;
    Verb core;
};

Split splitEntry(const VerbEntry& e) {
    Split sp;
    sp.core = e.verb;
    sp.core.honorificStem.clear();
    const std::string& lemma = e.verb.lemma;
    size_t space = lemma.rfind(' ');
    if (space != std::string::npos) {
        sp.head = lemma.substr(0, space + 1);
        sp.core.lemma = lemma.substr(space + 1);
        return sp;
    }
    if (e.has("sep")) {
        std::u32string w = decode(lemma);
        if (w.size() >= 4) {
            sp.head = encode(w.substr(0, w.size() - 2));
            sp.core.lemma = encode(w.substr(w.size() - 2));
            sp.separable = true;
        }
    }
    return sp;
}

// The affirmative form of a kind for one conjugated verb, without head.
std::string kindForm(const Conjugator& c, Kind kind, Register reg) {
    switch (kind) {
    case Kind::Present: return c.present(reg);
    case Kind::Past: return c.past(reg);
    case Kind::PastPerfect: return c.pastPerfect(reg);
    case Kind::Future: return c.future(reg);
    case Kind::Intent: return reg == Register::Formal ? c.future(reg) : c.intent(reg);
    case Kind::Suggest: return reg == Register::Plain ? c.suggest(reg) : c.present(Register::Polite);
    case Kind::Progressive: return c.progressive(reg);
    case Kind::Ability:
        return c.futureAdnominal() +
               (reg == Register::Plain ? " 수 있어" : reg == Register::Polite ? " 수 있어요" : " 수 있습니다");
    case Kind::Experience:
        return c.infinitive() + (reg == Register::Plain ? "봤어" : reg == Register::Polite ? "봤어요" : "봤습니다");
    case Kind::Request:
        return c.infinitive() +
               (reg == Register::Plain ? "줄게" : reg == Register::Polite ? "드릴게요" : "드리겠습니다");
    case Kind::Want:
        return c.withEnding("고") +
               (reg == Register::Plain ? " 싶어" : reg == Register::Polite ? " 싶어요" : " 싶습니다");
    }
    return "";
}

// Joins a head and a form: 공부 + 했어 → 공부했어; 마음에 + 들어 → 마음에 들어.
std::string joinHead(const std::string& head, const std::string& form) { return head + form; }

// Joins a head, a negation word and a form: 공부 안 했어, 마음에 안 들어, 안 먹었어.
std::string joinNegated(const std::string& head, const std::string& word, const std::string& form) {
    if (head.empty()) {
        return word + " " + form;
    }
    if (head.back() == ' ') {
        return head + word + " " + form;
    }
    return head + " " + word + " " + form;
}

}  // namespace

bool VerbList::load(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (trim(line).empty()) {
            continue;
        }
        if (!parseLine(line, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

bool VerbList::parseLine(const std::string& line, std::string& error) {
    std::vector<std::string> f = splitOn(line, '\t');
    if (f.size() != 4) {
        error = "expected 4 tab-separated fields";
        return false;
    }
    VerbEntry e;
    e.verb.lemma = f[0];
    if (!parseVerbClass(f[1], e.verb.verbClass)) {
        error = "unknown class " + f[1];
        return false;
    }
    if (!parsePartOfSpeech(f[2], e.verb.pos)) {
        error = "unknown part of speech " + f[2];
        return false;
    }
    if (f[3] != "-") {
        for (const std::string& flag : splitOn(f[3], ',')) {
            if (startsWith(flag, "hon=")) {
                e.verb.honorificStem = flag.substr(4);
            } else if (startsWith(flag, "ant=")) {
                e.antonym = flag.substr(4);
            } else if (startsWith(flag, "self=")) {
                e.selfLemma = flag.substr(5);
            } else if (flag == "state") {
                for (const char* s : {"noint", "nosug", "noprog", "noabl", "noexp", "noreq", "nowant"}) {
                    e.flags.insert(s);
                }
            } else if (!flag.empty()) {
                static const std::set<std::string> known = {"noyn",   "sep",   "nosug",  "noint", "noprog",
                                                            "noabl",  "noexp", "noreq",  "nowant", "c",
                                                            "csimple", "noc",   "nokka", "later"};
                if (!known.count(flag)) {
                    error = "unknown flag " + flag;
                    return false;
                }
                e.flags.insert(flag);
            }
        }
    }
    try {
        Conjugator check(e.verb);
        Split sp = splitEntry(e);
        Conjugator core(sp.core);
    } catch (const ConjugationError& ex) {
        error = ex.what();
        return false;
    }
    if (find(e.verb.lemma) != nullptr) {
        error = "duplicate lemma " + e.verb.lemma;
        return false;
    }
    entries_.push_back(e);
    return true;
}

const VerbEntry* VerbList::find(const std::string& lemma) const {
    for (const VerbEntry& e : entries_) {
        if (e.verb.lemma == lemma) {
            return &e;
        }
    }
    return nullptr;
}

std::vector<Kind> VerbList::kinds(const VerbEntry& e) const {
    std::vector<Kind> out;
    if (e.has("noyn")) {
        return out;
    }
    out.push_back(Kind::Present);
    out.push_back(Kind::Past);
    out.push_back(Kind::PastPerfect);
    out.push_back(Kind::Future);
    if (e.verb.pos != PartOfSpeech::Verb) {
        return out;
    }
    if (!e.has("noint")) out.push_back(Kind::Intent);
    if (!e.has("nosug") && !e.has("nokka")) out.push_back(Kind::Suggest);
    if (!e.has("noprog")) out.push_back(Kind::Progressive);
    if (!e.has("noabl")) out.push_back(Kind::Ability);
    if (!e.has("noexp")) out.push_back(Kind::Experience);
    if (!e.has("noreq")) out.push_back(Kind::Request);
    if (!e.has("nowant")) out.push_back(Kind::Want);
    return out;
}

// Asked whether one will come, can come, would come or wants to come to the
// asker (올래?, 올 수 있어?, 와 줄래?, 오고 싶어?, 가져올래?), one answers that
// one goes there: the verb in -오다 becomes its twin in -가다 (갈게, 갈 수
// 있어, 가져갈게), when the list has it. Only these kinds: they ask about the
// reader's own coming, while 와?, 왔어? and 올 거야? are as often about a third
// person or a thing (버스 와?, 택배 왔어?), answered with 오다 as asked.
const VerbEntry* VerbList::towardAsker(const VerbEntry& e, Kind kind) const {
    if (kind != Kind::Intent && kind != Kind::Ability && kind != Kind::Request && kind != Kind::Want) {
        return nullptr;
    }
    static const std::string come = "오다";
    const std::string& lemma = e.verb.lemma;
    if (lemma.size() < come.size() || lemma.compare(lemma.size() - come.size(), come.size(), come) != 0) {
        return nullptr;
    }
    return find(lemma.substr(0, lemma.size() - come.size()) + "가다");
}

namespace {

// The promise to go, for the twin of a verb in -오다: 갈게, 갈게요, 가겠습니다.
std::string promiseForm(const VerbEntry& e, Register reg) {
    Split sp = splitEntry(e);
    Conjugator c(sp.core);
    return joinHead(sp.head, reg == Register::Plain    ? c.futureAdnominal() + "게"
                             : reg == Register::Polite ? c.futureAdnominal() + "게요"
                                                       : c.withEnding("겠습니다"));
}

}  // namespace

std::string VerbList::affirm(const VerbEntry& e, Kind kind, Register reg) const {
    if (const VerbEntry* self = e.selfLemma.empty() ? nullptr : find(e.selfLemma)) return affirm(*self, kind, reg);
    if (const VerbEntry* twin = towardAsker(e, kind)) {
        // 올래? and 와 줄래? invite: one promises to go (갈게, not 갈래 or the
        // grudging-sounding 와 줄게).
        if (kind == Kind::Intent || kind == Kind::Request) return promiseForm(*twin, reg);
        return affirm(*twin, kind, reg);
    }
    Split sp = splitEntry(e);
    Conjugator c(sp.core);
    return joinHead(sp.head, kindForm(c, kind, reg));
}

std::string VerbList::deny(const VerbEntry& e, Kind kind, Register reg) const {
    if (const VerbEntry* self = e.selfLemma.empty() ? nullptr : find(e.selfLemma)) return deny(*self, kind, reg);
    if (kind == Kind::Request) {
        // A request or favour is declined politely and without the verb:
        // never with a bare 싫어.
        return reg == Register::Plain    ? "미안 지금은 좀 어려워"
               : reg == Register::Polite ? "죄송해요 지금은 좀 어려울 것 같아요"
                                         : "죄송합니다만 지금은 어렵겠습니다";
    }
    if (kind == Kind::Suggest) {
        // An outing or an activity together is put off, not refused (다음에
        // 가자, 다음에 만나요); other suggestions (창문 열까?, 택시 탈까?) are
        // declined without the verb by the engine.
        return e.has("later") ? "다음에 " + affirm(e, kind, reg) : "";
    }
    if (const VerbEntry* twin = towardAsker(e, kind)) {
        if (kind != Kind::Intent) return deny(*twin, kind, reg);
        // Declining an invitation to come: 못 갈 것 같아, not 안 올래.
        Split sp = splitEntry(*twin);
        Conjugator c(sp.core);
        return joinNegated(sp.head, "못", c.futureAdnominal() + (reg == Register::Plain    ? " 것 같아"
                                                                  : reg == Register::Polite ? " 것 같아요"
                                                                                            : " 것 같습니다"));
    }
    if (e.antonym == "-") {
        return "";
    }
    if (!e.antonym.empty()) {
        // 있어 → 없어, 알아 → 몰라, 맛있어 → 맛없어. A progressive "알고 있어?"
        // is denied in the present: 몰라.
        Kind k = kind == Kind::Progressive ? Kind::Present : kind;
        const VerbEntry* ant = find(e.antonym);
        VerbEntry tmp;
        if (ant == nullptr) {
            // A multi-word antonym ("필요 없다") conjugates its last word as
            // listed.
            size_t space = e.antonym.rfind(' ');
            const VerbEntry* lastWord = space == std::string::npos ? nullptr : find(e.antonym.substr(space + 1));
            if (lastWord == nullptr) {
                return "";
            }
            tmp = *lastWord;
            tmp.verb.lemma = e.antonym;
            tmp.flags.erase("sep");
            ant = &tmp;
        }
        Split sp = splitEntry(*ant);
        Conjugator c(sp.core);
        return joinHead(sp.head, kindForm(c, k, reg));
    }
    Split sp = splitEntry(e);
    Conjugator c(sp.core);
    if (kind == Kind::Ability) {
        // 갈 수 있어? → 못 가; 공부할 수 있어? → 공부 못 해.
        return joinNegated(sp.head, "못", c.present(reg));
    }
    std::string form = kindForm(c, kind, reg);
    if (sp.separable || !sp.head.empty()) {
        return joinNegated(sp.head, "안", form);
    }
    return "안 " + form;
}

AnswerPair VerbList::answers(const VerbEntry& e, Kind kind, Register reg) const {
    return AnswerPair{affirm(e, kind, reg), deny(e, kind, reg)};
}

Replies VerbList::replies(const VerbEntry& e, Kind kind, Register reg) const {
    AnswerPair a = answers(e, kind, reg);
    Replies r;
    const char* yesWord;
    const char* noWord;
    if (kind == Kind::Suggest || kind == Kind::Request) {
        yesWord = reg == Register::Plain ? "그래" : reg == Register::Polite ? "네" : "예";
        noWord = reg == Register::Plain ? "아니, 됐어" : "아니요, 괜찮아요";
    } else {
        yesWord = reg == Register::Plain ? "응" : reg == Register::Polite ? "네" : "예";
        noWord = reg == Register::Plain ? "아니" : "아니요";
    }
    r.yes = std::string(yesWord) + ", " + a.yes;
    r.no = a.no.empty() ? std::string(noWord) : std::string(noWord) + ", " + a.no;
    r.notSure = reg == Register::Plain ? "글쎄" : "글쎄요";
    if (kind == Kind::Request) {
        // The decline stands alone, and a hesitant 글쎄 to a favour asked
        // sounds like an unwilling no.
        r.no = a.no;
        r.notSure.clear();
    }
    if (kind == Kind::Suggest && !a.no.empty()) r.no = a.no;  // 다음에 가자 stands alone
    return r;
}

// ---------------------------------------------------------------------------
// Resource generation

namespace {

const int kPoliteCells = 21;  // columns 3-23
const int kPlainCells = 15;   // columns 25-39

// One surface form of a row: the text as typed (without spaces) and whether
// it must be followed by the question mark.
struct Form {
    std::string text;      // 먹었어 (no spaces)
    bool needsMark;        // stored as "먹었어?" when true, "먹었어" (boundary) when false
    bool compoundOnly = false;

    std::string key() const { return needsMark ? text + "?" : text + "/"; }
    std::string cell() const { return (compoundOnly ? "C" : "") + (needsMark ? text + "?" : text); }
};

// One slot: a cell of the row, holding one ending with its variants.
struct Slot {
    std::vector<Form> forms;
};

struct Row {
    std::string verb;
    Kind kind;
    bool formal;
    std::vector<Slot> polite;  // group 1
    std::vector<Slot> plain;   // group 2
    AnswerPair politeAnswers;
    AnswerPair casualAnswers;
    std::string politeNotSure = "글쎄요";
    std::string casualNotSure = "글쎄";
};

Form Q(const std::string& s) { return Form{removeSpaces(s), true}; }
Form B(const std::string& s) { return Form{removeSpaces(s), false}; }
// A form that counts only with a compound word in front, whatever its length.
Form C(Form f) {
    f.compoundOnly = true;
    return f;
}

Slot slot(std::initializer_list<Form> forms) { return Slot{std::vector<Form>(forms)}; }

int syllableCount(const std::string& s) {
    int n = 0;
    for (char32_t c : decode(s)) {
        if (isSyllable(c)) {
            ++n;
        }
    }
    return n;
}

std::string answerList(const AnswerPair& a) {
    if (a.no.empty()) {
        return a.yes;
    }
    return a.yes + "," + a.no;
}

class Generator {
public:
    Generator(const VerbList& list) : list_(list) {}

    bool run(const std::string& dir, ResourceSet& out, std::string& error);

private:
    void buildRows(const VerbEntry& e, std::vector<Row>& out, bool full);
    void markCompoundOnly(const VerbEntry& e, Row& row, bool full);
    std::set<std::string> compoundWords(const std::string& verb) const;
    void vetoCaughtTails(const std::vector<const VerbEntry*>& entries);
    void dropSharedForms(std::vector<std::string>& notes);
    bool readCompounds(const std::string& path, std::string& error);
    bool readAdverbs(const std::string& path, std::string& error);
    bool readVetoes(const std::string& path, std::string& error);
    bool readExceptions(const std::string& path, std::string& error);
    std::string typeDictionaryText() const;
    std::string compoundText() const;
    std::string negativeText(std::vector<std::string>& notes) const;
    std::string exceptionText() const;

    const VerbList& list_;
    std::vector<Row> rows_;
    std::set<std::string> compoundOnlyVerbs_;
    std::vector<std::string> genericCompounds_;
    std::map<std::string, std::vector<std::string>> compounds_;  // verb → marked words, in order
    std::set<std::string> vetoes_;
    std::set<std::string> leftToShorter_;  // keys left out so that a shorter key reads them
    std::vector<std::string> exceptionLines_;  // generated, then hand-written
};

// Rows of one entry. With `full`, every kind its part of speech allows is
// built, also those the entry's flags leave out (used to find forms that
// another verb's key would wrongly catch).
void Generator::buildRows(const VerbEntry& given, std::vector<Row>& out, bool full) {
    VerbEntry e = given;
    if (full) {
        for (const char* f : {"noint", "nosug", "noprog", "noabl", "noexp", "noreq", "nowant", "nokka", "noyn"}) {
            e.flags.erase(f);
        }
    }
    Split sp = splitEntry(e);
    Conjugator c(sp.core);
    const std::string& h = sp.head;
    const bool verb = e.verb.pos == PartOfSpeech::Verb;
    const bool adjective = e.verb.pos == PartOfSpeech::Adjective;
    const bool ldrop = e.verb.verbClass == VerbClass::LDrop;
    const bool hdrop = e.verb.verbClass == VerbClass::HIrregular;
    // Honorific stem of the whole lemma (드시, 공부하시, 말씀하시).
    std::string hon = e.verb.honorificStem.empty() ? h + c.honorificStem() : e.verb.honorificStem;
    std::string honBase = hon.substr(0, hon.size() - std::string("시").size());
    std::string honPresent = honBase + "세요";           // 가세요
    std::string honPast = honBase + "셨";                // 가셨
    std::string honFormal = honBase + "십";              // 가십
    std::string honFuture = honBase + "실";              // 가실
    std::string inf = h + c.infinitive();                // 먹어
    std::string past = h + c.pastStem();                 // 먹었
    std::string fut = h + c.futureAdnominal();           // 먹을
    std::string pastAdn = h + c.pastAdnominal();         // 먹은
    std::string presAdn = h + c.presentAdnominal();      // 먹는 / 추운
    std::string formal = h + c.formalStem();             // 먹습
    auto ending = [&](const std::string& s) { return h + c.withEnding(s); };
    // The repeated verb of an A-not-A question (먹어 안 먹어?) without its noun.
    std::string coreInf = c.infinitive();
    std::string corePast = c.pastStem();
    std::string coreFut = c.futureAdnominal();
    // "먹어 안 먹어?"; a verb answered by its antonym repeats that instead:
    // "있어 없어?", "알아 몰라?".
    auto aNotA = [&](Kind kind, Register reg, const std::string& negated) {
        if (e.antonym.empty()) {
            return Q(negated);
        }
        AnswerPair a = list_.answers(e, kind, reg);
        return Q(a.no.empty() ? a.yes : a.yes + a.no);
    };

    for (Kind kind : list_.kinds(e)) {
        Row row;
        row.verb = e.verb.lemma;
        row.kind = kind;
        row.formal = false;
        Row formalRow;
        formalRow.verb = e.verb.lemma;
        formalRow.kind = kind;
        formalRow.formal = true;
        bool conjecture = kind == Kind::Future && (!verb || e.has("nosug")) && !e.has("nokka");
        switch (kind) {
        case Kind::Present:
            row.plain.push_back(slot({Q(inf), aNotA(Kind::Present, Register::Plain, inf + "안" + coreInf)}));
            if (!ldrop && !hdrop) row.plain.push_back(slot({Q(ending("니"))}));
            if (!ldrop) row.plain.push_back(slot({B(ending("냐"))}));
            row.plain.push_back(slot({Q(ending("지"))}));
            row.plain.push_back(slot({Q(presAdn + "거야"), Q(presAdn + "거니")}));
            row.polite.push_back(slot({Q(inf + "요"), aNotA(Kind::Present, Register::Polite, inf + "요안" + coreInf + "요")}));
            row.polite.push_back(slot({Q(honPresent)}));
            if (adjective) {
                row.polite.push_back(slot({B(pastAdn + "가요")}));
                row.polite.push_back(slot({B(honBase + "신가요")}));
            } else {
                row.polite.push_back(slot({B(ending("나요"))}));
                row.polite.push_back(slot({B(hon + "나요")}));
            }
            row.polite.push_back(slot({Q(ending("죠"))}));
            row.polite.push_back(slot({Q(hon + "죠")}));
            row.polite.push_back(slot({Q(presAdn + "거예요"), Q(presAdn + "거에요")}));
            formalRow.polite.push_back(slot({B(formal + "니까")}));
            formalRow.polite.push_back(slot({B(honFormal + "니까")}));
            break;
        case Kind::Past:
            row.plain.push_back(slot({Q(past + "어"), aNotA(Kind::Past, Register::Plain, past + "어안" + corePast + "어")}));
            row.plain.push_back(slot({Q(past + "니")}));
            row.plain.push_back(slot({B(past + "냐")}));
            row.plain.push_back(slot({Q(past + "지")}));
            if (verb) row.plain.push_back(slot({Q(pastAdn + "거야"), Q(pastAdn + "거니")}));
            row.polite.push_back(slot({Q(past + "어요")}));
            row.polite.push_back(slot({Q(honPast + "어요")}));
            row.polite.push_back(slot({B(past + "나요")}));
            row.polite.push_back(slot({B(honPast + "나요")}));
            row.polite.push_back(slot({Q(past + "죠")}));
            row.polite.push_back(slot({Q(honPast + "죠")}));
            if (verb) row.polite.push_back(slot({Q(pastAdn + "거예요"), Q(pastAdn + "거에요")}));
            formalRow.polite.push_back(slot({B(past + "습니까")}));
            formalRow.polite.push_back(slot({B(honPast + "습니까")}));
            break;
        case Kind::PastPerfect:
            row.plain.push_back(slot({Q(past + "었어")}));
            row.polite.push_back(slot({Q(past + "었어요")}));
            row.polite.push_back(slot({Q(honPast + "었어요")}));
            break;
        case Kind::Future:
            row.plain.push_back(slot({Q(fut + "거야"), Q(fut + "꺼야"), aNotA(Kind::Future, Register::Plain, fut + "거야안" + coreFut + "거야")}));
            if (verb) row.plain.back().forms.push_back(Q(fut + "거야말거야"));
            row.plain.push_back(slot({Q(fut + "거니")}));
            row.plain.push_back(slot({B(fut + "거냐")}));
            row.plain.push_back(slot({Q(fut + "거지")}));
            if (conjecture) row.plain.push_back(slot({B(fut + "까")}));
            row.polite.push_back(slot({Q(fut + "거예요"), Q(fut + "거에요"), Q(fut + "꺼예요"), Q(fut + "꺼에요")}));
            row.polite.push_back(slot({Q(honFuture + "거예요"), Q(honFuture + "거에요")}));
            row.polite.push_back(slot({B(fut + "건가요")}));
            row.polite.push_back(slot({B(honFuture + "건가요")}));
            row.polite.push_back(slot({Q(fut + "거죠")}));
            row.polite.push_back(slot({Q(honFuture + "거죠")}));
            if (conjecture) row.polite.push_back(slot({B(fut + "까요")}));
            formalRow.polite.push_back(slot({B(fut + "겁니까")}));
            formalRow.polite.push_back(slot({B(honFuture + "겁니까")}));
            break;
        case Kind::Intent:
            row.plain.push_back(slot({Q(fut + "래"), Q(fut + "래안" + coreFut + "래"), Q(fut + "래말래")}));
            row.polite.push_back(slot({Q(fut + "래요")}));
            row.polite.push_back(slot({Q(honFuture + "래요")}));
            break;
        case Kind::Suggest:
            row.plain.push_back(slot({B(fut + "까")}));
            row.polite.push_back(slot({B(fut + "까요")}));
            row.polite.push_back(slot({B(honFuture + "까요")}));
            break;
        case Kind::Progressive:
            row.plain.push_back(slot({Q(ending("고") + "있어")}));
            row.plain.push_back(slot({Q(ending("고") + "있니")}));
            row.plain.push_back(slot({B(ending("고") + "있냐")}));
            row.plain.push_back(slot({Q(presAdn + "중이야"), Q(presAdn + "중이니")}));
            row.polite.push_back(slot({Q(ending("고") + "있어요")}));
            row.polite.push_back(slot({Q(ending("고") + "계세요")}));
            row.polite.push_back(slot({B(ending("고") + "있나요")}));
            row.polite.push_back(slot({B(ending("고") + "계신가요")}));
            row.polite.push_back(slot({Q(presAdn + "중이에요"), Q(presAdn + "중이세요")}));
            formalRow.polite.push_back(slot({B(ending("고") + "있습니까")}));
            formalRow.polite.push_back(slot({B(ending("고") + "계십니까")}));
            break;
        case Kind::Ability:
            row.plain.push_back(slot({Q(fut + "수있어")}));
            row.plain.push_back(slot({Q(fut + "수있니")}));
            row.plain.push_back(slot({B(fut + "수있냐")}));
            row.plain.push_back(slot({Q(fut + "수있지")}));
            row.polite.push_back(slot({Q(fut + "수있어요")}));
            row.polite.push_back(slot({Q(honFuture + "수있어요")}));
            row.polite.push_back(slot({B(fut + "수있나요")}));
            row.polite.push_back(slot({B(honFuture + "수있나요")}));
            row.polite.push_back(slot({Q(honFuture + "수있으세요")}));
            formalRow.polite.push_back(slot({B(fut + "수있습니까")}));
            formalRow.polite.push_back(slot({B(honFuture + "수있습니까")}));
            formalRow.polite.push_back(slot({B(honFuture + "수있으십니까")}));
            formalRow.polite.push_back(slot({B(fut + "수있겠습니까"), B(honFuture + "수있겠습니까")}));
            break;
        case Kind::Experience:
            row.plain.push_back(slot({Q(inf + "봤어")}));
            row.plain.push_back(slot({Q(inf + "봤니")}));
            row.plain.push_back(slot({Q(inf + "본적있어")}));
            row.polite.push_back(slot({Q(inf + "봤어요")}));
            row.polite.push_back(slot({Q(inf + "보셨어요")}));
            row.polite.push_back(slot({B(inf + "봤나요")}));
            row.polite.push_back(slot({Q(inf + "본적있어요")}));
            row.polite.push_back(slot({Q(inf + "보신적있어요")}));
            formalRow.polite.push_back(slot({B(inf + "보셨습니까")}));
            formalRow.polite.push_back(slot({B(inf + "본적있습니까")}));
            break;
        case Kind::Request:
            row.plain.push_back(slot({Q(inf + "줄래")}));
            row.plain.push_back(slot({Q(inf + "줄수있어")}));
            row.plain.push_back(slot({Q(inf + "줄수있니")}));
            row.plain.push_back(slot({Q(inf + "줄수있을까")}));
            // 닫아 줘? asks a favour after 좀 (창문 좀 닫아 줘?) but offers
            // one on its own (도와줘?): it counts only with a word in front.
            row.plain.push_back(slot({C(Q(inf + "줘"))}));
            row.polite.push_back(slot({Q(inf + "줄래요")}));
            row.polite.push_back(slot({Q(inf + "주실래요")}));
            row.polite.push_back(slot({Q(inf + "줄수있어요")}));
            row.polite.push_back(slot({Q(inf + "주실수있어요")}));
            row.polite.push_back(slot({B(inf + "주실수있나요")}));
            row.polite.push_back(slot({Q(inf + "주시겠어요")}));
            row.polite.push_back(slot({Q(inf + "주세요")}));
            row.polite.push_back(slot({Q(inf + "주실수있으세요")}));
            row.polite.push_back(slot({Q(inf + "줄수있을까요"), Q(inf + "주실수있을까요")}));
            formalRow.polite.push_back(slot({B(inf + "주시겠습니까")}));
            formalRow.polite.push_back(slot({B(inf + "주실수있습니까")}));
            formalRow.polite.push_back(slot({B(inf + "주실수있겠습니까")}));
            break;
        case Kind::Want:
            row.plain.push_back(slot({Q(ending("고") + "싶어")}));
            row.plain.push_back(slot({Q(ending("고") + "싶니")}));
            row.plain.push_back(slot({B(ending("고") + "싶냐")}));
            row.plain.push_back(slot({Q(ending("고") + "싶지")}));
            row.polite.push_back(slot({Q(ending("고") + "싶어요")}));
            row.polite.push_back(slot({Q(ending("고") + "싶으세요")}));
            row.polite.push_back(slot({B(ending("고") + "싶은가요")}));
            formalRow.polite.push_back(slot({B(ending("고") + "싶습니까")}));
            formalRow.polite.push_back(slot({B(ending("고") + "싶으십니까")}));
            break;
        }
        row.politeAnswers = list_.answers(e, kind, Register::Polite);
        row.casualAnswers = list_.answers(e, kind, Register::Plain);
        if (kind == Kind::Request) {
            // No hesitant 글쎄 to a favour asked (see VerbList::replies).
            row.politeNotSure.clear();
            row.casualNotSure.clear();
        }
        markCompoundOnly(e, row, full);
        out.push_back(row);
        if (!formalRow.polite.empty()) {
            formalRow.politeAnswers = list_.answers(e, kind, Register::Formal);
            formalRow.casualAnswers = row.casualAnswers;
            formalRow.politeNotSure = row.politeNotSure;
            formalRow.casualNotSure = row.casualNotSure;
            markCompoundOnly(e, formalRow, full);
            out.push_back(formalRow);
        }
    }
}

// Short forms that also end many other words (가? in 누가?, 자요? in 여자요?)
// count only with a compound word in front of them.
void Generator::markCompoundOnly(const VerbEntry& e, Row& row, bool full) {
    Split sp = splitEntry(e);
    std::u32string core = decode(Conjugator(sp.core).stem());
    bool openOneSyllableStem = sp.head.empty() && core.size() == 1 && splitSyllable(core[0]).final == kNoFinal;
    bool simpleKind = row.kind == Kind::Present || row.kind == Kind::Past || row.kind == Kind::PastPerfect ||
                      row.kind == Kind::Future || row.kind == Kind::Suggest;
    bool any = false;
    for (std::vector<Slot>* group : {&row.polite, &row.plain}) {
        for (Slot& s : *group) {
            for (Form& f : s.forms) {
                bool c = false;
                if (e.has("c")) {
                    c = true;
                } else if (e.has("csimple") && simpleKind) {
                    c = true;
                } else if (!e.has("noc")) {
                    std::u32string t = decode(f.text);
                    int n = syllableCount(f.text);
                    c = n == 1 || (n == 2 && openOneSyllableStem && t[0] == core[0]);
                }
                f.compoundOnly = f.compoundOnly || c;
                any = any || f.compoundOnly;
            }
        }
    }
    if (any && !full) {
        compoundOnlyVerbs_.insert(e.verb.lemma);
    }
}

// A key that two rows with different answers would both claim is dropped
// from all of them: the table cannot tell which verb was meant (사세요? is
// both 사다 and 살다).
void Generator::dropSharedForms(std::vector<std::string>& notes) {
    struct Claim {
        std::string signature;
        std::string verb;
    };
    std::map<std::string, std::vector<Claim>> claims;
    std::map<std::string, int> firstRow;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& r = rows_[i];
        std::string signature = r.verb + "|" + kindType(r.kind) + "|" + kindTime(r.kind) + "|" +
                                answerList(r.politeAnswers) + "|" + answerList(r.casualAnswers);
        for (const std::vector<Slot>* group : {&r.polite, &r.plain}) {
            for (const Slot& s : *group) {
                for (const Form& f : s.forms) {
                    claims[f.key()].push_back(Claim{signature, r.verb});
                    firstRow.emplace(f.key(), static_cast<int>(i));
                }
            }
        }
    }
    std::set<std::string> ambiguous;
    // With the spaces of a message skipped, 너도 와? reads as 도와? and 먹고
    // 와? as 고와?: a form that is the particle 도 or the ending -고 followed
    // by a form of 오다 or 가다 is left out.
    std::set<std::string> comeGo;
    for (const Row& r : rows_) {
        if ((r.verb != "오다" && r.verb != "가다") ||
            !(r.kind == Kind::Present || r.kind == Kind::Past || r.kind == Kind::PastPerfect ||
              r.kind == Kind::Future || r.kind == Kind::Intent)) {
            continue;
        }
        for (const std::vector<Slot>* group : {&r.polite, &r.plain}) {
            for (const Slot& s : *group) {
                for (const Form& f : s.forms) {
                    comeGo.insert(f.key());
                }
            }
        }
    }
    for (const auto& kv : claims) {
        for (const char* particle : {"도", "고"}) {
            if (startsWith(kv.first, particle) && comeGo.count(kv.first.substr(std::string(particle).size())) &&
                !comeGo.count(kv.first)) {
                ambiguous.insert(kv.first);
                leftToShorter_.insert(kv.first);
            }
        }
    }
    for (const auto& kv : claims) {
        for (const Claim& c : kv.second) {
            if (c.signature != kv.second.front().signature) {
                ambiguous.insert(kv.first);
                break;
            }
        }
        if (vetoes_.count(kv.first.substr(0, kv.first.size() - (kv.first.back() == '/' ? 1 : 0)))) {
            ambiguous.insert(kv.first);
        }
    }
    for (const std::string& key : ambiguous) {
        std::set<std::string> verbs;
        for (const Claim& c : claims[key]) {
            verbs.insert(c.verb);
        }
        std::string names;
        for (const std::string& v : verbs) {
            names += (names.empty() ? "" : " ") + v;
        }
        notes.push_back("left out " + key + " (" + names + ")");
    }
    // Remove ambiguous keys everywhere and repeated keys after their first row.
    std::set<std::string> seen;
    for (size_t i = 0; i < rows_.size(); ++i) {
        for (std::vector<Slot>* group : {&rows_[i].polite, &rows_[i].plain}) {
            for (Slot& s : *group) {
                std::vector<Form> kept;
                for (const Form& f : s.forms) {
                    std::string key = f.key();
                    // 안 거야? (알다) reads as a negation word.
                    const std::string& lemma = rows_[i].verb;
                    bool negationWord = (startsWith(f.text, "안") && !startsWith(lemma, "안")) ||
                                        (startsWith(f.text, "못") && !startsWith(lemma, "못"));
                    if (ambiguous.count(key) || firstRow[key] != static_cast<int>(i) || seen.count(key) ||
                        negationWord) {
                        continue;
                    }
                    seen.insert(key);
                    kept.push_back(f);
                }
                s.forms = kept;
            }
        }
    }
}

// Words that the compound dictionary of `verb` will hold, without markers.
std::set<std::string> Generator::compoundWords(const std::string& verb) const {
    std::set<std::string> out = {"안", "못"};
    auto add = [&out](const std::string& w) {
        std::string body = (w[0] == 'C' || w[0] == 'D' || w[0] == 'N') ? w.substr(1) : w;
        if (!body.empty() && (body[0] == '/' || body[0] == '~')) {
            body = body.substr(1);
        }
        out.insert(body);
    };
    auto it = compounds_.find(verb);
    if (it != compounds_.end()) {
        for (const std::string& w : it->second) add(w);
    }
    if (compoundOnlyVerbs_.count(verb)) {
        for (const std::string& w : genericCompounds_) add(w);
    }
    return out;
}

// A form that the table leaves out for a verb (헤어질까, 결혼할래?) can still
// end in another verb's key (질까 of 지다, 할래? of 하다), which would then
// answer with the wrong verb. Such forms become vetoes.
void Generator::vetoCaughtTails(const std::vector<const VerbEntry*>& entries) {
    struct Catch {
        std::string verb;
        bool compoundOnly;
        bool needsMark;
    };
    std::map<std::string, std::vector<Catch>> generated;  // bare text → claimants
    std::set<std::string> keys;
    for (const Row& r : rows_) {
        for (const std::vector<Slot>* group : {&r.polite, &r.plain}) {
            for (const Slot& s : *group) {
                for (const Form& f : s.forms) {
                    generated[f.text].push_back(Catch{r.verb, f.compoundOnly, f.needsMark});
                    keys.insert(f.key());
                }
            }
        }
    }
    for (const VerbEntry* e : entries) {
        std::vector<Row> full;
        buildRows(*e, full, true);
        for (const Row& r : full) {
            for (const std::vector<Slot>* group : {&r.polite, &r.plain}) {
                for (const Slot& s : *group) {
                    for (const Form& f : s.forms) {
                        if (keys.count(f.key()) || generated.count(f.text) || leftToShorter_.count(f.key())) {
                            continue;
                        }
                        std::u32string text = decode(f.text);
                        bool caught = false;
                        for (size_t cut = 1; cut < text.size() && !caught; ++cut) {
                            std::string prefix = encode(text.substr(0, cut));
                            auto it = generated.find(encode(text.substr(cut)));
                            if (it == generated.end()) {
                                continue;
                            }
                            for (const Catch& c : it->second) {
                                if (c.verb == e->verb.lemma) {
                                    continue;
                                }
                                if (!c.compoundOnly) {
                                    caught = true;
                                    break;
                                }
                                for (const std::string& w : compoundWords(c.verb)) {
                                    if (endsWith(prefix, w)) {
                                        caught = true;
                                        break;
                                    }
                                }
                                if (caught) break;
                            }
                        }
                        if (caught) {
                            vetoes_.insert(f.needsMark ? f.text + "?" : f.text);
                        }
                    }
                }
            }
        }
    }
}

std::vector<std::string> readLines(const std::string& path, bool& ok) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    ok = static_cast<bool>(in);
    std::string line;
    while (ok && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!trim(line).empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

bool validMarkedWord(const std::string& w) {
    std::string body = w;
    if (!body.empty() && (body[0] == 'C' || body[0] == 'D' || body[0] == 'N')) {
        body = body.substr(1);
    }
    return !body.empty() && body.find(' ') == std::string::npos && body.find(',') == std::string::npos;
}

// compounds.tsv: verb TAB marked word TAB marked word ...; the verb "*"
// lists the words allowed in front of every verb that has compound-only
// forms.
bool Generator::readCompounds(const std::string& path, std::string& error) {
    bool ok;
    std::vector<std::string> lines = readLines(path, ok);
    if (!ok) {
        error = "cannot read " + path;
        return false;
    }
    for (const std::string& line : lines) {
        std::vector<std::string> f = splitOn(line, '\t');
        if (f.size() < 2) {
            error = path + ": a line needs a verb and at least one word: " + line;
            return false;
        }
        for (size_t j = 1; j < f.size(); ++j) {
            if (!validMarkedWord(f[j])) {
                error = path + ": bad word '" + f[j] + "' in line: " + line;
                return false;
            }
        }
        if (f[0] == "*") {
            genericCompounds_.insert(genericCompounds_.end(), f.begin() + 1, f.end());
            continue;
        }
        if (f[0] != "~지 말다" && list_.find(f[0]) == nullptr) {
            error = path + ": unknown verb " + f[0];
            return false;
        }
        std::vector<std::string>& words = compounds_[f[0]];
        words.insert(words.end(), f.begin() + 1, f.end());
    }
    return true;
}

// adverbs.tsv: verb TAB adverb TAB negation ("안", "못" or "ant"). An adverb
// in front of the verb keeps its place in both answers: 잘 지내? → 잘 지내 /
// 잘 못 지내; 잘 알아? → 잘 알아 / 잘 몰라.
bool Generator::readAdverbs(const std::string& path, std::string& error) {
    bool ok;
    std::vector<std::string> lines = readLines(path, ok);
    if (!ok) {
        error = "cannot read " + path;
        return false;
    }
    for (const std::string& line : lines) {
        std::vector<std::string> f = splitOn(line, '\t');
        if (f.size() != 3 || (f[2] != "안" && f[2] != "못" && f[2] != "ant" && f[2] != "-")) {
            error = path + ": expected verb TAB adverb TAB 안|못|ant|-: " + line;
            return false;
        }
        const VerbEntry* e = list_.find(f[0]);
        if (e == nullptr) {
            error = path + ": unknown verb " + f[0];
            return false;
        }
        const std::string& adverb = f[1];
        for (Kind kind : list_.kinds(*e)) {
            if (kind != Kind::Present && kind != Kind::Past && kind != Kind::Future && kind != Kind::Progressive) {
                continue;
            }
            std::string cols[2][2];  // [polite, casual][yes, no]
            Register regs[2] = {Register::Polite, Register::Plain};
            for (int r = 0; r < 2; ++r) {
                AnswerPair a = list_.answers(*e, kind, regs[r]);
                cols[r][0] = adverb + " " + a.yes;
                if (f[2] == "-") {
                    cols[r][1] = "";
                } else if (f[2] == "ant") {
                    cols[r][1] = a.no.empty() ? "" : adverb + " " + a.no;
                } else {
                    VerbEntry plain = *e;
                    plain.antonym.clear();
                    Split sp = splitEntry(plain);
                    Conjugator c(sp.core);
                    std::string form = kindForm(c, kind, regs[r]);
                    cols[r][1] = adverb + " " + joinNegated(sp.head, f[2], form);
                }
            }
            auto list = [](const std::string& yes, const std::string& no) { return no.empty() ? yes : yes + "," + no; };
            exceptionLines_.push_back(e->verb.lemma + "\t" + kindType(kind) + "\t" + kindTime(kind) + "\t" + adverb +
                                      "\t" + list(cols[0][0], cols[0][1]) + "\t글쎄요\t" + list(cols[1][0], cols[1][1]) +
                                      "\t글쎄");
        }
        std::vector<std::string>& words = compounds_[e->verb.lemma];
        if (std::find(words.begin(), words.end(), "D" + adverb) == words.end()) {
            words.push_back("D" + adverb);
        }
    }
    return true;
}

// vetoes.tsv: one word per line that ends like a verb form but is none
// (제가요?, 혼자지?).
bool Generator::readVetoes(const std::string& path, std::string& error) {
    bool ok;
    std::vector<std::string> lines = readLines(path, ok);
    if (!ok) {
        error = "cannot read " + path;
        return false;
    }
    for (const std::string& line : lines) {
        std::string w = trim(line);
        if (w.find('\t') != std::string::npos) {
            error = path + ": one word per line: " + line;
            return false;
        }
        vetoes_.insert(removeSpaces(w));
    }
    return true;
}

// exceptions.tsv: lines already in the exception format, copied through.
bool Generator::readExceptions(const std::string& path, std::string& error) {
    bool ok;
    std::vector<std::string> lines = readLines(path, ok);
    if (!ok) {
        error = "cannot read " + path;
        return false;
    }
    for (const std::string& line : lines) {
        if (splitOn(line, '\t').size() != 8) {
            error = path + ": an exception line needs 8 fields: " + line;
            return false;
        }
        exceptionLines_.push_back(line);
    }
    return true;
}

std::string joinForms(const Slot& s) {
    std::string out;
    for (const Form& f : s.forms) {
        out += (out.empty() ? "" : ",") + f.cell();
    }
    return out;
}

std::string Generator::typeDictionaryText() const {
    std::string out = "verb\ttype\ttime";
    char name[16];
    for (int i = 1; i <= kPoliteCells; ++i) {
        std::snprintf(name, sizeof name, "\tpolite_%02d", i);
        out += name;
    }
    out += "\tpolite_answers";
    for (int i = 1; i <= kPlainCells; ++i) {
        std::snprintf(name, sizeof name, "\tcasual_%02d", i);
        out += name;
    }
    out += "\tcasual_answers\tpolite_not_sure\tcasual_not_sure\n";
    for (const Row& r : rows_) {
        std::vector<std::string> cols;
        cols.push_back(r.verb);
        cols.push_back(kindType(r.kind));
        cols.push_back(kindTime(r.kind));
        for (int i = 0; i < kPoliteCells; ++i) {
            cols.push_back(i < static_cast<int>(r.polite.size()) ? joinForms(r.polite[i]) : "");
        }
        cols.push_back(answerList(r.politeAnswers));
        for (int i = 0; i < kPlainCells; ++i) {
            cols.push_back(i < static_cast<int>(r.plain.size()) ? joinForms(r.plain[i]) : "");
        }
        cols.push_back(answerList(r.casualAnswers));
        cols.push_back(r.politeNotSure);
        cols.push_back(r.casualNotSure);
        for (size_t i = 0; i < cols.size(); ++i) {
            out += (i ? "\t" : "") + cols[i];
        }
        out += "\n";
    }
    return out;
}

std::string Generator::compoundText() const {
    std::map<std::string, std::vector<std::string>> all = compounds_;
    for (const std::string& verb : compoundOnlyVerbs_) {
        std::vector<std::string>& words = all[verb];
        for (const std::string& w : genericCompounds_) {
            if (std::find(words.begin(), words.end(), w) == words.end()) {
                words.push_back(w);
            }
        }
    }
    std::string out;
    for (const auto& kv : all) {
        // The same word with two markers would make the dictionary keep only
        // one of them; keep the first.
        std::set<std::string> bodies;
        std::string line = kv.first;
        for (const std::string& w : kv.second) {
            std::string body = (w[0] == 'C' || w[0] == 'D' || w[0] == 'N') ? w.substr(1) : w;
            if (!bodies.insert(body).second) {
                continue;
            }
            line += "\t" + w;
        }
        out += line + "\n";
    }
    return out;
}

std::string Generator::negativeText(std::vector<std::string>& notes) const {
    // Vetoes from the hand-written list, plus the statements that use a
    // -(으)ㄹ까 form without asking: 갈까 해, 늦을까 봐, 먹을까 생각 중.
    std::set<std::string> keys = vetoes_;
    static const char* const kFollowers[] = {"해", "했", "하", "봐", "싶", "생각", "고민"};
    for (const Row& r : rows_) {
        for (const std::vector<Slot>* group : {&r.polite, &r.plain}) {
            for (const Slot& s : *group) {
                for (const Form& f : s.forms) {
                    if (!f.needsMark && endsWith(f.text, "까") && !endsWith(f.text, "니까")) {
                        for (const char* follower : kFollowers) {
                            keys.insert(f.text + follower);
                        }
                    }
                }
            }
        }
    }
    (void)notes;
    std::string out;
    for (const std::string& k : keys) {
        out += "FALSE\t" + k + "\n";
    }
    return out;
}

std::string Generator::exceptionText() const {
    std::vector<std::string> lines = exceptionLines_;
    std::stable_sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    std::string out;
    for (const std::string& l : lines) {
        out += l + "\n";
    }
    return out;
}

bool Generator::run(const std::string& dir, ResourceSet& out, std::string& error) {
    if (!readCompounds(dir + "/compounds.tsv", error) || !readAdverbs(dir + "/adverbs.tsv", error) ||
        !readVetoes(dir + "/vetoes.tsv", error) || !readExceptions(dir + "/exceptions.tsv", error)) {
        return false;
    }
    std::vector<const VerbEntry*> entries;
    for (const VerbEntry& e : list_.entries()) {
        entries.push_back(&e);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const VerbEntry* a, const VerbEntry* b) { return a->verb.lemma < b->verb.lemma; });
    for (const VerbEntry* e : entries) {
        buildRows(*e, rows_, false);
        // "안 갈까?" asks whether not to go: the answer is 가지 말자, not 안가자.
        std::vector<Kind> kinds = list_.kinds(*e);
        if (std::find(kinds.begin(), kinds.end(), Kind::Suggest) != kinds.end()) {
            std::string stem = e->verb.lemma.substr(0, e->verb.lemma.size() - std::string("다").size());
            exceptionLines_.push_back(e->verb.lemma + "\tsuggest\tfuture\t안\t" + stem + "지 말아요\t글쎄요\t" + stem +
                                      "지 말자\t글쎄");
        }
    }
    // "갈까 말까?": the second verb of the pair, answered 말자.
    Row stop;
    stop.verb = "~지 말다";
    stop.kind = Kind::Suggest;
    stop.formal = false;
    stop.plain.push_back(slot({B("말까")}));
    stop.polite.push_back(slot({B("말까요")}));
    stop.politeAnswers = AnswerPair{"말아요", ""};
    stop.casualAnswers = AnswerPair{"말자", ""};
    rows_.push_back(stop);

    for (const auto& kv : compounds_) {
        if (kv.first != "~지 말다" && list_.kinds(*list_.find(kv.first)).empty()) {
            error = "compound words given for " + kv.first + ", which has no rows";
            return false;
        }
    }
    dropSharedForms(out.notes);
    vetoCaughtTails(entries);
    for (const Row& r : rows_) {
        for (const std::vector<Slot>* group : {&r.polite, &r.plain}) {
            for (const Slot& s : *group) {
                out.formCount += static_cast<int>(s.forms.size());
                for (const Form& f : s.forms) {
                    if (f.text.find(',') != std::string::npos || f.text.find('\t') != std::string::npos) {
                        error = "form with a separator: " + f.text;
                        return false;
                    }
                }
            }
        }
        if (r.polite.size() > static_cast<size_t>(kPoliteCells) || r.plain.size() > static_cast<size_t>(kPlainCells)) {
            error = "too many endings in a row of " + r.verb;
            return false;
        }
    }
    out.typeDictionary = typeDictionaryText();
    out.compoundRule = compoundText();
    out.negativeRule = negativeText(out.notes);
    out.exceptionDictionary = exceptionText();
    out.rowCount = static_cast<int>(rows_.size());
    return true;
}

bool writeFile(const std::string& path, const std::string& text, std::string& error) {
    std::ofstream o(path, std::ios::binary | std::ios::trunc);
    if (!o) {
        error = "cannot write " + path;
        return false;
    }
    o << text;
    if (!o) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

bool generateResources(const std::string& verbListPath, ResourceSet& out, std::string& error) {
    VerbList list;
    if (!list.load(verbListPath, error)) {
        return false;
    }
    std::string dir = ".";
    size_t slash = verbListPath.rfind('/');
    if (slash != std::string::npos) {
        dir = verbListPath.substr(0, slash);
    }
    Generator g(list);
    return g.run(dir, out, error);
}

bool writeResources(const std::string& verbListPath, const std::string& outDir, ResourceSet& out,
                    std::string& error) {
    if (!generateResources(verbListPath, out, error)) {
        return false;
    }
    return writeFile(outDir + "/" + kTypeDictionaryFile, out.typeDictionary, error) &&
           writeFile(outDir + "/" + kCompoundRuleFile, out.compoundRule, error) &&
           writeFile(outDir + "/" + kNegativeRuleFile, out.negativeRule, error) &&
           writeFile(outDir + "/" + kExceptionDictionaryFile, out.exceptionDictionary, error);
}

}  // namespace Conjugate
}  // namespace Varnex
