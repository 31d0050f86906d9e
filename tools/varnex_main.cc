// varnex: suggests Korean replies from the command line, through the same
// public API a messaging host uses.
//
//   varnex suggest [--resources DIR] [--data DIR] [--sender NAME]
//                  [--now "YYYY-MM-DD HH:MM"] MESSAGE
//   varnex notify  [--resources DIR] [--data DIR] --sender NAME MESSAGE REPLY
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "Varnex/Clock.h"
#include "Varnex/Log.h"
#include "varnex.h"

namespace {

const char kUsage[] =
    "usage: varnex suggest [--resources DIR] [--data DIR] [--sender NAME] [--now \"YYYY-MM-DD HH:MM\"] MESSAGE\n"
    "       varnex notify  [--resources DIR] [--data DIR] --sender NAME MESSAGE REPLY\n";

struct Options {
    std::string command;
    std::string resources;
    std::string data;
    std::string sender = "unknown";
    std::string now;
    bool verbose = false;
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
        std::string a = argv[i];
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
        } else if (a == "--now") {
            if (!value(o.now)) return false;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--") {
            for (++i; i < argc; ++i) o.args.push_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            error = "unknown option " + a;
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
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            partial = path.substr(0, i);
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

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parseArgs(argc, argv, o, error)) {
        std::fprintf(stderr, "varnex: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    const bool suggest = o.command == "suggest";
    const bool notify = o.command == "notify";
    if (o.command == "help" || o.command == "--help" || o.command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if ((!suggest && !notify) || (suggest && o.args.size() != 1) || (notify && o.args.size() != 2)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!o.now.empty() && !setClock(o.now, error)) return fail(error);

    if (o.resources.empty()) o.resources = defaultResources();
    if (o.resources.empty()) return fail("no resource tree installed beside the library; pass --resources DIR");
    if (!isDirectory(o.resources + "/1.0"))
        return fail("no resource tree at \"" + o.resources + "\" (it must hold the \"1.0\" directory)");
    if (o.data.empty()) o.data = defaultDataDir();
    if (!makeDirectories(o.data) || ::access(o.data.c_str(), W_OK | X_OK) != 0)
        return fail("data directory \"" + o.data + "\" cannot be created or written");
    if (o.data.back() != '/') o.data += '/';

    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    if (api == nullptr) return fail("the engine could not be created");
    if (o.verbose) Varnex::setLogLevel(Varnex::LOG_DEBUG);
    if (!api->openEngine(o.resources, o.data))
        std::fprintf(stderr, "varnex: the engine opened without its learning databases; suggestions still work\n");

    int status = 0;
    if (suggest) {
        std::vector<std::string> replies;
        api->findReply("", o.sender, o.args[0], replies);
        for (const auto& r : replies) std::printf("%s\n", r.c_str());
    } else {
        api->notify("", o.sender, o.args[0], o.args[1], false);
    }
    api->closeEngine();
    destroy(api);
    return status;
}
