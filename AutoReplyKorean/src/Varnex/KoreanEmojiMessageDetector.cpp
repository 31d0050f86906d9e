#include "KoreanEmojiMessageDetector.h"

#include <vector>

#include "KoreanVocabulary.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

bool KoreanEmojiMessageDetector::isEmojiOnly(const std::string& text) {
    // Character by character, stopping at the first one that is more than
    // an emoticon (most messages stop at their first syllable).
    bool emoji = false;
    std::string c;
    for (size_t i = 0; i < text.size();) {
        const int length = StringUtil::charLength(static_cast<unsigned char>(text[i]));
        if (length == 0) {
            ++i;
            continue;
        }
        c.assign(text, i, static_cast<size_t>(length));
        i += static_cast<size_t>(length);
        if (StringUtil::isEmoji(c)) {
            emoji = true;
            continue;
        }
        // Punctuation and white space are allowed; any letter, digit or
        // syllable makes the message more than emoji.
        if (c.size() == 1) {
            const unsigned char b = static_cast<unsigned char>(c[0]);
            if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')) return false;
            if (b == '^') emoji = true;  // ^^
            continue;
        }
        // Jamo (U+3131..U+318E) are emoticons here (ㅋㅋ, ㅠㅠ); ♡ and similar
        // symbols outside the emoji ranges count as emoticons too.
        if (c.size() == 3) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(c.data());
            const int cp = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            if ((cp >= 0x3131 && cp <= 0x318E) || (cp >= 0x2190 && cp <= 0x25FF)) {
                emoji = true;
                continue;
            }
        }
        return false;
    }
    return emoji;
}

bool KoreanEmojiMessageDetector::process(Annotation& annotation) const {
    const char* label = isEmojiOnly(annotation.getText()) ? Label::TRUE_LABEL : Label::FALSE_LABEL;
    annotation.addCategory(KoreanCategory::REPLY_EMOJI, Classification(KoreanCategory::REPLY_EMOJI, label));
    return true;
}

}  // namespace Varnex
