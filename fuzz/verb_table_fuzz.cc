// Feeds arbitrary bytes to the verb table's single-file loader, then runs
// detections on whatever loaded. A damaged file must be rejected as a whole
// without a crash, an unchecked allocation or a hang; an accepted one must be
// safe to search, and its detections must lie inside the searched text.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Varnex/KoreanVerbTable.h"
#include "Varnex/Log.h"

namespace {

std::string scratchPath() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/varnex-verb-table-fuzz-" + std::to_string(::getpid()) + ".bin";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Varnex::setLogSink([](int, const char*, const char*) { return 0; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratchPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Varnex::KoreanVerbTable table(path);
    std::remove(path.c_str());

    // A rejected file leaves nothing behind.
    if (table.getRowCount() == 0 && (table.compoundDictionaryCount() != 0 || !table.getExceptionRows().empty()))
        std::abort();

    static const char* const kTexts[] = {"밥 먹었어?",      "내일 와요?",   "안 자?",        "운동 할래 쉴래?",
                                         "학교 가요? 갔어?", "우리 안 갈까?", "가? 나? 다? ㅋㅋ", "  ?  ",
                                         "a b c",           ""};
    for (const char* text : kTexts) {
        const std::string t = text;
        for (const char* honorific : {"FALSE", "TRUE"}) {
            std::vector<Varnex::DetectedVerbInfo> infos;
            const int n = table.detectAll(t, honorific, infos);
            if (n != static_cast<int>(infos.size())) std::abort();
            int previousEnd = 0;
            for (const auto& d : infos) {
                if (d.begin < previousEnd || d.end <= d.begin || d.end > static_cast<int>(t.size())) std::abort();
                previousEnd = d.end;
            }
            Varnex::DetectedVerbInfo d;
            if (table.detectLast(t, honorific, d) && (d.begin < 0 || d.end > static_cast<int>(t.size())))
                std::abort();
        }
    }
    // The bytes themselves as a message, when short.
    if (size < 512) {
        const std::string t(reinterpret_cast<const char*>(data), size);
        std::vector<Varnex::DetectedVerbInfo> infos;
        table.detectAll(t, "FALSE", infos);
    }
    return 0;
}
