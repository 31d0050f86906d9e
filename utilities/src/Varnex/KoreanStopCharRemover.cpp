#include "Varnex/KoreanStopCharRemover.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
// Hangul syllables (lead bytes EA to ED), ASCII letters and digits, and the
// space: characters no default stop set holds.
bool alwaysKept(const char* c, size_t size) {
    const unsigned char lead = static_cast<unsigned char>(*c);
    return (size == 3 && lead >= 0xEA && lead <= 0xED) || (size == 1 && (std::isalnum(lead) || lead == ' '));
}
}  // namespace

KoreanStopCharRemover::KoreanStopCharRemover(const std::string& chars) {
    std::vector<std::string> split;
    StringUtil::getCharactors(chars, split);
    for (const auto& c : split) {
        stopChars.push_back(StringUtil::packedCharacter(c.data(), c.size()));
        if (alwaysKept(c.data(), c.size())) keepsPlainCharacters = false;
    }
    std::sort(stopChars.begin(), stopChars.end());
    stopChars.erase(std::unique(stopChars.begin(), stopChars.end()), stopChars.end());
}

const std::string& KoreanStopCharRemover::getDefaultStopChar() {
    static const std::string chars = "~!^-_.@#$%^&*<>()ㅂㅈㄷㄱㅅㅁㄴㅇㄹㅎㅋㅌㅊㅍㅠㅜㅡㅗㅛ";
    return chars;
}

void KoreanStopCharRemover::remove(const std::string& in, std::string& out) const {
    out.clear();
    out.reserve(in.size());
    // Character by character, in place: each byte is looked at once.
    for (size_t i = 0; i < in.size();) {
        const size_t length = static_cast<size_t>(StringUtil::charLength(static_cast<unsigned char>(in[i])));
        if (length == 0) {
            ++i;
            continue;
        }
        const size_t size = std::min(length, in.size() - i);
        const char* c = in.data() + i;
        i += length;
        // Most characters of a message are syllables, letters and spaces.
        if (keepsPlainCharacters && alwaysKept(c, size)) {
            out.append(c, size);
            continue;
        }
        // Emoji are stop characters too: a word glued to one keeps its ending.
        const std::uint32_t packed = StringUtil::packedCharacter(c, size);
        const bool stop = std::binary_search(stopChars.begin(), stopChars.end(), packed) || StringUtil::isEmoji(c, size);
        if (stop)
            out += ' ';
        else
            out.append(c, size);
    }
}

}  // namespace Varnex
