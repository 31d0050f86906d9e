#include "KoreanCallDetector.h"

#include <set>
#include <vector>

#include "Varnex/DictionaryFeature.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Vocabulary.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {

// A call phrase must begin within the first four syllables.
const int kMaxCallStart = 12;

// The code point of a Hangul syllable, or -1.
int syllable(const std::string& ch) {
    if (ch.size() != 3) return -1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(ch.data());
    const int c = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return c >= 0xAC00 && c <= 0xD7A3 ? c : -1;
}

bool hasFinalConsonant(int c) { return (c - 0xAC00) % 28 != 0; }

// A name in the vocative: 2 to 4 syllables ending in 아 after a final
// consonant (지민아) or 야 after none (민수야). Words that end the same way
// but are answers or statements (좋아, 괜찮아, 뭐야, 아니야) are no call.
bool isVocativeName(const std::string& word) {
    static const std::set<std::string> notNames = {
        "좋아", "싫어", "많아", "괜찮아", "알아", "몰라", "놀아", "앉아", "같아", "작아", "잡아", "받아",
        "찾아", "살아", "닫아", "넣아", "뭐야", "어디야", "누구야", "아니야", "그거야", "이거야", "저거야",
        "나야", "너야", "거야", "건데야", "어떡해야", "해야", "가야", "와야", "봐야", "먹어야", "있어야",
        "없어야", "맞아", "짜증나", "대박이야", "진짜야", "정말이야", "뭐하냐", "어쩌라고야", "안돼야"};
    if (notNames.count(word)) return false;
    std::vector<std::string> chars;
    StringUtil::getCharactors(word, chars);
    if (chars.size() < 2 || chars.size() > 4) return false;
    for (const auto& c : chars)
        if (syllable(c) < 0) return false;
    const int before = syllable(chars[chars.size() - 2]);
    const std::string& last = chars.back();
    return (last == "아" && hasFinalConsonant(before)) || (last == "야" && !hasFinalConsonant(before));
}

}  // namespace

KoreanCallDetector::KoreanCallDetector(const std::string& callRule, bool prebuilt)
    : dictionary(std::make_shared<DictionaryFeature>(callRule, prebuilt)),
      stopCharRemover(std::make_shared<KoreanStopCharRemover>(KoreanStopCharRemover::getDefaultStopChar())) {}

KoreanCallDetector::~KoreanCallDetector() = default;

bool KoreanCallDetector::isCall(const std::string& text) const {
    std::string kind;
    return isCall(text, kind);
}

bool KoreanCallDetector::isCall(const std::string& text, std::string& kind) const {
    std::string a;
    stopCharRemover->remove(text, a);
    std::string phrase, matched, value;
    const int p = dictionary->findFirstMatch(a, phrase, matched, value, true, false);
    if (p >= 0 && p < kMaxCallStart && value != Label::FALSE_LABEL && value != kFiller) {
        // The phrase must reach the end of the message: nothing after the call.
        kind = value;
        if (static_cast<long long>(a.size()) - static_cast<long long>(phrase.size()) - p <= 0) return true;
        if (StringUtil::trim(a.substr(p + matched.size())).empty()) return true;
    }
    // A name nobody listed, alone: "지민아~".
    const std::string word = StringUtil::trim(a);
    kind = "call";
    return word.find(' ') == std::string::npos && isVocativeName(word);
}

int KoreanCallDetector::leadingCall(const std::string& cleaned, bool& filler) const {
    std::string phrase, matched, value;
    filler = false;
    if (dictionary->findFirstMatch(cleaned, phrase, matched, value, true, false) == 0 &&
        value != Label::FALSE_LABEL) {
        // The call must end a word: "엄마" is a call in "엄마 잘 자", not in "엄마가".
        std::string next;
        StringUtil::getNextChar(cleaned, static_cast<int>(matched.size()), next);
        if (next.empty() || next == " " || next == "," || next == "?") {
            filler = value == kFiller;
            return static_cast<int>(matched.size());
        }
    }
    const size_t space = cleaned.find(' ');
    const std::string word = cleaned.substr(0, space);
    if (space != std::string::npos && isVocativeName(word)) return static_cast<int>(word.size());
    return 0;
}

int KoreanCallDetector::callPrefixEnd(const std::string& cleaned) const {
    size_t pos = 0;
    auto skipSeparators = [&]() {
        while (pos < cleaned.size() && (cleaned[pos] == ' ' || cleaned[pos] == ',')) ++pos;
    };
    skipSeparators();
    const size_t start = pos;
    for (int i = 0; i < 3 && pos < cleaned.size(); ++i) {
        bool filler = false;
        const int length = leadingCall(cleaned.substr(pos), filler);
        if (length <= 0) break;
        pos += static_cast<size_t>(length);
        skipSeparators();
    }
    return pos == start ? 0 : static_cast<int>(pos);
}

}  // namespace Varnex
