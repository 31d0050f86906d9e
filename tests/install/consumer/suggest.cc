// The C++ interface of the installed package, with the resource tree its
// CMake package names.
#include <SmartReplyAPIWrapper.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    auto* api = static_cast<SmartReplyAPIWrapper*>(create());
    std::vector<std::string> replies;
    bool ok = api->openEngine(VARNEX_RESOURCE_DIR, std::string(argv[1]) + "/") &&
              api->findReply("", "Mina", "생일 축하해!", replies);
    for (const auto& r : replies) std::printf("%s\n", r.c_str());
    destroy(api);
    return ok ? 0 : 1;
}
