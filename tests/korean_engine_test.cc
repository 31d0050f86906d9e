// The Korean engine on the shipped resources, as the build packs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Varnex/KoreanAutoReplyEngine.h"
#include "Varnex/KoreanMessageAnalyzer.h"
#include "SmartReplyAPIWrapper.h"
#include "TestSupport.h"
#include "Varnex/Clock.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

using namespace Varnex;

namespace {
const std::string kResources = VARNEX_BUILD_RESOURCE_DIR;

std::vector<std::string> suggest(KoreanAutoReplyEngine& engine, const std::string& message) {
    std::vector<Reply> replies;
    engine.findReply("friend", message, replies, nullptr);
    std::vector<std::string> out;
    for (const auto& r : replies) out.push_back(r.text);
    return out;
}

bool anyContains(const std::vector<std::string>& replies, const std::string& part) {
    for (const auto& r : replies)
        if (r.find(part) != std::string::npos) return true;
    return false;
}

class ShippedEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { engine = new KoreanAutoReplyEngine(kResources); }
    static void TearDownTestSuite() {
        delete engine;
        engine = nullptr;
    }
    void TearDown() override { Clock::clearFixedTime(); }
    static KoreanAutoReplyEngine* engine;
};
KoreanAutoReplyEngine* ShippedEngine::engine = nullptr;
}  // namespace

// The labelled messages were written apart from the rule lines; the shipped
// rules must keep agreeing with what a native speaker expects of them.
TEST_F(ShippedEngine, PhraseRulesAgreeWithTheLabelledMessages) {
    _KoreanMessageAnalyzer analyzer(kResources, nullptr);
    std::ifstream in(std::string(VARNEX_SOURCE_DIR) + "/tests/data/rule_samples.tsv");
    std::string line;
    VarnexTest::Agreement samples;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        Utilities::StringUtil::split(line, '\t', f);
        if (f.size() != 3) continue;
        Annotation a;
        analyzer.analyze("friend", f[2], a);
        std::string got;
        if (f[0] == "template") {
            got = "NONE";
            for (const auto& c : a.classifications)
                if (c.first.rfind("reply_type_greeting_", 0) == 0) got = c.first.substr(11);
            if (f[1] != "NONE" && f[1].rfind("greeting", 0) != 0)
                got = a.hasClassification("reply_type_" + f[1]) ? f[1] : got;
        } else {
            got = a.hasClassification(f[0]) ? a.getClassification(f[0]).getPredictedClass() : "(none)";
        }
        samples.add(line, f[1], got);
    }
    ASSERT_GT(samples.total, 500);
    EXPECT_TRUE(samples.atLeast(97)) << samples.agree << "/" << samples.total << " agree; misses:\n" << samples.misses;
}

