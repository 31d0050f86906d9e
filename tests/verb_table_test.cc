// The verb table: loading the four verb files and the single-file form,
// detecting interrogative verb forms, compound words and negation in front of
// the verb, exception rows, answers in the register asked for, and the
// defences against damaged input. Behaviour is checked on small fixtures and
// on the shipped table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
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
using Varnex::VerbInfo;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {

const char kCasual[] = "FALSE";
const char kPolite[] = "TRUE";

// ---------------------------------------------------------------------------
// Helpers

std::string join(const std::vector<std::string>& fields, char sep = '\t') {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += sep;
        out += fields[i];
    }
    return out;
}

// One verb row of `fieldCount` fields (columns past it are left out).
struct Row {
    std::string verb, type, time;
    std::vector<std::string> polite;  // cells of columns 3..23
    std::string politeAnswers;
    std::vector<std::string> casual;  // cells of columns 25..39
    std::string casualAnswers;
    std::string politeNotSure = "글쎄요";
    std::string casualNotSure = "글쎄";
    size_t fieldCount = 43;

    std::string line() const {
        std::vector<std::string> cols(43);
        cols[0] = verb;
        cols[1] = type;
        cols[2] = time;
        for (size_t i = 0; i < polite.size(); ++i) cols[3 + i] = polite[i];
        cols[24] = politeAnswers;
        for (size_t i = 0; i < casual.size(); ++i) cols[25 + i] = casual[i];
        cols[40] = casualAnswers;
        cols[41] = politeNotSure;
        cols[42] = casualNotSure;
        cols.resize(fieldCount);
        return join(cols);
    }
};

const char kHeader[] = "verb\ttype\ttime\tforms...";

std::string verbFile(const std::vector<Row>& rows, bool header = true) {
    std::string out = header ? std::string(kHeader) + "\n" : std::string();
    for (const Row& r : rows) out += r.line() + "\n";
    return out;
}

// The fixture: a handful of verbs written the way the shipped table writes
// them. Row numbers: 가다 present 0, past 1, suggest 2, command 3; 하다
// future 4, present 5; 쉬다 6; 먹다 7; 있다 8; 좋다 9.
std::vector<Row> fixtureRows() {
    return {
        {"가다", "question", "present", {"가요?", "가세요?"}, "가요,안 가요,가요", {"C가?", "가니?"}, "가,안 가,가"},
        {"가다", "question", "past", {"갔어요?"}, "갔어요,안 갔어요", {"갔어?"}, "갔어,안 갔어"},
        {"가다", "suggest", "future", {"갈까요"}, "가요", {"갈까"}, "가자"},
        {"가다", "command", "present", {"가십시오"}, "갈게요", {"가라"}, "갈게"},
        {"하다", "question", "future", {"할래요?"}, "할래요,안 할래요", {"할래"}, "할래,안 할래"},
        {"하다", "question", "present", {"해요?"}, "해요,안 해요", {"C해?"}, "해,안 해"},
        {"쉬다", "question", "future", {"쉴래요?"}, "쉴래요,안 쉴래요", {"쉴래?"}, "쉴래,안 쉴래"},
        {"먹다", "question", "future", {"먹을래요?"}, "먹을래요,안 먹을래요", {"먹을래"}, "먹을래,안 먹을래"},
        {"있다", "question", "present", {"있어요?"}, "있어요,없어요,있어요", {"있어?"}, "있어,없어,있어"},
        {"좋다", "question", "present", {"좋아요?"}, "그럼요,별로요", {"좋아?"}, "그럼,별로"},
    };
}

const char kFixtureCompounds[] =
    "하다\tD운동\tD숙제\n"
    "있다\tN고\t시간\tD돈\n"
    "좋다\t기분\n"
    "가다\tD학교\n"
    "먹다\tD밥\n";

const char kFixtureNegatives[] =
    "FALSE\t갈까고민\n"
    "가다,question,present,0,-\t가유?\n";

const char kFixtureExceptions[] =
    "가다\tquestion\tpresent\t학교\t학교 가요,학교 안 가요\t아마요\t학교 가,학교 안 가\t아마\n"
    "가다\tquestion\tpast\t,\t다녀왔어요,아직이요\t글쎄요\t다녀왔어,아직\t글쎄\n"
    "가다\tsuggest\tfuture\t안\t가지 말아요\t글쎄요\t가지 말자\t글쎄\n";

struct Paths {
    std::string verb, compound, negative, exception;
};

Paths writeFixture(const TempDir& dir, const std::string& verbs, const std::string& compounds = kFixtureCompounds,
                   const std::string& negatives = kFixtureNegatives,
                   const std::string& exceptions = kFixtureExceptions, const std::string& suffix = "") {
    return {dir.write("yes_no_type.dictionary" + suffix, verbs), dir.write("yes_no_compound.rule" + suffix, compounds),
            dir.write("yes_no_negative.rule" + suffix, negatives),
            dir.write("yes_no_type_exception.dictionary" + suffix, exceptions)};
}

std::unique_ptr<KoreanVerbTable> build(const Paths& p) {
    return std::make_unique<KoreanVerbTable>(p.verb, p.compound, p.negative, p.exception);
}

std::string scramble(const std::string& plain) {
    std::unique_ptr<char[]> bytes(Varnex::Utilities::Encryptor().encrypt(plain.data(), plain.size()));
    return std::string(bytes.get(), plain.size());
}

std::string describe(const DetectedVerbInfo& d) {
    char where[64];
    std::snprintf(where, sizeof where, "[%d,%d) row %d", d.begin, d.end, d.row);
    return "\"" + d.surface + "\" " + where + " " + d.verb + "/" + d.type + "/" + d.time + "/" + d.compoundRule +
           " compound \"" + d.compoundWord + "\"(" + d.compoundValue + ") yes \"" + d.yesAnswer + "\" no \"" +
           d.noAnswer + "\" notSure \"" + d.notSureAnswer + "\" choice \"" + d.choiceAnswer + "\"";
}

std::string describeAll(const std::vector<DetectedVerbInfo>& infos) {
    std::string out;
    for (const auto& d : infos) out += describe(d) + "\n";
    return out;
}

// Detections without the row number (which differs between tables built in
// different ways only if their files differ).
std::string detectAllText(const KoreanVerbTable& table, const std::string& text, const std::string& honorific) {
    std::vector<DetectedVerbInfo> infos;
    table.detectAll(text, honorific, infos);
    return describeAll(infos);
}

DetectedVerbInfo lastOf(const KoreanVerbTable& table, const std::string& text, const std::string& honorific,
                        bool* found = nullptr) {
    DetectedVerbInfo d;
    const bool ok = table.detectLast(text, honorific, d);
    if (found) *found = ok;
    return d;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A single-file table written field by field, for files the writer would
// never produce.
struct HandMade {
    std::string rowCount = "1";
    std::vector<std::pair<std::string, std::string>> entries = {{"가요?", "가다,question,present,0,-"}};
    int compoundCount = 0;
    std::vector<std::pair<int, std::pair<std::string, std::string>>> answers = {{0, {"가요,안 가요", "가,안 가"}}};
    std::vector<std::pair<int, std::pair<std::string, std::string>>> notSure = {{0, {"글쎄요", "글쎄"}}};
    int answerCount = -1;  // -1: the number of answers
    std::vector<std::pair<std::string, int>> exceptions;
    std::string trailer;

    std::string write(const TempDir& dir, const std::string& name) const {
        const std::string path = dir.file(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        char field[16];
        std::snprintf(field, sizeof field, "%10s", rowCount.c_str());
        out.write(field, 10);
        Varnex::DictionaryFeature(entries).save(out);
        Varnex::BinaryIO::write(out, compoundCount);
        Varnex::BinaryIO::write(out, answerCount < 0 ? static_cast<int>(answers.size()) : answerCount);
        for (const auto& a : answers) {
            Varnex::BinaryIO::write(out, a.first);
            Varnex::BinaryIO::write(out, a.second);
        }
        Varnex::BinaryIO::write(out, static_cast<int>(notSure.size()));
        for (const auto& a : notSure) {
            Varnex::BinaryIO::write(out, a.first);
            Varnex::BinaryIO::write(out, a.second);
        }
        Varnex::BinaryIO::write(out, static_cast<int>(exceptions.size()));
        for (const auto& e : exceptions) {
            Varnex::BinaryIO::write(out, e.first);
            Varnex::BinaryIO::write(out, e.second);
        }
        out << trailer;
        return path;
    }
};

// ---------------------------------------------------------------------------
// Fixture table shared by the behaviour tests

class VerbTableFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir();
        paths = writeFixture(*dir, verbFile(fixtureRows()));
        table = build(paths).release();
    }
    static void TearDownTestSuite() {
        delete table;
        delete dir;
        table = nullptr;
        dir = nullptr;
    }

    static DetectedVerbInfo last(const std::string& text, const std::string& honorific = kCasual,
                                 bool* found = nullptr) {
        return lastOf(*table, text, honorific, found);
    }
    static bool detects(const std::string& text, const std::string& honorific = kCasual) {
        DetectedVerbInfo d;
        return table->detectLast(text, honorific, d);
    }

    static TempDir* dir;
    static Paths paths;
    static KoreanVerbTable* table;
};

