// Shared helpers for the test programs: a capturing log sink, a scratch
// directory that is removed afterwards, and small file and process helpers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Varnex/Log.h"

namespace VarnexTest {

struct LogLine {
    int priority;
    std::string tag;
    std::string text;
};

// Captures every log message while alive and restores the previous sink and
// threshold afterwards.
class LogCapture {
public:
    explicit LogCapture(Varnex::LogType threshold = Varnex::LOG_DEBUG);
    ~LogCapture();
    const std::vector<LogLine>& lines() const { return captured; }
    // True when any captured text contains `part`.
    bool contains(const std::string& part) const;
    // True when an error line (priority 6) contains `part`.
    bool hasError(const std::string& part) const;
    void clear() { captured.clear(); }

private:
    std::vector<LogLine> captured;
    Varnex::LogSink previous;
    Varnex::LogType previousLevel;
};

// Agreement of labelled samples with what the engine decided: counts, and
// the lines that disagree, for the failure message.
struct Agreement {
    int total = 0, agree = 0;
    std::string misses;
    void add(const std::string& line, const std::string& expected, const std::string& got) {
        ++total;
        if (got == expected)
            ++agree;
        else
            misses += "  " + line + " -> " + got + "\n";
    }
    // True when at least `percent` of the samples agree.
    bool atLeast(int percent) const { return agree * 100 >= total * percent; }
};

// A fresh directory under the system temporary directory.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return dir; }
    // path() + "/" + name
    std::string file(const std::string& name) const { return dir + "/" + name; }
    // Writes `content` to file(name) and returns its path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string dir;
};

std::string readFile(const std::string& path);
// The names in `dir`, sorted.
std::vector<std::string> listDir(const std::string& dir);
// `s` cut at every `separator` (a trailing separator ends no extra piece).
std::vector<std::string> split(const std::string& s, char separator = '\n');
// Runs a shell command with its output discarded; returns system()'s status.
int run(const std::string& command);
// Runs `body` in a child process whose files cannot grow past `bytes`, as on
// a full disk; true when the child returned true.
bool underFileSizeLimit(long bytes, const std::function<bool()>& body);
// Runs `body` in a child process in which file permissions hold: run as
// root, the child gives `dir`'s tree to the unprivileged user "nobody"
// (uid and gid 65534) and becomes that user. True when the child ran `body`
// without a failed expectation; `skipped` is set when it could not drop its
// privileges.
bool withPermissionsEnforced(const std::string& dir, const std::function<void()>& body, bool& skipped);

}  // namespace VarnexTest