TEST_F(ShippedEngine, FittingRepliesForCommonMessages) {
    Clock::setFixedLocalTime(2026, 12, 8, 15, 0);  // a Tuesday afternoon
    EXPECT_TRUE(anyContains(suggest(*engine, "생일 축하해!"), "고마워"));
    EXPECT_TRUE(anyContains(suggest(*engine, "시험 잘 봐"), "고마워"));
    // Remarks on the sender's own state get a fitting word, never thanks, "me too" or agreement with self-blame.
    EXPECT_FALSE(anyContains(suggest(*engine, "지갑을 두고 온 걸 이제 알았어요"), "감사"));
    EXPECT_TRUE(anyContains(suggest(*engine, "오늘 진짜 덥다"), "덥"));
    EXPECT_FALSE(anyContains(suggest(*engine, "오늘 진짜 덥다"), "나도"));
    EXPECT_TRUE(anyContains(suggest(*engine, "요즘 너무 춥다 ㅠㅠ"), "춥"));
    EXPECT_FALSE(anyContains(suggest(*engine, "내가 왜 그랬지"), "그러게"));
    EXPECT_FALSE(anyContains(suggest(*engine, "좀 더 따뜻하게 입을 걸 그랬어"), "고마워"));
    EXPECT_FALSE(anyContains(suggest(*engine, "부장님 기분이 안 좋아 보이세요"), "감사"));
    EXPECT_FALSE(anyContains(suggest(*engine, "고양이가 밥을 잘 안 먹네요"), "좋은 곳"));
    EXPECT_FALSE(anyContains(suggest(*engine, "이번 일 잘 될지 모르겠어요"), "알아볼게요"));
    EXPECT_FALSE(suggest(*engine, "부탁 하나만 들어줄래?").empty());
    EXPECT_FALSE(suggest(*engine, "이거 뭐야?").empty());
    EXPECT_FALSE(suggest(*engine, "언제 와?").empty());
    EXPECT_FALSE(suggest(*engine, "왜 안 와?").empty());
    // A when-question about the past is answered with what lies behind.
    EXPECT_TRUE(anyContains(suggest(*engine, "언제 이사했어?"), "얼마 전에"));
    EXPECT_FALSE(anyContains(suggest(*engine, "언제 이사했어?"), "곧"));
    // What the reader does at a time still to come is a plan, not what they are doing now.
    EXPECT_TRUE(anyContains(suggest(*engine, "이번 주말에 뭐 해?"), "계획"));
    EXPECT_FALSE(anyContains(suggest(*engine, "이번 주말에 뭐 해?"), "쉬고 있어"));
    // Asked what or how many to bring, the reader answers that; one thanks may follow, never lead.
    const auto bring = suggest(*engine, "몇 개 사 갈까?");
    ASSERT_FALSE(bring.empty());
    EXPECT_EQ(bring.front().find("고마워"), std::string::npos) << bring.front();
    EXPECT_LE(std::count_if(bring.begin(), bring.end(),
                            [](const std::string& r) { return r.find("고마워") != std::string::npos; }),
              1);
    // A favour asked is never refused with 싫어.
    EXPECT_FALSE(anyContains(suggest(*engine, "차 좀 빼 주실 수 있나요?"), "싫어"));
    // Self-talk gets a light reaction, never reasons or yes and no.
    const auto musing = suggest(*engine, "택시가 왜 이렇게 안 잡히지");
    EXPECT_TRUE(anyContains(musing, "그러게"));
    EXPECT_FALSE(anyContains(musing, "사정이"));
    EXPECT_TRUE(anyContains(suggest(*engine, "내 이어폰 어디 갔지"), "찾아"));
    // A remark on the sender's own day gets a light reaction in its level,
    // never thanks or comfort for a failure.
    EXPECT_FALSE(anyContains(suggest(*engine, "이제 진짜 일찍 자야지"), "고마워"));
    EXPECT_FALSE(anyContains(suggest(*engine, "창밖에 낙엽이 다 떨어졌네"), "속상"));
    EXPECT_FALSE(anyContains(suggest(*engine, "아 내 정신 좀 봐 또 깜빡했네"), "미안"));
    EXPECT_FALSE(anyContains(suggest(*engine, "요즘 웃을 일이 별로 없네"), "좋은 사람"));
    EXPECT_TRUE(anyContains(suggest(*engine, "오늘은 일정이 정말 빠듯했습니다"), "고생 많으셨습니다"));
    // Bad news gets concern, never thanks or congratulations.
    for (const char* bad : {"할머니가 돌아가셨어", "시험 떨어졌어 ㅠㅠ", "나 감기 걸렸어", "ㅠㅠ"}) {
        auto replies = suggest(*engine, bad);
        EXPECT_FALSE(replies.empty()) << bad;
        for (const auto& r : replies) {
            EXPECT_EQ(r.find("축하"), std::string::npos) << bad << " -> " << r;
            EXPECT_EQ(r.find("고마워"), std::string::npos) << bad << " -> " << r;
        }
    }
    // Thanks or congratulations said with a complaint are sarcasm: no
    // you're-welcome, thanks-back or congratulations; an apology when the
    // sender blames the reader.
    const auto sarcastic = suggest(*engine, "고마워 덕분에 부장님한테 엄청 혼났어");
    EXPECT_TRUE(anyContains(sarcastic, "미안"));
    for (const char* m : {"고마워 덕분에 부장님한테 엄청 혼났어", "축하해 줘 나 또 야간 당직이야"})
        for (const auto& r : suggest(*engine, m))
            for (const char* wrong : {"뭘", "별거", "고마워", "축하"}) EXPECT_EQ(r.find(wrong), std::string::npos) << m << " -> " << r;
    // One reading must not speak for the whole message: a message, a reply
    // it needs among the suggestions ("" for none), and replies it must not get.
    for (const auto& [m, needed, wrong] : std::vector<std::tuple<std::string, std::string, std::vector<std::string>>>{
             {"주말에 워크숍 잡아 주셔서 참 감사합니다", "죄송", {"아닙니다", "별것", "감사"}},
             {"와 대단하다 또 지각이네", "미안", {"고마워", "아니야"}},
             {"축하한다 ㅋㅋ 이번 달도 적자", "", {"고마워", "축하"}},
             {"주말에 시간 내 줘서 진짜 고마워", "뭘", {"미안"}},
             {"고마워요 덕분에 문제 해결됐어요", "다행", {"축하", "대박"}},
             {"고마워 덕분에 합격했어!", "축하", {"미안"}},  // thanks for real good news keeps it
             // Thanks or praise around a loss or an imposition the reader caused.
             {"고맙다 덕분에 내가 다 뒤집어썼다", "미안", {"뭘", "별거"}},
             {"센스 진짜 최고다 ㅋ 내 옷에 커피 쏟고", "미안", {"고마워", "칭찬"}},
             {"덕분에 보고서 처음부터 다시 씁니다 감사합니다", "죄송", {"아닙니다", "별것"}},
             {"참 잘~한다 또 늦잠이야?", "미안", {"응.", "아니."}},
             {"고마워요 덕분에 주말 잘 보냈어요", "뭘요", {"죄송", "받았"}},
             {"덕분에 제가 사과하러 다녔습니다 감사합니다", "죄송", {"아닙니다", "별것"}},
             {"참 잘하셨네요 보고서 날짜를 또 틀리시고", "죄송", {"고마워요", "감사"}},
             {"너무 고마워 내 비밀 다 말해 줘서", "미안", {"뭘", "별거"}},
             {"고마워~ 덕분에 나 완전 망신당했어", "미안", {"뭘", "별거"}},
             {"덕분에 밤새 얘기해서 좋았어 고마워", "즐거웠", {"미안", "별거"}},
             // Hyperbole and jokes are no danger, and a sigh over work is no compliment.
             {"이 옷 사면 엄마한테 맞아 죽을 듯 ㅋㅋ", "", {"안전한", "무서웠"}},
             {"형이 또 때렸어 ㅋㅋ 장난으로", "", {"안전한", "무서웠"}},
             {"아 진짜 죽겠다 오늘 일 너무 많아", "", {"칭찬", "고마워"}},
             {"새 폰 살까 말까 ㅠㅠ", "고민", {"토닥", "무슨 일", "응.", "아니."}},  // weighed, not a yes/no
             {"택배가 왜 안 와?", "왜 그럴까", {"사정이", "미안", "나중에"}},  // not the reader's reasons
             // Two nouns that make one phrase are no either/or.
             {"남자친구 생일 선물 뭐 샀어?", "", {"남자친구.", "선물."}},
             {"조카 입학 선물로 뭐가 좋을까?", "", {"입학.", "선물로."}},
             {"라면 김밥 중에 뭐 먹을래?", "김밥", {"응.", "아니."}},
             // "-지 말았어야지" reproaches the reader; it is no regret to soothe.
             {"그럴 거면 애초에 약속을 하지 말았어야지", "", {"괜찮아", "신경 쓰지"}},
             // What should have happened is no achievement; scenery praised is
             // no compliment to the reader; "가만 보자" is no proposal.
             {"작년에 그 주식 샀어야 했는데", "", {"축하", "잘됐"}},
             {"퇴근길 노을 진짜 예쁘다", "", {"고마워", "칭찬"}},
             {"가만 보자 열쇠를 어디 뒀더라", "", {"그러자", "좋은 생각"}},
             {"저 다음 주까지만 출근합니다", "고생", {"화이팅"}},  // leaving, not arriving at work
             {"이 서류 어디로 보내면 됩니까?", "", {"서류요", "이요"}},  // 이 is no choice
             {"수술은 잘 됐대 걱정해줘서 고마워", "다행", {"축하", "잘됐"}},
             {"이제 수업 끝났다", "수고", {"축하", "대박"}},
             {"오늘 저녁 먹으러 가자", "좋아", {"맛있게", "뭐 먹어"}},
             {"이따 커피 마시러 가요", "좋아요", {"맛있게"}},
             {"치맥 콜?", "좋아", {"치맥.", "콜."}},  // shorthand proposes; no either/or of its words
             {"송년회에 부장님도 함께해 주시면 좋겠습니다", "참석하겠습니다", {"어려울 것"}},
             {"예약은 토요일 저녁 일곱 시로 해 드려도 괜찮으시겠어요?", "그래 주세요", {}},
             {"교수님 질문 하나 드려도 될까요", "말씀하세요", {"그래 주세요", "감사"}},  // leave, not an offer
             {"지금 전화해도 돼?", "전화해", {"모르겠", "안 돼"}},
             {"다 같이 힘냅시다", "힘냅시다", {"어려울", "다음에"}},  // a cheer shared is not put off
             {"우리 힘내자", "힘내자", {"고마워", "언제"}},
             {"회사 사람들이 나만 빼고 점심 먹으러 갔어", "너무하", {"맛있게", "뭐 먹어"}},
             {"뭐 필요하면 언제든 불러", "고마워", {"모르겠", "월요일", "곧!"}},
             {"작년에 보낸 우리 뭉치 생각난다", "좋은 곳", {"나도", "곧 보자"}},
             {"신혼 때가 그립다 ㅋㅋ", "그립겠다", {"보고 싶겠다", "나도"}},
             {"전 남친 생각나는 노래가 나왔어 ㅠㅠ", "보고 싶겠다", {"왔어?", "다녀왔어"}},
             {"오늘 고마웠어 조심히 들어가~", "잘 있어", {"별거", "뭘"}},
             {"오늘 감사했습니다 조심히 들어가겠습니다", "들어가십시오", {"별것", "신경 써"}},
             // Why the reader failed to do something: an apology with a reason, never 그냥.
             {"왜 숙제 안 냈니?", "미안", {"그냥"}},
             {"왜 연락이 없었어요? 걱정했잖아요", "죄송해요", {"그냥"}},
             {"보고서를 왜 아직 안 올리셨습니까?", "곧 올리겠습니다", {"별다른 이유"}},
             {"왜 안 와?", "곧 갈게", {"그냥"}},
             {"왜 아직 출발 안 했어??", "곧 출발할게", {"곧 할게"}},
             {"택배가 왜 안 와?", "", {"갈게", "미안"}},
             // Why the reader made a choice: a reason, and 그냥 only among friends.
             {"요가는 왜 그만두셨어요?", "사정이 좀", {"그냥", "죄송"}},
             // How much to pay or send is worked out, not judged dear.
             {"회비 얼마씩 내면 돼?", "계산해", {"비싼", "비싸"}},
             {"참가비는 얼마입니까?", "확인해", {"비싼", "비싸", "무슨 일"}},
             // No cheeky ask-back to a polite question.
             {"이거 얼마예요?", "확인해", {"사시게요"}},
             {"연세가 어떻게 되세요?", "", {"왜요", "궁금하세요", "모르겠"}},
             // What the reader watches or reads lately: their own pastime.
             {"요즘 무슨 드라마 봐?", "보고 있어", {"집에"}},
             {"요즘 뭐 읽으세요?", "읽고 있어요", {"집에"}},
             // Agreement sought with a negative question gets agreement, an
             // exclamation shaped as a question a reaction; neither an answer.
             {"이거 완전 내 스타일 아니냐 ㅋㅋ", "인정", {"응.", "아니."}},
             {"이 정도면 나 진짜 잘한 거 아니냐? ㅋㅋ", "잘했", {"응.", "아니."}},
             {"저 오늘 좀 잘한 것 같지 않아요? ㅎㅎ", "잘하셨", {"네.", "아뇨."}},
             {"이게 말이 돼??", "말도 안 돼", {"응", "확인해", "모르겠"}},
             {"이 날씨에 누가 반팔을 입어 ㅋㅋ", "ㅋㅋ", {"정해", "확인해", "모르겠"}},
             {"내가 그 말을 믿을 것 같아? ㅋㅋ", "ㅋㅋ", {"응.", "그런 것 같아"}},
             {"누구 때문에 늦었는데 ㅡㅡ", "미안", {"모르겠"}},
             {"너 없으면 나 어떻게 살아 ㅠㅠ", "나도", {"확인해", "잠깐"}},
             {"이거 네 거 아니야?", "응", {"인정", "ㅋㅋ"}},
             {"너 내일 학교 안 가?", "안 가", {"인정", "ㅋㅋ"}},
             // News told with no question gets a fitting acknowledgement.
             {"방금 계약서 사인하고 왔습니다", "수고하셨습니다", {"축하"}},
             {"과장님 저 이번 주까지만 근무합니다", "고생 많으셨습니다", {"축하", "화이팅"}},
             {"저 오늘 머리 잘랐어요 ㅎㅎ", "어울리", {"축하"}},
             {"나 다음 주부터 헬스 다닌다 ㅋㅋ", "화이팅", {"축하"}},
             {"오늘 진짜 최악의 하루였어요", "무슨 일", {"축하", "화이팅"}},
             {"오랜만에 날씨가 정말 좋네요", "날씨", {"축하"}},
             // Where the sender goes or what they do next, a delay, something
             // sent, a setback or a child's illness: a word for it, never yes/no,
             // thanks for advice, cheer at bad news or a title for a child.
             {"이제 샤워하고 누울게", "잘 자", {"너도", "고마워"}},
             {"양파는 잘게 썰어줘", "", {"잘 자"}},
             {"학원 다녀올게", "잘 다녀와", {"알려줘서"}},
             {"과장님 외근 다녀오겠습니다", "다녀오십시오", {"알려 주셔서"}},
             {"지금 택시 타고 가고 있어", "조심", {"고마워"}},
             {"점심 먹었으니 다시 일하러 갑니다", "화이팅", {"네.", "아뇨."}},
             {"곧 미팅 시작이라 폰 못 봐", "화이팅", {"고마워"}},
             {"오늘 좀 늦게 들어가", "천천히", {"고마워"}},
             {"결과는 다음 주쯤 될 듯", "", {"천천히", "조심히 와"}},
             {"오늘 하루 종일 폰 못 봐서 미안", "괜찮아", {"화이팅"}},
             {"주소 카톡으로 보냄", "확인해 볼게", {"축하"}},
             {"공모전 본선에 오르지 못했습니다", "아쉬우", {"축하", "잘됐"}},
             {"본선 진출 실패ㅠㅠ", "속상", {"축하", "잘됐"}},
             {"매장을 접게 되었습니다", "기회", {"축하", "잘됐", "화이팅"}},
             {"애가 장염이래", "낫길", {"으셔", "으셨"}},
             {"우리 애가 감기 걸려서 오늘 못 가요ㅠ", "낫길", {"나으세요", "몸조리"}},
             {"접수~", "👍", {"응.", "네."}},
             // Thanks beside praise is answered as thanks; an apology for a
             // mishap is forgiven, not comforted; a question about the
             // reader's event is not congratulated.
             {"역시 우리 팀장님이 최고예요 감사합니다", "아닙니다", {"과찬", "감사합니다"}},
             {"미안 네 충전기 내가 망가뜨렸어 ㅠ", "괜찮아", {"힘내", "어떡해"}},
             {"돌잔치 날짜 정했어? 장소는?", "", {"축하"}},
             {"몇 살 때 이 동네로 이사 왔어?", "", {"축하", "잘됐"}},
             // Delight at a sight, a milestone, a small feat of one's own, a
             // mock-positive complaint, a reproach and "go on without me" each
             // get their own reaction, never thanks, comfort or a yes/no.
             {"아 저 집 고양이 왜케 귀엽냐 ㅠㅠ", "귀엽", {"무슨 일", "고마워", "토닥"}},
             {"단풍 진짜 장관이네요", "예쁘", {"감사", "과찬"}},
             {"귀여워서 산 머그컵 깨졌어 ㅠㅠ", "", {"귀엽", "대박"}},
             {"넌 왜 이렇게 귀엽냐 ㅋㅋ", "고마워", {"그치"}},
             {"이 회사 다닌 지 벌써 7년째다", "벌써", {"밥", "고마워"}},
             {"같이 산 지 벌써 10년이네요", "벌써", {"네.", "아뇨."}},
             {"와 이게 얼마 만이야", "오랜만", {"밥"}},
             {"빨래 다 개고 설거지까지 끝냈다", "수고", {"축하", "알겠"}},
             {"매일 일기 쓰기 시작했어", "화이팅", {"축하"}},
             {"지하철 놓치고 완벽한 하루다 ㅋㅋ", "에구", {"고마워", "칭찬"}},
             {"우리 결혼기념일 잊었지?", "미안해", {"응.", "아니."}},
             {"이번이 몇 번째야", "미안해", {"세어", "모르겠"}},
             // ... but the sender's own apology for forgetting is forgiven.
             {"기념일 깜빡해서 진짜 미안해", "괜찮아", {"내가 잘못", "화났지"}},
             {"나 기다리지 말고 먼저 먹어", "천천히", {"고마워"}},
             {"먼저 가세요 ㅠㅠ 저 아직 일이 남아서요", "수고하세요", {"무슨 일"}},
             {"엄마 저녁 맛있게 드세요", "맛있게", {"맛점"}},
             // Tears beside good news are joy: congratulated, not comforted;
             // a wish for success or a failure is no news.
             {"수강신청 성공 ㅠㅠ", "축하", {"토닥", "무슨 일"}},
             {"꼭 성공하길 바랄게", "", {"축하"}},
             {"성공 못 했어 ㅠㅠ", "", {"축하", "잘됐"}},
             // Still busy is cheered on, not sent to bed.
             {"지금 발표 자료 만드느라 정신없어요", "힘내", {"푹 쉬"}},
             // Ending a call is answered as a call's end, never as a resolution.
             {"과장님 그럼 먼저 끊겠습니다", "들어가십시오", {"조심히 가", "응원"}},
             {"엄마 나 이제 전화 끊을게", "들어가", {"응원", "좋다"}}}) {
        const auto replies = suggest(*engine, m);
        if (!needed.empty()) {
            EXPECT_TRUE(anyContains(replies, needed)) << m;
        }
        for (const auto& r : replies)
            for (const auto& w : wrong) EXPECT_EQ(r.find(w), std::string::npos) << m << " -> " << r;
    }
    // A wish to be gone gets the check-in, never a me-too.
    const auto gone = suggest(*engine, "잠들면 안 깼으면 좋겠다");
    EXPECT_TRUE(anyContains(gone, "들어줄게"));
    for (const auto& r : gone) EXPECT_EQ(r.find("나도"), std::string::npos) << r;
    // Self-harm, a place to jump from, abuse: only a caring check-in.
    for (const auto& [m, needed] : std::vector<std::pair<std::string, std::string>>{
             {"한강 다리 위야", "어디야"},
             {"그냥 차에 치였으면 좋겠다", "어디야"},
             {"수면제 여러 통 사 뒀습니다", "통화"},
             {"걍 뒤지고싶다", "무슨 일"},
             {"저 하나 없어져도 세상은 잘 돌아가겠죠", "무슨 일"},
             {"남자친구가 폰 검사하고 소리 질러요", "안전한"},
             {"누가 계속 따라와", "안전한"},
             {"와이프가 자꾸 물건 던져요", "안전한"},
             {"그만 버티고 싶어", "무슨 일"},
             {"엄마가 칼 들고 소리 질러", "안전한"},
             {"고마워 덕분에 진짜 죽고 싶어졌어", "무슨 일"},
             {"시어머니가 저한테 죽으라고 하셨어요", "안전한"}}) {
        const auto replies = suggest(*engine, m);
        EXPECT_TRUE(anyContains(replies, needed)) << m;
        for (const auto& r : replies)
            for (const char* w : {"나도", "ㅎㅎ", "정해", "확인해", "네.", "응.", "별거"}) EXPECT_EQ(r.find(w), std::string::npos) << m << " -> " << r;
    }
    EXPECT_FALSE(anyContains(suggest(*engine, "폰 검사 받으러 서비스센터 왔어"), "안전한"));
    // Every suggestion is finished: it ends in a period or a closing character,
    // and replies that end in a word got the period.
    int periods = 0;
    for (const auto& r : suggest(*engine, "정말 고마워")) {
        std::string last;
        Utilities::StringUtil::getPreviousChar(r, static_cast<int>(r.size()) - 1, last);
        std::string copy = r;
        EXPECT_EQ(KoreanPeriodAppender::addPeriod(copy), r) << r;  // nothing left to finish
        if (last == ".") ++periods;
    }
    EXPECT_GT(periods, 0);
}

