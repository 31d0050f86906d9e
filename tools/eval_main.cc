// varnex-eval: measures what the engine suggests for labelled messages.
//
//   varnex-eval [--resources DIR] [--json] [--show WHAT] [--check FLOOR] FILE|DIR...
//   varnex-eval --program "VARNEX suggest [OPTIONS]" [...] FILE|DIR...
//
// Every message of the evaluation files (see tools/eval/Evaluation.h) goes
// through the public API, as a host would send it, on a fresh data
// directory; placeholder replies are filled as the varnex program fills
// them. Prints, per kind and in total: messages, those with a fitting
// suggestion, those with a forbidden one, those with a suggestion in the
// wrong speech level, and those with none. --show lists the cases behind a
// column (fit, forbidden, level, none, all). --check FLOOR fails (exit 1)
// when the share of fitting messages is below the floor the file names, or
// more messages than it allows get a forbidden suggestion or one in the
// wrong speech level (none, unless it says otherwise). --program measures another build
// instead: the given varnex program is run once per message with
// `--now WHEN -- MESSAGE` appended, and its output lines are the
// suggestions (slow, for comparing builds).
#include <glib.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "JsonBuilder.h"
#include "SmartReplyAPIWrapper.h"
#include "Varnex/Clock.h"
#include "Varnex/Log.h"
#include "common/Placeholders.h"
#include "eval/Evaluation.h"

#ifndef VARNEX_BUILD_RESOURCE_DIR
#define VARNEX_BUILD_RESOURCE_DIR ""
#endif

