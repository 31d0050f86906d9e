// The project's own measure of reply quality: labelled messages, what the
// engine suggests for them, and per-kind counts of fitting, forbidden,
// wrong-register and missing suggestions.
//
// An evaluation file holds one message per line, six TAB-separated fields
// (lines starting with "#" are comments):
//   message, kind, register (0 plain, 1 polite, 2 formal: the message's own
//   speech level), fit, forbid, when
// `fit` and `forbid` are ECMAScript regular expressions tested on each
// suggestion: a suggestion matching `fit` is one a native speaker would
// tap, one matching `forbid` would embarrass the user. A `fit` of "-" says
// the right outcome is no suggestion at all. `when` ("YYYY-MM-DD HH:MM",
// local time) pins the clock for time- and date-dependent messages;
// without it the evaluation's default instant is used.
#pragma once

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace VarnexTools {

struct EvalCase {
    std::string source;  // file:line
    std::string message;
    std::string kind;
    int level = 0;
    std::string fit;
    std::string forbid;
    std::string when;
};

// What one case got and how it was judged.
struct EvalOutcome {
    std::vector<std::string> suggestions;
    bool fitting = false;
    std::vector<std::string> forbidden;     // suggestions matching `forbid`
    std::vector<std::string> wrongLevel;    // suggestions in the wrong speech level
};

struct EvalCounts {
    int messages = 0;
    int fitting = 0;
    int forbidden = 0;
    int wrongLevel = 0;
    int none = 0;
};

// Reads cases from `path`; a line that does not hold six fields, a register
// outside 0..2, a time that does not parse or a pattern that does not
// compile is reported in `problems` as "file:line: reason" and skipped.
bool readEvalCases(const std::string& path, std::vector<EvalCase>& cases, std::vector<std::string>& problems);

// The speech level of a suggestion as a reader hears it: 0 plain, 1 polite,
// 2 formal, or -1 when it has none (laughter, emoji, interjections, Latin
// text). Judged on the ending of each sentence of the reply.
int speechLevelOf(const std::string& reply);

// True when a reply of speech level `replyLevel` does not suit a message of
// `messageLevel`: plain to a polite or formal message, or polite or formal
// to a plain one.
bool isRegisterSlip(int messageLevel, int replyLevel);

// Judges the suggestions of one case.
EvalOutcome judge(const EvalCase& c, const std::vector<std::string>& suggestions);

// Adds `outcome` to the counts of its kind and of the total (key "").
void tally(const EvalCase& c, const EvalOutcome& outcome, std::map<std::string, EvalCounts>& counts);

}  // namespace VarnexTools
