#include "Varnex/ReplyCorpusRepository.h"

#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
const char* const kTag = "AutoReply/src/Varnex/ReplyCorpusRepository";
}

ReplyCorpusRepository::ReplyCorpusRepository(const std::string& corpusPath) { load(corpusPath); }

void ReplyCorpusRepository::load(const std::string& corpusPath) {
    std::vector<std::string> lines;
    if (!StringUtil::load(corpusPath, lines, isEncrypted(corpusPath))) return;
    int lineNo = 0;
    for (const auto& line : lines) {
        ++lineNo;
        if (line.empty()) continue;
        std::vector<std::string> cols;
        StringUtil::split(line, '\t', cols);
        if (cols.size() < 2 || cols[0].empty()) {
            varnex_print_log(LOG_WARN, kTag, "Skipping corpus line %d of %s: needs a key and replies\n", lineNo,
                             corpusPath.c_str());
            continue;
        }
        auto column = [&](size_t i) {
            std::vector<std::string> out;
            if (i < cols.size()) StringUtil::split(cols[i], '/', out);
            return out;
        };
        levelZeroCorpus.emplace(cols[0], column(1));
        if (cols.size() > 2 && !cols[2].empty()) levelOneCorpus.emplace(cols[0], column(2));
        if (cols.size() > 3 && !cols[3].empty()) levelTwoCorpus.emplace(cols[0], column(3));
    }
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
