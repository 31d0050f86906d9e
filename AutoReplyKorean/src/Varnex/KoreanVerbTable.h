// The verb table: recognises interrogative verb forms in a Korean message
// (가요?, 갈래?, 먹었어?) and produces the short answers that agree with the
// form found, in the register asked for: an affirming, a denying, a
// not-sure and a choice answer. It also reports the verb, its sentence type
// ("question", "suggest", "command") and time, and the compound word in
// front of the verb (a noun forming a compound verb with it, or the
// negation words 안 and 못), which changes both the detection and the
// answers.
//
// Built from four text files (tab-separated lines, plain or scrambled):
//
//   verb rule file       a first line that is skipped (column names), then
//                        one row per verb, sentence type and time:
//                          0 verb key, 1 type, 2 time,
//                          3-23 cells of polite forms, 24 polite answer list,
//                          25-39 cells of casual forms, 40 casual answer list,
//                          41, 42 (optional, both or none) polite and casual
//                          not-sure answers.
//                        A cell holds comma-separated forms; a form may start
//                        with a marker letter (C: counts only with a compound
//                        word in front). A form ending in "?" matches only
//                        together with the question mark; any other form
//                        must be followed by a word boundary.
//   compound rule file   verb key, then the words that may stand in front of
//                        it, each optionally marked (D: answers unchanged,
//                        N: no verb-specific yes/no answers). Every verb also
//                        accepts 안 and 못.
//   negative rule file   "FALSE TAB key" (the key ends like a verb form but is
//                        none) or "verb,type,time,row,marker TAB key".
//   exception file       verb, type, time, comma-separated compound words,
//                        polite answer list, polite not-sure, casual answer
//                        list, casual not-sure: answers that replace the
//                        row's answers when the verb is asked with one of the
//                        compound words ("" for none, written as a lone ",").
//
// An answer list is "yes,no,choice" (later parts may be missing).
//
// Forms carry no start boundary, so a form also matches as the tail of a
// longer word. A form glued to a syllable in front of it counts as the verb
// it belongs to, but without a compound word there its yes/no answers are
// left empty: the word in front may be the start of another verb, and an
// answer with that start cut off ("응. 췄어." to 맞췄어?) is worse than a
// bare one.
//
// The loaders distrust their input: a line with too few fields, a value whose
// row is not a number of an existing row, an exception naming a verb the
// table does not have, a form that is empty once its marker and spaces are
// removed, are refused with a "<path>:<line>" warning; nothing is sized by a
// field read from a file.
//
// Detection lives in KoreanVerbTable.cpp, the text loaders in
// KoreanVerbTableText.cpp and the single-file form in KoreanVerbTableFile.cpp.
//
// The same table can be written to and read from one binary file (the
// primitives of BinaryIO.h): rowCount, the verb dictionary, the compound
// dictionaries by key, the answer rows, the not-sure rows, the exception
// rows. A truncated or damaged file is rejected as a whole with an error log
// and leaves a table that detects nothing.
//
// Built once, read-only afterwards: detect, detectAll and getAnswer are const
// and may run concurrently; they write only to the objects passed in.
#pragma once

#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Varnex {

class DictionaryFeature;

// What the verb dictionary stores for one form: "verb,type,time,row,marker".
class VerbInfo {
public:
    std::string verb;
    std::string type;
    std::string time;
    std::string compoundRule;  // "C", "D", "N" or "-"
    int row = 0;

    // Sets the five fields from `value` when it has exactly five
    // comma-separated fields and the fourth is a non-negative decimal number
    // that fits an int; otherwise changes nothing and returns false.
    bool parse(const std::string& value);
};

class DetectedVerbInfo : public VerbInfo {
public:
    int begin = 0;              // byte offset of the matched form in the searched text
    int end = 0;                // begin + byte length of surface
    std::string surface;        // the text matched
    std::string compoundWord;   // the word found in front of the verb, or ""
    std::string compoundValue;  // its marker: "C", "D", "N", "-", "안" or "못"
    // The form is glued to a Hangul syllable in front of it and no compound
    // word stands there: the word may be a longer verb the table does not
    // have (맞췄어 is no form of 추다, 조정해 none of 정하다), so the
    // detection gives no verb-specific yes/no answers.
    bool glued = false;
    std::string yesAnswer;
    std::string noAnswer;
    std::string notSureAnswer;
    std::string choiceAnswer;

    void setAnswers(const std::string& yes, const std::string& no, const std::string& notSure,
                    const std::string& choice);
};

