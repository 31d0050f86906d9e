// The scenario table and the reply corpus on any text, stored plain and
// scrambled, then asked for the replies of a message analysis.
//
// Input: the scenario table, a zero byte, the corpus, a zero byte, then
// reply-type keys (one a line; a line "emotion=X" sets the emotion).
//
// Loading never crashes; a table that cannot be read is named among the
// unreadable tables; found replies come from the corpus, one line of text
// each without placeholders; plain and scrambled files find the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "Varnex/Annotation.h"
#include "Varnex/ReplyScenarioRepository.h"
#include "Varnex/Vocabulary.h"

namespace {

using Varnex::ContextType;

std::vector<std::string> replies(const Varnex::ReplyScenarioRepository& repo, const Varnex::Annotation& a,
                                 const std::set<ContextType>& contexts) {
    std::vector<std::string> out;
    for (const char* level : {Varnex::Label::HIGH, Varnex::Label::NORMAL, Varnex::Label::FALSE_LABEL}) {
        std::vector<Varnex::ReplyScenario> found;
        repo.findCorpus(a, contexts, level, found);
        for (const auto& s : found) {
            for (const auto& r : s.toReply()) {
                if (r.text.find('%') != std::string::npos || r.text.find('\n') != std::string::npos ||
                    r.text.find('\t') != std::string::npos)
                    std::abort();
                out.push_back(r.text);
            }
            out.push_back("|");
        }
        out.push_back("||");
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    VarnexFuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> in = VarnexFuzz::parts(data, size, 3);
    const std::string& scenarios = in[0];
    const std::string& corpus = in[1];

    Varnex::Annotation a("메시지");
    size_t start = 0, keys = 0;
    while (start < in[2].size() && keys < 16) {
        size_t nl = in[2].find('\n', start);
        if (nl == std::string::npos) nl = in[2].size();
        const std::string line = in[2].substr(start, nl - start);
        if (line.compare(0, 8, "emotion=") == 0) {
            a.addCategory(Varnex::Category::EMOTION, line.substr(8));
        } else {
            a.addCategory(Varnex::Category::REPLY_TYPE_PREFIX + line, Varnex::Label::TRUE_LABEL);
            ++keys;
        }
        start = nl + 1;
    }
    std::set<ContextType> contexts;
    for (int c = Varnex::CONTEXT_MORNING; c <= Varnex::CONTEXT_SENDER_NOT_IN_CONTACT; ++c)
        if (size % 3 != 0 || c % 2 == 0) contexts.insert(static_cast<ContextType>(c));

    using Varnex::ReplyScenarioRepository;
    const std::string scenarioPath = VarnexFuzz::writeScratch("s.table", scenarios);
    const std::string corpusPath = VarnexFuzz::writeScratch("c.table", corpus);
    const ReplyScenarioRepository plain(scenarioPath, corpusPath);
    const ReplyScenarioRepository scrambled(VarnexFuzz::writeScratch("s.table.enc", VarnexFuzz::scrambled(scenarios)),
                                            VarnexFuzz::writeScratch("c.table.enc", VarnexFuzz::scrambled(corpus)));
    const ReplyScenarioRepository raw(VarnexFuzz::writeScratch("raw-s.table.enc", scenarios),
                                      VarnexFuzz::writeScratch("raw-c.table.enc", corpus));

    // An empty table is a table that could not be read.
    const auto& unreadable = plain.getUnreadableTables();
    if (plain.size() == 0 && unreadable.empty()) std::abort();
    for (const auto& r : {&plain, &scrambled, &raw})
        if (r->getUnreadableTables().size() > 2) std::abort();

    const std::vector<std::string> fromPlain = replies(plain, a, contexts);
    if (VarnexFuzz::readingsComparable(scenarios) && VarnexFuzz::readingsComparable(corpus)) {
        if (scrambled.size() != plain.size() || scrambled.getUnreadableTables().size() != unreadable.size() ||
            scrambled.getCorpus().size() != plain.getCorpus().size() || replies(scrambled, a, contexts) != fromPlain)
            std::abort();
    }
    replies(raw, a, contexts);
    return 0;
}
