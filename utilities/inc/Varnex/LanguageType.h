// Languages known to the engine and their name and code tables.
#pragma once

#include <map>
#include <string>

namespace Varnex {

enum LanguageType : int {
    UNKNOWN = 0,
    ENGLISH = 1,
    KOREAN = 2,
    FRENCH = 3,
    ITALIAN = 4,
    RUSSIAN = 5,
    GERMAN = 6,
    SPANISH = 7,
    CHINESE = 8,
};

// "UNKNOWN", "ENGLISH", "KOREAN", ...; "UNKNOWN" for a value outside 0..8.
const std::string& languageString(LanguageType type);
// Short codes: "UNKNOWN", "EN", "KR", ... ("ZN" for CHINESE).
const std::string& languageCode(LanguageType type);
// Full names and short codes ("KOREAN", "KR"); anything else is UNKNOWN.
LanguageType languageTypeFromString(const std::string& s);
// Locale codes: "en_US", "ko_KR", "fr_FR", "es_ES"; anything else is UNKNOWN.
LanguageType languageTypeFromCode(const std::string& code);
// KOREAN when the text holds any three-byte character from U+AC00 on,
// otherwise ENGLISH.
LanguageType getLanguageType(const std::string& text);

}  // namespace Varnex

void initLangMap(std::map<std::string, Varnex::LanguageType>& m);
