#include "Varnex/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace Varnex {
namespace {

LogType g_threshold = LOG_ERROR;
std::string g_fileFilter;

const char kTag[] = "AutoReply";

int stderrSink(int priority, const char* tag, const char* text) {
    size_t len = std::strlen(text);
    bool hasNewline = len > 0 && text[len - 1] == '\n';
    return std::fprintf(stderr, "%s(%d): %s%s", tag, priority, text, hasNewline ? "" : "\n");
}

LogSink& currentSink() {
    static LogSink sink = stderrSink;
    return sink;
}

// Drops a trailing UTF-8 sequence that vsnprintf cut short, so a truncated
// message is still valid text.
void trimPartialUtf8(char* buf, size_t len) {
    if (len == 0) return;
    size_t i = len;
    size_t back = 0;
    while (i > 0 && back < 4 && (static_cast<unsigned char>(buf[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++back;
    }
    if (i == 0) return;
    unsigned char lead = static_cast<unsigned char>(buf[i - 1]);
    size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (need > 1 && back + 1 < need) buf[i - 1] = '\0';
}

}  // namespace

int logPriority(LogType level) {
    switch (level) {
        case LOG_INFO: return 4;
        case LOG_WARN: return 5;
        case LOG_ERROR: return 6;
        default: return 3;
    }
}

int varnex_print_log(LogType level, const char* file, const char* format, ...) {
    if (!g_fileFilter.empty() && (file == nullptr || g_fileFilter != file)) return 0;
    if (g_threshold > level) return 0;
    if (format == nullptr) return 0;

    char buf[kLogBufferSize];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n < 0) {
        buf[0] = '\0';
    } else if (static_cast<size_t>(n) >= sizeof buf) {
        trimPartialUtf8(buf, sizeof buf - 1);
    }
    const LogSink& sink = currentSink();
    return sink ? sink(logPriority(level), kTag, buf) : 0;
}

void setLogLevel(LogType level) { g_threshold = level; }

LogType getLogLevel() { return g_threshold; }

void enableLogFromFileOnly(const char* file) { g_fileFilter = file ? file : ""; }

LogSink setLogSink(LogSink sink) {
    LogSink previous = std::move(currentSink());
    currentSink() = sink ? std::move(sink) : LogSink(stderrSink);
    return previous;
}

}  // namespace Varnex
