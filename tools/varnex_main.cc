// varnex: Korean reply suggestions from the command line, through the same
// public API a messaging host uses.
//
//   varnex suggest [OPTIONS] [--json] [--explain] [MESSAGE...]
//   varnex notify  [OPTIONS] --sender NAME MESSAGE REPLY
//   varnex chat    [OPTIONS]
//
// OPTIONS: --resources DIR, --data DIR, --sender NAME, --now "YYYY-MM-DD
// HH:MM", --verbose. Without a message, suggest reads one message per line
// from standard input. What the engine logs at error level is shown as the
// program's own lines; the analysis (--explain, chat's :explain) is the
// engine's debug log of its decisions ("Classifier : name = label").
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "JsonBuilder.h"
#include "SmartReplyAPIWrapper.h"
#include "Varnex/Clock.h"
#include "Varnex/Log.h"
#include "common/Placeholders.h"
#include "varnex.h"

namespace {

const char kUsage[] =
    "usage: varnex suggest [OPTIONS] [--json] [--explain] [MESSAGE...]\n"
    "       varnex notify  [OPTIONS] --sender NAME MESSAGE REPLY\n"
    "       varnex chat    [OPTIONS]\n"
    "\n"
    "  suggest   prints the suggestions for each message, one per line (a blank line between\n"
    "            messages); without MESSAGE, reads one message per line from standard input\n"
    "  notify    tells the engine which REPLY the user sent to MESSAGE from NAME, so later\n"
    "            suggestions for that sender follow its speech level and spellings\n"
    "  chat      an interactive loop: type a message, pick a suggestion by number or type\n"
    "            your own reply (both are learnt), :explain shows the analysis, Ctrl-D quits\n"
    "\n"
    "options:\n"
    "  --resources DIR   the directory holding the \"1.0\" resource tree (default: the build's or the installed one)\n"
    "  --data DIR        where the learning databases live (default: $XDG_DATA_HOME/varnex)\n"
    "  --sender NAME     who sent the message (suggest, chat: default \"anonymous\", which learns nothing)\n"
    "  --now TIME        pins the clock, \"YYYY-MM-DD HH:MM\" local time (time- and date-dependent greetings)\n"
    "  --json            suggest: one JSON object per message (message, sender, suggestions[, analysis])\n"
    "  --explain         suggest: also show the categories and labels behind the suggestions\n"
    "  --verbose         the engine's debug log on stderr\n"
    "  --                the arguments after it are messages even when they begin with \"-\"\n";

struct Options {
    std::string command;
    std::string resources;
    std::string data;
    std::string sender;
    bool senderGiven = false;
    std::string now;
    bool verbose = false;
    bool json = false;
    bool explain = false;
    bool help = false;
    std::vector<std::string> args;
};

bool isDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "varnex: %s\n", message.c_str());
    return 2;
}

bool parseArgs(int argc, char** argv, Options& o, std::string& error) {
    if (argc < 2) {
        error = "missing command";
        return false;
    }
    o.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (a == "--resources") {
            if (!value(o.resources)) return false;
        } else if (a == "--data") {
            if (!value(o.data)) return false;
        } else if (a == "--sender") {
            if (!value(o.sender)) return false;
            o.senderGiven = true;
        } else if (a == "--now") {
            if (!value(o.now)) return false;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--explain") {
            o.explain = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--") {
            for (++i; i < argc; ++i) o.args.push_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a + " (a message beginning with \"-\" goes after --)";
            return false;
        } else {
            o.args.push_back(a);
        }
    }
    return true;
}

// The tree installed beside the library (or packed into its build tree),
// wherever that was installed.
std::string defaultResources() {
    const char* dir = varnex_default_resource_dir();
    return dir != nullptr ? dir : "";
}

std::string defaultDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/varnex";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/varnex";
}

