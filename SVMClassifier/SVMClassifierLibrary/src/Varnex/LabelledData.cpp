#include "Varnex/LabelledData.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "Varnex/ModelTextParsing.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

bool LabelledData::read(const std::string& path, const std::set<std::string>& labels,
                        std::vector<LabelledExample>& examples, std::vector<LabelledDataProblem>& problems) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return false;
    parse(content.str(), labels, examples, problems);
    return true;
}

void LabelledData::parse(const std::string& content, const std::set<std::string>& labels,
                         std::vector<LabelledExample>& examples, std::vector<LabelledDataProblem>& problems) {
    std::vector<std::string> lines;
    size_t pos = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        lines.push_back(content.substr(pos, end - pos));
        pos = end + 1;
    }
    // Label TAB message; tabs inside the message are kept.
    Utilities::TableFormat format;
    format.minFields = format.maxFields = 2;
    format.lastFieldTakesRest = true;
    std::vector<Utilities::TableRow> rows;
    std::vector<Utilities::TableProblem> misfits;
    const size_t firstNew = problems.size();
    Utilities::parseTable(lines, "", format, rows, &misfits);
    for (const auto& m : misfits) problems.push_back({m.line, "no tab between label and message"});
    for (const auto& row : rows) {
        LabelledExample e;
        e.line = row.line;
        e.label = TextParsing::trimmed(row.fields[0]);
        e.text = TextParsing::trimmed(row.fields[1]);
        if (e.label.empty()) {
            problems.push_back({row.line, "empty label"});
        } else if (e.label.find_first_of(" \t\r\n\f\v") != std::string::npos) {
            problems.push_back({row.line, "white space inside the label [" + e.label + "]"});
        } else if (e.text.empty()) {
            problems.push_back({row.line, "empty message"});
        } else if (!labels.empty() && labels.count(e.label) == 0) {
            problems.push_back({row.line, "unknown label [" + e.label + "]"});
        } else {
            examples.push_back(std::move(e));
        }
    }
    // Reported in file order, as a reader of the data goes through it.
    std::stable_sort(problems.begin() + static_cast<std::ptrdiff_t>(firstNew), problems.end(),
                     [](const LabelledDataProblem& a, const LabelledDataProblem& b) { return a.line < b.line; });
}

}  // namespace Varnex
