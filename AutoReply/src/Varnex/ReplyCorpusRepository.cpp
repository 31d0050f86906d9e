#include "Varnex/ReplyCorpusRepository.h"

#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
// A level column holding only this gives the key no reply at that level.
const char* const kNone = "-";
}  // namespace

ReplyCorpusRepository::ReplyCorpusRepository(const std::string& corpusPath) { load(corpusPath); }

bool ReplyCorpusRepository::load(const std::string& corpusPath) {
    Utilities::TableFormat format;
    format.minFields = 2;
    format.nonEmpty = {0};
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(corpusPath, format, rows)) return false;
    for (const auto& row : rows) {
        const auto& cols = row.fields;
        auto column = [&](size_t i) {
            std::vector<std::string> out;
            if (i < cols.size()) StringUtil::split(cols[i], '/', out);
            return out;
        };
        levelZeroCorpus.emplace(cols[0], column(1));
        if (cols.size() > 2 && !cols[2].empty() && cols[2] != kNone) levelOneCorpus.emplace(cols[0], column(2));
        if (cols.size() > 3 && !cols[3].empty() && cols[3] != kNone) levelTwoCorpus.emplace(cols[0], column(3));
    }
    return true;
}

bool ReplyCorpusRepository::getCorpus(const std::string& key, std::vector<std::string>& replies,
                                      int honorificLevel) const {
    const auto& corpus = honorificLevel == 0 ? levelZeroCorpus : honorificLevel == 1 ? levelOneCorpus : levelTwoCorpus;
    auto it = corpus.find(key);
    if (it == corpus.end()) return false;
    for (const auto& r : it->second)
        if (r.find('%') != std::string::npos) return false;
    replies = it->second;
    return true;
}

}  // namespace Varnex
