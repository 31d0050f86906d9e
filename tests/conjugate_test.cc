// The Korean conjugation library, the answers it builds from the verb list,
// and the verb table resources it generates.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "conjugate.h"

using namespace Varnex::Conjugate;

namespace {

const std::string kVerbList = std::string(VARNEX_SOURCE_DIR) + "/data/verbs/verbs.tsv";
const std::string kModelDir = std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/model/";
const PartOfSpeech V = PartOfSpeech::Verb, A = PartOfSpeech::Adjective;

std::vector<std::string> splitOn(const std::string& s, char sep) {
    std::vector<std::string> out(1);
    for (char c : s) c == sep ? out.emplace_back() : out.back() += c;
    return out;
}

// A verb for each rule of its class: infinitive, polite present, plain past,
// plain future, honorific present, formal present; a suppletive honorific.
struct ClassCase {
    const char* lemma;
    VerbClass cls;
    PartOfSpeech pos;
    const char *forms, *honorific = "";
};

const ClassCase kClassCases[] = {
    {"가다", VerbClass::Regular, V, "가|가요|갔어|갈 거야|가세요|갑니다"},
    {"오다", VerbClass::Regular, V, "와|와요|왔어|올 거야|오세요|옵니다"},
    {"되다", VerbClass::Regular, V, "돼|돼요|됐어|될 거야|되세요|됩니다"},
    {"마시다", VerbClass::Regular, V, "마셔|마셔요|마셨어|마실 거야|마시세요|마십니다"},
    {"배우다", VerbClass::Regular, V, "배워|배워요|배웠어|배울 거야|배우세요|배웁니다"},
    {"보내다", VerbClass::Regular, V, "보내|보내요|보냈어|보낼 거야|보내세요|보냅니다"},
    {"쉬다", VerbClass::Regular, V, "쉬어|쉬어요|쉬었어|쉴 거야|쉬세요|쉽니다"},  // ㅟ does not contract
    {"먹다", VerbClass::Regular, V, "먹어|먹어요|먹었어|먹을 거야|드세요|먹습니다", "드시"},
    {"읽다", VerbClass::Regular, V, "읽어|읽어요|읽었어|읽을 거야|읽으세요|읽습니다"},
    {"괜찮다", VerbClass::Regular, A, "괜찮아|괜찮아요|괜찮았어|괜찮을 거야|괜찮으세요|괜찮습니다"},
    {"입다", VerbClass::Regular, V, "입어|입어요|입었어|입을 거야|입으세요|입습니다"},  // ㅂ, ㄷ, ㅅ kept
    {"받다", VerbClass::Regular, V, "받아|받아요|받았어|받을 거야|받으세요|받습니다"},
    {"씻다", VerbClass::Regular, V, "씻어|씻어요|씻었어|씻을 거야|씻으세요|씻습니다"},
    {"하다", VerbClass::Ha, V, "해|해요|했어|할 거야|하세요|합니다"},
    {"공부하다", VerbClass::Ha, V, "공부해|공부해요|공부했어|공부할 거야|공부하세요|공부합니다"},
    {"피곤하다", VerbClass::Ha, A, "피곤해|피곤해요|피곤했어|피곤할 거야|피곤하세요|피곤합니다"},
    {"듣다", VerbClass::DIrregular, V, "들어|들어요|들었어|들을 거야|들으세요|듣습니다"},
    {"춥다", VerbClass::BIrregular, A, "추워|추워요|추웠어|추울 거야|추우세요|춥습니다"},
    {"돕다", VerbClass::BIrregular, V, "도와|도와요|도왔어|도울 거야|도우세요|돕습니다"},  // 돕다, 곱다 keep 아
    {"곱다", VerbClass::BIrregular, A, "고와|고와요|고왔어|고울 거야|고우세요|곱습니다"},
    {"낫다", VerbClass::SIrregular, A, "나아|나아요|나았어|나을 거야|나으세요|낫습니다"},
    {"모르다", VerbClass::ReuIrregular, V, "몰라|몰라요|몰랐어|모를 거야|모르세요|모릅니다"},
    {"부르다", VerbClass::ReuIrregular, V, "불러|불러요|불렀어|부를 거야|부르세요|부릅니다"},
    {"들르다", VerbClass::EuDrop, V, "들러|들러요|들렀어|들를 거야|들르세요|들릅니다"},  // not 르-irregular
    {"바쁘다", VerbClass::EuDrop, A, "바빠|바빠요|바빴어|바쁠 거야|바쁘세요|바쁩니다"},
    {"쓰다", VerbClass::EuDrop, V, "써|써요|썼어|쓸 거야|쓰세요|씁니다"},
    {"모으다", VerbClass::EuDrop, V, "모아|모아요|모았어|모을 거야|모으세요|모읍니다"},
    {"그렇다", VerbClass::HIrregular, A, "그래|그래요|그랬어|그럴 거야|그러세요|그렇습니다"},
    {"빨갛다", VerbClass::HIrregular, A, "빨개|빨개요|빨갰어|빨갈 거야|빨가세요|빨갛습니다"},
    {"하얗다", VerbClass::HIrregular, A, "하얘|하얘요|하얬어|하얄 거야|하야세요|하얗습니다"},
    {"알다", VerbClass::LDrop, V, "알아|알아요|알았어|알 거야|아세요|압니다"},
    {"힘들다", VerbClass::LDrop, A, "힘들어|힘들어요|힘들었어|힘들 거야|힘드세요|힘듭니다"},
    {"마음에 들다", VerbClass::LDrop, V, "마음에 들어|마음에 들어요|마음에 들었어|마음에 들 거야|마음에 드세요|마음에 듭니다"},
};

Conjugator conjugator(const std::string& lemma) {
    for (const ClassCase& c : kClassCases)
        if (lemma == c.lemma) return Conjugator(Verb{c.lemma, c.cls, c.pos, c.honorific});
    throw std::invalid_argument(lemma);
}

TEST(Conjugate, EachClassInEveryRegisterAndOnlyWhereItFits) {
    for (const ClassCase& c : kClassCases) {
        const Conjugator v = conjugator(c.lemma);
        EXPECT_EQ(v.infinitive() + "|" + v.present(Register::Polite) + "|" + v.past(Register::Plain) + "|" +
                      v.future(Register::Plain) + "|" + v.honorificPresent() + "|" + v.present(Register::Formal),
                  c.forms);
        EXPECT_EQ(v.present(Register::Plain), v.infinitive()) << c.lemma;
    }
    for (const auto& bad : std::vector<std::pair<const char*, VerbClass>>{
             {"먹다", VerbClass::BIrregular}, {"가다", VerbClass::LDrop}, {"모르다", VerbClass::Regular},
             {"하다", VerbClass::Regular}, {"살다", VerbClass::Regular}, {"먹어", VerbClass::Regular},
             {"do다", VerbClass::Regular}, {"다", VerbClass::Regular}})
        EXPECT_THROW(Conjugator(Verb{bad.first, bad.second, V, ""}), ConjugationError) << bad.first;
}

TEST(Conjugate, QuestionsAndOtherEndings) {
    const Conjugator eat = conjugator("먹다");
    const char* const questions[] = {"먹어? 먹었어? 먹을 거야?", "먹어요? 먹었어요? 먹을 거예요?",
                                     "먹습니까? 먹었습니까? 먹을 겁니까?"};
    for (Register r : {Register::Plain, Register::Polite, Register::Formal})
        EXPECT_EQ(eat.question(r) + " " + eat.pastQuestion(r) + " " + eat.futureQuestion(r),
                  questions[static_cast<int>(r)]);
    EXPECT_EQ(eat.progressive(Register::Plain) + " " + eat.intent(Register::Plain) + " " +
                  eat.suggest(Register::Plain) + " " + eat.suggest(Register::Formal) + " " + eat.honorificPast(),
              "먹고 있어 먹을래 먹자 먹읍시다 드셨어요");
    std::string forms;
    for (const char* lemma : {"가다", "공부하다", "춥다", "바쁘다", "낫다"}) forms += conjugator(lemma).past(Register::Polite) + " ";
    // Verbs take -는, adjectives -(으)ㄴ; ㄹ drops before ㄴ, ㅂ, ㅅ, not before ㄱ, ㄷ, ㅈ.
    for (const char* lemma : {"가다", "듣다", "알다", "피곤하다", "춥다", "그렇다", "힘들다"})
        forms += conjugator(lemma).presentAdnominal() + " ";
    const Conjugator know = conjugator("알다"), doing = conjugator("하다");
    forms += know.pastAdnominal() + " " + know.withEnding("니") + " " + know.withEnding("고") + " " +
             know.withEnding("지");
    forms += " " + know.suggest(Register::Formal) + " " + conjugator("그렇다").withEnding("지") + " " +
             conjugator("듣다").progressive(Register::Plain) + " " + doing.pastQuestion(Register::Formal) + " " +
             doing.future(Register::Polite);
    EXPECT_EQ(forms, "갔어요 공부했어요 추웠어요 바빴어요 나았어요 가는 듣는 아는 피곤한 추운 그런 힘든 "
                     "안 아니 알고 알지 압시다 그렇지 듣고 있어 했습니까? 할 거예요");
}

struct AnswerCase {
    const char* lemma;
    Kind kind;
    Register reg;
    const char *answers, *replies = nullptr;  // "yes|no" and, as said, "yes|no|not sure"
};

const AnswerCase kAnswerCases[] = {
    {"먹다", Kind::Past, Register::Plain, "먹었어|안 먹었어", "응, 먹었어|아니, 안 먹었어|글쎄"},
    {"가다", Kind::Present, Register::Polite, "가요|안 가요", "네, 가요|아니요, 안 가요|글쎄요"},
    {"하다", Kind::Past, Register::Formal, "했습니다|안 했습니다", "예, 했습니다|아니요, 안 했습니다|글쎄요"},
    // Negation goes inside a separable compound and a multi-word lemma.
    {"공부하다", Kind::Past, Register::Plain, "공부했어|공부 안 했어"},
    {"공부하다", Kind::Ability, Register::Plain, "공부할 수 있어|공부 못 해"},
    {"마음에 들다", Kind::Present, Register::Plain, "마음에 들어|마음에 안 들어"},
    // An antonym answers no ("알고 있어?" in the present); "-": a bare 아니.
    {"있다", Kind::Present, Register::Plain, "있어|없어"},
    {"있다", Kind::Past, Register::Formal, "있었습니다|없었습니다"},
    {"알다", Kind::Progressive, Register::Plain, "알고 있어|몰라"},
    {"모르다", Kind::Present, Register::Polite, "몰라요|알아요"},
    {"잘하다", Kind::Present, Register::Plain, "잘해|잘 못해"},
    {"필요하다", Kind::Present, Register::Plain, "필요해|필요 없어"},
    {"맞다", Kind::Present, Register::Plain, "맞아|", "응, 맞아|아니|글쎄"},
    // A suggestion to go out is put off (later), others are not denied with
    // the verb; a request is declined politely; ability with 못.
    {"가다", Kind::Suggest, Register::Plain, "가자|다음에 가자", "그래, 가자|다음에 가자|글쎄"},
    {"열다", Kind::Suggest, Register::Plain, "열자|"},
    // Coming to the asker is answered with going there.
    {"오다", Kind::Intent, Register::Polite, "갈게요|못 갈 것 같아요"},
    {"가져오다", Kind::Request, Register::Plain, "가져갈게|미안 지금은 좀 어려워"},
    {"가다", Kind::Request, Register::Plain, "가줄게|미안 지금은 좀 어려워", "그래, 가줄게|미안 지금은 좀 어려워|"},
    {"가다", Kind::Ability, Register::Polite, "갈 수 있어요|못 가요"},
};

TEST(ConjugateAnswers, AgreeInVerbTenseAndRegisterAndFollowTheFlags) {
    VerbList list;
    std::string error;
    ASSERT_TRUE(list.load(kVerbList, error)) << error;
    for (const AnswerCase& c : kAnswerCases) {
        const AnswerPair a = list.answers(*list.find(c.lemma), c.kind, c.reg);
        EXPECT_EQ(a.yes + "|" + a.no, c.answers) << c.lemma << " " << kindName(c.kind);
        const Replies r = list.replies(*list.find(c.lemma), c.kind, c.reg);
        const std::string said = r.yes + "|" + r.no + "|" + r.notSure;
        EXPECT_EQ(said, c.replies ? c.replies : said) << c.lemma;
    }
    auto kinds = [&list](const char* lemma) {
        std::string out;
        for (Kind k : list.kinds(*list.find(lemma))) out += std::string(kindName(k)) + " ";
        return out;
    };
    EXPECT_EQ(kinds("춥다"), "present past past_perfect future ");  // no suggestion, no progressive
    EXPECT_EQ(kinds("못하다"), "");
    EXPECT_EQ(kinds("알다"), "present past past_perfect future progressive ");
    VerbList parsed;
    for (const char* bad : {"먹다\tregular\tV", "먹다\tirregular\tV\t-", "먹다\tregular\tX\t-", "먹다\tregular\tV\tnosuch"})
        EXPECT_FALSE(parsed.parseLine(bad, error)) << bad;
    EXPECT_TRUE(parsed.parseLine("가다\tregular\tV\t-", error));
    EXPECT_FALSE(parsed.parseLine("가다\tregular\tV\t-", error));  // twice
}

// The generator writes exactly the committed resources, so that the tests
// after this one, reading those, check what it produces.
TEST(ConjugateResources, CommittedFilesAreWhatTheGeneratorWrites) {
    VarnexTest::TempDir dir;
    ResourceSet written;
    std::string error;
    ASSERT_TRUE(writeResources(kVerbList, dir.path(), written, error)) << error;
    for (const char* name : {kTypeDictionaryFile, kCompoundRuleFile, kNegativeRuleFile, kExceptionDictionaryFile}) {
        const std::string fresh = VarnexTest::readFile(dir.file(name));
        EXPECT_FALSE(fresh.empty()) << name;
        EXPECT_TRUE(fresh == VarnexTest::readFile(kModelDir + name))
            << name << " differs from the committed file; regenerate it: varnex-conjugate data/verbs/verbs.tsv "
            << "resources/1.0/model";
    }
}

std::vector<std::vector<std::string>> committed(const char* name) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& l : splitOn(VarnexTest::readFile(kModelDir + name), '\n'))
        if (!l.empty()) rows.push_back(splitOn(l, '\t'));
    return rows;
}

