// Either/or questions and their choices: "갈래 안 갈래?", "커피 마실래 차
// 마실래?", "버스 아니면 택시?". Each choice comes out as a short answer the
// user could send (a choice that ends in a verb is answered with the verb
// table's form of it, in the register asked for).
//
// Two ways to find the choices:
//   - two (or three) interrogative verb forms of one verb, or of two verbs
//     the verb-pair rule file lists as alternatives (마실래 / 먹을래,
//     할까 / ~지 말다);
//   - two pattern words that the pattern rule file pairs ("아니면",
//     "중에", "랑 ... 중에"), the words before each being the choices. A
//     choice that is no verb form must not be vetoed ("FALSE") by the
//     negative rule file;
//   - the same asking word twice at the end after two different words
//     ("빨간색 살까 파란색 살까?"), when the verb table cannot read it (살까
//     is both 사다 and 살다): the two words are the choices.
//
// Rule files: verb pairs "verb TAB verb"; patterns "first word TAB word
// that may follow [TAB more words]" (a word followed by "?" separates two
// choices wherever it stands: "떡볶이 아님 족발"); negatives "FALSE TAB phrase". A
// pattern file that cannot be read finds no patterns and vetoes nothing.
// Built once by the question-type detector; read-only afterwards.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "KoreanVerbTable.h"

namespace Varnex {

class DictionaryFeature;

class KoreanMultiChoiceDetector {
public:
    KoreanMultiChoiceDetector(std::shared_ptr<KoreanVerbTable> verbTable, const std::string& verbPairPath,
                              const std::string& patternPath, const std::string& negativePath, bool prebuilt);
    virtual ~KoreanMultiChoiceDetector();

    enum Result { NONE = 0, AFFIRMATIVE_NEGATIVE = 1, ALTERNATIVES = 2 };

    // What kind of either/or question `text` is, appending the choices (as
    // answers in the register of `honorific`) to `choices`. An alternatives
    // question may be reported with no choices when they cannot be cut out.
    int detect(const std::string& text, const std::string& honorific, std::vector<std::string>& choices) const;

    int detectVerbPair(const std::string& text, const std::string& honorific,
                       std::vector<std::string>& choices) const;
    int detectPatterns(const std::string& text, const std::string& honorific,
                       std::vector<std::string>& choices) const;
    // "A 아니면 B", "A 아님 B", "A or B": the last words before the
    // separator and the words after it (verb forms as their answers).
    int detectSeparated(const std::string& text, const std::string& honorific,
                        std::vector<std::string>& choices) const;
    // Two bare words asked with a question mark ("짜장 짬뽕?", "물냉 비냉?"),
    // or two things named by what they are like ("달달한 거 짭짤한 거?").
    int detectBarePair(const std::string& text, std::vector<std::string>& choices) const;
    // "A B 중에 뭐가 나아?", "A B 뭐가 좋을까?", "A랑 B 어느 쪽?": A and B.
    int detectWhichOf(const std::string& text, std::vector<std::string>& choices) const;
    // A word that could be offered as a choice on its own: no verb form,
    // question word, particle or word the negative rules veto.
    bool isBareChoice(const std::string& word) const;
    bool isVerbForm(const std::string& word) const;
    // "A W B W?" with W ending in -까, -까요, -래 or -래요: A and B.
    static int detectRepeatedWord(const std::string& text, std::vector<std::string>& choices);
    // 1 when `second` negates `first` (same verb with 안, or 할까 / 말까),
    // 2 for two alternatives, 0 for no pair.
    int checkVerbPair(const DetectedVerbInfo& first, const DetectedVerbInfo& second) const;
    // The word before the verb (back to `limit`) followed by its answer; the
    // word before that too when it ends in a particle or `withWordBefore`.
    bool makeChooseOneAnswer(const std::string& text, const DetectedVerbInfo& info, int limit, std::string& answer,
                             bool withWordBefore) const;
    // Replaces a choice that ends in a verb form by its answer; false when
    // it holds none.
    bool getAnswerString(const std::string& honorific, std::string& text) const;
    // False when the negative rules veto `text` as a choice.
    bool checkNegRule(const std::string& text) const;

    // The answer that offers a detection as a choice: its choice answer, or
    // its affirming answer when it has none.
    static std::string choiceAnswerOf(const DetectedVerbInfo& info);

private:
    // The verb form before `d`, the one detection of the text, that asks
    // the other choice; false when there is none.
    bool findEarlierForm(const std::string& text, const std::string& honorific, const DetectedVerbInfo& d,
                         DetectedVerbInfo& first) const;
    bool loadVerbPair(const std::string& path);
    void loadPatternRule(const std::string& patternPath, const std::string& negativePath, bool prebuilt);

    std::shared_ptr<KoreanVerbTable> verbTable;
    // "first TAB second" of every verb pair the rule file lists.
    std::unordered_set<std::string> verbPairs;
    std::map<std::string, std::set<std::string>> patternPairs;
    std::set<std::string> separators;
    std::shared_ptr<DictionaryFeature> patternDictionary;
    std::shared_ptr<DictionaryFeature> negativeDictionary;
};

}  // namespace Varnex
