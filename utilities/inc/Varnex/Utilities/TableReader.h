// The one reader of tab-separated resource tables.
//
//   TableFormat format;
//   format.minFields = 2;
//   std::vector<TableRow> rows;
//   if (!readTable(path, format, rows)) { /* missing or unreadable */ }
//
// Every loader of a text resource (dictionaries, rule files, the scenario
// table, the corpus, the verb table, labelled training data) reads through
// it, so one place decides what a well-formed line is and how a refused one
// is reported. Lines are read with StringUtil::load (unscrambled when the
// name ends in ".enc"); empty lines are skipped silently; every other line
// that does not fit the format is refused and reported as
// "<path>:<line>: <reason>" at warning level. A refused line never reaches
// the caller. Stateless; safe to call from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Varnex {
namespace Utilities {

struct TableFormat {
    // Lines with fewer fields are refused.
    size_t minFields = 1;
    // Lines with more fields are refused; 0 means no upper bound.
    size_t maxFields = 0;
    // With a maxFields bound: tabs after the first maxFields - 1 fields stay
    // inside the last field instead of refusing the line.
    bool lastFieldTakesRest = false;
    // Fields (by index) that must not be empty.
    std::vector<size_t> nonEmpty;
    // Leading lines that name the columns and are not data.
    size_t headerLines = 0;
};

struct TableRow {
    int line = 0;  // 1-based line number in the file
    std::vector<std::string> fields;
};

struct TableProblem {
    int line = 0;
    std::string reason;
};

// Reads `path` and appends its well-formed lines to `rows`. False when the
// file is missing or cannot be read (reported once, in plain words), when
// StringUtil::load refuses it as garbage, or when not one line fits the
// format (an error naming the file); true otherwise, even when some lines
// were refused. Nothing is appended when false is returned.
bool readTable(const std::string& path, const TableFormat& format, std::vector<TableRow>& rows);

// The same on lines already in memory; `source` names them in reports. When
// `problems` is given, refused lines are collected there instead of logged.
void parseTable(const std::vector<std::string>& lines, const std::string& source, const TableFormat& format,
                std::vector<TableRow>& rows, std::vector<TableProblem>* problems = nullptr);

// Reports a line that a loader refuses on its own grounds (an unknown verb,
// a number out of range), in the same "<path>:<line>: <reason>" form.
void reportRefusedLine(const std::string& path, int line, const std::string& reason);

}  // namespace Utilities
}  // namespace Varnex