TempDir* VerbTableFixture::dir = nullptr;
Paths VerbTableFixture::paths;
KoreanVerbTable* VerbTableFixture::table = nullptr;

// ===========================================================================
// Markers and parsing

TEST(VerbTableMarkers, EachTestLooksAtTheFirstByteOnly) {
    EXPECT_TRUE(KoreanVerbTable::isCompoundOnly("C가?"));
    EXPECT_FALSE(KoreanVerbTable::isCompoundOnly("가C"));
    EXPECT_TRUE(KoreanVerbTable::isCompoundButNoAdd("D"));
    EXPECT_TRUE(KoreanVerbTable::isCompoundButYNOnly("N고"));
    EXPECT_FALSE(KoreanVerbTable::hasCompoundRule(""));
    EXPECT_FALSE(KoreanVerbTable::hasCompoundRule("-"));
    EXPECT_EQ(KoreanVerbTable::getCompoundRule("D학교"), "D");
    EXPECT_EQ(KoreanVerbTable::getCompoundRule("학교"), "-");
    EXPECT_EQ(KoreanVerbTable::getCompoundRule(""), "-");
    EXPECT_EQ(KoreanVerbTable::removeCompoundRule("N고"), "고");
    EXPECT_EQ(KoreanVerbTable::removeCompoundRule("C"), "");
    EXPECT_EQ(KoreanVerbTable::removeCompoundRule("고"), "고");
    EXPECT_EQ(KoreanVerbTable::removeContOperator("/지금"), "지금");
    EXPECT_EQ(KoreanVerbTable::removeContOperator("~에"), "에");
    EXPECT_EQ(KoreanVerbTable::removeContOperator("지금/"), "지금/");
    EXPECT_EQ(KoreanVerbTable::removeContOperator(""), "");
    EXPECT_TRUE(KoreanVerbTable::isCommonAnswer("그래요"));
    EXPECT_TRUE(KoreanVerbTable::isCommonAnswer(""));  // compared over no bytes at all
    EXPECT_FALSE(KoreanVerbTable::isCommonAnswer("가요"));
}

TEST(VerbTableParse, FiveFieldsWithANumericRow) {
    VerbInfo v;
    ASSERT_TRUE(v.parse("가다,question,past,12,C"));
    EXPECT_EQ(v.verb, "가다");
    EXPECT_EQ(v.type, "question");
    EXPECT_EQ(v.time, "past");
    EXPECT_EQ(v.row, 12);
    EXPECT_EQ(v.compoundRule, "C");
}

TEST(VerbTableParse, AnythingElseChangesNothing) {
    for (const char* bad : {"", "FALSE", "가다,question,past,1", "가다,question,past,1,-,x", "가다,question,past,x,-",
                            "가다,question,past,-1,-", "가다,question,past,12abc,-", "가다,question,past,99999999999,-",
                            "가다,question,past, 1,-"}) {
        VerbInfo v;
        v.verb = "unchanged";
        v.row = 7;
        EXPECT_FALSE(v.parse(bad)) << bad;
        EXPECT_EQ(v.verb, "unchanged") << bad;
        EXPECT_EQ(v.row, 7) << bad;
    }
}

TEST(VerbTableParse, SetAnswersAssignsTheFourAnswersInOrder) {
    DetectedVerbInfo d;
    d.setAnswers("a", "b", "c", "d");
    EXPECT_EQ(d.yesAnswer, "a");
    EXPECT_EQ(d.noAnswer, "b");
    EXPECT_EQ(d.notSureAnswer, "c");
    EXPECT_EQ(d.choiceAnswer, "d");
    EXPECT_EQ(d.begin, 0);
    EXPECT_EQ(d.end, 0);
    EXPECT_TRUE(d.compoundWord.empty());
}

// ===========================================================================
// Loading the four files

TEST_F(VerbTableFixture, RowsCountVerbRowsAndExceptionRows) {
    EXPECT_EQ(table->getRowCount(), 10 + 3);
    std::pair<std::string, std::string> lists;
    ASSERT_TRUE(table->getAnswerRow(7, lists));
    EXPECT_EQ(lists.first, "먹을래요,안 먹을래요");
    EXPECT_EQ(lists.second, "먹을래,안 먹을래");
    ASSERT_TRUE(table->getAnswerRow(10, lists));  // the first exception row
    EXPECT_EQ(lists.first, "학교 가요,학교 안 가요");
    EXPECT_FALSE(table->getAnswerRow(13, lists));
    EXPECT_EQ(table->getExceptionRows().at("가다/question/present/학교"), 10);
    EXPECT_EQ(table->getExceptionRows().at("가다/question/past/"), 11);
}

TEST_F(VerbTableFixture, EveryVerbGetsACompoundDictionary) {
    for (const char* verb : {"가다", "하다", "쉬다", "먹다", "있다", "좋다"})
        EXPECT_TRUE(table->hasCompoundDictionary(verb)) << verb;
    EXPECT_EQ(table->compoundDictionaryCount(), 6u);
}

TEST(VerbTableLoading, TheFirstLineIsSkippedAsColumnNames) {
    TempDir dir;
    auto rows = fixtureRows();
    // Without a header the first verb row takes the header's place.
    auto table = build(writeFixture(dir, verbFile(rows, false), "", "", ""));
    EXPECT_EQ(table->getRowCount(), static_cast<int>(rows.size()) - 1);
    DetectedVerbInfo d;
    EXPECT_FALSE(table->detectLast("가요?", kCasual, d));
    EXPECT_TRUE(table->detectLast("갔어요?", kCasual, d));
    EXPECT_EQ(d.row, 0);
}

TEST(VerbTableLoading, ShortRowsAreSkippedWithoutUsingARowNumber) {
    TempDir dir;
    Row shortRow{"가다", "question", "present", {"가요?"}, "가요,안 가요", {"가?"}, "가,안 가"};
    shortRow.fieldCount = 40;  // columns 40.. missing
    Row good{"먹다", "question", "past", {"먹었어요?"}, "먹었어요,안 먹었어요", {"먹었어?"}, "먹었어,안 먹었어"};
    LogCapture log(Varnex::LOG_WARN);
    auto table = build(writeFixture(dir, verbFile({shortRow, good}), "", "", ""));
    // Lines lose their trailing tabs when read: 26 fields are left.
    EXPECT_TRUE(log.contains("Verb row skipped, 26 fields"));
    EXPECT_EQ(table->getRowCount(), 1);
    DetectedVerbInfo d;
    EXPECT_FALSE(table->detectLast("가요?", kCasual, d));
    ASSERT_TRUE(table->detectLast("먹었어?", kCasual, d));
    EXPECT_EQ(d.row, 0);
    EXPECT_EQ(d.yesAnswer, "먹었어");
}

TEST(VerbTableLoading, RowWithEmptyLastColumnsHasTooFewFields) {
    // Columns 39 and 40 empty and last in the line: 39 fields, although the
    // first group is complete.
    TempDir dir;
    Row r{"가다", "question", "present", {"가요?"}, "가요,안 가요", {}, ""};
    r.fieldCount = 39;
    auto table = build(writeFixture(dir, verbFile({r}), "", "", ""));
    EXPECT_EQ(table->getRowCount(), 0);
    DetectedVerbInfo d;
    EXPECT_FALSE(table->detectLast("가요?", kPolite, d));
}