TEST(ConjugateResources, FormsCarryTheirRowAndSharedOrStatementFormsAreLeftOut) {
    // Each form, keyed as the verb table keys it: "verb type time|polite|casual", "|C" if compound-only.
    std::map<std::string, std::string> forms;
    const auto rows = committed(kTypeDictionaryFile);
    ASSERT_GT(rows.size(), 1000u);
    for (const auto& f : rows) {
        ASSERT_EQ(43u, f.size()) << f[0];
        ASSERT_FALSE(f[24].empty() || f[40].empty()) << f[0];  // the forms of both groups are registered
        for (int c : {24, 40}) EXPECT_LE(splitOn(f[c], ',').size(), 2u) << f[0];  // yes and no, no choice
        for (int c = 3; c <= 39; ++c) {
            for (std::string v : c == 24 || f[c].empty() ? std::vector<std::string>() : splitOn(f[c], ',')) {
                const bool compoundOnly = v[0] == 'C';
                if (compoundOnly) v = v.substr(1);
                forms[v.back() == '?' ? v : v + "/"] =
                    f[0] + " " + f[1] + " " + f[2] + "|" + f[24] + "|" + f[40] + (compoundOnly ? "|C" : "");
            }
        }
    }
    const std::map<std::string, std::string> want = {
        {"드셨어요?", "먹다 question past|먹었어요,안 먹었어요|먹었어,안 먹었어"},
        {"먹었습니까/", "먹다 question past|먹었습니다,안 먹었습니다|먹었어,안 먹었어"},
        {"몰라?", "모르다 question present|몰라요,알아요|몰라,알아"},
        {"공부했어?", "공부하다 question past|공부했어요,공부 안 했어요|공부했어,공부 안 했어"},
        {"도와줄래?", "돕다 command present|도와드릴게요,죄송해요 지금은 좀 어려울 것 같아요|도와줄게,미안 지금은 좀 어려워"},
        {"갈까/", "가다 suggest future|가요,다음에 가요|가자,다음에 가자"},
        {"올까/", "오다 question future|올 거예요,안 올 거예요|올 거야,안 올 거야"},
        {"갔어?", "가다 question past|갔어요,안 갔어요|갔어,안 갔어"},
        // Short forms that end other words too need a compound word in front.
        {"가?", "가다 question present|가요,안 가요|가,안 가|C"},
    };
    for (const auto& w : want) EXPECT_EQ(forms[w.first], w.second) << w.first;
    EXPECT_EQ(splitOn(forms["자요?"], '|').back(), "C");
    // Left out: forms of two verbs (사다, 살다), statements without "?", plain
    // -시- forms (of a third person), 도와? (너도 와?), verbs without yes/no rows.
    for (const char* key : {"사세요?", "살거야?", "먹었어/", "갈래/", "드셨어?", "도와?", "어때?"})
        EXPECT_EQ(forms.count(key), 0u) << key;
}

