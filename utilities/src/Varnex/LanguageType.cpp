#include "Varnex/LanguageType.h"

#include <cstdint>

namespace Varnex {
namespace {
const std::string kNames[9] = {"UNKNOWN", "ENGLISH", "KOREAN",  "FRENCH", "ITALIAN",
                               "RUSSIAN", "GERMAN",  "SPANISH", "CHINESE"};
const std::string kCodes[9] = {"UNKNOWN", "EN", "KR", "FR", "IT", "RU", "DE", "ES", "ZN"};
}  // namespace

const std::string& languageCode(LanguageType type) {
    int i = static_cast<int>(type);
    return (i >= 0 && i < 9) ? kCodes[i] : kCodes[0];
}

const std::string& languageString(LanguageType type) {
    int i = static_cast<int>(type);
    return (i >= 0 && i < 9) ? kNames[i] : kNames[0];
}

LanguageType languageTypeFromString(const std::string& s) {
    static std::map<std::string, LanguageType> m;
    if (m.empty()) initLangMap(m);
    auto it = m.find(s);
    return it == m.end() ? UNKNOWN : it->second;
}

LanguageType languageTypeFromCode(const std::string& code) {
    if (code == "en_US") return ENGLISH;
    if (code == "ko_KR") return KOREAN;
    if (code == "fr_FR") return FRENCH;
    if (code == "es_ES") return SPANISH;
    return UNKNOWN;
}

LanguageType getLanguageType(const std::string& text) {
    const size_t n = text.size();
    for (size_t i = 0; i + 2 < n; ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if ((b & 0xF0) != 0xE0) continue;
        uint32_t v = static_cast<uint32_t>(b) << 16 | static_cast<uint32_t>(static_cast<unsigned char>(text[i + 1])) << 8 |
                     static_cast<unsigned char>(text[i + 2]);
        if (v - 0xEAB080u <= 0x16EF30u) return KOREAN;
    }
    return ENGLISH;
}

}  // namespace Varnex

void initLangMap(std::map<std::string, Varnex::LanguageType>& m) {
    for (int i = 0; i < 9; ++i) {
        auto t = static_cast<Varnex::LanguageType>(i);
        m.insert({Varnex::languageString(t), t});
        m.insert({Varnex::languageCode(t), t});
    }
}
