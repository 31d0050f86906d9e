// Musing and self-talk: a message in which the sender wonders aloud about
// their own situation ("택시가 왜 이렇게 안 잡히지", "내 이어폰 어디 갔지",
// "오늘 저녁 뭐 해 먹지", "비가 언제 그치려나") asks the reader nothing; the
// reasons, yes/no answers and facts a question would get do not fit it, a
// light reaction does. Writes "reply_type_musing" for every message: FALSE,
// or the kind of musing its rule phrases name ("lost", "food", "plan",
// "wait", "why", "recall", "curious"), TRUE when they name none.
//
// The ending of the last sentence decides whether it is self-talk, and what
// it must go with (a trailing 진짜 / 정말, and the 싶다 of -나 싶다, set
// aside):
//   -려나, -려나요               always (it only wonders), even with "?"
//   -지, -(는)지 모르겠다, -나 모르겠다, -(ㄹ)지 고민이다, 기억이 안 나
//                                 with a musing phrase and no "?"; a meal,
//                                 plan or wait in the past tense ("점심 뭐
//                                 먹었지") is being remembered ("recall")
//   -더라                         the same; trying to remember ("recall")
//                                 unless a phrase names the kind
//   -죠                           with a "why" or "lost" phrase and no "?"
//                                 (other -죠 questions are put to the reader)
//   -ㄹ까                         with a "food", "why" or "curious" phrase
//                                 and no "?" (other -ㄹ까 suggest something
//                                 to the reader, and -ㄹ까 말까 gets its two
//                                 choices); -ㄹ까요 with "why" or "curious"
//   -지요                         as -죠
//   -냐                           with no "?" and a "plan" phrase, a "why"
//                                 phrase after a named topic or with 왜
//                                 이렇게, or a "wait" phrase after a named
//                                 topic (주말 언제 오냐); a bare 왜 그러냐 or
//                                 언제 오냐 asks the reader
//   -나 (not -나요)               with a musing phrase and no "?"
//   -ㄴ가, -는가, -건가           with a "self" or "doubt" phrase (나만 그런가,
//                                 내가 너무 예민한 건가), even with "?"
// "self" and "doubt" (the sender running themselves down or doubting their
// own part) go with the endings "why" goes with; a "self" phrase turns a
// "why" into "self" (나는 왜 맨날 이 모양이지) unless an "OTHER" phrase names
// someone else as the subject (걔는 왜 이렇게 멍청하지). Running oneself
// down with -지 or -죠 asks only to be told otherwise, so "?" does not undo it
// (나 바보 같지?). A plain 반말 ending (-아, -어, -해: 인터넷 왜 이렇게 느려)
// complains with a "why" phrase, "?" absent, something other than a time
// named before 왜 and a 왜 이렇게 / 왜 이리 / 왜케 in it, unless it is a
// pleasant wonder or heat and cold, which have replies of their own; what is
// named must be a thing of the weather, the road, a machine, prices or time,
// or follow a remark (-네, -다), since the reader's voice or reply is asked after.
// A lost or forgotten thing may follow the ending in up to three words
// ("어디 뒀더라 내 이어폰"); the ending is then that of the words before it.
// When it does not wonder, a message may remark on the sender's own day: a
// small mishap ("커피 쏟았어 ㅋㅋ"), a near miss ("버스 놓칠 뻔"), a passing mood ("괜히
// 울적하네"), an observation ("편의점 도시락 가격 또 올랐네"), something seen ("창밖에 무지개 떴다"),
// something found better than expected ("그 영화 생각보다 괜찮더라"),
// a resolution ("이번 달은 진짜 돈 좀 아껴야겠다"), a plan to rest, a busy day ("오늘은 일정이
// 빠듯했습니다") or something heavier ("요즘 마음이 텅 빈 것 같아"). The label is then
// "remark_" and the kind its phrases name (oops, close, mood, glad, observe,
// sight, found, resolve, rest, tired, down): only when no "?" is in the message, its
// last sentence states (not -니, -냐, -ㄹ까, -래, -자, -죠, -나, -가, -줘, -봐, -대, -잖아,
// -세요, -오), no one else is its subject (엄마가, 팀장님이, an honorific -시-), and
// -야지, which also urges the reader, stands beside a word of the sender's own
// resolve (이제, 꼭, 진짜, 올해, -부터). A remark that already has a frame of its own
// (thanks other than for a considerate remark, good news, an apology, praise,
// a favour, a greeting, a time, or worry other than a vague low mood, tears
// alone or, for a near miss, a mishap) is left to it.
// The rule file holds "LABEL TAB phrase" lines as the reply-type phrase
// files do; its labels name the kind ("TRUE" for none). An "ADDRESS" phrase
// (a word for the reader, 너, 니가) vetoes both readings, a "FALSE" phrase
// (a pleasant wonder, 왜 이렇게 맛있지) the wondering and a "remark_FALSE"
// phrase (thanks, a request, an exam, an illness) the remark; a "remark_glad"
// phrase (왜 이렇게 기분이 좋지) is no wondering either. The longest phrase of
// each reading decides among the rest. Read-only after construction.
#pragma once

#include <memory>
#include <string>

#include "Varnex/IAnnotator.h"

namespace Varnex {

class DictionaryFeature;

class KoreanMusingDetector : public IAnnotator {
public:
    KoreanMusingDetector(const std::string& rulePath, bool prebuilt);
    ~KoreanMusingDetector() override;
    bool process(Annotation& annotation) const override;

    // The label for one text: the kind of musing, "TRUE", or "FALSE".
    std::string musing(const std::string& text) const;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
};

}  // namespace Varnex
