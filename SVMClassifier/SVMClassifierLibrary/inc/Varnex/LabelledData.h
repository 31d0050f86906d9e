// Labelled training messages: one "label TAB message" per line, UTF-8.
//
// A line without a tab, with an empty label or message, with white space
// inside the label (a category name cannot hold any) or, when a label set is
// given, with a label outside it is not used: it is reported with its line
// number and reason. Empty lines are skipped silently; a UTF-8 byte order
// mark and carriage returns are dropped. Label and message are trimmed of
// surrounding white space; tabs inside the message are kept.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace Varnex {

struct LabelledExample {
    int line = 0;
    std::string label;
    std::string text;
};

struct LabelledDataProblem {
    int line = 0;
    std::string reason;
};

class LabelledData {
public:
    // False when the file cannot be read. `labels`, when not empty, is the
    // set of labels allowed. Appends to `examples` and `problems`.
    static bool read(const std::string& path, const std::set<std::string>& labels,
                     std::vector<LabelledExample>& examples, std::vector<LabelledDataProblem>& problems);
    // The same on text already in memory.
    static void parse(const std::string& content, const std::set<std::string>& labels,
                      std::vector<LabelledExample>& examples, std::vector<LabelledDataProblem>& problems);
};

}  // namespace Varnex