TEST(VerbTableLoading, NotSureAnswersNeedBothColumns) {
    TempDir dir;
    Row r{"가다", "question", "present", {"가요?"}, "가요,안 가요", {"가니?"}, "가,안 가"};
    r.casualNotSure = "";
    r.fieldCount = 43;  // the reader drops the trailing tab: 42 fields
    Row full{"먹다", "question", "past", {"먹었어요?"}, "먹었어요,안 먹었어요", {"먹었어?"}, "먹었어,안 먹었어"};
    auto table = build(writeFixture(dir, verbFile({r, full}), "", "", ""));
    ASSERT_EQ(table->getRowCount(), 2);
    std::pair<std::string, std::string> ns;
    ASSERT_TRUE(table->getNotSureRow(0, ns));
    EXPECT_EQ(ns.first, "");
    EXPECT_EQ(ns.second, "");
    EXPECT_EQ(lastOf(*table, "가요?", kPolite).notSureAnswer, "");
    EXPECT_EQ(lastOf(*table, "먹었어요?", kPolite).notSureAnswer, "글쎄요");
    EXPECT_EQ(lastOf(*table, "먹었어?", kCasual).notSureAnswer, "글쎄");
}

TEST(VerbTableLoading, AGroupWithoutAnswersIsNotRegistered) {
    TempDir dir;
    Row r{"가다", "question", "present", {"가요?"}, "", {"가니?"}, "가,안 가"};
    auto table = build(writeFixture(dir, verbFile({r}), "", "", ""));
    DetectedVerbInfo d;
    EXPECT_FALSE(table->detectLast("가요?", kPolite, d));
    EXPECT_TRUE(table->detectLast("가니?", kPolite, d));
    // The row keeps its number and its (empty) polite list.
    EXPECT_EQ(d.yesAnswer, "");
    EXPECT_EQ(lastOf(*table, "가니?", kCasual).yesAnswer, "가");
}

TEST(VerbTableLoading, ScrambledFilesGiveTheSameTable) {
    TempDir dir;
    const Paths plain = writeFixture(dir, verbFile(fixtureRows()));
    const Paths packed = writeFixture(dir, scramble(verbFile(fixtureRows())), scramble(kFixtureCompounds),
                                      scramble(kFixtureNegatives), scramble(kFixtureExceptions), ".enc");
    auto a = build(plain);
    auto b = build(packed);
    EXPECT_EQ(a->getRowCount(), b->getRowCount());
    for (const char* text : {"가요?", "학교 가요?", "안 가요?", "운동 할래 쉴래?", "갔어?", "갈까 고민", "가유?"})
        for (const char* h : {kCasual, kPolite}) EXPECT_EQ(detectAllText(*a, text, h), detectAllText(*b, text, h));
}

TEST(VerbTableLoading, MissingFilesGiveATableThatFindsNothing) {
    LogCapture log(Varnex::LOG_ERROR);
    KoreanVerbTable table("/nonexistent/a", "/nonexistent/b", "/nonexistent/c", "/nonexistent/d");
    EXPECT_TRUE(log.contains("Load failed : /nonexistent/a"));
    EXPECT_EQ(table.getRowCount(), 0);
    std::vector<DetectedVerbInfo> infos;
    EXPECT_EQ(table.detectAll("가요? 먹었어?", kCasual, infos), 0);
}

TEST(VerbTableLoading, CompoundAndExceptionFilesAloneStillLoad) {
    // Without the verb file nothing is detected; exception rows name unknown
    // verbs then and are skipped.
    TempDir dir;
    LogCapture log(Varnex::LOG_WARN);
    const Paths p = writeFixture(dir, "");
    KoreanVerbTable table(dir.file("missing"), p.compound, p.negative, p.exception);
    EXPECT_EQ(table.getRowCount(), 0);
    EXPECT_TRUE(table.hasCompoundDictionary("하다"));  // keys of the compound file get a dictionary
    EXPECT_TRUE(log.contains("Exception row skipped, unknown verb"));
    EXPECT_TRUE(log.contains("Negative rule skipped, no verb row 0"));
}

// ===========================================================================
// Detection: forms, boundaries, registers

TEST_F(VerbTableFixture, AFormWithAQuestionMarkMatchesOnlyWithIt) {
    EXPECT_TRUE(detects("내일 가요?"));
    EXPECT_FALSE(detects("내일 가요"));
    EXPECT_FALSE(detects("내일 가요."));
    const DetectedVerbInfo d = last("내일 가요?");
    EXPECT_EQ(d.surface, "가요?");
    EXPECT_EQ(d.begin, 7);
    EXPECT_EQ(d.end, 14);
}

TEST_F(VerbTableFixture, AFormWithoutQuestionMarkNeedsAWordBoundaryAfterIt) {
    for (const char* text : {"같이 갈까", "같이 갈까?", "같이 갈까 ㅎㅎ", "갈까!", "갈까~"}) EXPECT_TRUE(detects(text)) << text;
    EXPECT_FALSE(detects("어디 갈까지 가"));
    EXPECT_FALSE(detects("갈까말까하다"));
}

TEST_F(VerbTableFixture, SpacesInsideAFormAreSkipped) {
    const DetectedVerbInfo d = last("먹을 래요?", kPolite);
    EXPECT_EQ(d.verb, "먹다");
    EXPECT_EQ(d.surface, "먹을 래요?");
}

TEST_F(VerbTableFixture, OnlyFalseSelectsTheCasualAnswers) {
    EXPECT_EQ(last("먹을래요?", "FALSE").yesAnswer, "먹을래");
    EXPECT_EQ(last("먹을래요?", "FALSE").notSureAnswer, "글쎄");
    for (const char* h : {"TRUE", "", "HIGH", "NORMAL", "false"}) {
        const DetectedVerbInfo d = last("먹을래요?", h);
        EXPECT_EQ(d.yesAnswer, "먹을래요") << h;
        EXPECT_EQ(d.noAnswer, "안 먹을래요") << h;
        EXPECT_EQ(d.notSureAnswer, "글쎄요") << h;
    }
    // The register follows the argument, not the group the form was in.
    EXPECT_EQ(last("먹을래?", kPolite).yesAnswer, "먹을래요");
}

TEST_F(VerbTableFixture, AnswerListsGiveYesNoAndChoice) {
    const DetectedVerbInfo d = last("있어요?", kPolite);
    EXPECT_EQ(d.verb, "있다");
    EXPECT_EQ(d.yesAnswer, "있어요");
    EXPECT_EQ(d.noAnswer, "없어요");
    EXPECT_EQ(d.choiceAnswer, "있어요");
    const DetectedVerbInfo s = last("같이 갈까?", kCasual);
    EXPECT_EQ(s.type, "suggest");
    EXPECT_EQ(s.yesAnswer, "가자");
    EXPECT_EQ(s.noAnswer, "");
    EXPECT_EQ(s.choiceAnswer, "");
}

TEST_F(VerbTableFixture, TheFirstAndTheLastOfSeveralVerbs) {
    DetectedVerbInfo first, lastOne;
    ASSERT_TRUE(table->detectFirst("가요? 아니면 먹을래요?", kPolite, first));
    ASSERT_TRUE(table->detectLast("가요? 아니면 먹을래요?", kPolite, lastOne));
    EXPECT_EQ(first.verb, "가다");
    EXPECT_EQ(first.begin, 0);
    EXPECT_EQ(lastOne.verb, "먹다");
    EXPECT_EQ(lastOne.time, "future");
    EXPECT_EQ(lastOne.yesAnswer, "먹을래요");
}

TEST_F(VerbTableFixture, EmptyTextDetectsNothing) {
    DetectedVerbInfo d;
    EXPECT_FALSE(table->detect("", kCasual, d, true));
    EXPECT_FALSE(table->detect("", kCasual, d, false));
    std::vector<DetectedVerbInfo> infos(1);
    EXPECT_EQ(table->detectAll("", kCasual, infos), 1);
    EXPECT_EQ(table->detectAll("verb없음", kCasual, infos), 1);
}

TEST_F(VerbTableFixture, NegativeRulesVetoAndAddForms) {
    // "갈까 고민" is a statement: the longer negative key wins and vetoes.
    EXPECT_FALSE(detects("갈까 고민 중이야"));
    EXPECT_TRUE(detects("갈까 말까"));
    // A form added by the negative file takes the answers of the row it names.
    const DetectedVerbInfo d = last("가유?", kCasual);
    EXPECT_EQ(d.verb, "가다");
    EXPECT_EQ(d.row, 0);
    EXPECT_EQ(d.yesAnswer, "가");
}

