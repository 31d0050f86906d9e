// Korean verb and adjective conjugation, and the generator of the verb table
// resources (yes/no question forms with their answers).
//
// Conjugation works on precomposed Hangul syllables (U+AC00 + (initial * 21 +
// medial) * 28 + final). A verb is given by its dictionary form ("먹다",
// "공부하다", "마음에 들다") and its conjugation class; only the last word of
// a multi-word lemma is conjugated.
#ifndef VARNEX_TOOLS_CONJUGATE_CONJUGATE_H
#define VARNEX_TOOLS_CONJUGATE_CONJUGATE_H

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace Varnex {
namespace Conjugate {

// How a stem changes in front of endings.
enum class VerbClass {
    Regular,       // 먹다 → 먹어, 가다 → 가, 오다 → 와, 되다 → 돼, 마시다 → 마셔
    Ha,            // 하다 → 해, 공부하다 → 공부해
    DIrregular,    // 듣다 → 들어, 들으세요
    BIrregular,    // 춥다 → 추워, 돕다 → 도와
    SIrregular,    // 낫다 → 나아, 짓다 → 지어
    ReuIrregular,  // 모르다 → 몰라, 부르다 → 불러
    HIrregular,    // 그렇다 → 그래, 하얗다 → 하얘
    EuDrop,        // 바쁘다 → 바빠, 쓰다 → 써
    LDrop          // 알다 → 알아, 아니, 압니다, 아세요
};

enum class PartOfSpeech {
    Verb,         // action verb: 먹는, 먹나요
    Adjective,    // descriptive verb: 추운, 추운가요
    Existential   // 있다, 없다 and their compounds: 있는, 있나요
};

enum class Register {
    Plain,   // 해체: 먹었어
    Polite,  // 해요체: 먹었어요
    Formal   // 하십시오체: 먹었습니다
};

// Name used in the verb list ("regular", "ha", "d", "b", "s", "reu", "h",
// "eu", "l"); parse returns false for an unknown name.
const char* verbClassName(VerbClass verbClass);
bool parseVerbClass(const std::string& name, VerbClass& verbClass);
// "V", "A", "E".
bool parsePartOfSpeech(const std::string& name, PartOfSpeech& pos);

// Thrown when a lemma cannot be conjugated with the given class (not a
// Hangul word ending in 다, or a stem that does not fit the class, such as
// "먹다" declared ㅂ-irregular).
class ConjugationError : public std::invalid_argument {
public:
    explicit ConjugationError(const std::string& what) : std::invalid_argument(what) {}
};

struct Verb {
    std::string lemma;
    VerbClass verbClass = VerbClass::Regular;
    PartOfSpeech pos = PartOfSpeech::Verb;
    // Suppletive honorific stem ("드시" for 먹다, "주무시" for 자다); empty
    // for the regular -(으)시-.
    std::string honorificStem;
};

// Conjugated forms of one verb. Every form includes the leading words of a
// multi-word lemma ("마음에 들어"). Forms without a register argument are
// building blocks that endings are appended to.
class Conjugator {
public:
    explicit Conjugator(const Verb& verb);

    const Verb& verb() const { return verb_; }

    std::string stem() const;               // 먹, 가, 알, 듣, 춥
    std::string infinitive() const;         // -아/어: 먹어, 가, 와, 해, 들어, 추워, 나아, 몰라, 그래, 바빠, 알아
    std::string pastStem() const;           // 먹었, 갔, 했, 들었, 추웠, 나았, 몰랐, 그랬
    std::string futureAdnominal() const;    // -(으)ㄹ: 먹을, 갈, 들을, 추울, 나을, 모를, 그럴, 알
    std::string pastAdnominal() const;      // -(으)ㄴ: 먹은, 간, 들은, 추운, 나은, 그런, 안
    std::string presentAdnominal() const;   // verbs -는 (먹는, 아는), adjectives -(으)ㄴ (추운)
    std::string honorificStem() const;      // -(으)시: 가시, 읽으시, 아시, 추우시, 들으시, 그러시, 드시
    std::string formalStem() const;         // 먹습, 갑, 압, 춥습 (followed by 니다 / 니까)
    // Stem followed by an ending that begins with a consonant (-고, -지,
    // -니, -나요, -냐); ㄹ-drop stems lose ㄹ before ㄴ, ㅂ and ㅅ.
    std::string withEnding(const std::string& ending) const;

    std::string present(Register reg) const;      // 먹어 / 먹어요 / 먹습니다
    std::string past(Register reg) const;         // 먹었어 / 먹었어요 / 먹었습니다
    std::string pastPerfect(Register reg) const;  // 먹었었어 / 먹었었어요 / 먹었었습니다
    std::string future(Register reg) const;       // 먹을 거야 / 먹을 거예요 / 먹을 겁니다
    std::string progressive(Register reg) const;  // 먹고 있어 / 먹고 있어요 / 먹고 있습니다
    std::string intent(Register reg) const;       // 먹을래 / 먹을래요 / 먹겠습니다
    std::string suggest(Register reg) const;      // 먹자 / 먹어요 / 먹읍시다
    std::string honorificPresent() const;         // 드세요, 가세요, 아세요, 추우세요
    std::string honorificPast() const;            // 드셨어요, 가셨어요

    // Questions of the plain, polite and formal registers.
    std::string question(Register reg) const;       // 먹어? / 먹어요? / 먹습니까?
    std::string pastQuestion(Register reg) const;   // 먹었어? / 먹었어요? / 먹었습니까?
    std::string futureQuestion(Register reg) const; // 먹을 거야? / 먹을 거예요? / 먹을 겁니까?

private:
    Verb verb_;
    std::string head_;    // leading words of a multi-word lemma, with the trailing space
    std::u32string core_; // stem of the conjugated last word
};

// What kind of question a verb row answers.
enum class Kind {
    Present,      // 먹어?
    Past,         // 먹었어?
    PastPerfect,  // 먹었었어?
    Future,       // 먹을 거야? (and -ㄹ까? for what cannot be suggested)
    Intent,       // 먹을래?
    Suggest,      // 먹을까?
    Progressive,  // 먹고 있어?
    Ability,      // 먹을 수 있어?
    Experience,   // 먹어 봤어?
    Request,      // 먹어 줄래?
    Want          // 먹고 싶어?
};

const char* kindName(Kind kind);
// Sentence type and time written into the table for a kind.
const char* kindType(Kind kind);
const char* kindTime(Kind kind);

// One line of the verb list: lemma, class, part of speech and flags.
struct VerbEntry {
    Verb verb;
    // Plain flags such as "sep", "nosug"; "later": a suggestion with the
    // verb (같이 갈까?) is put off with it (다음에 가자) rather than declined.
    std::set<std::string> flags;
    std::string antonym;          // lemma whose forms answer "no" (있다 → 없다); "-" for no "no" answer
    // Lemma the reader answers with about themself: 계세요? asks in the
    // honorific 계시다, and one says 있어요 of oneself, never 계세요.
    std::string selfLemma;
    bool has(const std::string& flag) const { return flags.count(flag) > 0; }
};

// Bare answers of a row, as the verb table stores them: the affirming and
// the denying answer ("먹었어", "안 먹었어"). `no` is empty where a denial
// cannot be phrased with the verb.
struct AnswerPair {
    std::string yes;
    std::string no;
};

// A complete reply set for one question: "응, 먹었어" / "아니, 안 먹었어" /
// "글쎄".
struct Replies {
    std::string yes;
    std::string no;
    std::string notSure;
};

class VerbList {
public:
    // Reads the verb list (lemma TAB class TAB part of speech TAB flags).
    // Returns false and sets `error` on a malformed line.
    bool load(const std::string& path, std::string& error);
    bool parseLine(const std::string& line, std::string& error);
    const std::vector<VerbEntry>& entries() const { return entries_; }
    const VerbEntry* find(const std::string& lemma) const;

    // Kinds that get rows for an entry (none for "noyn").
    std::vector<Kind> kinds(const VerbEntry& entry) const;
    // Bare answers for a question of `kind` in register `reg`.
    AnswerPair answers(const VerbEntry& entry, Kind kind, Register reg) const;
    // Full replies: 응/네/예, 아니/아니요 and a hesitant answer.
    Replies replies(const VerbEntry& entry, Kind kind, Register reg) const;

private:
    std::string affirm(const VerbEntry& entry, Kind kind, Register reg) const;
    std::string deny(const VerbEntry& entry, Kind kind, Register reg) const;
    // The -가다 twin that answers a question of `kind` about coming to the
    // asker (올래? → 갈게), or null.
    const VerbEntry* towardAsker(const VerbEntry& entry, Kind kind) const;
    std::vector<VerbEntry> entries_;
};

// The four verb table resources as text.
struct ResourceSet {
    std::string typeDictionary;       // yes_no_type.dictionary
    std::string compoundRule;         // yes_no_compound.rule
    std::string negativeRule;         // yes_no_negative.rule
    std::string exceptionDictionary;  // yes_no_type_exception.dictionary
    std::vector<std::string> notes;   // forms left out because two verbs share them, and similar
    int rowCount = 0;
    int formCount = 0;
};

// Builds the resources from the verb list at `verbListPath` and the
// hand-written sources beside it (compounds.tsv, adverbs.tsv, vetoes.tsv,
// exceptions.tsv). Returns false and sets `error` on any malformed input.
bool generateResources(const std::string& verbListPath, ResourceSet& out, std::string& error);

// generateResources, then writes the four files into `outDir`.
bool writeResources(const std::string& verbListPath, const std::string& outDir, ResourceSet& out,
                    std::string& error);

extern const char* const kTypeDictionaryFile;
extern const char* const kCompoundRuleFile;
extern const char* const kNegativeRuleFile;
extern const char* const kExceptionDictionaryFile;

}  // namespace Conjugate
}  // namespace Varnex

#endif
