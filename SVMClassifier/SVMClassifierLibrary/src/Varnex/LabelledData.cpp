#include "Varnex/LabelledData.h"

#include <fstream>
#include <sstream>

#include "Varnex/ModelTextParsing.h"

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
    size_t pos = 0;
    int lineNo = 0;
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            problems.push_back({lineNo, "no tab between label and message"});
            continue;
        }
        LabelledExample e;
        e.line = lineNo;
        e.label = TextParsing::trimmed(line.substr(0, tab));
        e.text = TextParsing::trimmed(line.substr(tab + 1));
        if (e.label.empty()) {
            problems.push_back({lineNo, "empty label"});
        } else if (e.label.find_first_of(" \t\r\n\f\v") != std::string::npos) {
            problems.push_back({lineNo, "white space inside the label [" + e.label + "]"});
        } else if (e.text.empty()) {
            problems.push_back({lineNo, "empty message"});
        } else if (!labels.empty() && labels.count(e.label) == 0) {
            problems.push_back({lineNo, "unknown label [" + e.label + "]"});
        } else {
            examples.push_back(std::move(e));
        }
    }
}

}  // namespace Varnex
