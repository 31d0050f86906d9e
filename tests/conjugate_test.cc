// Tests of the Korean conjugation library and of the verb table resources it
// generates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "conjugate.h"

#ifndef VARNEX_SOURCE_DIR
#error "VARNEX_SOURCE_DIR must name the repository root"
#endif

using namespace Varnex::Conjugate;

namespace {

Conjugator make(const std::string& lemma, VerbClass cls, PartOfSpeech pos = PartOfSpeech::Verb,
                const std::string& honorific = "") {
    Verb v;
    v.lemma = lemma;
    v.verbClass = cls;
    v.pos = pos;
    v.honorificStem = honorific;
    return Conjugator(v);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
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

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out = splitOn(text, '\n');
    if (!out.empty() && out.back().empty()) {
        out.pop_back();
    }
    return out;
}

const std::string kSource = VARNEX_SOURCE_DIR;
const std::string kVerbList = kSource + "/data/verbs/verbs.tsv";
const std::string kModelDir = kSource + "/resources/1.0/model";

}  // namespace

// ---------------------------------------------------------------------------
// Conjugation by class

TEST(ConjugateRegular, VowelStemsContract) {
    EXPECT_EQ("가", make("가다", VerbClass::Regular).infinitive());
    EXPECT_EQ("와", make("오다", VerbClass::Regular).infinitive());
    EXPECT_EQ("봐", make("보다", VerbClass::Regular).infinitive());
    EXPECT_EQ("돼", make("되다", VerbClass::Regular).infinitive());
    EXPECT_EQ("마셔", make("마시다", VerbClass::Regular).infinitive());
    EXPECT_EQ("기다려", make("기다리다", VerbClass::Regular).infinitive());
    EXPECT_EQ("배워", make("배우다", VerbClass::Regular).infinitive());
    EXPECT_EQ("도와줘", make("도와주다", VerbClass::Regular).infinitive());
    EXPECT_EQ("보내", make("보내다", VerbClass::Regular).infinitive());
    EXPECT_EQ("켜", make("켜다", VerbClass::Regular).infinitive());
    // ㅟ does not contract.
    EXPECT_EQ("쉬어", make("쉬다", VerbClass::Regular).infinitive());
}