// ===========================================================================
// Compound words in front of the verb

TEST_F(VerbTableFixture, CompoundOnlyFormNeedsAWordInFront) {
    bool found = true;
    last("가?", kCasual, &found);
    EXPECT_FALSE(found);
    last("누가?", kCasual, &found);
    EXPECT_FALSE(found);
    const DetectedVerbInfo d = last("학교 가?", kCasual, &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(d.compoundWord, "학교");
    EXPECT_EQ(d.compoundValue, "D");
    EXPECT_EQ(d.compoundRule, "C");
    // A negation word counts as a word in front as well.
    last("안 가?", kCasual, &found);
    EXPECT_TRUE(found);
}

TEST_F(VerbTableFixture, MarkerDLeavesTheAnswers) {
    const DetectedVerbInfo d = last("돈 있어요?", kPolite);
    EXPECT_EQ(d.compoundWord, "돈");
    EXPECT_EQ(d.compoundValue, "D");
    EXPECT_EQ(d.yesAnswer, "있어요");
    EXPECT_EQ(d.noAnswer, "없어요");
}

TEST_F(VerbTableFixture, MarkerNEmptiesYesAndNoOnly) {
    const DetectedVerbInfo d = last("먹고 있어요?", kPolite);
    EXPECT_EQ(d.compoundWord, "고");
    EXPECT_EQ(d.compoundValue, "N");
    EXPECT_EQ(d.yesAnswer, "");
    EXPECT_EQ(d.noAnswer, "");
    EXPECT_EQ(d.notSureAnswer, "글쎄요");
    EXPECT_EQ(d.choiceAnswer, "있어요");
}

TEST_F(VerbTableFixture, UnmarkedCompoundIsPrefixedToYesAndDropsNo) {
    const DetectedVerbInfo d = last("시간 있어?", kCasual);
    EXPECT_EQ(d.compoundWord, "시간");
    EXPECT_EQ(d.compoundValue, "-");
    EXPECT_EQ(d.yesAnswer, "시간있어");
    EXPECT_EQ(d.noAnswer, "");
}

TEST_F(VerbTableFixture, CommonAnswersAreNotPrefixed) {
    const DetectedVerbInfo d = last("기분 좋아?", kCasual);
    EXPECT_EQ(d.compoundWord, "기분");
    EXPECT_EQ(d.yesAnswer, "그럼");
    EXPECT_EQ(d.noAnswer, "별로");
}

TEST_F(VerbTableFixture, CompoundGluedToTheVerbOrOneSpaceAway) {
    EXPECT_EQ(last("운동해?").compoundWord, "운동");
    EXPECT_EQ(last("운동 해?").compoundWord, "운동");
    // Two spaces: the word is too far from the verb, and 해? needs one.
    EXPECT_FALSE(detects("운동  해?"));
    EXPECT_EQ(last("돈  있어?").compoundWord, "");
    EXPECT_EQ(last("돈  있어?").yesAnswer, "있어");
}

// ===========================================================================
// Negation with 안 and 못

TEST_F(VerbTableFixture, NegatedQuestionIsAffirmedWithTheNegation) {
    const DetectedVerbInfo d = last("안 가요?", kPolite);
    EXPECT_EQ(d.compoundWord, "안");
    EXPECT_EQ(d.compoundValue, "안");
    EXPECT_EQ(d.yesAnswer, "안 가요");
    EXPECT_EQ(d.noAnswer, "가요");
    const DetectedVerbInfo c = last("못 갔어?", kCasual);
    EXPECT_EQ(c.compoundWord, "못");
    EXPECT_EQ(c.yesAnswer, "못 갔어");
    EXPECT_EQ(c.noAnswer, "갔어");
}

TEST_F(VerbTableFixture, NegationRejectsCommandsAndCannotSuggestions) {
    EXPECT_TRUE(detects("빨리 가라"));
    EXPECT_FALSE(detects("안 가라"));
    EXPECT_FALSE(detects("못 가라"));
    EXPECT_FALSE(detects("못 갈까?"));
    EXPECT_TRUE(detects("안 갈까?"));
}

// ===========================================================================
// Exception rows

TEST_F(VerbTableFixture, ExceptionRowReplacesTheAnswersForItsCompoundWord) {
    const DetectedVerbInfo d = last("학교 가요?", kPolite);
    EXPECT_EQ(d.compoundWord, "학교");
    EXPECT_EQ(d.yesAnswer, "학교 가요");
    EXPECT_EQ(d.noAnswer, "학교 안 가요");
    EXPECT_EQ(d.notSureAnswer, "아마요");
    EXPECT_EQ(d.row, 0);  // the detected row; the answers come from the exception row
    EXPECT_EQ(last("학교 가?", kCasual).yesAnswer, "학교 가");
    // Another time of the same verb with the same word is not an exception
    // (the past exception is keyed without a compound word).
    EXPECT_EQ(last("학교 갔어요?", kPolite).yesAnswer, "갔어요");
}

TEST_F(VerbTableFixture, ExceptionWithAnEmptyWordAppliesWithoutCompound) {
    const DetectedVerbInfo d = last("어제 갔어?", kCasual);
    EXPECT_EQ(d.compoundWord, "");
    EXPECT_EQ(d.yesAnswer, "다녀왔어");
    EXPECT_EQ(d.noAnswer, "아직");
    // With a compound word the exception keyed "" does not apply.
    EXPECT_EQ(last("안 갔어?", kCasual).yesAnswer, "안 갔어");
}

TEST_F(VerbTableFixture, ExceptionSuppressesTheNegationAdjustment) {
    const DetectedVerbInfo d = last("우리 안 갈까?", kCasual);
    EXPECT_EQ(d.compoundWord, "안");
    EXPECT_EQ(d.yesAnswer, "가지 말자");
    EXPECT_EQ(d.noAnswer, "");
    EXPECT_EQ(last("우리 안 갈까요?", kPolite).yesAnswer, "가지 말아요");
}

TEST(VerbTableExceptions, MalformedAndUnknownRowsAreSkipped) {
    TempDir dir;
    const std::string exceptions = std::string(kFixtureExceptions) +
                                   "날다\tquestion\tpresent\t안\t날아요,안 날아요\t글쎄요\t날아,안 날아\t글쎄\n"
                                   "가다\tquestion\tpresent\t집\t집에 가요\t글쎄요\t집에 가\n"
                                   "가다\tquestion\tpresent\t\t가요\t글쎄요\t가\t글쎄\n";
    LogCapture log(Varnex::LOG_WARN);
    auto table = build(writeFixture(dir, verbFile(fixtureRows()), kFixtureCompounds, kFixtureNegatives, exceptions));
    EXPECT_TRUE(log.contains("Exception row skipped, unknown verb 날다"));
    EXPECT_TRUE(log.contains("Exception row skipped, 7 fields"));
    EXPECT_TRUE(log.contains("Exception row skipped, no compound word"));
    EXPECT_EQ(table->getRowCount(), 10 + 3);  // none of the three took a row
    EXPECT_EQ(table->getExceptionRows().size(), 3u);
}

// ===========================================================================
// detectAll and the mended faults

TEST_F(VerbTableFixture, DetectAllGivesOffsetsIntoTheWholeText) {
    std::vector<DetectedVerbInfo> infos;
    ASSERT_EQ(table->detectAll("가요? 갔어요?", kPolite, infos), 2);
    EXPECT_EQ(infos[0].begin, 0);
    EXPECT_EQ(infos[0].end, 7);
    EXPECT_EQ(infos[1].surface, "갔어요?");
    EXPECT_EQ(infos[1].begin, 8);
    EXPECT_EQ(infos[1].end, 18);
    // Appends to what the vector holds.
    EXPECT_EQ(table->detectAll("갔어?", kCasual, infos), 3);
}

TEST_F(VerbTableFixture, MendedEachStepOfDetectAllStartsAfresh) {
    // 운동 belongs to 할래 only; 쉴래 has nothing in front of it.
    std::vector<DetectedVerbInfo> infos;
    ASSERT_EQ(table->detectAll("운동 할래 쉴래?", kCasual, infos), 2) << describeAll(infos);
    EXPECT_EQ(infos[0].verb, "하다");
    EXPECT_EQ(infos[0].compoundWord, "운동");
    EXPECT_EQ(infos[1].verb, "쉬다");
    EXPECT_EQ(infos[1].compoundWord, "");
    EXPECT_EQ(infos[1].compoundValue, "");
    EXPECT_EQ(infos[1].yesAnswer, "쉴래");
    EXPECT_EQ(infos[1].noAnswer, "안 쉴래");

    // 안 negates the first 먹을래 only.
    infos.clear();
    ASSERT_EQ(table->detectAll("밥 안 먹을래 빵 먹을래?", kCasual, infos), 2) << describeAll(infos);
    EXPECT_EQ(infos[0].compoundWord, "안");
    EXPECT_EQ(infos[0].yesAnswer, "안 먹을래");
    EXPECT_EQ(infos[0].noAnswer, "먹을래");
    EXPECT_EQ(infos[1].compoundWord, "");
    EXPECT_EQ(infos[1].yesAnswer, "먹을래");
    EXPECT_EQ(infos[1].noAnswer, "안 먹을래");

    // A compound-only form is not accepted on the strength of a word that
    // stood in front of an earlier verb.
    infos.clear();
    EXPECT_EQ(table->detectAll("운동 할래 해?", kCasual, infos), 1) << describeAll(infos);
    infos.clear();
    EXPECT_EQ(table->detectAll("운동 할래 운동 해?", kCasual, infos), 2) << describeAll(infos);
}

TEST_F(VerbTableFixture, MendedAReusedRecordCarriesNothingOver) {
    // The same record used for two detections: the second sees nothing of
    // the first.
    DetectedVerbInfo d;
    ASSERT_TRUE(table->detectLast("학교 가요?", kPolite, d));
    ASSERT_EQ(d.compoundWord, "학교");
    EXPECT_FALSE(table->detectLast("가?", kCasual, d));
    ASSERT_TRUE(table->detectLast("갔어요?", kPolite, d));
    EXPECT_EQ(d.compoundWord, "");
    EXPECT_EQ(d.yesAnswer, "다녀왔어요");
}

TEST(VerbTableMended, EmptyFormsNeverEnterTheDictionary) {
    TempDir dir;
    Row r{"가다",
          "question",
          "present",
          {",가요?", "가세요?,,가실래요?", " ", "C", "C ", "/", "?", "~/", "C?"},
          "가요,안 가요",
          {"가?,", " , "},
          "가,안 가"};
    LogCapture log(Varnex::LOG_WARN);
    const Paths p = writeFixture(dir, verbFile({r}), "", "", "");
    auto table = build(p);
    EXPECT_TRUE(log.contains("Empty verb form skipped"));
    EXPECT_EQ(table->getRowCount(), 1);
    // The real forms of those cells are there.
    for (const char* text : {"가요?", "가세요?", "가실래요?", "가?"}) {
        DetectedVerbInfo d;
        EXPECT_TRUE(table->detectLast(text, kPolite, d)) << text;
    }
    // Nothing matches at a bare boundary or a bare question mark.
    for (const char* text : {"?", "뭐?", "응 ?", " ", "/", "a b", "그래.", "ㅋㅋ?"}) {
        std::vector<DetectedVerbInfo> infos;
        EXPECT_EQ(table->detectAll(text, kCasual, infos), 0) << text << "\n" << describeAll(infos);
    }
    // The table still makes a single-file form that reads back.
    const std::string out = dir.file("verb_table.bin");
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(p.verb, p.compound, p.negative, p.exception, out));
    KoreanVerbTable loaded(out);
    EXPECT_EQ(loaded.getRowCount(), 1);
}