TEST_F(ShippedEngine, GreetingsFollowTheClock) {
    Clock::setFixedLocalTime(2026, 12, 24, 20, 0);
    EXPECT_TRUE(anyContains(suggest(*engine, "메리 크리스마스!"), "크리스마스"));
    Clock::setFixedLocalTime(2026, 12, 8, 8, 0);
    EXPECT_TRUE(anyContains(suggest(*engine, "좋은 아침"), "아침"));
}

TEST_F(ShippedEngine, HostileInputIsHandledQuietly) {
    const std::vector<std::string> inputs = {
        "", " ", "     ", "😀😀😀", "ㅋ", std::string("\xEA\xB0", 2), std::string("\x80\x80\xff", 3),
        std::string("\0\0", 2), "%s%s%n", "'; drop table x; --", std::string(100 * 1024, 'a'),
    };
    for (const auto& in : inputs) {
        std::vector<Reply> replies;
        engine->findReply("friend", in, replies, nullptr);
        EXPECT_LE(replies.size(), 10u);
    }
    // A huge message is analysed only up to its head, cut between characters:
    // it is answered as the head alone is.
    std::string head = "생일 축하해!! ";
    while (Utilities::StringUtil::getLength(head) < static_cast<int>(AutoReplyEngine::kMaxAnalysedChars)) head += "고";
    std::string huge = head;
    for (int i = 0; i < 300000; ++i) huge += "고마워";  // about 3 MB more
    Annotation analysed;
    std::vector<Reply> replies;
    engine->findReply("friend", huge, replies, &analysed);
    EXPECT_EQ(analysed.getText(), head);
    EXPECT_EQ(suggest(*engine, huge), suggest(*engine, head));
    EXPECT_FALSE(replies.empty());
    bool cut = false;
    EXPECT_EQ(Utilities::StringUtil::headChars("가나다", 2, cut), "가나");
    EXPECT_TRUE(cut);
    EXPECT_EQ(Utilities::StringUtil::headChars(std::string("가\xEA\xB0", 5), 5, cut), std::string("가\xEA\xB0", 5));
    EXPECT_FALSE(cut);
}

