#include "Varnex/KoreanStopCharRemover.h"

#include <algorithm>
#include <vector>

#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

KoreanStopCharRemover::KoreanStopCharRemover(const std::string& chars) {
    std::vector<std::string> split;
    StringUtil::getCharactors(chars, split);
    for (const auto& c : split) stopChars.push_back(packed(c.data(), c.size()));
    std::sort(stopChars.begin(), stopChars.end());
    stopChars.erase(std::unique(stopChars.begin(), stopChars.end()), stopChars.end());
}

std::uint32_t KoreanStopCharRemover::packed(const char* bytes, size_t length) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < length; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[i]);
    return v;
}

const std::string& KoreanStopCharRemover::getDefaultStopChar() {
    static const std::string chars = "~!^-_.@#$%^&*<>()ㅂㅈㄷㄱㅅㅁㄴㅇㄹㅎㅋㅌㅊㅍㅠㅜㅡㅗㅛ";
    return chars;
}

void KoreanStopCharRemover::remove(const std::string& in, std::string& out) const {
    out.clear();
    out.reserve(in.size());
    StringUtil::forEachCharacter(in, [&](const std::string& c) {
        // Emoji are stop characters too: a word glued to one keeps its ending.
        const bool stop = std::binary_search(stopChars.begin(), stopChars.end(), packed(c.data(), c.size())) ||
                          StringUtil::isEmoji(c);
        if (stop)
            out += ' ';
        else
            out += c;
    });
}

}  // namespace Varnex