TEST(VerbTableMended, AnUnparsableValueGivesNoAnswers) {
    // The text loader never lets such a value in; a single-file table can
    // carry one. It must not borrow the answers of row 0.
    TempDir dir;
    HandMade h;
    h.entries = {{"가요?", "가다,question,present,0,-"},
                 {"와요?", "오다,question,present,zero,-"},
                 {"봐요?", "보다,question,present"},
                 {"해요?", "하다,question,present,5,-"}};  // a row without answers
    const std::string path = h.write(dir, "odd.bin");
    LogCapture log(Varnex::LOG_WARN);
    KoreanVerbTable table(path);
    ASSERT_EQ(table.getRowCount(), 1) << "the hand-made file must load";
    DetectedVerbInfo ok = lastOf(table, "가요?", kPolite);
    EXPECT_EQ(ok.yesAnswer, "가요");
    for (const char* text : {"와요?", "봐요?"}) {
        bool found = false;
        DetectedVerbInfo d = lastOf(table, text, kPolite, &found);
        EXPECT_TRUE(found) << text;
        EXPECT_EQ(d.yesAnswer, "") << text;
        EXPECT_EQ(d.noAnswer, "") << text;
        EXPECT_EQ(d.notSureAnswer, "") << text;
        EXPECT_EQ(d.verb, "") << text;
    }
    EXPECT_TRUE(log.contains("Verb form with an unreadable value"));
    DetectedVerbInfo none = lastOf(table, "해요?", kPolite);
    EXPECT_EQ(none.verb, "하다");
    EXPECT_EQ(none.yesAnswer, "");
}

TEST(VerbTableMended, NegativeValuesAreCheckedWhenLoaded) {
    TempDir dir;
    const std::string negatives = std::string(kFixtureNegatives) +
                                  "가다,question,present,zero,-\t가여?\n"
                                  "가다,question,present,999,-\t가용?\n"
                                  "가다,question\t가슈?\n"
                                  "FALSE\t가\t요\n"
                                  "FALSE\t/\n";
    LogCapture log(Varnex::LOG_WARN);
    auto table = build(writeFixture(dir, verbFile(fixtureRows()), kFixtureCompounds, negatives));
    EXPECT_TRUE(log.contains("Negative rule skipped, value is not FALSE"));
    EXPECT_TRUE(log.contains("Negative rule skipped, no verb row 999"));
    EXPECT_TRUE(log.contains("Negative rule skipped, 3 fields"));
    EXPECT_TRUE(log.contains("Negative rule skipped, empty key"));
    for (const char* text : {"가여?", "가용?", "가슈?"}) {
        DetectedVerbInfo d;
        EXPECT_FALSE(table->detectLast(text, kCasual, d)) << text << " " << describe(d);
    }
    EXPECT_TRUE(lastOf(*table, "가유?", kCasual).verb == "가다");
}

TEST(VerbTableMended, BadVerbRowsAreSkippedWithALogLine) {
    TempDir dir;
    Row comma{"가,다", "question", "present", {"가요?"}, "가요,안 가요", {"가니?"}, "가,안 가"};
    Row noVerb{"", "question", "present", {"와요?"}, "와요,안 와요", {"오니?"}, "와,안 와"};
    Row good{"먹다", "question", "past", {"먹었어요?"}, "먹었어요,안 먹었어요", {"먹었어?"}, "먹었어,안 먹었어"};
    LogCapture log(Varnex::LOG_WARN);
    auto table = build(writeFixture(dir, verbFile({comma, noVerb, good}) + "\n\n아무거나\n", "", "", ""));
    EXPECT_TRUE(log.contains("bad verb, type or time"));
    EXPECT_TRUE(log.contains("Verb row skipped, 1 fields"));
    EXPECT_EQ(table->getRowCount(), 1);
    EXPECT_EQ(lastOf(*table, "먹었어?", kCasual).row, 0);
}

// ===========================================================================
// Single-file form

TEST(VerbTablePrebuilt, GivesTheSameDetectionsAsTheFourFiles) {
    TempDir dir;
    const Paths p = writeFixture(dir, verbFile(fixtureRows()));
    const std::string out = dir.file("verb_table.bin");
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(p.verb, p.compound, p.negative, p.exception, out));
    auto four = build(p);
    KoreanVerbTable one(out);
    EXPECT_EQ(one.getRowCount(), four->getRowCount());
    EXPECT_EQ(one.getExceptionRows(), four->getExceptionRows());
    EXPECT_EQ(one.compoundDictionaryCount(), four->compoundDictionaryCount());
    for (const char* text : {"가요?", "학교 가요?", "학교 가?", "안 가요?", "운동 할래 쉴래?", "밥 안 먹을래 빵 먹을래?",
                             "갔어?", "갈까 고민", "가유?", "먹고 있어요?", "시간 있어?", "기분 좋아?", "안 가라",
                             "우리 안 갈까?", "가?"})
        for (const char* h : {kCasual, kPolite, ""}) {
            EXPECT_EQ(detectAllText(one, text, h), detectAllText(*four, text, h)) << text;
            EXPECT_EQ(describe(lastOf(one, text, h)), describe(lastOf(*four, text, h))) << text;
        }
    // Writing again gives the same bytes.
    const std::string again = dir.file("again.bin");
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(p.verb, p.compound, p.negative, p.exception, again));
    EXPECT_EQ(VarnexTest::readFile(out), VarnexTest::readFile(again));
}