TEST(KoreanPeriodAppender, EndsSentencesWhereChatStyleExpects) {
    auto add = [](std::string s) { return KoreanPeriodAppender::addPeriod(s); };
    EXPECT_EQ(add("네"), "네.");
    EXPECT_EQ(add("좋아!"), "좋아!");
    EXPECT_EQ(add("ㅋㅋ"), "ㅋㅋ");
    EXPECT_EQ(add("사랑해♡"), "사랑해♡");
    EXPECT_EQ(add("ok"), "ok.");
    EXPECT_EQ(add("7"), "7.");
    EXPECT_EQ(add("응 "), "응 .");
    EXPECT_EQ(add(""), "");
    EXPECT_EQ(add("it'"), "it'");
}

TEST(KoreanEngine, DuplicatesAreJudgedOnTheFinishedText) {
    KoreanAutoReplyEngine engine(kResources);
    std::vector<ReplyScenario> candidates{ReplyScenario("네."), ReplyScenario("네"), ReplyScenario("좋아")};
    std::vector<Reply> replies;
    engine.convertToReply(candidates, replies);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].text, "네.");
    EXPECT_EQ(replies[1].text, "좋아.");
}

TEST(KoreanEngine, OpensThroughTheHostApiWithoutDatabases) {
    VarnexTest::TempDir data;
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    api->openEngine(kResources, data.path() + "/");
    std::vector<std::string> replies{"앞에 있던 것"};
    EXPECT_TRUE(api->findReply("", "friend", "정말 고마워", replies));
    EXPECT_EQ(replies.front(), "앞에 있던 것");  // the host's own entries are left alone
    EXPECT_GT(replies.size(), 1u);
    destroy(api);
}