class KoreanVerbTable {
public:
    // Builds the table from the four text files (".enc" names are read
    // scrambled). A file that cannot be read contributes nothing.
    KoreanVerbTable(const std::string& verbRulePath, const std::string& compoundRulePath,
                    const std::string& negativeRulePath, const std::string& exceptionRulePath);
    // Reads the single-file form written by prebuildRules.
    explicit KoreanVerbTable(const std::string& prebuiltPath);
    virtual ~KoreanVerbTable();

    KoreanVerbTable(const KoreanVerbTable&) = delete;
    KoreanVerbTable& operator=(const KoreanVerbTable&) = delete;

    // Builds a table from the four files and writes its single-file form to
    // `outputPath`. False (with an error log, and no output file left
    // behind) when the table has no verb rows or the file cannot be written.
    static bool prebuildRules(const std::string& verbRulePath, const std::string& compoundRulePath,
                              const std::string& negativeRulePath, const std::string& exceptionRulePath,
                              const std::string& outputPath);

    // One detection, the earliest form (`first`) or the latest one. The
    // honorific labels "HIGH" and "NORMAL" select the polite answers, any
    // other value the casual ones. `info` is
    // overwritten by a detection; when nothing is detected it may hold the
    // remains of a rejected candidate.
    bool detect(const std::string& text, const std::string& honorific, DetectedVerbInfo& info, bool first) const;
    bool detectFirst(const std::string& text, const std::string& honorific, DetectedVerbInfo& info) const;
    bool detectLast(const std::string& text, const std::string& honorific, DetectedVerbInfo& info) const;
    // Appends every detection from left to right (offsets into the whole
    // text) and returns the size of `infos`. Each detection sees only the
    // text after the previous one.
    int detectAll(const std::string& text, const std::string& honorific, std::vector<DetectedVerbInfo>& infos) const;

    // The steps of one detection.
    bool buildDetectedVerbInfo(DetectedVerbInfo& info, const std::string& text, const std::string& honorific,
                               const std::string& surface, int begin, int end, const std::string& value) const;
    bool checkCompoundRule(const std::string& text, DetectedVerbInfo& info) const;
    void getAnswer(const std::string& honorific, DetectedVerbInfo& info) const;

    // The negation words that may stand in front of any verb.
    static constexpr char kNot[] = "안";
    static constexpr char kCannot[] = "못";

    // Marker tests: each looks only at the first byte.
    static bool isCompoundOnly(const std::string& s);       // "C"
    static bool isCompoundButNoAdd(const std::string& s);   // "D"
    static bool isCompoundButYNOnly(const std::string& s);  // "N"
    static bool hasCompoundRule(const std::string& s);
    static std::string getCompoundRule(const std::string& s);     // the marker, or "-"
    static std::string removeCompoundRule(const std::string& s);  // without its marker
    static std::string removeContOperator(const std::string& s);  // without a leading "/" or "~"
    static bool isCommonAnswer(const std::string& s);             // begins with 그

    // Inspection, for tools and tests.
    int getRowCount() const { return rowCount; }
    bool hasCompoundDictionary(const std::string& verb) const { return compoundDictionaries.count(verb) > 0; }
    size_t compoundDictionaryCount() const { return compoundDictionaries.size(); }
    // (polite, casual) answer lists of a row; false when the row has none.
    bool getAnswerRow(int row, std::pair<std::string, std::string>& lists) const;
    bool getNotSureRow(int row, std::pair<std::string, std::string>& answers) const;
    const std::map<std::string, int>& getExceptionRows() const { return exceptionRows; }

private:
    using Entries = std::vector<std::pair<std::string, std::string>>;

    void loadVerbRule(const std::string& path, Entries& entries, std::set<std::string>& verbKeys);
    void addRules(const std::string& cell, int row, const std::string& verb, const std::string& type,
                  const std::string& time, Entries& entries, const std::string& path, int lineNumber) const;
    void loadNegativeRule(const std::string& path, Entries& entries) const;
    void loadCompoundVerbRule(const std::string& path, const std::set<std::string>& verbKeys);
    void loadExceptionRules(const std::string& path, const std::set<std::string>& verbKeys);

    bool save(std::ofstream& out) const;
    // Reads the single-file form into this (empty) table; on any fault
    // returns false with `reason` set and leaves the table unchanged.
    bool readPrebuilt(std::ifstream& in, std::string& reason);

    int rowCount = 0;
    std::shared_ptr<DictionaryFeature> verbDictionary;
    std::map<std::string, std::shared_ptr<DictionaryFeature>> compoundDictionaries;
    std::map<int, std::pair<std::string, std::string>> answerRows;
    std::map<int, std::pair<std::string, std::string>> notSureRows;
    std::map<std::string, int> exceptionRows;
};

}  // namespace Varnex