TEST(ConjugateRegular, ConsonantStemsTakeHarmonisingVowel) {
    EXPECT_EQ("먹어", make("먹다", VerbClass::Regular).infinitive());
    EXPECT_EQ("좋아", make("좋다", VerbClass::Regular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("괜찮아", make("괜찮다", VerbClass::Regular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("입어", make("입다", VerbClass::Regular).infinitive());   // ㅂ kept
    EXPECT_EQ("받아", make("받다", VerbClass::Regular).infinitive());   // ㄷ kept
    EXPECT_EQ("씻어", make("씻다", VerbClass::Regular).infinitive());   // ㅅ kept
}

TEST(ConjugateRegular, TensesAndRegisters) {
    Conjugator c = make("먹다", VerbClass::Regular, PartOfSpeech::Verb, "드시");
    EXPECT_EQ("먹어?", c.question(Register::Plain));
    EXPECT_EQ("먹어요?", c.question(Register::Polite));
    EXPECT_EQ("먹습니까?", c.question(Register::Formal));
    EXPECT_EQ("먹었어?", c.pastQuestion(Register::Plain));
    EXPECT_EQ("먹었어요?", c.pastQuestion(Register::Polite));
    EXPECT_EQ("먹었습니까?", c.pastQuestion(Register::Formal));
    EXPECT_EQ("먹을 거야?", c.futureQuestion(Register::Plain));
    EXPECT_EQ("먹을 거예요?", c.futureQuestion(Register::Polite));
    EXPECT_EQ("먹을 겁니까?", c.futureQuestion(Register::Formal));
    EXPECT_EQ("먹고 있어", c.progressive(Register::Plain));
    EXPECT_EQ("먹을래", c.intent(Register::Plain));
    EXPECT_EQ("먹자", c.suggest(Register::Plain));
    EXPECT_EQ("먹읍시다", c.suggest(Register::Formal));
    EXPECT_EQ("드세요", c.honorificPresent());
    EXPECT_EQ("드셨어요", c.honorificPast());

    Conjugator go = make("가다", VerbClass::Regular);
    EXPECT_EQ("갔어요", go.past(Register::Polite));
    EXPECT_EQ("갑니다", go.present(Register::Formal));
    EXPECT_EQ("가세요", go.honorificPresent());
    EXPECT_EQ("갈 거야", go.future(Register::Plain));
    EXPECT_EQ("가는", go.presentAdnominal());
    EXPECT_EQ("마시세요", make("마시다", VerbClass::Regular).honorificPresent());
    EXPECT_EQ("읽으세요", make("읽다", VerbClass::Regular).honorificPresent());
}

TEST(ConjugateHa, HaBecomesHae) {
    Conjugator c = make("하다", VerbClass::Ha);
    EXPECT_EQ("해", c.present(Register::Plain));
    EXPECT_EQ("했어", c.past(Register::Plain));
    EXPECT_EQ("했습니까?", c.pastQuestion(Register::Formal));
    EXPECT_EQ("합니다", c.present(Register::Formal));
    EXPECT_EQ("하세요", c.honorificPresent());
    EXPECT_EQ("할 거예요", c.future(Register::Polite));
    EXPECT_EQ("공부했어요", make("공부하다", VerbClass::Ha).past(Register::Polite));
    EXPECT_EQ("피곤한", make("피곤하다", VerbClass::Ha, PartOfSpeech::Adjective).presentAdnominal());
}

TEST(ConjugateDIrregular, DBecomesLBeforeVowels) {
    Conjugator c = make("듣다", VerbClass::DIrregular);
    EXPECT_EQ("들어", c.present(Register::Plain));
    EXPECT_EQ("들었어", c.past(Register::Plain));
    EXPECT_EQ("들을 거야", c.future(Register::Plain));
    EXPECT_EQ("들으세요", c.honorificPresent());
    EXPECT_EQ("듣습니다", c.present(Register::Formal));
    EXPECT_EQ("듣고 있어", c.progressive(Register::Plain));
    EXPECT_EQ("듣는", c.presentAdnominal());
    EXPECT_EQ("걸어요", make("걷다", VerbClass::DIrregular).present(Register::Polite));
}

TEST(ConjugateBIrregular, BBecomesWoOrWa) {
    Conjugator c = make("춥다", VerbClass::BIrregular, PartOfSpeech::Adjective);
    EXPECT_EQ("추워", c.present(Register::Plain));
    EXPECT_EQ("추웠어요", c.past(Register::Polite));
    EXPECT_EQ("추울 거야", c.future(Register::Plain));
    EXPECT_EQ("추우세요", c.honorificPresent());
    EXPECT_EQ("춥습니다", c.present(Register::Formal));
    EXPECT_EQ("추운", c.presentAdnominal());
    EXPECT_EQ("더워", make("덥다", VerbClass::BIrregular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("어려워", make("어렵다", VerbClass::BIrregular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("누워", make("눕다", VerbClass::BIrregular).infinitive());
    // 돕다 and 곱다 keep 아.
    Conjugator help = make("돕다", VerbClass::BIrregular);
    EXPECT_EQ("도와", help.infinitive());
    EXPECT_EQ("도왔어", help.past(Register::Plain));
    EXPECT_EQ("도울 거야", help.future(Register::Plain));
    EXPECT_EQ("고와", make("곱다", VerbClass::BIrregular, PartOfSpeech::Adjective).infinitive());
}

TEST(ConjugateSIrregular, SDropsWithoutContraction) {
    Conjugator c = make("낫다", VerbClass::SIrregular, PartOfSpeech::Adjective);
    EXPECT_EQ("나아", c.present(Register::Plain));
    EXPECT_EQ("나았어", c.past(Register::Plain));
    EXPECT_EQ("나을 거야", c.future(Register::Plain));
    EXPECT_EQ("나으세요", c.honorificPresent());
    EXPECT_EQ("낫습니다", c.present(Register::Formal));
    Conjugator build = make("짓다", VerbClass::SIrregular);
    EXPECT_EQ("지어", build.infinitive());
    EXPECT_EQ("지었어요", build.past(Register::Polite));
}

TEST(ConjugateReuIrregular, ReuDoublesL) {
    Conjugator c = make("모르다", VerbClass::ReuIrregular);
    EXPECT_EQ("몰라", c.present(Register::Plain));
    EXPECT_EQ("몰랐어", c.past(Register::Plain));
    EXPECT_EQ("모를 거야", c.future(Register::Plain));
    EXPECT_EQ("모르세요", c.honorificPresent());
    EXPECT_EQ("모릅니다", c.present(Register::Formal));
    EXPECT_EQ("불러", make("부르다", VerbClass::ReuIrregular).infinitive());
    EXPECT_EQ("빨라", make("빠르다", VerbClass::ReuIrregular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("서둘러", make("서두르다", VerbClass::ReuIrregular).infinitive());
    // 들르다 is an 으-drop verb, not 르-irregular.
    EXPECT_EQ("들러", make("들르다", VerbClass::EuDrop).infinitive());
}

TEST(ConjugateHIrregular, HFusesIntoAe) {
    Conjugator c = make("그렇다", VerbClass::HIrregular, PartOfSpeech::Adjective);
    EXPECT_EQ("그래", c.present(Register::Plain));
    EXPECT_EQ("그랬어", c.past(Register::Plain));
    EXPECT_EQ("그럴 거야", c.future(Register::Plain));
    EXPECT_EQ("그러세요", c.honorificPresent());
    EXPECT_EQ("그렇습니다", c.present(Register::Formal));
    EXPECT_EQ("그런", c.presentAdnominal());
    EXPECT_EQ("그렇지", c.withEnding("지"));
    EXPECT_EQ("어때", make("어떻다", VerbClass::HIrregular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("하얘", make("하얗다", VerbClass::HIrregular, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("빨개", make("빨갛다", VerbClass::HIrregular, PartOfSpeech::Adjective).infinitive());
}

TEST(ConjugateEuDrop, EuDropsByPrecedingVowel) {
    Conjugator c = make("바쁘다", VerbClass::EuDrop, PartOfSpeech::Adjective);
    EXPECT_EQ("바빠", c.present(Register::Plain));
    EXPECT_EQ("바빴어요", c.past(Register::Polite));
    EXPECT_EQ("바쁠 거야", c.future(Register::Plain));
    EXPECT_EQ("바쁘세요", c.honorificPresent());
    EXPECT_EQ("바쁩니다", c.present(Register::Formal));
    EXPECT_EQ("아파", make("아프다", VerbClass::EuDrop, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("예뻐", make("예쁘다", VerbClass::EuDrop, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("슬퍼", make("슬프다", VerbClass::EuDrop, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("써", make("쓰다", VerbClass::EuDrop).infinitive());
    EXPECT_EQ("썼어", make("쓰다", VerbClass::EuDrop).past(Register::Plain));
    EXPECT_EQ("커", make("크다", VerbClass::EuDrop, PartOfSpeech::Adjective).infinitive());
    EXPECT_EQ("모아", make("모으다", VerbClass::EuDrop).infinitive());
}

TEST(ConjugateLDrop, LDropsBeforeNBS) {
    Conjugator c = make("알다", VerbClass::LDrop);
    EXPECT_EQ("알아", c.present(Register::Plain));
    EXPECT_EQ("알았어", c.past(Register::Plain));
    EXPECT_EQ("알 거야", c.future(Register::Plain));
    EXPECT_EQ("아세요", c.honorificPresent());
    EXPECT_EQ("압니다", c.present(Register::Formal));
    EXPECT_EQ("아니", c.withEnding("니"));
    EXPECT_EQ("아는", c.presentAdnominal());
    EXPECT_EQ("안", c.pastAdnominal());
    // ㄹ stays before ㄱ, ㄷ, ㅈ.
    EXPECT_EQ("알고", c.withEnding("고"));
    EXPECT_EQ("알지", c.withEnding("지"));
    Conjugator live = make("살다", VerbClass::LDrop);
    EXPECT_EQ("살아요", live.present(Register::Polite));
    EXPECT_EQ("삽니다", live.present(Register::Formal));
    EXPECT_EQ("사세요", live.honorificPresent());
    Conjugator make_ = make("만들다", VerbClass::LDrop);
    EXPECT_EQ("만드세요", make_.honorificPresent());
    EXPECT_EQ("만들 거야", make_.future(Register::Plain));
    EXPECT_EQ("만들었어", make_.past(Register::Plain));
    EXPECT_EQ("놉시다", make("놀다", VerbClass::LDrop).suggest(Register::Formal));
    EXPECT_EQ("힘든", make("힘들다", VerbClass::LDrop, PartOfSpeech::Adjective).presentAdnominal());
}

TEST(ConjugateMultiWord, OnlyTheLastWordConjugates) {
    Conjugator c = make("마음에 들다", VerbClass::LDrop);
    EXPECT_EQ("마음에 들어", c.present(Register::Plain));
    EXPECT_EQ("마음에 드세요", c.honorificPresent());
}

TEST(ConjugateErrors, ClassMustFitTheStem) {
    EXPECT_THROW(make("먹다", VerbClass::BIrregular), ConjugationError);
    EXPECT_THROW(make("가다", VerbClass::LDrop), ConjugationError);
    EXPECT_THROW(make("모르다", VerbClass::Regular), ConjugationError);  // 르 must be declared
    EXPECT_THROW(make("하다", VerbClass::Regular), ConjugationError);
    EXPECT_THROW(make("살다", VerbClass::Regular), ConjugationError);
    EXPECT_THROW(make("먹어", VerbClass::Regular), ConjugationError);
    EXPECT_THROW(make("do다", VerbClass::Regular), ConjugationError);
    EXPECT_THROW(make("다", VerbClass::Regular), ConjugationError);
}

// ---------------------------------------------------------------------------
// Answers

class AnswerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* entries[] = {
            "먹다\tregular\tV\thon=드시",
            "가다\tregular\tV\t-",
            "하다\tha\tV\tc",
            "공부하다\tha\tV\tsep",
            "있다\tregular\tE\tant=없다",
            "없다\tregular\tE\tant=있다",
            "알다\tl\tV\tant=모르다,noint,nosug,noabl,noexp,noreq,nowant",
            "모르다\treu\tV\tant=알다,state",
            "마음에 들다\tl\tV\tstate",
            "못하다\tha\tV\tnoyn",
            "잘하다\tha\tV\tant=잘 못하다,state",
            "맞다\tregular\tV\tstate,ant=-",
            "필요하다\tha\tA\tant=필요 없다",
            "춥다\tb\tA\t-",
        };
        std::string error;
        for (const char* line : entries) {
            ASSERT_TRUE(list.parseLine(line, error)) << line << ": " << error;
        }
    }
    const VerbEntry& entry(const std::string& lemma) {
        const VerbEntry* e = list.find(lemma);
        EXPECT_NE(nullptr, e) << lemma;
        return *e;
    }
    VerbList list;
};

TEST_F(AnswerTest, RepliesPerRegister) {
    Replies plain = list.replies(entry("먹다"), Kind::Past, Register::Plain);
    EXPECT_EQ("응, 먹었어", plain.yes);
    EXPECT_EQ("아니, 안 먹었어", plain.no);
    EXPECT_EQ("글쎄", plain.notSure);
    Replies polite = list.replies(entry("가다"), Kind::Present, Register::Polite);
    EXPECT_EQ("네, 가요", polite.yes);
    EXPECT_EQ("아니요, 안 가요", polite.no);
    EXPECT_EQ("글쎄요", polite.notSure);
    Replies formal = list.replies(entry("하다"), Kind::Past, Register::Formal);
    EXPECT_EQ("예, 했습니다", formal.yes);
    EXPECT_EQ("아니요, 안 했습니다", formal.no);
}

TEST_F(AnswerTest, NegationGoesInsideSeparableCompounds) {
    AnswerPair a = list.answers(entry("공부하다"), Kind::Past, Register::Plain);
    EXPECT_EQ("공부했어", a.yes);
    EXPECT_EQ("공부 안 했어", a.no);
    EXPECT_EQ("공부 안 할 거예요", list.answers(entry("공부하다"), Kind::Future, Register::Polite).no);
    EXPECT_EQ("공부 못 해", list.answers(entry("공부하다"), Kind::Ability, Register::Plain).no);
    EXPECT_EQ("마음에 안 들어", list.answers(entry("마음에 들다"), Kind::Present, Register::Plain).no);
}

TEST_F(AnswerTest, AntonymsAnswerNo) {
    EXPECT_EQ("없어", list.answers(entry("있다"), Kind::Present, Register::Plain).no);
    EXPECT_EQ("없었습니다", list.answers(entry("있다"), Kind::Past, Register::Formal).no);
    EXPECT_EQ("있어요", list.answers(entry("없다"), Kind::Present, Register::Polite).no);
    EXPECT_EQ("몰라", list.answers(entry("알다"), Kind::Present, Register::Plain).no);
    EXPECT_EQ("몰랐어", list.answers(entry("알다"), Kind::Past, Register::Plain).no);
    // "알고 있어?" is denied in the present.
    EXPECT_EQ("알고 있어", list.answers(entry("알다"), Kind::Progressive, Register::Plain).yes);
    EXPECT_EQ("몰라", list.answers(entry("알다"), Kind::Progressive, Register::Plain).no);
    EXPECT_EQ("알아요", list.answers(entry("모르다"), Kind::Present, Register::Polite).no);
    EXPECT_EQ("잘 못해", list.answers(entry("잘하다"), Kind::Present, Register::Plain).no);
    EXPECT_EQ("필요 없어", list.answers(entry("필요하다"), Kind::Present, Register::Plain).no);
    // No denial phrased with the verb: the generic "아니" stands alone.
    EXPECT_EQ("", list.answers(entry("맞다"), Kind::Present, Register::Plain).no);
    EXPECT_EQ("아니", list.replies(entry("맞다"), Kind::Present, Register::Plain).no);
}

TEST_F(AnswerTest, KindsFollowPartOfSpeechAndFlags) {
    std::vector<Kind> adjective = list.kinds(entry("춥다"));
    EXPECT_EQ(4u, adjective.size());  // present, past, past perfect, future
    for (Kind k : adjective) {
        EXPECT_NE(Kind::Suggest, k);
        EXPECT_NE(Kind::Progressive, k);
    }
    EXPECT_TRUE(list.kinds(entry("못하다")).empty());
    std::vector<Kind> know = list.kinds(entry("알다"));
    EXPECT_NE(know.end(), std::find(know.begin(), know.end(), Kind::Progressive));
    EXPECT_EQ(know.end(), std::find(know.begin(), know.end(), Kind::Suggest));
    EXPECT_EQ("가자", list.answers(entry("가다"), Kind::Suggest, Register::Plain).yes);
    EXPECT_EQ("", list.answers(entry("가다"), Kind::Suggest, Register::Plain).no);
    EXPECT_EQ("가줄게", list.answers(entry("가다"), Kind::Request, Register::Plain).yes);
    EXPECT_EQ("못 가요", list.answers(entry("가다"), Kind::Ability, Register::Polite).no);
}

TEST(VerbListParsing, RejectsMalformedLines) {
    VerbList list;
    std::string error;
    EXPECT_FALSE(list.parseLine("먹다\tregular\tV", error));
    EXPECT_FALSE(list.parseLine("먹다\tirregular\tV\t-", error));
    EXPECT_FALSE(list.parseLine("먹다\tregular\tX\t-", error));
    EXPECT_FALSE(list.parseLine("먹다\tregular\tV\tnosuch", error));
    EXPECT_TRUE(list.parseLine("가다\tregular\tV\t-", error));
    EXPECT_FALSE(list.parseLine("가다\tregular\tV\t-", error));  // duplicate
}

// ---------------------------------------------------------------------------
// Generated resources

class ResourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(generateResources(kVerbList, *set, error)) << error;
    }
    static ResourceSet* set;

    // The row values (columns 0-2 and answers) of every form, keyed as the
    // verb table stores it: "먹었어?" or "먹었니/" (marker C removed).
    struct RowInfo {
        std::string verb, type, time, polite, casual;
        bool compoundOnly;
    };
    static std::map<std::string, RowInfo> forms() {
        std::map<std::string, RowInfo> out;
        std::vector<std::string> ls = lines(set->typeDictionary);
        for (size_t i = 1; i < ls.size(); ++i) {
            std::vector<std::string> f = splitOn(ls[i], '\t');
            for (int c = 3; c <= 39; ++c) {
                if (c == 24 || f[c].empty()) continue;
                for (std::string v : splitOn(f[c], ',')) {
                    bool cOnly = v[0] == 'C';
                    if (cOnly) v = v.substr(1);
                    std::string key = v.back() == '?' ? v : v + "/";
                    out[key] = RowInfo{f[0], f[1], f[2], f[24], f[40], cOnly};
                }
            }
        }
        return out;
    }
};
ResourceSet* ResourceTest::set = new ResourceSet;

TEST_F(ResourceTest, CommittedFilesAreWhatTheGeneratorWrites) {
    char dir[] = "/tmp/varnex-conjugate-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    ResourceSet written;
    std::string error;
    ASSERT_TRUE(writeResources(kVerbList, dir, written, error)) << error;
    for (const char* name : {kTypeDictionaryFile, kCompoundRuleFile, kNegativeRuleFile, kExceptionDictionaryFile}) {
        std::string fresh = readFile(std::string(dir) + "/" + name);
        std::string committed = readFile(kModelDir + "/" + name);
        EXPECT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == committed) << name << " differs from the committed file; regenerate it with "
                                        << "varnex-conjugate data/verbs/verbs.tsv resources/1.0/model";
        std::remove((std::string(dir) + "/" + name).c_str());
    }
    rmdir(dir);
}

TEST_F(ResourceTest, FilesKeepTheirColumnLayouts) {
    std::vector<std::string> type = lines(set->typeDictionary);
    ASSERT_GT(type.size(), 1000u);
    for (const std::string& l : type) {
        std::vector<std::string> f = splitOn(l, '\t');
        ASSERT_EQ(43u, f.size()) << l;
        ASSERT_FALSE(f[24].empty()) << l;  // the forms of both groups are registered
        ASSERT_FALSE(f[40].empty()) << l;
        EXPECT_LE(splitOn(f[24], ',').size(), 2u) << l;
        EXPECT_LE(splitOn(f[40], ',').size(), 2u) << l;
    }
    for (const std::string& l : lines(set->compoundRule)) {
        EXPECT_GE(splitOn(l, '\t').size(), 2u) << l;
    }
    for (const std::string& l : lines(set->negativeRule)) {
        std::vector<std::string> f = splitOn(l, '\t');
        ASSERT_EQ(2u, f.size()) << l;
        EXPECT_EQ("FALSE", f[0]) << l;
    }
    for (const std::string& l : lines(set->exceptionDictionary)) {
        EXPECT_EQ(8u, splitOn(l, '\t').size()) << l;
    }
}

TEST_F(ResourceTest, FormsCarryTheirVerbAndAnswers) {
    std::map<std::string, RowInfo> f = forms();
    struct Case {
        const char* key;
        const char* verb;
        const char* type;
        const char* time;
        const char* polite;
        const char* casual;
    };
    const Case cases[] = {
        {"먹었어?", "먹다", "question", "past", "먹었어요,안 먹었어요", "먹었어,안 먹었어"},
        {"드셨어요?", "먹다", "question", "past", "먹었어요,안 먹었어요", "먹었어,안 먹었어"},
        {"먹었습니까/", "먹다", "question", "past", "먹었습니다,안 먹었습니다", "먹었어,안 먹었어"},
        {"와요?", "오다", "question", "present", "와요,안 와요", "와,안 와"},
        {"들었어?", "듣다", "question", "past", "들었어요,안 들었어요", "들었어,안 들었어"},
        {"추워?", "춥다", "question", "present", "추워요,안 추워요", "추워,안 추워"},
        {"나았어?", "낫다", "question", "past", "나았어요,안 나았어요", "나았어,안 나았어"},
        {"몰라?", "모르다", "question", "present", "몰라요,알아요", "몰라,알아"},
        {"그래?", "그렇다", "question", "present", "그래요,안 그래요", "그래,안 그래"},
        {"바빠?", "바쁘다", "question", "present", "바빠요,안 바빠요", "바빠,안 바빠"},
        {"알아?", "알다", "question", "present", "알아요,몰라요", "알아,몰라"},
        {"살아요?", "살다", "question", "present", "살아요,안 살아요", "살아,안 살아"},
        {"공부했어?", "공부하다", "question", "past", "공부했어요,공부 안 했어요", "공부했어,공부 안 했어"},
        {"도와줄래?", "돕다", "command", "present", "도와드릴게요", "도와줄게"},
        {"갈래?", "가다", "question", "future", "갈래요,안 갈래요", "갈래,안 갈래"},
        {"갈까/", "가다", "suggest", "future", "가요", "가자"},
        {"올까/", "오다", "question", "future", "올 거예요,안 올 거예요", "올 거야,안 올 거야"},
        {"있어?", "있다", "question", "present", "있어요,없어요", "있어,없어"},
    };
    for (const Case& c : cases) {
        auto it = f.find(c.key);
        ASSERT_NE(f.end(), it) << c.key;
        EXPECT_EQ(c.verb, it->second.verb) << c.key;
        EXPECT_EQ(c.type, it->second.type) << c.key;
        EXPECT_EQ(c.time, it->second.time) << c.key;
        EXPECT_EQ(c.polite, it->second.polite) << c.key;
        EXPECT_EQ(c.casual, it->second.casual) << c.key;
    }
}

TEST_F(ResourceTest, AmbiguousAndStatementFormsAreLeftOut) {
    std::map<std::string, RowInfo> f = forms();
    // 사다 and 살다 share these.
    EXPECT_EQ(0u, f.count("사세요?"));
    EXPECT_EQ(0u, f.count("살거야?"));
    // Forms that are also statements are stored with the question mark only.
    EXPECT_EQ(0u, f.count("먹었어/"));
    EXPECT_EQ(0u, f.count("갈래/"));
    // Plain -시- forms usually honour a third person and are not answered.
    EXPECT_EQ(0u, f.count("드셨어?"));
    // 너도 와? is not 도와?.
    EXPECT_EQ(0u, f.count("도와?"));
    // Verbs without yes/no rows.
    EXPECT_EQ(0u, f.count("어때?"));
    // Short forms ending other words need a compound word in front.
    ASSERT_EQ(1u, f.count("가?"));
    EXPECT_TRUE(f["가?"].compoundOnly);
    EXPECT_TRUE(f["자요?"].compoundOnly);
    EXPECT_FALSE(f["갔어?"].compoundOnly);
}

TEST_F(ResourceTest, VetoesCoverWordsThatOnlyLookLikeForms) {
    std::vector<std::string> ls = lines(set->negativeRule);
    std::set<std::string> keys;
    for (const std::string& l : ls) keys.insert(splitOn(l, '\t')[1]);
    EXPECT_TRUE(keys.count("갈까해"));      // 갈까 해 is a statement
    EXPECT_TRUE(keys.count("늦을까봐"));    // 늦을까 봐
    EXPECT_TRUE(keys.count("헤어질까"));    // left out, and would read as 지다
    EXPECT_TRUE(keys.count("벌써요?"));
    EXPECT_FALSE(keys.count("갈까"));
}

TEST_F(ResourceTest, CompoundAndExceptionRowsAgree) {
    std::map<std::string, std::vector<std::string>> compounds;
    for (const std::string& l : lines(set->compoundRule)) {
        std::vector<std::string> f = splitOn(l, '\t');
        compounds[f[0]].assign(f.begin() + 1, f.end());
    }
    auto has = [&](const std::string& verb, const std::string& word) {
        for (const std::string& w : compounds[verb]) {
            std::string body = w.substr(1);
            if (!body.empty() && body[0] == '/') body = body.substr(1);
            if (body == word) return true;
        }
        return false;
    };
    EXPECT_TRUE(has("하다", "공부"));
    EXPECT_TRUE(has("있다", "시간"));
    EXPECT_TRUE(has("되다", "준비"));
    // Every exception keyed with a compound word can be reached.
    for (const std::string& l : lines(set->exceptionDictionary)) {
        std::vector<std::string> f = splitOn(l, '\t');
        for (const std::string& w : splitOn(f[3], ',')) {
            if (w.empty() || w == "안" || w == "못") continue;
            EXPECT_TRUE(has(f[0], w)) << l;
        }
    }
    bool stayWell = false, notGo = false;
    for (const std::string& l : lines(set->exceptionDictionary)) {
        stayWell |= l == "지내다\tquestion\tpast\t잘\t잘 지냈어요,잘 못 지냈어요\t글쎄요\t잘 지냈어,잘 못 지냈어\t글쎄";
        notGo |= l == "가다\tsuggest\tfuture\t안\t가지 말아요\t글쎄요\t가지 말자\t글쎄";
    }
    EXPECT_TRUE(stayWell);
    EXPECT_TRUE(notGo);
}
