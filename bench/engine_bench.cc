// The whole engine as a host sees it, through the host API, on the shipped
// resources with both learning stores:
//
//   varnex-engine-bench [--resources DIR] [--messages FILE] [--rounds N] [--opens N]
//
// prints the time to open an engine, the resident memory of a process with
// one open engine, the time of findReply over every message of the file
// (median, 90th and 99th percentiles, worst) and of notify, each beside its
// target. As a floor, the same messages are also scanned once with a
// double-array trie of a shipped phrase-rule file (a search at every byte
// offset, what one dictionary detector does), and findReply is shown as a
// multiple of that scan.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
    return values[i];
}

// A line of /proc/self/status, in kB.
long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, std::string(field).size(), field) == 0) return std::atol(line.c_str() + std::string(field).size() + 1);
    return -1;
}

void row(const char* what, double value, const char* unit, double target) {
    std::printf("%-34s %10.1f %-3s", what, value, unit);
    if (target > 0) std::printf("   target <= %.0f %s  %s", target, unit, value <= target ? "ok" : "OVER");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string resources = VARNEX_BUILD_RESOURCE_DIR, messagesPath = VARNEX_BENCH_MESSAGES;
    int rounds = 3, openCount = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--resources") resources = argv[i + 1];
        else if (option == "--messages") messagesPath = argv[i + 1];
        else if (option == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--opens") openCount = std::max(0, std::atoi(argv[i + 1]));
    }
    std::vector<std::string> messages;
    {
        std::ifstream in(messagesPath);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) messages.push_back(line);
    }
    if (messages.empty()) {
        std::fprintf(stderr, "varnex-engine-bench: no messages in %s\n", messagesPath.c_str());
        return 1;
    }
    char dataTemplate[] = "/tmp/varnex-bench-XXXXXX";
    if (::mkdtemp(dataTemplate) == nullptr) return 1;
    const std::string data = std::string(dataTemplate) + "/";
    const long rssBefore = statusKb("VmRSS:");

    // Opening: the first open makes the stores and the key; later ones find them.
    std::vector<double> opens;
    for (int i = 0; i <= openCount; ++i) {
        auto* api = static_cast<SmartReplyAPIWrapper*>(create());
        const auto start = Clock::now();
        const bool opened = api->openEngine(resources, data);
        const auto took = Clock::now() - start;
        destroy(api);
        if (!opened) {
            std::fprintf(stderr, "varnex-engine-bench: the engine did not open on %s\n", resources.c_str());
            return 1;
        }
        if (i > 0) opens.push_back(microseconds(took) / 1000.0);
    }
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    api->openEngine(resources, data);
    const long rssOpen = statusKb("VmRSS:");

    // findReply, every message `rounds` times; the first round warms up.
    std::vector<double> finds;
    size_t answered = 0;
    for (int round = 0; round <= rounds; ++round) {
        for (const auto& m : messages) {
            std::vector<std::string> replies;
            const auto start = Clock::now();
            api->findReply("", "bench", m, replies);
            const auto took = Clock::now() - start;
            if (round == 0) continue;
            finds.push_back(microseconds(took));
            if (round == 1 && !replies.empty()) ++answered;
        }
    }
    const long rssAfter = statusKb("VmRSS:");

    // notify: what the user sent, to a few senders in turn.
    std::vector<double> notifies;
    for (size_t i = 0; i < 300; ++i) {
        const std::string& m = messages[i % messages.size()];
        const auto start = Clock::now();
        api->notify("", "sender" + std::to_string(i % 7), m, i % 2 ? "고마워 ㅎㅎ" : "네 알겠습니다", false);
        notifies.push_back(microseconds(Clock::now() - start));
    }
    destroy(api);

    // The floor: one double-array scan of each message.
    Varnex::DoubleArrayTrie trie;
    {
        std::vector<std::string> lines;
        Varnex::Utilities::StringUtil::load(resources + "/1.0/model/greeting.rule.enc", lines, true);
        for (const auto& line : lines) {
            const size_t tab = line.find('\t');
            // "label TAB phrase"
            if (tab != std::string::npos && tab > 0) trie.insert(line.substr(tab + 1), line.substr(0, tab));
        }
        trie.build();
    }
    std::vector<double> scans;
    size_t hits = 0;
    for (int round = 0; round <= rounds; ++round) {
        for (const auto& m : messages) {
            std::vector<std::pair<std::string, std::string>> found;
            const auto start = Clock::now();
            for (int p = 0; p < static_cast<int>(m.size()); ++p) {
                found.clear();
                int length = 0;
                if (trie.search(m, p, found, length, true, false)) ++hits;
            }
            if (round > 0) scans.push_back(microseconds(Clock::now() - start));
        }
    }

    std::printf("%zu messages x %d rounds, %zu answered; resources %s\n\n", messages.size(), rounds, answered,
                resources.c_str());
    row("openEngine median", percentile(opens, 0.5), "ms", 60);
    row("openEngine worst", percentile(opens, 1.0), "ms", 0);
    row("resident memory, engine open", static_cast<double>(rssOpen) / 1024.0, "MB", 32);
    row("  of which before opening", static_cast<double>(rssBefore) / 1024.0, "MB", 0);
    row("resident memory after the messages", static_cast<double>(rssAfter) / 1024.0, "MB", 0);
    row("findReply median", percentile(finds, 0.5), "us", 60);
    row("findReply 90th percentile", percentile(finds, 0.9), "us", 0);
    row("findReply 99th percentile", percentile(finds, 0.99), "us", 500);
    row("findReply worst", percentile(finds, 1.0), "us", 0);
    row("notify median", percentile(notifies, 0.5) / 1000.0, "ms", 1);
    row("notify 99th percentile", percentile(notifies, 0.99) / 1000.0, "ms", 0);
    const double floor = percentile(scans, 0.5);
    std::printf("%-34s %10.2f us   (%zu keys, %zu hits)\n", "double-array scan median (floor)", floor, trie.size(), hits);
    std::printf("%-34s %10.0f x\n", "findReply median / floor", floor > 0 ? percentile(finds, 0.5) / floor : 0.0);
    const std::string cleanup = "rm -rf '" + std::string(dataTemplate) + "'";
    if (std::system(cleanup.c_str()) != 0) return 1;
    return 0;
}