namespace {

using VarnexTools::EvalCase;
using VarnexTools::EvalCounts;
using VarnexTools::EvalOutcome;

const char kUsage[] =
    "usage: varnex-eval [--resources DIR | --program \"VARNEX suggest ...\"] [--json]\n"
    "                   [--show fit|forbidden|level|none|all] [--check FLOOR] FILE|DIR...\n";

// The output lines of `argv` run as a program, or nothing when it fails.
std::vector<std::string> runProgram(const std::vector<std::string>& argv) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl = out.find('\n'); nl != std::string::npos; nl = out.find('\n', start)) {
        if (nl > start) lines.push_back(out.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

std::vector<std::string> words(const std::string& command) {
    std::vector<std::string> out;
    std::string w;
    for (char c : command) {
        if (c == ' ') {
            if (!w.empty()) out.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty()) out.push_back(w);
    return out;
}

// When a message names no time of its own: a Wednesday afternoon that is
// no holiday.
const char kDefaultWhen[] = "2026-03-11 14:00";

bool setClock(const std::string& when) {
    int y, mo, d, h, mi;
    return std::sscanf(when.c_str(), "%d-%d-%d %d:%d", &y, &mo, &d, &h, &mi) == 5 &&
           Varnex::Clock::setFixedLocalTime(y, mo, d, h, mi);
}

std::vector<std::string> evaluationFiles(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (std::filesystem::is_directory(a)) {
            std::vector<std::string> found;
            for (const auto& e : std::filesystem::directory_iterator(a))
                if (e.path().extension() == ".tsv") found.push_back(e.path().string());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(a);
        }
    }
    return files;
}

std::string percent(int part, int whole) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%5.1f%%", whole ? 100.0 * part / whole : 0.0);
    return buf;
}

void printTable(const std::map<std::string, EvalCounts>& counts) {
    std::printf("%-18s %8s %16s %10s %10s %8s\n", "kind", "messages", "fitting", "forbidden", "wrong-lvl", "none");
    auto row = [](const std::string& name, const EvalCounts& c) {
        std::printf("%-18s %8d %8d %s %10d %10d %8d\n", name.c_str(), c.messages, c.fitting,
                    percent(c.fitting, c.messages).c_str(), c.forbidden, c.wrongLevel, c.none);
    };
    for (const auto& kv : counts)
        if (!kv.first.empty()) row(kv.first, kv.second);
    auto total = counts.find("");
    if (total != counts.end()) row("TOTAL", total->second);
}

void printJson(const std::map<std::string, EvalCounts>& counts) {
    JsonObjectBuilder b;
    JsonObject* root = b.jsonObjectNew();
    JsonObject* kinds = b.jsonObjectNew();
    auto object = [&b](const EvalCounts& c) {
        JsonObject* o = b.jsonObjectNew();
        b.addIntObj(o, "messages", c.messages);
        b.addIntObj(o, "fitting", c.fitting);
        b.addIntObj(o, "forbidden", c.forbidden);
        b.addIntObj(o, "wrong_level", c.wrongLevel);
        b.addIntObj(o, "none", c.none);
        return o;
    };
    for (const auto& kv : counts)
        b.addObjectObj(kv.first.empty() ? root : kinds, kv.first.empty() ? "total" : kv.first.c_str(),
                       object(kv.second));
    b.addObjectObj(root, "kinds", kinds);
    b.setRootObject(root);
    int length = 0;
    char* text = b.jsonGeneratorToBuffer(&length);
    std::printf("%s\n", text ? text : "{}");
    g_free(text);
}

void show(const EvalCase& c, const EvalOutcome& o, const std::string& what) {
    const bool pick = what == "all" || (what == "fit" && !o.fitting) || (what == "forbidden" && !o.forbidden.empty()) ||
                      (what == "level" && !o.wrongLevel.empty()) || (what == "none" && o.suggestions.empty());
    if (!pick) return;
    std::string joined;
    for (const auto& s : o.suggestions) joined += (joined.empty() ? "" : " | ") + s;
    std::printf("%s [%s/%d]%s%s%s %s\n    -> %s\n", c.source.c_str(), c.kind.c_str(), c.level, o.fitting ? "" : " NOFIT",
                o.forbidden.empty() ? "" : " FORBIDDEN", o.wrongLevel.empty() ? "" : " LEVEL", c.message.c_str(),
                joined.empty() ? "(none)" : joined.c_str());
}

// The floor file: "fitting MIN_SHARE" (0..1) and, optionally, "forbidden
// MAX" and "level MAX", the most messages with a forbidden suggestion or a
// slip of speech level still let through (0 when not named). The floor only
// ever rises and the ceilings only ever fall, as the engine improves.
struct Floor {
    double fitting = -1;
    int forbidden = 0;
    int level = 0;
};

bool readFloor(const std::string& path, Floor& floor) {
    std::ifstream in(path);
    std::string key;
    while (in >> key) {
        if (key == "fitting") in >> floor.fitting;
        else if (key == "forbidden") in >> floor.forbidden;
        else if (key == "level") in >> floor.level;
        if (!in) return false;
        std::getline(in, key);
    }
    return floor.fitting >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string resources = VARNEX_BUILD_RESOURCE_DIR, showWhat, floorFile, program;
    bool json = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (a == "--resources") {
            if (!value(resources)) return std::fputs(kUsage, stderr), 2;
        } else if (a == "--program") {
            if (!value(program)) return std::fputs(kUsage, stderr), 2;
        } else if (a == "--show") {
            if (!value(showWhat)) return std::fputs(kUsage, stderr), 2;
        } else if (a == "--check") {
            if (!value(floorFile)) return std::fputs(kUsage, stderr), 2;
        } else if (a == "--json") {
            json = true;
        } else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "varnex-eval: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            args.push_back(a);
        }
    }
    if (args.empty()) return std::fputs(kUsage, stderr), 2;

    std::vector<EvalCase> cases;
    std::vector<std::string> problems;
    for (const auto& file : evaluationFiles(args)) {
        if (!VarnexTools::readEvalCases(file, cases, problems)) {
            std::fprintf(stderr, "varnex-eval: cannot read %s\n", file.c_str());
            return 2;
        }
    }
    for (const auto& p : problems) std::fprintf(stderr, "varnex-eval: %s\n", p.c_str());
    if (cases.empty()) {
        std::fprintf(stderr, "varnex-eval: no evaluation messages\n");
        return 2;
    }

    std::map<std::string, EvalCounts> counts;
    auto judgeCase = [&](const EvalCase& c, std::vector<std::string> suggestions) {
        VarnexTools::fillPlaceholders(suggestions, Varnex::Clock::now());
        const EvalOutcome outcome = VarnexTools::judge(c, suggestions);
        VarnexTools::tally(c, outcome, counts);
        if (!showWhat.empty()) show(c, outcome, showWhat);
    };
    if (!program.empty()) {
        for (const auto& c : cases) {
            setClock(c.when.empty() ? kDefaultWhen : c.when);
            std::vector<std::string> argv = words(program);
            for (const char* extra : {"--now", ""}) argv.push_back(extra);
            argv.back() = c.when.empty() ? kDefaultWhen : c.when;
            argv.push_back("--");
            argv.push_back(c.message);
            judgeCase(c, runProgram(argv));
        }
    } else {
        char dataTemplate[] = "/tmp/varnex-eval-XXXXXX";
        if (!mkdtemp(dataTemplate)) {
            std::fprintf(stderr, "varnex-eval: cannot make a data directory\n");
            return 2;
        }
        auto* api = static_cast<SmartReplyAPIWrapper*>(create());
        if (!api || !api->openEngine(resources, std::string(dataTemplate) + "/")) {
            std::fprintf(stderr, "varnex-eval: the engine did not open on %s\n", resources.c_str());
            if (api) destroy(api);
            std::filesystem::remove_all(dataTemplate);
            return 2;
        }
        for (const auto& c : cases) {
            setClock(c.when.empty() ? kDefaultWhen : c.when);
            std::vector<std::string> suggestions;
            api->findReply("", "eval", c.message, suggestions);
            judgeCase(c, suggestions);
        }
        api->closeEngine();
        destroy(api);
        std::filesystem::remove_all(dataTemplate);
    }

    if (json)
        printJson(counts);
    else
        printTable(counts);

    if (!floorFile.empty()) {
        Floor floor;
        if (!readFloor(floorFile, floor)) {
            std::fprintf(stderr, "varnex-eval: %s names no \"fitting\" floor\n", floorFile.c_str());
            return 2;
        }
        const EvalCounts& total = counts[""];
        const double share = total.messages ? static_cast<double>(total.fitting) / total.messages : 0.0;
        if (share < floor.fitting || total.forbidden > floor.forbidden || total.wrongLevel > floor.level) {
            std::fprintf(stderr,
                         "varnex-eval: fitting %.3f (floor %.3f), forbidden %d (at most %d), wrong level %d (at most %d)\n",
                         share, floor.fitting, total.forbidden, floor.forbidden, total.wrongLevel, floor.level);
            return 1;
        }
    }
    return 0;
}
