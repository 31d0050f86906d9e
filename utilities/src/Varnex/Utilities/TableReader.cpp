#include "Varnex/Utilities/TableReader.h"

#include <iterator>

#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {
namespace Utilities {

namespace {
const char* const kTag = "utilities/src/Varnex/Utilities/TableReader";

std::string fieldCount(size_t n) { return std::to_string(n) + (n == 1 ? " field" : " fields"); }

// Why `fields` does not fit `format`, or "" when it does.
std::string misfit(std::vector<std::string>& fields, const TableFormat& format) {
    if (format.maxFields > 0 && fields.size() > format.maxFields) {
        if (!format.lastFieldTakesRest)
            return fieldCount(fields.size()) + ", at most " + std::to_string(format.maxFields) + " allowed";
        std::string& last = fields[format.maxFields - 1];
        for (size_t i = format.maxFields; i < fields.size(); ++i) last += "\t" + fields[i];
        fields.resize(format.maxFields);
    }
    if (fields.size() < format.minFields)
        return fieldCount(fields.size()) + ", " + std::to_string(format.minFields) + " needed";
    for (size_t i : format.nonEmpty)
        if (i < fields.size() && fields[i].empty()) return "field " + std::to_string(i + 1) + " is empty";
    return std::string();
}
}  // namespace

void reportRefusedLine(const std::string& path, int line, const std::string& reason) {
    varnex_print_log(LOG_WARN, kTag, "%s:%d: line refused, %s\n", path.c_str(), line, reason.c_str());
}

void parseTable(const std::vector<std::string>& lines, const std::string& source, const TableFormat& format,
                std::vector<TableRow>& rows, std::vector<TableProblem>* problems) {
    for (size_t i = format.headerLines; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        TableRow row;
        row.line = number;
        StringUtil::split(line, '\t', row.fields);
        const std::string reason = misfit(row.fields, format);
        if (reason.empty()) {
            rows.push_back(std::move(row));
        } else if (problems) {
            problems->push_back({number, reason});
        } else {
            reportRefusedLine(source, number, reason);
        }
    }
}

bool readTable(const std::string& path, const TableFormat& format, std::vector<TableRow>& rows) {
    std::vector<std::string> lines;
    if (!StringUtil::load(path, lines, isEncrypted(path))) return false;
    std::vector<TableRow> read;
    std::vector<TableProblem> problems;
    parseTable(lines, path, format, read, &problems);
    for (const auto& p : problems) reportRefusedLine(path, p.line, p.reason);
    // Text that holds no row of the table is not a table: a file whose tabs
    // were turned into spaces, say, would otherwise load as an empty table.
    if (read.empty()) {
        if (problems.empty())
            varnex_print_log(LOG_ERROR, kTag, "Resource file %s is refused: no valid line, only column names\n",
                             path.c_str());
        else
            varnex_print_log(LOG_ERROR, kTag, "Resource file %s is refused: no valid line, all %zu refused\n",
                             path.c_str(), problems.size());
        return false;
    }
    rows.insert(rows.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    return true;
}

}  // namespace Utilities
}  // namespace Varnex
