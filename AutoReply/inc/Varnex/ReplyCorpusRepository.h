// Reply texts by corpus key, in three speech levels: 0 plain, 1 polite
// ("NORMAL"), 2 most honorific ("HIGH"). Loaded once, read-only afterwards.
//
// Table lines: key TAB level-0 TAB level-1 TAB level-2, alternatives in a
// column separated by "/". A level column of just "-" gives the key no
// reply at that level (an ask-back fit only among friends: "왜? 궁금해?
// ㅎㅎ"). The first line of a key wins in each level; a line without a key
// or without replies is refused.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Varnex {

class ReplyCorpusRepository {
public:
    ReplyCorpusRepository() = default;
    explicit ReplyCorpusRepository(const std::string& corpusPath);
    virtual ~ReplyCorpusRepository() = default;

    // Adds the table's rows; false when the file cannot be read.
    bool load(const std::string& corpusPath);
    // Replaces `replies` with the key's list at the level (0, 1, anything
    // else = 2). False, leaving `replies` alone, for an unknown key or when
    // any of its replies holds a "%" placeholder.
    bool getCorpus(const std::string& key, std::vector<std::string>& replies, int honorificLevel) const;

    size_t size() const { return levelZeroCorpus.size(); }

private:
    std::map<std::string, std::vector<std::string>> levelTwoCorpus;
    std::map<std::string, std::vector<std::string>> levelOneCorpus;
    std::map<std::string, std::vector<std::string>> levelZeroCorpus;
};

}  // namespace Varnex
