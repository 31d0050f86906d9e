// Any message, any sender: the Korean engine on the packed resources never
// crashes, hangs or suggests more than ten replies.
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
        return new Varnex::KoreanAutoReplyEngine(VARNEX_BUILD_RESOURCE_DIR);
    }();
    return *e;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte splits the input into sender and message.
    const size_t cut = size == 0 ? 0 : data[0] % (size);
    const std::string sender(reinterpret_cast<const char*>(data), cut);
    const std::string message(reinterpret_cast<const char*>(data) + cut, size - cut);
    std::vector<Varnex::Reply> replies;
    engine().findReply(sender, message, replies, nullptr);
    if (replies.size() > 10) std::abort();
    return 0;
}
