#include "Placeholders.h"

#include <algorithm>

namespace VarnexTools {

namespace {

struct Kind {
    const char* name;
    std::string (*format)(const std::tm&);
};

std::string date(const std::tm& t) { return std::to_string(t.tm_mon + 1) + "월 " + std::to_string(t.tm_mday) + "일"; }

std::string timeOfDay(const std::tm& t) {
    const int hour = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    std::string s = std::string(t.tm_hour < 12 ? "오전 " : "오후 ") + std::to_string(hour) + "시";
    if (t.tm_min != 0) s += " " + std::to_string(t.tm_min) + "분";
    return s;
}

std::string weekday(const std::tm& t) {
    static const char* const names[] = {"일요일", "월요일", "화요일", "수요일", "목요일", "금요일", "토요일"};
    return names[t.tm_wday % 7];
}

const Kind kKinds[] = {{"DAYOFWEEK", weekday}, {"DATE", date}, {"TIME", timeOfDay}};

// Whether the last syllable of `word` has a final consonant (일, 분, 시 has none).
bool endsInConsonant(const std::string& word) {
    if (word.size() < 3) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(word.data() + word.size() - 3);
    if ((p[0] & 0xF0) != 0xE0) return false;
    const int code = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    return code >= 0xAC00 && code <= 0xD7A3 && (code - 0xAC00) % 28 != 0;
}

}  // namespace

bool isPlaceholder(const std::string& reply) {
    const size_t amp = reply.find('&');
    if (amp == std::string::npos || amp == 0) return false;
    return std::all_of(reply.begin(), reply.begin() + static_cast<long>(amp),
                       [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::string fillPlaceholder(const std::string& reply, std::time_t when) {
    if (!isPlaceholder(reply)) return reply;
    const size_t amp = reply.find('&');
    const std::string kind = reply.substr(0, amp);
    std::string text = reply.substr(amp + 1);
    std::tm local{};
    localtime_r(&when, &local);
    for (const Kind& k : kKinds) {
        if (kind != k.name) continue;
        const std::string mark = "'" + kind + "'";
        const size_t at = text.find(mark);
        if (at == std::string::npos) return "";
        const std::string value = k.format(local);
        text.replace(at, mark.size(), value);
        // A polite "요" after a noun that ends in a consonant is "이요".
        const size_t after = at + value.size();
        if (text.compare(after, 3, "요") == 0 && endsInConsonant(value)) text.insert(after, "이");
        return text;
    }
    return "";
}

void fillPlaceholders(std::vector<std::string>& replies, std::time_t when) {
    std::vector<std::string> filled;
    for (const auto& r : replies) {
        std::string f = fillPlaceholder(r, when);
        if (!f.empty() && std::find(filled.begin(), filled.end(), f) == filled.end()) filled.push_back(f);
    }
    replies.swap(filled);
}

}  // namespace VarnexTools
