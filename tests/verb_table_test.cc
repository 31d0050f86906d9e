// The verb table on a small fixture and on the shipped table: loading, the
// single-file form, detection, answers, and the defences against bad input.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/KoreanVerbTable.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

using Varnex::DetectedVerbInfo;
using Varnex::KoreanVerbTable;
using Varnex::Utilities::StringUtil;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {

const char kCasual[] = "FALSE";
const char kPolite[] = "NORMAL";

// A verb row of one polite and one casual cell; columns from `fields` on left out.
std::string row(const std::string& head, const std::string& polite, const std::string& politeAnswers,
                const std::string& casual, const std::string& casualAnswers, size_t fields = 43,
                const std::string& casualNotSure = "글쎄") {
    std::vector<std::string> cols(43);
    cols[3] = polite;
    cols[24] = politeAnswers;
    cols[25] = casual;
    cols[40] = casualAnswers;
    cols[41] = "글쎄요";
    cols[42] = casualNotSure;
    std::string out = head;
    for (size_t i = 3; i < fields; ++i) out += "\t" + cols[i];
    return out + "\n";
}

// A few verbs as the shipped table writes them, after a line of column names.
const std::string kVerbs =
    "verb\ttype\ttime\tforms...\n" +
    row("가다\tquestion\tpresent", "가요?,가세요?", "가요,안 가요,가요", "C가?,가니?", "가,안 가,가") +
    row("가다\tquestion\tpast", "갔어요?", "갔어요,안 갔어요", "갔어?", "갔어,안 갔어") +
    row("가다\tsuggest\tfuture", "갈까요", "가요", "갈까", "가자") +
    row("가다\tcommand\tpresent", "가십시오", "갈게요", "가라", "갈게") +
    row("하다\tquestion\tfuture", "할래요?", "할래요,안 할래요", "할래", "할래,안 할래") +
    row("하다\tquestion\tpresent", "해요?", "해요,안 해요", "C해?", "해,안 해") +
    row("쉬다\tquestion\tfuture", "쉴래요?", "쉴래요,안 쉴래요", "쉴래?", "쉴래,안 쉴래") +
    row("먹다\tquestion\tfuture", "먹을래요?", "먹을래요,안 먹을래요", "먹을래", "먹을래,안 먹을래") +
    row("있다\tquestion\tpresent", "있어요?", "있어요,없어요,있어요", "있어?", "있어,없어,있어") +
    row("좋다\tquestion\tpresent", "좋아요?", "그럼요,별로요", "좋아?", "그럼,별로");
const char kCompounds[] = "하다\tD운동\tD숙제\n있다\tN고\t시간\tD돈\n좋다\t기분\n가다\tD학교\n먹다\tD밥\n";
const char kNegatives[] = "FALSE\t갈까고민\n가다,question,present,0,-\t가유?\n";
const char kExceptions[] =
    "가다\tquestion\tpresent\t학교\t학교 가요,학교 안 가요\t아마요\t학교 가,학교 안 가\t아마\n"
    "가다\tquestion\tpast\t,\t다녀왔어요,아직이요\t글쎄요\t다녀왔어,아직\t글쎄\n"
    "가다\tsuggest\tfuture\t안\t가지 말아요\t글쎄요\t가지 말자\t글쎄\n";

struct Paths {
    std::string verb, compound, negative, exception;
    std::unique_ptr<KoreanVerbTable> build() const {
        return std::make_unique<KoreanVerbTable>(verb, compound, negative, exception);
    }
    bool prebuild(const std::string& out) const {
        return KoreanVerbTable::prebuildRules(verb, compound, negative, exception, out);
    }
};

Paths writeFixture(const TempDir& dir, const std::string& verbs, const std::string& compounds = kCompounds,
                   const std::string& negatives = kNegatives, const std::string& exceptions = kExceptions,
                   const std::string& suffix = "") {
    return {dir.write("yes_no_type.dictionary" + suffix, verbs), dir.write("yes_no_compound.rule" + suffix, compounds),
            dir.write("yes_no_negative.rule" + suffix, negatives),
            dir.write("yes_no_type_exception.dictionary" + suffix, exceptions)};
}

// The fixture table, built once per test program.
struct Fixture {
    TempDir dir;
    Paths paths = writeFixture(dir, kVerbs);
    std::unique_ptr<KoreanVerbTable> table = paths.build();
};
const Fixture& fixture() { static const Fixture f; return f; }

std::string describe(const DetectedVerbInfo& d) {
    return "\"" + d.surface + "\" [" + std::to_string(d.begin) + "," + std::to_string(d.end) + ") row " +
           std::to_string(d.row) + " " + d.verb + "/" + d.type + "/" + d.time + "/" + d.compoundRule + " compound \"" +
           d.compoundWord + "\"(" + d.compoundValue + ") yes \"" + d.yesAnswer + "\" no \"" + d.noAnswer +
           "\" notSure \"" + d.notSureAnswer + "\" choice \"" + d.choiceAnswer + "\"";
}

// detectAll in full, or in brief: "verb word(value) yes/no; ...".
std::string detectAllText(const KoreanVerbTable& table, const std::string& text, const std::string& honorific = kCasual,
                          bool brief = false) {
    std::vector<DetectedVerbInfo> infos;
    table.detectAll(text, honorific, infos);
    std::string out;
    for (const auto& d : infos)
        out += brief ? (out.empty() ? "" : "; ") + d.verb + " " + d.compoundWord + "(" + d.compoundValue + ") " +
                           d.yesAnswer + "/" + d.noAnswer
                     : describe(d) + "\n";
    return out;
}
std::string briefAll(const KoreanVerbTable& t, const std::string& s) { return detectAllText(t, s, kCasual, true); }

DetectedVerbInfo lastOf(const KoreanVerbTable& table, const std::string& text, const std::string& honorific = kCasual,
                        bool* found = nullptr) {
    DetectedVerbInfo d;
    const bool ok = table.detectLast(text, honorific, d);
    if (found) *found = ok;
    return d;
}
bool detects(const KoreanVerbTable& table, const std::string& text, const std::string& honorific = kCasual) {
    DetectedVerbInfo d;
    return table.detectLast(text, honorific, d);
}

// What detectLast should give: "verb/type/time" or null for nothing; the
// compound word as "학교(D)"; a null `word` or `notSure` is not checked.
struct Want {
    const char *text, *honorific, *what, *word = nullptr, *yes = "", *no = "", *notSure = nullptr;
};

void expectDetections(const KoreanVerbTable& table, const std::vector<Want>& wants) {
    for (const Want& w : wants) {
        bool found = false;
        const DetectedVerbInfo d = lastOf(table, w.text, w.honorific, &found);
        EXPECT_EQ(found, w.what != nullptr) << w.text << " (" << w.honorific << ") " << describe(d);
        if (!found || !w.what) continue;
        const std::string word = d.compoundWord + (d.compoundValue.empty() ? "" : "(" + d.compoundValue + ")");
        EXPECT_EQ(d.verb + "/" + d.type + "/" + d.time + "|" + word + "|" + d.yesAnswer + "|" + d.noAnswer + "|" +
                      d.notSureAnswer,
                  std::string(w.what) + "|" + (w.word ? w.word : word) + "|" + w.yes + "|" + w.no + "|" +
                      (w.notSure ? w.notSure : d.notSureAnswer))
            << w.text << " (" << w.honorific << ")";
    }
}

// A single-file table written field by field, as the writer never would.
struct HandMade {
    std::string rowCount = "1";
    std::vector<std::pair<std::string, std::string>> entries = {{"가요?", "가다,question,present,0,-"}};
    int compoundCount = 0;
    std::vector<std::pair<int, std::pair<std::string, std::string>>> answers = {{0, {"가요,안 가요", "가,안 가"}}};
    std::vector<std::pair<std::string, int>> exceptions;

    std::string write(const TempDir& dir) const {
        std::ofstream out(dir.file("hand.bin"), std::ios::binary | std::ios::trunc);
        auto put = [&out](const auto&... values) { (Varnex::BinaryIO::write(out, values), ...); };
        out << std::string(10 - rowCount.size(), ' ') << rowCount;  // a number field
        Varnex::DictionaryFeature(entries).save(out);
        put(compoundCount, static_cast<int>(answers.size()));
        for (const auto& r : answers) put(r.first, r.second);
        put(1, 0, std::make_pair(std::string("글쎄요"), std::string("글쎄")));  // one not-sure row
        put(static_cast<int>(exceptions.size()));
        for (const auto& e : exceptions) put(e.first, e.second);
        return dir.file("hand.bin");
    }
};

void expectRejected(const std::string& path, const std::string& why) {
    LogCapture log(Varnex::LOG_ERROR);
    KoreanVerbTable table(path);
    EXPECT_TRUE(log.contains("Load failed : " + path)) << why;
    EXPECT_EQ(table.getRowCount(), 0) << why;
    EXPECT_EQ(table.compoundDictionaryCount() + table.getExceptionRows().size(), 0u) << why;
    EXPECT_EQ(detectAllText(table, "가요? 학교 가요? 안 갔어?"), "") << why;
}

const char kGo[] = "가다/question/present", kWent[] = "가다/question/past", kLetsGo[] = "가다/suggest/future";
const char kEat[] = "먹다/question/future", kHave[] = "있다/question/present", kDo[] = "하다/question/present";

const std::vector<Want> kFixtureWants = {
    // "?" must be typed with a form that has it; only FALSE asks for casual.
    {"내일 가요?", kCasual, kGo, "", "가", "안 가", "글쎄"},
    {"내일 가요", kCasual, nullptr},
    {"먹을래요?", "FALSE", kEat, "", "먹을래", "안 먹을래", "글쎄"},
    {"먹을래요?", kPolite, kEat, "", "먹을래요", "안 먹을래요", "글쎄요"},
    {"먹을래?", kPolite, kEat, "", "먹을래요", "안 먹을래요", "글쎄요"},
    // Negative rules veto a statement (the longer key) and add forms.
    {"갈까 고민 중이야", kCasual, nullptr},
    {"갈까 말까", kCasual, kLetsGo, "", "가자", "", "글쎄"},
    {"가유?", kCasual, kGo, "", "가", "안 가", "글쎄"},
    // A compound-only (C) form needs a word in front; a negation counts.
    {"가?", kCasual, nullptr},
    {"누가?", kCasual, nullptr},
    {"안 가?", kCasual, kGo, "안(안)", "안 가", "가", "글쎄"},
    // D keeps the answers, N drops yes and no, a bare word goes before yes.
    {"돈 있어요?", kPolite, kHave, "돈(D)", "있어요", "없어요", "글쎄요"},
    {"먹고 있어요?", kPolite, kHave, "고(N)", "", "", "글쎄요"},
    {"시간 있어?", kCasual, kHave, "시간(-)", "시간있어", "", "글쎄"},
    {"기분 좋아?", kCasual, "좋다/question/present", "기분(-)", "그럼", "별로", "글쎄"},
    // The word may be glued to the verb or one space away, not two.
    {"운동해?", kCasual, kDo, "운동(D)", "해", "안 해", "글쎄"},
    {"운동 해?", kCasual, kDo, "운동(D)", "해", "안 해", "글쎄"},
    {"운동  해?", kCasual, nullptr},
    {"돈  있어?", kCasual, kHave, "", "있어", "없어", "글쎄"},
    // The negation stays a word of its own; no 안/못 commands, no 못 suggestions.
    {"안 가요?", kPolite, kGo, "안(안)", "안 가요", "가요", "글쎄요"},
    {"못 갔어?", kCasual, kWent, "못(못)", "못 갔어", "갔어", "글쎄"},
    {"빨리 가라", kCasual, "가다/command/present", "", "갈게", "", "글쎄"},
    {"안 가라", kCasual, nullptr},
    {"못 갈까?", kCasual, nullptr},
    // Exception rows: their own answers for their word ("" none) and time.
    {"학교 가요?", kPolite, kGo, "학교(D)", "학교 가요", "학교 안 가요", "아마요"},
    {"학교 갔어요?", kPolite, kWent, "학교(D)", "갔어요", "안 갔어요", "글쎄요"},
    {"어제 갔어?", kCasual, kWent, "", "다녀왔어", "아직", "글쎄"},
    {"안 갔어?", kCasual, kWent, "안(안)", "안 갔어", "갔어", "글쎄"},
    {"안 갈까?", kCasual, kLetsGo, "안(안)", "가지 말자", "", "글쎄"},
    {"우리 안 갈까요?", kPolite, kLetsGo, "안(안)", "가지 말아요", "", "글쎄요"},
};

TEST(VerbTable, FormsRegistersCompoundsNegationAndExceptions) {
    const KoreanVerbTable& t = *fixture().table;
    expectDetections(t, kFixtureWants);
    // A form without question mark needs a word boundary after it.
    for (const char* text : {"같이 갈까", "같이 갈까?", "같이 갈까 ㅎㅎ", "갈까!", "갈까~"})
        EXPECT_EQ(briefAll(t, text), "가다 () 가자/") << text;
    EXPECT_FALSE(detects(t, "어디 갈까지 가"));
    EXPECT_FALSE(detects(t, "갈까말까하다"));
    // Only the two polite levels get polite answers; anything else, "none"
    // included, is answered like the casual scenario replies.
    for (const char* h : {"HIGH", "NORMAL"})
        EXPECT_EQ(describe(lastOf(t, "먹을래요?", h)), describe(lastOf(t, "먹을래요?", kPolite))) << h;
    for (const char* h : {"", "none", "false", "TRUE"})
        EXPECT_EQ(describe(lastOf(t, "먹을래요?", h)), describe(lastOf(t, "먹을래요?", kCasual))) << h;
    EXPECT_EQ(describe(lastOf(t, "학교 가?")), "\"가?\" [7,11) row 0 가다/question/present/C compound \"학교\"(D) "
                                                "yes \"학교 가\" no \"학교 안 가\" notSure \"아마\" choice \"\"");
    EXPECT_EQ(lastOf(t, "가유?").row, 0);
    EXPECT_EQ(lastOf(t, "먹을 래요?").surface, "먹을 래요?");  // spaces inside a form are skipped
    EXPECT_EQ(lastOf(t, "먹고 있어요?", kPolite).choiceAnswer, "있어요");  // N leaves the choice
    EXPECT_EQ(lastOf(t, "같이 갈까?").choiceAnswer, "");
}

TEST(VerbTableMended, EachStepOfDetectAllStartsAfresh) {
    const KoreanVerbTable& t = *fixture().table;
    // 운동 belongs to 할래 only, 안 to the first 먹을래 only.
    EXPECT_EQ(briefAll(t, "운동 할래 쉴래?"), "하다 운동(D) 할래/안 할래; 쉬다 () 쉴래/안 쉴래");
    EXPECT_EQ(briefAll(t, "밥 안 먹을래 빵 먹을래?"), "먹다 안(안) 안 먹을래/먹을래; 먹다 () 먹을래/안 먹을래");
    // A compound-only form does not count on a word in front of an earlier verb.
    EXPECT_EQ(briefAll(t, "운동 할래 해?"), "하다 운동(D) 할래/안 할래");
    EXPECT_EQ(briefAll(t, "운동 할래 운동 해?"), "하다 운동(D) 할래/안 할래; 하다 운동(D) 해/안 해");
    std::vector<DetectedVerbInfo> infos(1);  // appended to; nothing in empty text
    EXPECT_EQ(t.detectAll("갔어?", kCasual, infos), 2);
    EXPECT_EQ(t.detectAll("", kCasual, infos), 2);
    // A record used again keeps nothing.
    DetectedVerbInfo d;
    ASSERT_TRUE(t.detectLast("학교 가요?", kPolite, d));
    ASSERT_EQ(d.compoundWord, "학교");
    EXPECT_FALSE(t.detectLast("가?", kCasual, d));
    ASSERT_TRUE(t.detectLast("갔어요?", kPolite, d));
    EXPECT_EQ(d.compoundWord + "|" + d.yesAnswer, "|다녀왔어요");
}

TEST(VerbTableMended, EmptyFormsNeverEnterTheDictionary) {
    TempDir dir;
    LogCapture log(Varnex::LOG_WARN);
    const Paths p = writeFixture(dir,
                                 "verb\n" + row("가다\tquestion\tpresent", ",가요?,가세요?,,가실래요?, ,C,C ,/,?,~/,C?",
                                                "가요,안 가요", "가?,, , ", "가,안 가"),
                                 "", "", "");
    auto table = p.build();
    EXPECT_TRUE(log.contains("empty verb form skipped"));
    EXPECT_EQ(table->getRowCount(), 1);
    for (const char* text : {"가요?", "가세요?", "가실래요?", "가?"}) EXPECT_TRUE(detects(*table, text, kPolite)) << text;
    // Nothing matches at a bare boundary or a bare question mark.
    for (const char* text : {"?", "뭐?", "응 ?", " ", "/", "a b", "그래.", "ㅋㅋ?"})
        EXPECT_EQ(detectAllText(*table, text), "") << text;
    // The table still makes a single-file form that reads back.
    ASSERT_TRUE(p.prebuild(dir.file("verb_table.bin")));
    EXPECT_EQ(KoreanVerbTable(dir.file("verb_table.bin")).getRowCount(), 1);
}

TEST(VerbTableMended, AnUnparsableValueGivesNoAnswers) {
    // Only a single-file table can carry such a value; no answers of row 0.
    TempDir dir;
    HandMade h;
    h.entries = {{"가요?", "가다,question,present,0,-"}, {"해요?", "하다,question,present,5,-"},  // no row 5
                 {"와요?", "오다,question,present,zero,-"}, {"봐요?", "보다,question,present"}, {"돼요?", ""},
                 {"자요?", "자다,question,present,0,-,x"}, {"사요?", "사다,question,present,-1,-"},
                 {"서요?", "서다,question,present,0abc,-"}, {"써요?", "쓰다,question,present, 0,-"},
                 {"커요?", "크다,question,present,99999999999,-"}};
    LogCapture log(Varnex::LOG_WARN);
    KoreanVerbTable table(h.write(dir));
    ASSERT_EQ(table.getRowCount(), 1) << "the hand-made file must load";
    EXPECT_EQ(lastOf(table, "가요?", kPolite).yesAnswer, "가요");
    for (const char* text : {"와요?", "봐요?", "돼요?", "자요?", "사요?", "서요?", "써요?", "커요?"}) {
        bool found = false;
        const DetectedVerbInfo d = lastOf(table, text, kPolite, &found);
        EXPECT_TRUE(found) << text;
        EXPECT_EQ(d.yesAnswer + d.noAnswer + d.notSureAnswer + d.verb, "") << describe(d);
    }
    EXPECT_TRUE(log.contains("Verb form with an unreadable value"));
    const DetectedVerbInfo none = lastOf(table, "해요?", kPolite);
    EXPECT_EQ(none.verb + "|" + none.yesAnswer, "하다|");
}

TEST(VerbTableLoading, TheFirstLineShortAndMalformedVerbRowsAreSkipped) {
    // The column-name line; rows of 26 and 25 fields (trailing tabs dropped),
    // a bad verb, no verb, one field; a row of 42, without casual not-sure.
    const std::string head = "가다\tquestion\tpresent";
    const std::string verbs = row(head, "가요?", "가요,안 가요", "가?", "가,안 가") +
                              row(head, "가세요?", "가요,안 가요", "가?", "가,안 가", 40) +
                              row(head, "가실래요?", "가요,안 가요", "", "", 39) +
                              row("가,다\tquestion\tpresent", "가요?", "가요,안 가요", "가니?", "가,안 가") +
                              row("\tquestion\tpresent", "놀아요?", "놀아요,안 놀아요", "노니?", "놀아,안 놀아") +
                              "\n\n아무거나\n" +
                              row("먹다\tquestion\tpast", "먹었어요?", "먹었어요,안 먹었어요", "먹었어?", "먹었어,안 먹었어") +
                              row("자다\tquestion\tpresent", "자요?", "자요,안 자요", "자니?", "자,안 자", 43, "");
    TempDir dir;
    LogCapture log(Varnex::LOG_WARN);
    auto table = writeFixture(dir, verbs, "", "", "").build();
    for (const char* line : {"26 fields, 41 needed", "bad verb, type or time", "1 field, 41 needed"})
        EXPECT_TRUE(log.contains(line)) << line;
    EXPECT_EQ(table->getRowCount(), 2);
    for (const char* text : {"가요?", "가세요?", "가실래요?", "가니?", "놀아요?"})
        EXPECT_FALSE(detects(*table, text, kPolite)) << text;
    EXPECT_EQ(describe(lastOf(*table, "먹었어?")), "\"먹었어?\" [0,10) row 0 먹다/question/past/- compound \"\"() "
                                                   "yes \"먹었어\" no \"안 먹었어\" notSure \"글쎄\" choice \"\"");
    EXPECT_EQ(lastOf(*table, "먹었어요?", kPolite).notSureAnswer, "글쎄요");
    EXPECT_EQ(lastOf(*table, "자요?", kPolite).notSureAnswer, "");
    // Files that cannot be read give nothing.
    KoreanVerbTable none("/nonexistent/a", "/nonexistent/b", "/nonexistent/c", "/nonexistent/d");
    EXPECT_TRUE(log.contains("/nonexistent/a: no such file"));
    EXPECT_EQ(none.getRowCount(), 0);
    EXPECT_EQ(detectAllText(none, "가요? 먹었어?"), "");
}

TEST(VerbTableLoading, BadNegativeAndExceptionRowsAreSkippedInScrambledFiles) {
    auto scramble = [](const std::string& plain) {
        std::unique_ptr<char[]> bytes(Varnex::Utilities::Encryptor().encrypt(plain.data(), plain.size()));
        return std::string(bytes.get(), plain.size());
    };
    TempDir dir;
    const std::string negatives = std::string(kNegatives) +
                                  "가다,question,present,zero,-\t가여?\n가다,question,present,999,-\t가용?\n"
                                  "가다,question\t가슈?\nFALSE\t가\t요\nFALSE\t/\n";
    const std::string exceptions = std::string(kExceptions) +
                                   "날다\tquestion\tpresent\t안\t날아요,안 날아요\t글쎄요\t날아,안 날아\t글쎄\n"
                                   "가다\tquestion\tpresent\t집\t집에 가요\t글쎄요\t집에 가\n"
                                   "가다\tquestion\tpresent\t\t가요\t글쎄요\t가\t글쎄\n";
    LogCapture log(Varnex::LOG_WARN);
    auto table = writeFixture(dir, scramble(kVerbs), scramble(kCompounds), scramble(negatives),
                              scramble(exceptions), ".enc")
                     .build();
    for (const char* line : {"value is not FALSE", "no verb row 999", "3 fields, at most 2 allowed", "empty key",
                             "unknown verb 날다", "7 fields, 8 needed", "no compound word"})
        EXPECT_TRUE(log.contains(line)) << line;
    for (const char* text : {"가여?", "가용?", "가슈?"}) EXPECT_FALSE(detects(*table, text)) << text;
    EXPECT_EQ(lastOf(*table, "가유?").verb, "가다");
    EXPECT_EQ(table->getRowCount(), 10 + 3);  // no skipped exception took a row
    EXPECT_EQ(table->getExceptionRows().size(), 3u);
    for (const Want& w : kFixtureWants)
        EXPECT_EQ(detectAllText(*table, w.text, w.honorific), detectAllText(*fixture().table, w.text, w.honorific));
}

TEST(VerbTablePrebuilt, IsWrittenAlikeEachTimeAndNeverFromNothing) {
    TempDir dir;
    const Paths& p = fixture().paths;
    ASSERT_TRUE(p.prebuild(dir.file("one.bin")) && p.prebuild(dir.file("two.bin")));
    EXPECT_EQ(VarnexTest::readFile(dir.file("one.bin")), VarnexTest::readFile(dir.file("two.bin")));
    LogCapture log(Varnex::LOG_ERROR);
    const std::string none = dir.file("none.bin"), a = dir.file("a");
    EXPECT_FALSE(KoreanVerbTable::prebuildRules(a, a, a, a, none));  // no verb rows
    EXPECT_FALSE(Varnex::Utilities::isRegularFile(none));
    EXPECT_TRUE(log.contains("Prebuild failed, no verb rows"));
    EXPECT_FALSE(p.prebuild(dir.file("no/such/dir/x")));
}

TEST(VerbTablePrebuilt, MissingTruncatedOrDamagedFilesAreRejected) {
    TempDir dir;
    expectRejected(dir.file("missing.bin"), "missing");
    expectRejected(dir.path(), "a directory");
    expectRejected(dir.write("empty.bin", ""), "empty");
    expectRejected(dir.write("text.bin", "가다\tquestion\tpresent\n"), "text");
    ASSERT_TRUE(fixture().paths.prebuild(dir.file("verb_table.bin")));
    const std::string bytes = VarnexTest::readFile(dir.file("verb_table.bin"));
    const size_t n = bytes.size();
    ASSERT_GT(n, 100u);
    // Cut in and after the row count, in each section, a byte short; a byte long.
    for (size_t cut : {size_t(1), size_t(9), size_t(10), size_t(11), size_t(40), n / 4, n / 2, 3 * n / 4, n - 5, n - 1})
        expectRejected(dir.write("cut.bin", bytes.substr(0, cut)), "cut at " + std::to_string(cut));
    expectRejected(dir.write("long.bin", bytes + "x"), "trailing byte");
    // Fields out of range; as written, the hand-made file loads.
    HandMade good;
    good.exceptions = {{"가다/question/present/학교", 0}};
    KoreanVerbTable table(good.write(dir));
    EXPECT_EQ(table.getRowCount(), 1);
    EXPECT_EQ(lastOf(table, "가요?").yesAnswer, "가");
    EXPECT_EQ(table.getExceptionRows().size(), 1u);
    const std::vector<std::pair<const char*, std::function<void(HandMade&)>>> damages = {
        {"negative row count", [](HandMade& h) { h.rowCount = "-1"; }},
        {"compound count beyond the file", [](HandMade& h) { h.compoundCount = 999999999; }},
        {"negative count", [](HandMade& h) { h.compoundCount = -5; }},
        {"answer row beyond the row count", [](HandMade& h) { h.answers = {{1, {"가요", "가"}}}; }},
        {"repeated answer row", [](HandMade& h) { h.answers = {{0, {"가요", "가"}}, {0, {"와요", "와"}}}; }},
        {"exception row beyond the row count", [](HandMade& h) { h.exceptions = {{"가다/question/present/", 3}}; }},
    };
    for (const auto& damage : damages) {
        HandMade h;
        damage.second(h);
        expectRejected(h.write(dir), damage.first);
    }
}

std::string shippedFile(int i) {
    static const char* const names[] = {"yes_no_type.dictionary", "yes_no_compound.rule", "yes_no_negative.rule",
                                        "yes_no_type_exception.dictionary"};
    return std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/model/" + names[i];
}

// The shipped table from its four files, read once per test program.
const KoreanVerbTable& shipped() {
    static const KoreanVerbTable table(shippedFile(0), shippedFile(1), shippedFile(2), shippedFile(3));
    return table;
}

// Each conjugation class in both registers, each time, compounds, negation,
// an exception row, and words that only end like a verb form.
const std::vector<Want> kShippedWants = {
    {"밥 먹었어?", kCasual, "먹다/question/past", nullptr, "먹었어", "안 먹었어"},
    {"밥 먹었어요?", kPolite, "먹다/question/past", nullptr, "먹었어요", "안 먹었어요"},
    {"저녁 먹을 거예요?", kPolite, "먹다/question/future", nullptr, "먹을 거예요", "안 먹을 거예요"},
    {"밥 먹고 있어?", kCasual, "먹다/question/present_progressive", nullptr, "먹고 있어", "안 먹고 있어"},
    {"전에 먹었었어요?", kPolite, "먹다/question/past_perfect", nullptr, "먹었었어요", "안 먹었었어요"},
    {"내일 와요?", kPolite, "오다/question/present", nullptr, "와요", "안 와요"},
    {"같이 갈래?", kCasual, "가다/question/future", "같이(D)", "갈래", "안 갈래"},
    {"영화 볼까?", kCasual, "보다/suggest/future", "영화(D)", "보자", "다음에 보자"},
    {"영화 볼까요?", kPolite, "보다/suggest/future", nullptr, "봐요", "다음에 봐요"},
    {"창문 열까?", kCasual, "열다/suggest/future", nullptr, "열자", ""},  // no outing to put off
    // Asked to come, one answers that one goes; 도 in front may name a third person.
    {"내일 올래?", kCasual, "오다/question/future", nullptr, "갈게", "못 갈 것 같아"},
    {"우산 가져올 수 있어요?", kPolite, "가져오다/question/present", nullptr, "가져갈 수 있어요", "못 가져가요"},
    {"민수도 올 수 있어?", kCasual, "오다/question/present", "도(N)", "", ""},
    {"연락했어?", kCasual, "연락하다/question/past", nullptr, "연락했어", "연락 안 했어"},
    {"연락했어요?", kPolite, "연락하다/question/past", nullptr, "연락했어요", "연락 안 했어요"},
    {"음악 들었어?", kCasual, "듣다/question/past", nullptr, "들었어", "안 들었어"},
    {"음악 들었어요?", kPolite, "듣다/question/past", nullptr, "들었어요", "안 들었어요"},
    {"추워?", kCasual, "춥다/question/present", nullptr, "추워", "안 추워"},
    {"내일 추울까요?", kPolite, "춥다/question/future", nullptr, "추울 거예요", "안 추울 거예요"},
    {"감기 다 나았어?", kCasual, "낫다/question/past", nullptr, "나았어", "안 나았어"},
    {"감기 다 나았어요?", kPolite, "낫다/question/past", nullptr, "나았어요", "안 나았어요"},
    {"그거 몰라?", kCasual, "모르다/question/present", nullptr, "몰라", "알아"},
    {"노래 불렀어요?", kPolite, "부르다/question/past", nullptr, "불렀어요", "안 불렀어요"},
    {"진짜 그래?", kCasual, "그렇다/question/present", nullptr, "그래", "안 그래"},
    {"진짜 그랬어요?", kPolite, "그렇다/question/past", nullptr, "그랬어요", "안 그랬어요"},
    {"지금 바빠?", kCasual, "바쁘다/question/present", nullptr, "바빠", "안 바빠"},
    {"지금 바빠요?", kPolite, "바쁘다/question/present", nullptr, "바빠요", "안 바빠요"},
    {"길 알아?", kCasual, "알다/question/present", nullptr, "알아", "몰라"},
    {"길 아세요?", kPolite, "알다/question/present", nullptr, "알아요", "몰라요"},
    {"괜찮으세요?", kPolite, "괜찮다/question/present", nullptr, "괜찮아요", "안 괜찮아요"},
    {"의자에 앉아 있어?", kCasual, "있다/question/present", "아(N)", "", "", "글쎄"},  // 있다 as an auxiliary
    {"안 자?", kCasual, "자다/question/present", "안(안)", "안 자", "자"},
    {"못 와요?", kPolite, "오다/question/present", "못(못)", "못 와요", "와요"},
    {"우리 안 갈까?", kCasual, "가다/suggest/future", nullptr, "가지 말자", ""},
    {"우리 안 갈까요?", kPolite, "가다/suggest/future", nullptr, "가지 말아요", ""},
    {"뭐 하고 있어?", kCasual, nullptr},  // 하다 wants a word in front
    // A form glued to the start of a longer verb: that verb when listed, else no answers with a cut-off start.
    {"안경 맞췄어?", kCasual, "맞추다/question/past", nullptr, "맞췄어", "안 맞췄어"},
    {"사실 인정했어?", kCasual, "정하다/question/past", nullptr, "", ""},
    {"밥먹었어?", kCasual, "먹다/question/past", "밥(D)", "먹었어", "안 먹었어"},
    {"누가?", kCasual, nullptr},
    {"내일 갈까 생각 중이야", kCasual, nullptr},
    {"늦을까 봐 걱정이야", kCasual, nullptr},
};

TEST(VerbTableShipped, ClassesCompoundsNegationExceptionsAndSeveralVerbs) {
    const KoreanVerbTable& t = shipped();
    ASSERT_GT(t.getRowCount(), 3000) << "the shipped table did not load";
    expectDetections(t, kShippedWants);
    const DetectedVerbInfo d = lastOf(t, "숙제 다 했니?");
    EXPECT_EQ(d.verb + " " + d.compoundWord, "하다 다");
    EXPECT_FALSE(d.yesAnswer.empty());
    EXPECT_EQ(lastOf(t, "공부 하고 있어?").verb, "공부하다");
    std::pair<std::string, std::string> lists;
    for (const auto& kv : t.getExceptionRows()) EXPECT_TRUE(t.getAnswerRow(kv.second, lists)) << kv.first;
    // The first and the last of several verbs, each with its own words.
    const std::string text = "밥 먹었어? 내일 와?";
    std::vector<DetectedVerbInfo> infos;
    ASSERT_EQ(t.detectAll(text, kCasual, infos), 2);
    EXPECT_EQ(infos[1].begin, static_cast<int>(std::string("밥 먹었어? 내일 ").size()));
    DetectedVerbInfo first;
    ASSERT_TRUE(t.detectFirst(text, kCasual, first));
    EXPECT_EQ(infos[0].verb + infos[1].verb + first.verb + lastOf(t, text).verb, "먹다오다먹다오다");
    EXPECT_EQ(briefAll(t, "운동 할래? 쉴래?"), "운동하다 () 운동할래/운동 안 할래; 쉬다 () 쉴래/안 쉴래");
    EXPECT_EQ(briefAll(t, "밥 안 먹을래? 빵 먹을래?"), "먹다 안(안) 안 먹을래/먹을래; 먹다 () 먹을래/안 먹을래");
}

TEST(VerbTableShipped, PrebuiltEqualsTheFourFiles) {
    LogCapture log(Varnex::LOG_WARN);
    const KoreanVerbTable four(shippedFile(0), shippedFile(1), shippedFile(2), shippedFile(3));
    EXPECT_TRUE(log.lines().empty()) << "the shipped files load with a warning: " << log.lines()[0].text;
    EXPECT_GT(four.getExceptionRows().size(), 100u);
    EXPECT_TRUE(four.hasCompoundDictionary("하다"));
    TempDir dir;
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(shippedFile(0), shippedFile(1), shippedFile(2), shippedFile(3),
                                               dir.file("verb_table.bin")));
    const KoreanVerbTable one(dir.file("verb_table.bin"));
    ASSERT_EQ(one.getRowCount(), four.getRowCount());
    EXPECT_EQ(one.getExceptionRows(), four.getExceptionRows());
    EXPECT_EQ(one.compoundDictionaryCount(), four.compoundDictionaryCount());
    for (int row = 0; row < four.getRowCount(); ++row) {
        auto rowOf = [row](const KoreanVerbTable& t) {
            std::pair<std::string, std::string> answers, notSure;
            const bool a = t.getAnswerRow(row, answers), n = t.getNotSureRow(row, notSure);
            return std::to_string(a) + answers.first + "|" + answers.second + std::to_string(n) + notSure.first + "|" +
                   notSure.second;
        };
        EXPECT_EQ(rowOf(one), rowOf(four)) << row;
    }
    std::vector<std::string> texts = {"숙제 다 했니?", "공부 하고 있어?", "운동 할래? 쉴래?", "밥 안 먹을래? 빵 먹을래?",
                                      "밥 먹었어? 내일 와?", "오늘 저녁에 시간 괜찮으면 같이 밥 먹을래?"};
    for (const Want& w : kShippedWants) texts.push_back(w.text);
    for (const std::string& text : texts)
        for (const char* h : {kCasual, kPolite}) {
            EXPECT_EQ(detectAllText(one, text, h), detectAllText(four, text, h)) << text;
            EXPECT_EQ(describe(lastOf(one, text, h)), describe(lastOf(four, text, h))) << text;
        }
}

}  // namespace