// Creates the directory and its parents; true when it exists afterwards.
bool makeDirectories(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            const std::string partial = path.substr(0, i);
            if (!isDirectory(partial) && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    return isDirectory(path);
}

bool setClock(const std::string& now, std::string& error) {
    int y, mo, d, h, mi;
    char tail;
    if (std::sscanf(now.c_str(), "%d-%d-%d %d:%d%c", &y, &mo, &d, &h, &mi, &tail) != 5 ||
        !Varnex::Clock::setFixedLocalTime(y, mo, d, h, mi)) {
        error = "--now wants a valid local time \"YYYY-MM-DD HH:MM\", got \"" + now + "\"";
        return false;
    }
    return true;
}

// What the engine logs while the program runs: its errors are shown as the
// program's own lines (and counted, so a command can tell that a call
// failed); its analysis is kept for --explain.
struct EngineLog {
    bool verbose = false;
    bool collectAnalysis = false;
    int errors = 0;
    std::vector<std::pair<std::string, std::string>> analysis;

    void install() {
        Varnex::setLogSink([this](int priority, const char*, const char* text) {
            std::string line = text;
            while (!line.empty() && line.back() == '\n') line.pop_back();
            static const std::string kDecision = "Classifier : ";
            if (collectAnalysis && line.compare(0, kDecision.size(), kDecision) == 0) {
                const size_t eq = line.find(" = ", kDecision.size());
                if (eq != std::string::npos)
                    analysis.emplace_back(line.substr(kDecision.size(), eq - kDecision.size()), line.substr(eq + 3));
            }
            const bool error = priority >= Varnex::logPriority(Varnex::LOG_ERROR);
            if (error) ++errors;
            if (verbose || error) std::fprintf(stderr, "varnex: %s\n", line.c_str());
            return 0;
        });
        // Decisions are logged at debug level; nothing else below errors is shown.
        Varnex::setLogLevel(verbose || collectAnalysis ? Varnex::LOG_DEBUG : Varnex::LOG_ERROR);
    }
};

// Only the analysis of a positive decision explains a suggestion; FALSE
// results of the detectors that found nothing are left out. A category
// decided twice (a rule, then a template) shows its last label once.
std::vector<std::pair<std::string, std::string>> decisions(const EngineLog& log) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& kv : log.analysis) {
        auto same = std::find_if(out.begin(), out.end(), [&](const auto& o) { return o.first == kv.first; });
        if (same != out.end()) out.erase(same);
        if (kv.second != "FALSE" && kv.second != "none") out.push_back(kv);
    }
    return out;
}

class Program {
public:
    Program(const Options& options, EngineLog& log) : o(options), log(log) {}
    ~Program() {
        if (api) {
            api->closeEngine();
            destroy(api);
        }
    }

    // Opens the engine; false (with the engine's own line) when it cannot serve.
    bool open() {
        api = static_cast<SmartReplyAPIWrapper*>(create());
        if (!api) return false;
        log.install();
        opened = api->openEngine(o.resources, o.data);
        return true;
    }
    bool openedCleanly() const { return opened; }

    std::vector<std::string> suggest(const std::string& message) {
        log.analysis.clear();
        std::vector<std::string> replies;
        api->findReply("", o.sender, message, replies);
        // Dates, times and weekdays come from the clock (--now); a place the
        // program cannot know is not offered.
        VarnexTools::fillPlaceholders(replies, Varnex::Clock::now());
        return replies;
    }

    // True when the engine took the reply without an error.
    bool notify(const std::string& message, const std::string& reply) {
        const int before = log.errors;
        api->notify("", o.sender, message, reply, false);
        return opened && log.errors == before;
    }

private:
    const Options& o;
    EngineLog& log;
    SmartReplyAPIWrapper* api = nullptr;
    bool opened = false;
};

void printJson(const std::string& message, const std::string& sender, const std::vector<std::string>& replies,
               const std::vector<std::pair<std::string, std::string>>* analysis) {
    JsonObjectBuilder b;
    JsonObject* root = b.jsonObjectNew();
    b.addStringObj(root, "message", message.c_str());
    b.addStringObj(root, "sender", sender.c_str());
    JsonArray* list = b.jsonArrayNew();
    for (const auto& r : replies) b.addStringArray(list, r.c_str());
    b.addArrayObj(root, "suggestions", list);
    if (analysis) {
        JsonObject* a = b.jsonObjectNew();
        for (const auto& kv : *analysis) b.addStringObj(a, kv.first.c_str(), kv.second.c_str());
        b.addObjectObj(root, "analysis", a);
    }
    b.setRootObject(root);
    int length = 0;
    char* text = b.jsonGeneratorToBuffer(&length);
    std::printf("%s\n", text ? text : "{}");
    g_free(text);
}

void printAnalysis(const std::vector<std::pair<std::string, std::string>>& analysis) {
    for (const auto& kv : analysis) std::printf("  # %s = %s\n", kv.first.c_str(), kv.second.c_str());
}

