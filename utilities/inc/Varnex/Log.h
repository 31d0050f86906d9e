// Diagnostic logging for the whole engine.
//
// Every module calls varnex_print_log(level, sourceFile, format, ...). A
// message is dropped when its level is below the threshold or when a file
// filter is set and names another source file; otherwise it is formatted and
// handed to the log sink as (priority, "AutoReply", text). The default sink
// writes one line per message to stderr; a host or a test may install its own.
//
// Settings are process-wide plain globals without locking: change them before
// the engine is used from another thread.
#pragma once

#include <functional>

#include "Varnex/Export.h"

namespace Varnex {

enum LogType : int {
    LOG_DEBUG = 0,
    LOG_INFO = 1,
    LOG_WARN = 2,
    LOG_ERROR = 3,
};

// Receives every message that passes the filters. `priority` is 3 (debug and
// unknown levels), 4 (information), 5 (warning) or 6 (error); `tag` is always
// "AutoReply"; `text` is the formatted message exactly as the format made it
// (no level, file or time added; messages that want a line end carry "\n").
// Returns the value varnex_print_log returns.
using LogSink = std::function<int(int priority, const char* tag, const char* text)>;

// Formats and passes on one message; returns the sink's result when the
// message was passed on, otherwise 0. Output longer than the internal buffer
// (kLogBufferSize bytes) is cut at a UTF-8 character boundary, never overrun.
VARNEX_EXPORT int varnex_print_log(LogType level, const char* file, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

constexpr int kLogBufferSize = 4096;

// Messages with a level below `level` are dropped. Initially 3 (errors only).
VARNEX_EXPORT void setLogLevel(LogType level);
VARNEX_EXPORT LogType getLogLevel();

// Only messages whose source file identifier equals `file` are passed on; an
// empty string (or null) switches the filter off.
VARNEX_EXPORT void enableLogFromFileOnly(const char* file);

// Installs `sink` in place of the current one; an empty sink restores the
// default stderr sink. Returns the sink that was installed before.
VARNEX_EXPORT LogSink setLogSink(LogSink sink);

// Maps a message level to the priority given to the sink.
VARNEX_EXPORT int logPriority(LogType level);

}  // namespace Varnex
