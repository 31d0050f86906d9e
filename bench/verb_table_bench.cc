// Verb table costs: every detection in a 40-character chat message (what
// the multi-choice detector asks for), the last detection (what the question
// type detector asks for), and building the table at engine start from the
// four packed resource files or from the single-file form.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "Varnex/KoreanVerbTable.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace {

// 40 characters (92 bytes), four questions.
const char kMessage[] = "어제 그 영화 봤어? 재밌었어? 내일은 같이 저녁 먹을래? 시간 괜찮아?";

struct Files {
    std::string verb, compound, negative, exception;
};

// The packed files of the build, or the plain sources when they are missing.
Files resourceFiles() {
    const std::string packed = std::string(VARNEX_BUILD_RESOURCE_DIR) + "/1.0/model/";
    if (Varnex::Utilities::isRegularFile(packed + "yes_no_type.dictionary.enc"))
        return {packed + "yes_no_type.dictionary.enc", packed + "yes_no_compound.rule.enc",
                packed + "yes_no_negative.rule.enc", packed + "yes_no_type_exception.dictionary.enc"};
    const std::string plain = std::string(VARNEX_SOURCE_DIR) + "/resources/1.0/model/";
    return {plain + "yes_no_type.dictionary", plain + "yes_no_compound.rule", plain + "yes_no_negative.rule",
            plain + "yes_no_type_exception.dictionary"};
}

const Varnex::KoreanVerbTable& table() {
    static const Files f = resourceFiles();
    static const Varnex::KoreanVerbTable t(f.verb, f.compound, f.negative, f.exception);
    return t;
}

// The single-file form of the shipped table, written once per run and
// removed at the end.
std::string gPrebuiltPath;

const std::string& prebuiltFile() {
    static const std::string path = [] {
        const Files f = resourceFiles();
        const std::string p = "/tmp/varnex-verb-table-bench-" + std::to_string(::getpid()) + ".bin";
        if (!Varnex::KoreanVerbTable::prebuildRules(f.verb, f.compound, f.negative, f.exception, p)) return std::string();
        gPrebuiltPath = p;
        return p;
    }();
    return path;
}

void BM_DetectAll40Characters(benchmark::State& state) {
    const Varnex::KoreanVerbTable& t = table();
    const std::string message = kMessage;
    std::vector<Varnex::DetectedVerbInfo> infos;
    for (auto _ : state) {
        infos.clear();
        benchmark::DoNotOptimize(t.detectAll(message, "FALSE", infos));
    }
    state.counters["characters"] = Varnex::Utilities::StringUtil::getLength(message);
    state.counters["detections"] = static_cast<double>(infos.size());
}
BENCHMARK(BM_DetectAll40Characters);

void BM_DetectLast40Characters(benchmark::State& state) {
    const Varnex::KoreanVerbTable& t = table();
    const std::string message = kMessage;
    for (auto _ : state) {
        Varnex::DetectedVerbInfo d;
        benchmark::DoNotOptimize(t.detectLast(message, "TRUE", d));
    }
}
BENCHMARK(BM_DetectLast40Characters);

void BM_LoadFourFiles(benchmark::State& state) {
    const Files f = resourceFiles();
    int rows = 0;
    for (auto _ : state) {
        Varnex::KoreanVerbTable t(f.verb, f.compound, f.negative, f.exception);
        rows = t.getRowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_LoadFourFiles)->Unit(benchmark::kMillisecond);

void BM_LoadPrebuilt(benchmark::State& state) {
    const std::string& path = prebuiltFile();
    if (path.empty()) {
        state.SkipWithError("the single-file form could not be written");
        return;
    }
    int rows = 0;
    for (auto _ : state) {
        Varnex::KoreanVerbTable t(path);
        rows = t.getRowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) {
        std::fseek(f, 0, SEEK_END);
        state.counters["file_bytes"] = static_cast<double>(std::ftell(f));
        std::fclose(f);
    }
}
BENCHMARK(BM_LoadPrebuilt)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!gPrebuiltPath.empty()) std::remove(gPrebuiltPath.c_str());
    return 0;
}