TEST(VerbTablePrebuilt, NothingIsWrittenFromAnEmptyTable) {
    TempDir dir;
    LogCapture log(Varnex::LOG_ERROR);
    const std::string out = dir.file("verb_table.bin");
    EXPECT_FALSE(KoreanVerbTable::prebuildRules(dir.file("a"), dir.file("b"), dir.file("c"), dir.file("d"), out));
    EXPECT_FALSE(Varnex::Utilities::isRegularFile(out));
    EXPECT_TRUE(log.contains("Prebuild failed, no verb rows"));
    const Paths p = writeFixture(dir, verbFile(fixtureRows()));
    EXPECT_FALSE(KoreanVerbTable::prebuildRules(p.verb, p.compound, p.negative, p.exception, dir.file("no/such/dir/x")));
}

TEST(VerbTablePrebuilt, HandMadeFileLoads) {
    TempDir dir;
    HandMade h;
    h.exceptions = {{"가다/question/present/학교", 0}};
    KoreanVerbTable table(h.write(dir, "hand.bin"));
    EXPECT_EQ(table.getRowCount(), 1);
    EXPECT_EQ(lastOf(table, "가요?", kCasual).yesAnswer, "가");
    EXPECT_EQ(table.getExceptionRows().size(), 1u);
}

// ===========================================================================
// Damaged input

void expectRejected(const std::string& path, const std::string& why) {
    LogCapture log(Varnex::LOG_ERROR);
    KoreanVerbTable table(path);
    EXPECT_TRUE(log.contains("Load failed : " + path)) << why;
    EXPECT_EQ(table.getRowCount(), 0) << why;
    EXPECT_EQ(table.compoundDictionaryCount(), 0u) << why;
    EXPECT_TRUE(table.getExceptionRows().empty()) << why;
    std::vector<DetectedVerbInfo> infos;
    EXPECT_EQ(table.detectAll("가요? 학교 가요? 안 갔어?", kCasual, infos), 0) << why;
}

TEST(VerbTableDamaged, MissingOrUnreadablePrebuiltFile) {
    TempDir dir;
    expectRejected(dir.file("missing.bin"), "missing");
    expectRejected(dir.path(), "a directory");
    expectRejected(dir.write("empty.bin", ""), "empty");
    expectRejected(dir.write("text.bin", "가다\tquestion\tpresent\n"), "text");
}

TEST(VerbTableDamaged, EveryTruncationIsRejected) {
    TempDir dir;
    const Paths p = writeFixture(dir, verbFile(fixtureRows()));
    const std::string out = dir.file("verb_table.bin");
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(p.verb, p.compound, p.negative, p.exception, out));
    const std::string bytes = VarnexTest::readFile(out);
    ASSERT_GT(bytes.size(), 100u);
    LogCapture quiet(Varnex::LOG_ERROR);
    const std::string cut = dir.file("cut.bin");
    for (size_t n = 0; n < bytes.size(); n += (n < 300 ? 1 : 23)) {
        {
            std::ofstream o(cut, std::ios::binary | std::ios::trunc);
            o.write(bytes.data(), static_cast<std::streamsize>(n));
        }
        KoreanVerbTable table(cut);
        EXPECT_EQ(table.getRowCount(), 0) << n;
        DetectedVerbInfo d;
        EXPECT_FALSE(table.detectLast("가요?", kCasual, d)) << n;
    }
    // Trailing bytes are garbage too.
    expectRejected(dir.write("long.bin", bytes + "x"), "trailing byte");
}

TEST(VerbTableDamaged, CorruptedBytesNeverCrash) {
    TempDir dir;
    const Paths p = writeFixture(dir, verbFile(fixtureRows()));
    const std::string out = dir.file("verb_table.bin");
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(p.verb, p.compound, p.negative, p.exception, out));
    const std::string bytes = VarnexTest::readFile(out);
    LogCapture quiet(Varnex::LOG_ERROR);
    std::mt19937 rng(19);
    const std::string bad = dir.file("bad.bin");
    for (int round = 0; round < 300; ++round) {
        std::string b = bytes;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < flips; ++i) b[rng() % b.size()] = static_cast<char>(rng() % 256);
        {
            std::ofstream o(bad, std::ios::binary | std::ios::trunc);
            o << b;
        }
        KoreanVerbTable table(bad);
        std::vector<DetectedVerbInfo> infos;
        const std::string text = "학교 가요? 안 갔어? 운동 할래 쉴래?";
        table.detectAll(text, kCasual, infos);
        for (const auto& d : infos) {
            EXPECT_GE(d.begin, 0);
            EXPECT_LE(d.end, static_cast<int>(text.size()));
            EXPECT_LT(d.begin, d.end);
        }
    }
}

TEST(VerbTableDamaged, FieldsOutOfRangeAreRejected) {
    TempDir dir;
    {
        HandMade h;
        h.rowCount = "-1";
        expectRejected(h.write(dir, "a.bin"), "negative row count");
    }
    {
        HandMade h;
        h.rowCount = "x";
        expectRejected(h.write(dir, "b.bin"), "non-numeric row count");
    }
    {
        HandMade h;
        h.compoundCount = 999999999;
        expectRejected(h.write(dir, "c.bin"), "compound count beyond the file");
    }
    {
        HandMade h;
        h.compoundCount = -5;
        expectRejected(h.write(dir, "d.bin"), "negative count");
    }
    {
        HandMade h;
        h.answerCount = 2000000000;
        expectRejected(h.write(dir, "e.bin"), "answer count beyond the file");
    }
    {
        HandMade h;
        h.answers = {{1, {"가요", "가"}}};
        expectRejected(h.write(dir, "f.bin"), "answer row beyond the row count");
    }
    {
        HandMade h;
        h.answers = {{0, {"가요", "가"}}, {0, {"와요", "와"}}};
        expectRejected(h.write(dir, "g.bin"), "repeated answer row");
    }
    {
        HandMade h;
        h.exceptions = {{"가다/question/present/", 3}};
        expectRejected(h.write(dir, "h.bin"), "exception row beyond the row count");
    }
    {
        HandMade h;
        h.trailer = "garbage";
        expectRejected(h.write(dir, "i.bin"), "trailing data");
    }
}

// ===========================================================================
// The shipped table

std::string sourceModel(const std::string& name) { return std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/model/" + name; }

class VerbTableShipped : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        table = new KoreanVerbTable(sourceModel("yes_no_type.dictionary"), sourceModel("yes_no_compound.rule"),
                                    sourceModel("yes_no_negative.rule"),
                                    sourceModel("yes_no_type_exception.dictionary"));
    }
    static void TearDownTestSuite() {
        delete table;
        table = nullptr;
    }

    struct Expect {
        const char* text;
        const char* verb;
        const char* type;
        const char* time;
        const char* yes;
        const char* no;
    };

    static void check(const Expect& e, const char* honorific) {
        bool found = false;
        const DetectedVerbInfo d = lastOf(*table, e.text, honorific, &found);
        ASSERT_TRUE(found) << e.text;
        EXPECT_EQ(d.verb, e.verb) << e.text;
        EXPECT_EQ(d.type, e.type) << e.text;
        EXPECT_EQ(d.time, e.time) << e.text;
        EXPECT_EQ(d.yesAnswer, e.yes) << e.text << " (" << honorific << ")";
        EXPECT_EQ(d.noAnswer, e.no) << e.text << " (" << honorific << ")";
    }

    static KoreanVerbTable* table;
};

KoreanVerbTable* VerbTableShipped::table = nullptr;

TEST_F(VerbTableShipped, Loads) {
    EXPECT_GT(table->getRowCount(), 3000);
    EXPECT_GT(table->getExceptionRows().size(), 100u);
    EXPECT_TRUE(table->hasCompoundDictionary("하다"));
}