TEST(ConjugateResources, VetoesCompoundsAndExceptionsAgree) {
    std::set<std::string> vetoes;
    for (const auto& f : committed(kNegativeRuleFile)) {
        ASSERT_EQ(2u, f.size()) << f[0];
        EXPECT_EQ("FALSE", f[0]) << f[1];
        vetoes.insert(f[1]);
    }
    // 갈까 해 and 늦을까 봐 are statements; 헤어질까 would read as 지다.
    for (const char* veto : {"갈까해", "늦을까봐", "헤어질까", "벌써요?"}) EXPECT_EQ(vetoes.count(veto), 1u) << veto;
    EXPECT_EQ(vetoes.count("갈까"), 0u);
    std::map<std::string, std::set<std::string>> words;  // verb -> compound words without marker and "/"
    for (const auto& f : committed(kCompoundRuleFile)) {
        ASSERT_GE(f.size(), 2u) << f[0];
        for (size_t i = 1; i < f.size(); ++i)
            words[f[0]].insert(f[i].substr(f[i].size() > 1 && f[i][1] == '/' ? 2 : 1));
    }
    for (const auto& w : std::vector<std::pair<const char*, const char*>>{{"하다", "공부"}, {"있다", "시간"}, {"되다", "준비"}})
        EXPECT_EQ(words[w.first].count(w.second), 1u) << w.first << " " << w.second;
    // Every exception keyed with a compound word can be reached.
    for (const auto& f : committed(kExceptionDictionaryFile)) {
        ASSERT_EQ(8u, f.size()) << f[0];
        for (const std::string& w : splitOn(f[3], ',')) {
            if (!w.empty() && w != "안" && w != "못") {
                EXPECT_EQ(words[f[0]].count(w), 1u) << f[0] << " " << w;
            }
        }
    }
    const std::vector<std::string> rows = splitOn(VarnexTest::readFile(kModelDir + kExceptionDictionaryFile), '\n');
    const std::set<std::string> exceptions(rows.begin(), rows.end());
    EXPECT_EQ(exceptions.count("지내다\tquestion\tpast\t잘\t잘 지냈어요,잘 못 지냈어요\t글쎄요\t잘 지냈어,잘 못 지냈어\t글쎄"), 1u);
    EXPECT_EQ(exceptions.count("가다\tsuggest\tfuture\t안\t가지 말아요\t글쎄요\t가지 말자\t글쎄"), 1u);
}

}  // namespace
