// The verb table built from its four text files (verbs, compounds,
// negatives, exceptions) on any text, then detecting verbs in fixed
// questions and in the input's own lines.
//
// Input: the four files' texts separated by zero bytes. Building never
// crashes or hangs; detections lie inside the searched text, in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "Varnex/KoreanVerbTable.h"

namespace {

void detect(const Varnex::KoreanVerbTable& table, const std::string& text) {
    for (const char* honorific : {"FALSE", "TRUE"}) {
        std::vector<Varnex::DetectedVerbInfo> infos;
        const int n = table.detectAll(text, honorific, infos);
        if (n != static_cast<int>(infos.size())) std::abort();
        int previousEnd = 0;
        for (const auto& d : infos) {
            if (d.begin < previousEnd || d.end <= d.begin || d.end > static_cast<int>(text.size())) std::abort();
            previousEnd = d.end;
        }
        Varnex::DetectedVerbInfo last;
        if (table.detectLast(text, honorific, last) && (last.begin < 0 || last.end > static_cast<int>(text.size())))
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    VarnexFuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> in = VarnexFuzz::parts(data, size, 4);
    // Scrambled when the input's length is odd, so both readings are fuzzed.
    const bool scramble = size % 2 == 1;
    const char* const names[] = {"verbs.dictionary", "compound.rule", "negative.rule", "exception.dictionary"};
    std::string paths[4];
    for (int i = 0; i < 4; ++i)
        paths[i] = scramble ? VarnexFuzz::writeScratch(std::string(names[i]) + ".enc", VarnexFuzz::scrambled(in[i]))
                            : VarnexFuzz::writeScratch(names[i], in[i]);
    const Varnex::KoreanVerbTable table(paths[0], paths[1], paths[2], paths[3]);

    for (const char* text : {"밥 먹었어?", "내일 학교 가요?", "안 자?", "운동 할래 쉴래?", "가? 나? 다? ㅋㅋ", "  ?  ", ""})
        detect(table, text);
    size_t start = 0;
    for (int lines = 0; start < in[0].size() && lines < 8; ++lines) {
        size_t nl = in[0].find('\n', start);
        if (nl == std::string::npos) nl = in[0].size();
        if (nl - start < 512) detect(table, in[0].substr(start, nl - start));
        start = nl + 1;
    }
    return 0;
}