TEST_F(VerbTableShipped, LoadsWithoutComplaint) {
    LogCapture log(Varnex::LOG_WARN);
    KoreanVerbTable again(sourceModel("yes_no_type.dictionary"), sourceModel("yes_no_compound.rule"),
                          sourceModel("yes_no_negative.rule"), sourceModel("yes_no_type_exception.dictionary"));
    std::string text;
    for (const auto& l : log.lines()) text += l.text;
    EXPECT_TRUE(log.lines().empty()) << text;
}

// Each conjugation class, casual and polite, each time.
TEST_F(VerbTableShipped, RegularVerb) {
    check({"밥 먹었어?", "먹다", "question", "past", "먹었어", "안 먹었어"}, kCasual);
    check({"밥 먹었어요?", "먹다", "question", "past", "먹었어요", "안 먹었어요"}, kPolite);
    check({"지금 먹어?", "먹다", "question", "present", "먹어", "안 먹어"}, kCasual);
    check({"저녁 먹을 거예요?", "먹다", "question", "future", "먹을 거예요", "안 먹을 거예요"}, kPolite);
    check({"밥 먹고 있어?", "먹다", "question", "present_progressive", "먹고 있어", "안 먹고 있어"}, kCasual);
    check({"전에 먹었었어요?", "먹다", "question", "past_perfect", "먹었었어요", "안 먹었었어요"}, kPolite);
    check({"내일 와요?", "오다", "question", "present", "와요", "안 와요"}, kPolite);
    check({"내일 와?", "오다", "question", "present", "와", "안 와"}, kCasual);
    check({"벌써 갔어?", "가다", "question", "past", "갔어", "안 갔어"}, kCasual);
}

TEST_F(VerbTableShipped, HaVerb) {
    check({"연락했어?", "연락하다", "question", "past", "연락했어", "연락 안 했어"}, kCasual);
    check({"연락했어요?", "연락하다", "question", "past", "연락했어요", "연락 안 했어요"}, kPolite);
    check({"공부할 거야?", "공부하다", "question", "future", "공부할 거야", "공부 안 할 거야"}, kCasual);
    check({"공부하고 있어요?", "공부하다", "question", "present_progressive", "공부하고 있어요", "공부 안 하고 있어요"},
          kPolite);
}

TEST_F(VerbTableShipped, DIrregularVerb) {
    check({"음악 들었어?", "듣다", "question", "past", "들었어", "안 들었어"}, kCasual);
    check({"음악 들었어요?", "듣다", "question", "past", "들었어요", "안 들었어요"}, kPolite);
    check({"이거 들을 거야?", "듣다", "question", "future", "들을 거야", "안 들을 거야"}, kCasual);
}

TEST_F(VerbTableShipped, BIrregular) {
    check({"추워?", "춥다", "question", "present", "추워", "안 추워"}, kCasual);
    check({"추워요?", "춥다", "question", "present", "추워요", "안 추워요"}, kPolite);
    check({"어제 추웠어?", "춥다", "question", "past", "추웠어", "안 추웠어"}, kCasual);
    check({"내일 추울까요?", "춥다", "question", "future", "추울 거예요", "안 추울 거예요"}, kPolite);
}

TEST_F(VerbTableShipped, SIrregular) {
    check({"감기 다 나았어?", "낫다", "question", "past", "나았어", "안 나았어"}, kCasual);
    check({"감기 다 나았어요?", "낫다", "question", "past", "나았어요", "안 나았어요"}, kPolite);
    check({"이름 지었어요?", "짓다", "question", "past", "지었어요", "안 지었어요"}, kPolite);
}

TEST_F(VerbTableShipped, ReuIrregular) {
    check({"그거 몰라?", "모르다", "question", "present", "몰라", "알아"}, kCasual);
    check({"노래 불렀어요?", "부르다", "question", "past", "불렀어요", "안 불렀어요"}, kPolite);
}

TEST_F(VerbTableShipped, HIrregular) {
    check({"진짜 그래?", "그렇다", "question", "present", "그래", "안 그래"}, kCasual);
    check({"진짜 그랬어요?", "그렇다", "question", "past", "그랬어요", "안 그랬어요"}, kPolite);
}

TEST_F(VerbTableShipped, EuVerb) {
    check({"지금 바빠?", "바쁘다", "question", "present", "바빠", "안 바빠"}, kCasual);
    check({"지금 바빠요?", "바쁘다", "question", "present", "바빠요", "안 바빠요"}, kPolite);
    check({"편지 썼어?", "쓰다", "question", "past", "썼어", "안 썼어"}, kCasual);
}

TEST_F(VerbTableShipped, LDropVerb) {
    check({"길 알아?", "알다", "question", "present", "알아", "몰라"}, kCasual);
    check({"길 아세요?", "알다", "question", "present", "알아요", "몰라요"}, kPolite);
    check({"케이크 만들었어?", "만들다", "question", "past", "만들었어", "안 만들었어"}, kCasual);
}

TEST_F(VerbTableShipped, HonorificAndAdjectiveForms) {
    check({"괜찮으세요?", "괜찮다", "question", "present", "괜찮아요", "안 괜찮아요"}, kPolite);
    check({"괜찮아?", "괜찮다", "question", "present", "괜찮아", "안 괜찮아"}, kCasual);
}

TEST_F(VerbTableShipped, SuggestionsAndIntent) {
    check({"같이 갈래?", "가다", "question", "future", "갈래", "안 갈래"}, kCasual);
    check({"같이 갈래요?", "가다", "question", "future", "갈래요", "안 갈래요"}, kPolite);
    check({"영화 볼까?", "보다", "suggest", "future", "보자", ""}, kCasual);
    check({"영화 볼까요?", "보다", "suggest", "future", "봐요", ""}, kPolite);
}

