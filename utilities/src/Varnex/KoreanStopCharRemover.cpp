#include "Varnex/KoreanStopCharRemover.h"

#include <vector>

#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

KoreanStopCharRemover::KoreanStopCharRemover(const std::string& chars) {
    std::vector<std::string> split;
    StringUtil::getCharactors(chars, split);
    stopChars.insert(split.begin(), split.end());
}

const std::string& KoreanStopCharRemover::getDefaultStopChar() {
    static const std::string chars = "~!^-_.@#$%^&*<>()ㅂㅈㄷㄱㅅㅁㄴㅇㄹㅎㅋㅌㅊㅍㅠㅜㅡㅗㅛ";
    return chars;
}

void KoreanStopCharRemover::remove(const std::string& in, std::string& out) const {
    out.clear();
    std::vector<std::string> chars;
    StringUtil::getCharactors(in, chars);
    // Emoji are stop characters too: a word glued to one keeps its ending.
    for (const auto& c : chars) out += stopChars.count(c) || StringUtil::isEmoji(c) ? " " : c;
}

}  // namespace Varnex
