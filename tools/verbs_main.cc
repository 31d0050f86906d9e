// varnex-verbs: shows what the verb table finds in messages, for debugging
// the verb resources.
//
//   varnex-verbs [--resources DIR | --prebuilt FILE] [--register casual|polite|both] MESSAGE...
//   varnex-verbs [--resources DIR] --prebuild OUTPUT
//
// DIR is a packed resource tree (the one holding 1.0/model/*.enc); by default
// the tree of the build. For each message every verb form found is printed,
// left to right, with its verb, sentence type, time and compound word ("glued"
// when it is glued to a syllable with no compound word in front), and
// the yes, no, not-sure and choice answers of the register(s) asked for
// (casual is what the engine uses for the honorific value "FALSE").
// --prebuild writes the table's single-file form instead.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/KoreanResourcePaths.h"
#include "Varnex/KoreanVerbTable.h"
#include "Varnex/Log.h"
#include "Varnex/Vocabulary.h"

#ifndef VARNEX_BUILD_RESOURCE_DIR
#define VARNEX_BUILD_RESOURCE_DIR ""
#endif

namespace {

const char kUsage[] =
    "usage: varnex-verbs [--resources DIR | --prebuilt FILE] [--register casual|polite|both] [--verbose] MESSAGE...\n"
    "       varnex-verbs [--resources DIR] --prebuild OUTPUT\n";

int usage(const char* problem) {
    if (problem) std::fprintf(stderr, "varnex-verbs: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

void printAnswers(const char* label, const Varnex::DetectedVerbInfo& d) {
    std::printf("      %-6s yes %s  no %s  not-sure %s  choice %s\n", label, quoted(d.yesAnswer).c_str(),
                quoted(d.noAnswer).c_str(), quoted(d.notSureAnswer).c_str(), quoted(d.choiceAnswer).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string resources = VARNEX_BUILD_RESOURCE_DIR;
    std::string prebuilt, prebuildOutput, reg = "both";
    std::vector<std::string> messages;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) return false;
            target = argv[++i];
            return true;
        };
        if (a == "--resources") {
            if (!value(resources)) return usage("--resources needs a directory");
        } else if (a == "--prebuilt") {
            if (!value(prebuilt)) return usage("--prebuilt needs a file");
        } else if (a == "--prebuild") {
            if (!value(prebuildOutput)) return usage("--prebuild needs an output file");
        } else if (a == "--register") {
            if (!value(reg) || (reg != "casual" && reg != "polite" && reg != "both"))
                return usage("--register takes casual, polite or both");
        } else if (a == "--verbose") {
            Varnex::setLogLevel(Varnex::LOG_DEBUG);
        } else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return usage(("unknown option " + a).c_str());
        } else {
            messages.push_back(a);
        }
    }
    using namespace Varnex::KoreanResource;
    const std::string verbPath = text(resources, YES_NO_TYPE);
    const std::string compoundPath = text(resources, YES_NO_COMPOUND);
    const std::string negativePath = text(resources, YES_NO_NEGATIVE);
    const std::string exceptionPath = text(resources, YES_NO_EXCEPTION);

    if (!prebuildOutput.empty()) {
        if (!messages.empty() || !prebuilt.empty()) return usage("--prebuild takes no messages and no --prebuilt");
        if (!Varnex::KoreanVerbTable::prebuildRules(verbPath, compoundPath, negativePath, exceptionPath,
                                                    prebuildOutput)) {
            std::fprintf(stderr, "varnex-verbs: could not write %s\n", prebuildOutput.c_str());
            return 1;
        }
        return 0;
    }
    if (messages.empty()) return usage("no message");

    std::unique_ptr<Varnex::KoreanVerbTable> table;
    if (!prebuilt.empty())
        table = std::make_unique<Varnex::KoreanVerbTable>(prebuilt);
    else
        table = std::make_unique<Varnex::KoreanVerbTable>(verbPath, compoundPath, negativePath, exceptionPath);
    if (table->getRowCount() == 0) {
        std::fprintf(stderr, "varnex-verbs: the verb table is empty (resources %s)\n",
                     prebuilt.empty() ? resources.c_str() : prebuilt.c_str());
        return 1;
    }

    for (const std::string& message : messages) {
        std::printf("%s\n", message.c_str());
        std::vector<Varnex::DetectedVerbInfo> casual, polite;
        table->detectAll(message, Varnex::Label::FALSE_LABEL, casual);
        table->detectAll(message, Varnex::Label::NORMAL, polite);
        if (casual.empty()) {
            std::printf("  (no verb form)\n");
            continue;
        }
        for (size_t i = 0; i < casual.size(); ++i) {
            const Varnex::DetectedVerbInfo& d = casual[i];
            std::printf("  %s [%d,%d)  verb %s  type %s  time %s  compound %s%s%s\n", quoted(d.surface).c_str(),
                        d.begin, d.end, d.verb.c_str(), d.type.c_str(), d.time.c_str(),
                        d.compoundWord.empty() ? "-" : d.compoundWord.c_str(),
                        d.compoundWord.empty() ? "" : (" (" + d.compoundValue + ")").c_str(),
                        d.glued ? "  glued" : "");
            if (reg != "polite") printAnswers("casual", d);
            if (reg != "casual" && i < polite.size()) printAnswers("polite", polite[i]);
        }
    }
    return 0;
}