TEST_F(VerbTableShipped, CompoundWordsInFront) {
    DetectedVerbInfo d = lastOf(*table, "같이 갈래?", kCasual);
    EXPECT_EQ(d.compoundWord, "같이");
    EXPECT_EQ(d.compoundValue, "D");
    d = lastOf(*table, "숙제 다 했니?", kCasual);
    EXPECT_EQ(d.verb, "하다");
    EXPECT_EQ(d.compoundWord, "다");
    EXPECT_FALSE(d.yesAnswer.empty());
    d = lastOf(*table, "영화 볼까?", kCasual);
    EXPECT_EQ(d.compoundWord, "영화");
    EXPECT_EQ(d.compoundValue, "D");
    // An ending in front of 있다 makes it an auxiliary: no verb answers.
    d = lastOf(*table, "의자에 앉아 있어?", kCasual);
    EXPECT_EQ(d.verb, "있다");
    EXPECT_EQ(d.compoundWord, "아");
    EXPECT_EQ(d.compoundValue, "N");
    EXPECT_EQ(d.yesAnswer, "");
    EXPECT_EQ(d.noAnswer, "");
    EXPECT_EQ(d.notSureAnswer, "글쎄");
    // 하다 asks for a word in front: "뭐 하고 있어?" is no yes/no question.
    bool found = true;
    lastOf(*table, "뭐 하고 있어?", kCasual, &found);
    EXPECT_FALSE(found);
    d = lastOf(*table, "공부 하고 있어?", kCasual, &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(d.verb, "공부하다");
}

TEST_F(VerbTableShipped, NegationInFront) {
    DetectedVerbInfo d = lastOf(*table, "안 자?", kCasual);
    EXPECT_EQ(d.verb, "자다");
    EXPECT_EQ(d.compoundWord, "안");
    EXPECT_EQ(d.yesAnswer, "안 자");
    EXPECT_EQ(d.noAnswer, "자");
    d = lastOf(*table, "안 자요?", kPolite);
    EXPECT_EQ(d.yesAnswer, "안 자요");
    EXPECT_EQ(d.noAnswer, "자요");
    d = lastOf(*table, "못 와?", kCasual);
    EXPECT_EQ(d.verb, "오다");
    EXPECT_EQ(d.compoundWord, "못");
    EXPECT_EQ(d.yesAnswer, "못 와");
    EXPECT_EQ(d.noAnswer, "와");
    d = lastOf(*table, "못 와요?", kPolite);
    EXPECT_EQ(d.yesAnswer, "못 와요");
    EXPECT_EQ(d.noAnswer, "와요");
}

TEST_F(VerbTableShipped, ExceptionRowsReplaceTheDetectedRow) {
    // "안 갈까?" asks whether not to go: answered 가지 말자, not 안가자.
    DetectedVerbInfo d = lastOf(*table, "우리 안 갈까?", kCasual);
    EXPECT_EQ(d.verb, "가다");
    EXPECT_EQ(d.type, "suggest");
    EXPECT_EQ(d.yesAnswer, "가지 말자");
    d = lastOf(*table, "우리 안 갈까요?", kPolite);
    EXPECT_EQ(d.yesAnswer, "가지 말아요");
    // Every exception row of the shipped file names a verb and a row.
    for (const auto& kv : table->getExceptionRows()) {
        std::pair<std::string, std::string> lists;
        EXPECT_TRUE(table->getAnswerRow(kv.second, lists)) << kv.first;
    }
}

TEST_F(VerbTableShipped, FirstAndLastOfSeveralVerbs) {
    std::vector<DetectedVerbInfo> infos;
    ASSERT_EQ(table->detectAll("밥 먹었어? 내일 와?", kCasual, infos), 2) << describeAll(infos);
    EXPECT_EQ(infos[0].verb, "먹다");
    EXPECT_EQ(infos[1].verb, "오다");
    EXPECT_EQ(infos[1].begin, static_cast<int>(std::string("밥 먹었어? 내일 ").size()));
    DetectedVerbInfo first, lastOne;
    ASSERT_TRUE(table->detectFirst("밥 먹었어? 내일 와?", kCasual, first));
    ASSERT_TRUE(table->detectLast("밥 먹었어? 내일 와?", kCasual, lastOne));
    EXPECT_EQ(first.verb, "먹다");
    EXPECT_EQ(lastOne.verb, "오다");

    // Each detection keeps to its own words.
    infos.clear();
    ASSERT_EQ(table->detectAll("운동 할래? 쉴래?", kCasual, infos), 2) << describeAll(infos);
    EXPECT_EQ(infos[1].verb, "쉬다");
    EXPECT_EQ(infos[1].compoundWord, "");
    infos.clear();
    ASSERT_EQ(table->detectAll("밥 안 먹을래? 빵 먹을래?", kCasual, infos), 2) << describeAll(infos);
    EXPECT_EQ(infos[0].compoundWord, "안");
    EXPECT_EQ(infos[1].compoundWord, "");
    EXPECT_EQ(infos[1].yesAnswer, "먹을래");
}

TEST_F(VerbTableShipped, WordsThatOnlyEndLikeAVerbAreNotVerbs) {
    bool found = true;
    lastOf(*table, "누가?", kCasual, &found);
    EXPECT_FALSE(found);
    lastOf(*table, "내일 갈까 생각 중이야", kCasual, &found);
    EXPECT_FALSE(found);
    lastOf(*table, "늦을까 봐 걱정이야", kCasual, &found);
    EXPECT_FALSE(found);
}

// Every form of every row, typed on its own, is detected as that row's verb,
// type and time, and its answers are in the register asked for.
TEST_F(VerbTableShipped, EveryFormIsDetectedAsItsOwnRow) {
    std::vector<std::string> lines;
    ASSERT_TRUE(Varnex::Utilities::StringUtil::load(sourceModel("yes_no_type.dictionary"), lines, false));
    int checked = 0, compoundOnly = 0;
    std::vector<std::string> failures;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> f;
        Varnex::Utilities::StringUtil::split(lines[i], '\t', f);
        ASSERT_GE(f.size(), 41u) << lines[i];
        for (size_t c = 3; c <= 39; ++c) {
            if (c == 24) continue;
            std::vector<std::string> variants;
            Varnex::Utilities::StringUtil::split(f[c], ',', variants);
            for (const std::string& v : variants) {
                if (KoreanVerbTable::isCompoundOnly(v)) {
                    ++compoundOnly;
                    continue;
                }
                // A form without question mark on its own: the end of the
                // text is its boundary.
                const std::string& text = v;
                for (const char* h : {kCasual, kPolite}) {
                    bool found = false;
                    const DetectedVerbInfo d = lastOf(*table, text, h, &found);
                    ++checked;
                    if (!found || d.verb != f[0] || d.type != f[1] || d.time != f[2]) {
                        failures.push_back(text + " -> " + (found ? describe(d) : std::string("nothing")) + " want " +
                                           f[0] + "/" + f[1] + "/" + f[2]);
                        continue;
                    }
                    if (d.compoundWord.empty() && !d.yesAnswer.empty()) {
                        const bool politeAnswer = endsWith(d.yesAnswer, "요") || endsWith(d.yesAnswer, "다");
                        if ((h == std::string(kPolite)) != politeAnswer)
                            failures.push_back(text + " (" + h + ") answered in the wrong register: " + describe(d));
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 20000);
    EXPECT_GT(compoundOnly, 0);
    std::string sample;
    for (size_t i = 0; i < failures.size() && i < 40; ++i) sample += failures[i] + "\n";
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << checked << ":\n" << sample;
}

TEST_F(VerbTableShipped, PrebuiltFormGivesIdenticalDetections) {
    TempDir dir;
    const std::string out = dir.file("verb_table.bin");
    ASSERT_TRUE(KoreanVerbTable::prebuildRules(sourceModel("yes_no_type.dictionary"), sourceModel("yes_no_compound.rule"),
                                               sourceModel("yes_no_negative.rule"),
                                               sourceModel("yes_no_type_exception.dictionary"), out));
    KoreanVerbTable one(out);
    EXPECT_EQ(one.getRowCount(), table->getRowCount());
    EXPECT_EQ(one.getExceptionRows(), table->getExceptionRows());
    EXPECT_EQ(one.compoundDictionaryCount(), table->compoundDictionaryCount());
    const char* const messages[] = {
        "밥 먹었어?", "밥 먹었어요?", "내일 와요?", "내일 와?", "지금 바빠?", "지금 바빠요?", "같이 갈래?",
        "같이 갈래요?", "숙제 다 했니?", "연락했어요?", "연락했어?", "괜찮으세요?", "괜찮아?", "안 자?", "안 자요?",
        "못 와?", "못 와요?", "영화 볼까?", "영화 볼까요?", "음악 들었어?", "음악 들었어요?", "추워?", "추워요?",
        "감기 다 나았어?", "감기 다 나았어요?", "길 알아?", "길 아세요?", "운동 할래? 쉴래?", "밥 안 먹을래? 빵 먹을래?",
        "우리 안 갈까?", "뭐 하고 있어?", "누가?", "내일 갈까 생각 중이야", "오늘 저녁에 시간 괜찮으면 같이 밥 먹을래?"};
    for (const char* text : messages)
        for (const char* h : {kCasual, kPolite}) {
            EXPECT_EQ(detectAllText(one, text, h), detectAllText(*table, text, h)) << text;
            EXPECT_EQ(describe(lastOf(one, text, h)), describe(lastOf(*table, text, h))) << text;
        }
    // And over every form of the table.
    std::vector<std::string> lines;
    ASSERT_TRUE(Varnex::Utilities::StringUtil::load(sourceModel("yes_no_type.dictionary"), lines, false));
    int differences = 0;
    for (size_t i = 1; i < lines.size(); i += 3) {
        std::vector<std::string> f;
        Varnex::Utilities::StringUtil::split(lines[i], '\t', f);
        std::vector<std::string> variants;
        Varnex::Utilities::StringUtil::split(f[3], ',', variants);
        for (const std::string& v : variants) {
            const std::string text = "혹시 " + KoreanVerbTable::removeCompoundRule(v);
            if (detectAllText(one, text, kPolite) != detectAllText(*table, text, kPolite)) ++differences;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST_F(VerbTableShipped, PackedResourcesGiveTheSameTable) {
    const std::string dir = std::string(VARNEX_BUILD_RESOURCE_DIR) + "/1.0/model/";
    if (!Varnex::Utilities::isRegularFile(dir + "yes_no_type.dictionary.enc"))
        GTEST_SKIP() << "packed resources not built";
    KoreanVerbTable packed(dir + "yes_no_type.dictionary.enc", dir + "yes_no_compound.rule.enc",
                           dir + "yes_no_negative.rule.enc", dir + "yes_no_type_exception.dictionary.enc");
    EXPECT_EQ(packed.getRowCount(), table->getRowCount());
    for (const char* text : {"밥 먹었어?", "안 자?", "같이 갈래요?", "숙제 다 했니?", "우리 안 갈까?"})
        EXPECT_EQ(detectAllText(packed, text, kCasual), detectAllText(*table, text, kCasual)) << text;
}

}  // namespace
