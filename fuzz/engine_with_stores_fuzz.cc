// The whole engine with both learning stores: any sender, message and reply
// recorded with notifyReply and then answered with findReply never crashes,
// hangs, corrupts the stores or suggests more than ten replies.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Varnex/KoreanAutoReplyEngine.h"
#include "Varnex/Log.h"

namespace {
Varnex::KoreanAutoReplyEngine& engine() {
    static Varnex::KoreanAutoReplyEngine* e = [] {
        Varnex::setLogLevel(static_cast<Varnex::LogType>(4));  // keep the fuzzer's output readable
        char dir[] = "/tmp/varnex-fuzz-stores-XXXXXX";
        if (::mkdtemp(dir) == nullptr) std::abort();
        auto* made = new Varnex::KoreanAutoReplyEngine(VARNEX_BUILD_RESOURCE_DIR, std::string(dir) + "/");
        if (!made->init()) std::abort();
        return made;
    }();
    return *e;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first two bytes cut the rest into sender, message and reply.
    if (size < 2) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const size_t first = rest.empty() ? 0 : data[0] % (rest.size() + 1);
    const size_t second = first + (rest.size() - first == 0 ? 0 : data[1] % (rest.size() - first + 1));
    const std::string sender = rest.substr(0, first), message = rest.substr(first, second - first),
                      reply = rest.substr(second);
    engine().notifyReply(sender, message, reply, nullptr);
    std::vector<Varnex::Reply> replies;
    engine().findReply(sender, message, replies, nullptr);
    if (replies.size() > 10) std::abort();
    return 0;
}
