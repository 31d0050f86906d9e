// Messages made only of emoji and emoticons ("🥺", "👍🏻", "💕💕", "ㅠㅠ",
// "^^"): writes "reply_type_emoji" TRUE for them, so the scenario table can
// answer the emoji's emotion (read from "emotion", which the emoji
// dictionary's rule detector wrote earlier) even though no phrase fired.
// Every other message gets FALSE. No resources, no state.
#pragma once

#include "Varnex/IAnnotator.h"

namespace Varnex {

class KoreanEmojiMessageDetector : public IAnnotator {
public:
    bool process(Annotation& annotation) const override;
    // True when `text` holds nothing but emoji, emoticons (jamo such as
    // ㅋ ㅎ ㅠ, ♡, ^^), white space and punctuation, and at least one emoji
    // or emoticon.
    static bool isEmojiOnly(const std::string& text);
};

}  // namespace Varnex
