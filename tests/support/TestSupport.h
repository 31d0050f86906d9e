// Shared helpers for the test programs: a capturing log sink and a scratch
// directory that is removed afterwards.
#pragma once

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
    void clear() { captured.clear(); }

private:
    std::vector<LogLine> captured;
    Varnex::LogSink previous;
    Varnex::LogType previousLevel;
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

}  // namespace VarnexTest