TEST(KoreanEngine, StartUpSaysWhatTheResourceTreeLacks) {
    VarnexTest::TempDir data, tree;
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    // Nothing there: one error line naming the tables and models, and an
    // engine that stays silent afterwards.
    {
        VarnexTest::LogCapture log(LOG_ERROR);
        EXPECT_FALSE(api->openEngine(tree.path(), data.path() + "/"));
        ASSERT_EQ(log.lines().size(), 1u);
        for (const char* name : {"corpus/reply_corpus_kr.table.enc", "corpus/reply_scenarios_kr.table.enc",
                                 "model/honorific_tf.model", "model/honorific_hn.model"})
            EXPECT_TRUE(log.contains(name)) << name;
        std::vector<std::string> none;
        EXPECT_FALSE(api->findReply("", "friend", "정말 고마워", none));
        EXPECT_EQ(log.lines().size(), 1u);
    }
    // Everything but the optional parts: the engine opens and only warns.
    std::filesystem::copy(kResources, tree.path(), std::filesystem::copy_options::recursive |
                                                       std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(tree.file("1.0/model/reply_type_why.rule.enc"));
    {
        VarnexTest::LogCapture log(LOG_WARN);
        EXPECT_TRUE(api->openEngine(tree.path(), data.path() + "/"));
        EXPECT_TRUE(log.contains("reply_type_why.rule.enc: no such file"));
        for (const auto& line : log.lines()) EXPECT_LT(line.priority, 6) << line.text;
        std::vector<std::string> replies;
        EXPECT_TRUE(api->findReply("", "friend", "정말 고마워", replies));
    }
    destroy(api);
}

// A damaged corpus or scenario table in an otherwise whole tree: the file is
// refused with an error saying what is wrong with it, and start-up names it
// in its one line, instead of every suggestion coming out empty unexplained.
TEST(KoreanEngine, StartUpNamesADamagedTableAndWhatIsWrongWithIt) {
    const std::string corpus = "corpus/reply_corpus_kr.table.enc", scenarios = "corpus/reply_scenarios_kr.table.enc";
    const std::string source = std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/";
    const std::string plainCorpus = VarnexTest::readFile(source + "corpus/reply_corpus_kr.table");
    const std::string plainScenarios = VarnexTest::readFile(source + "corpus/reply_scenarios_kr.table");
    auto scrambled = [](const std::string& text, const Utilities::Encryptor& e) {
        std::unique_ptr<char[]> bytes(e.encrypt(text.data(), text.size()));
        return std::string(bytes.get(), text.size());
    };
    const Utilities::Encryptor builtIn;
    std::string spaced = plainScenarios;  // an editor that turned every tab into a space
    std::replace(spaced.begin(), spaced.end(), '\t', ' ');
    const size_t insideCharacter = plainCorpus.find("\xEA") + 1;  // after the lead byte of a Hangul syllable
    ASSERT_NE(insideCharacter, 0u);
    std::string noise;
    for (unsigned i = 0; i < 5000; ++i) noise += static_cast<char>((i * 2654435761u) >> 24);
    // table, its damaged content, what the error says
    for (const auto& [table, content, why] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {corpus, plainCorpus, "(a plain text file read as scrambled)"},
             {corpus, scrambled(plainCorpus, Utilities::Encryptor(std::string("another pass phrase"))), ""},
             {corpus, scrambled(plainCorpus, builtIn).substr(0, insideCharacter), "invalid UTF-8 at line"},
             {corpus, "", "no line of text: the file is empty"},
             {scenarios, scrambled(spaced, builtIn), "no valid line, all"},
             {scenarios, noise, "not text: "}}) {
        VarnexTest::TempDir data, tree;
        std::filesystem::copy(kResources, tree.path(), std::filesystem::copy_options::recursive);
        const std::string path = tree.write("1.0/" + table, content);
        auto* api = static_cast<SmartReplyAPIWrapper*>(create());
        VarnexTest::LogCapture log(LOG_ERROR);
        EXPECT_FALSE(api->openEngine(tree.path(), data.path() + "/")) << table << ": " << why;
        EXPECT_TRUE(log.hasError("Resource file " + path + " is refused: ")) << table << ": " << why;
        EXPECT_TRUE(log.hasError(why)) << table << ": " << why;
        EXPECT_TRUE(log.hasError("cannot serve suggestions: " + table + " is missing or unreadable"))
            << table << ": " << why;
        std::vector<std::string> none;
        EXPECT_FALSE(api->findReply("", "friend", "정말 고마워", none));
        destroy(api);
    }
}