int runSuggest(const Options& o, Program& program, EngineLog& log) {
    std::vector<std::string> messages = o.args;
    const bool fromInput = messages.empty();
    if (fromInput) {
        std::string line;
        while (std::getline(std::cin, line)) messages.push_back(line);
    }
    const bool progress = fromInput && messages.size() > 100 && ::isatty(2);
    int suggested = 0;
    for (size_t i = 0; i < messages.size(); ++i) {
        const auto replies = program.suggest(messages[i]);
        if (!replies.empty()) ++suggested;
        const auto analysis = decisions(log);
        if (o.json) {
            printJson(messages[i], o.sender, replies, o.explain ? &analysis : nullptr);
        } else {
            if (messages.size() > 1 && i > 0) std::printf("\n");
            if (o.explain) printAnalysis(analysis);
            for (const auto& r : replies) std::printf("%s\n", r.c_str());
        }
        if (progress && (i + 1) % 100 == 0)
            std::fprintf(stderr, "\rvarnex: %zu of %zu messages", i + 1, messages.size());
    }
    if (progress) std::fprintf(stderr, "\n");
    // An engine that failed to open and suggests nothing has said why.
    return !program.openedCleanly() && suggested == 0 ? 2 : 0;
}

int runNotify(const Options& o, Program& program) {
    if (!program.notify(o.args[0], o.args[1])) {
        std::fprintf(stderr, "varnex: the reply was not recorded (see the line above)\n");
        return 1;
    }
    return 0;
}

int runChat(const Options& o, Program& program, EngineLog& log) {
    bool explain = false;
    std::string message;
    const bool interactive = ::isatty(0);
    std::printf("Messages from %s; pick a suggestion by number or type your own reply; :explain, Ctrl-D to quit.\n",
                o.sender.c_str());
    while (true) {
        if (interactive) std::printf("message> ");
        std::fflush(stdout);
        if (!std::getline(std::cin, message)) break;
        if (message == ":explain") {
            explain = !explain;
            std::printf("analysis %s\n", explain ? "shown" : "hidden");
            continue;
        }
        if (message.empty()) continue;
        const auto replies = program.suggest(message);
        if (explain) printAnalysis(decisions(log));
        for (size_t i = 0; i < replies.size(); ++i) std::printf("  %zu) %s\n", i + 1, replies[i].c_str());
        if (replies.empty()) std::printf("  (no suggestion)\n");
        if (interactive) std::printf("reply> ");
        std::fflush(stdout);
        std::string reply;
        if (!std::getline(std::cin, reply)) break;
        if (reply.empty()) continue;
        char* end = nullptr;
        const long pick = std::strtol(reply.c_str(), &end, 10);
        if (end && *end == '\0' && pick >= 1 && static_cast<size_t>(pick) <= replies.size()) reply = replies[pick - 1];
        if (program.notify(message, reply))
            std::printf("  sent: %s\n", reply.c_str());
        else
            std::printf("  sent: %s (not learnt)\n", reply.c_str());
    }
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parseArgs(argc, argv, o, error)) {
        std::fprintf(stderr, "varnex: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (o.command == "help" || o.command == "--help" || o.command == "-h" || o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool suggest = o.command == "suggest", notify = o.command == "notify", chat = o.command == "chat";
    if (!suggest && !notify && !chat) {
        std::fprintf(stderr, "varnex: unknown command \"%s\"\n%s", o.command.c_str(), kUsage);
        return 2;
    }
    if ((notify && o.args.size() != 2) || (chat && !o.args.empty())) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (notify && !o.senderGiven) return fail("notify needs --sender NAME: replies are learnt per sender");
    if (o.senderGiven && o.sender.empty()) return fail("--sender needs a name; an empty one learns nothing");
    if (!o.senderGiven) o.sender = "anonymous";
    if ((o.json || o.explain) && !suggest) return fail("--json and --explain go with suggest");
    if (!o.now.empty() && !setClock(o.now, error)) return fail(error);

    if (o.resources.empty()) o.resources = defaultResources();
    if (!isDirectory(o.resources + "/1.0"))
        return fail("no resource tree at \"" + o.resources + "\" (it must hold the \"1.0\" directory)");
    if (o.data.empty()) o.data = defaultDataDir();
    if (!makeDirectories(o.data)) return fail("data directory \"" + o.data + "\" cannot be created");
    if (notify && ::access(o.data.c_str(), W_OK | X_OK) != 0)
        return fail("data directory \"" + o.data + "\" is not writable: the reply cannot be recorded");
    if (o.data.back() != '/') o.data += '/';

    EngineLog log;
    log.verbose = o.verbose;
    log.collectAnalysis = o.explain || chat;
    Program program(o, log);
    if (!program.open()) return fail("the engine could not be created");
    if (suggest) return runSuggest(o, program, log);
    if (notify) return runNotify(o, program);
    return runChat(o, program, log);
}
