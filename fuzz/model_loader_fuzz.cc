// libFuzzer target for the model loader: the input holds the model file,
// the category file and the feature-index file, separated by NUL bytes.
// Whatever the bytes, loading must neither crash nor leave a half-loaded
// model; a model that loads must load the same without trailing white space
// and with Windows line ends, classify, save and load again to the same
// classes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Varnex/Log.h"
#include "Varnex/Model.h"
#include "Varnex/SVMClassifier.h"
#include "TextEdits.h"

namespace {

std::FILE* memoryFile(std::string& part) {
    // fmemopen refuses a zero-sized buffer; an empty part is an empty
    // anonymous file (not /dev/null, which a broken system may have left a
    // regular file that other programs write into).
    if (part.empty()) return std::tmpfile();
    return fmemopen(&part[0], part.size(), "rb");
}

bool loadFrom(Varnex::Model& model, std::string (&parts)[3]) {
    std::FILE* files[3];
    for (int i = 0; i < 3; ++i) files[i] = memoryFile(parts[i]);
    const bool loaded =
        files[0] && files[1] && files[2] && model.load(files[0], files[1], files[2], "model", "category", "index");
    for (std::FILE* f : files)
        if (f) std::fclose(f);
    return loaded;
}

using VarnexTest::crlf;
using VarnexTest::stripped;

bool sameModel(const Varnex::Model& a, const Varnex::Model& b) {
    return a.getType() == b.getType() && a.getClassNames() == b.getClassNames() &&
           a.getClassIndexes() == b.getClassIndexes() && a.getFeatureNumber() == b.getFeatureNumber() &&
           a.getBias() == b.getBias() && a.getWeights() == b.getWeights() &&
           a.getFeatureIndex()->getOffset() == b.getFeatureIndex()->getOffset() &&
           a.getFeatureIndex()->getEntries() == b.getFeatureIndex()->getEntries();
}

std::string scratch;

void removeScratch() {
    if (scratch.empty()) return;
    for (const char* ext : {".model", ".category", ".index"}) unlink((scratch + "/m" + ext).c_str());
    rmdir(scratch.c_str());
}

// A private directory for the save and reload round trip, removed at exit.
const std::string& scratchDir() {
    if (scratch.empty()) {
        char pattern[] = "/tmp/varnex-model-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        scratch = pattern;
        std::atexit(removeScratch);
    }
    return scratch;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Quiet: every rejected input logs an error.
    Varnex::setLogSink([](int, const char*, const char*) { return 0; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t end = i < 2 ? input.find('\0', start) : std::string::npos;
        if (end == std::string::npos) end = input.size();
        if (start < input.size()) parts[i] = input.substr(start, end - start);
        start = end + 1;
    }
    Varnex::Model model;
    const bool loaded = loadFrom(model, parts);
    if (loaded != model.loaded()) std::abort();
    if (!loaded) {
        if (model.getClassNumber() != 0 || model.getWeightsArray() != nullptr) std::abort();
        return 0;
    }

    // The same files after an editor stripped trailing white space, with
    // Windows line ends, and both: the same model.
    for (auto edit : {stripped, crlf, +[](const std::string& s) { return crlf(stripped(s)); }}) {
        std::string edited[3] = {edit(parts[0]), edit(parts[1]), edit(parts[2])};
        Varnex::Model other;
        if (!loadFrom(other, edited) || !sameModel(other, model)) std::abort();
    }

    auto shared = std::make_shared<Varnex::Model>(model);
    Varnex::SVMClassifier classifier(shared);
    Varnex::SVMFeatureVector vector(shared->getFeatureIndex());
    for (const auto& e : shared->getFeatureIndex()->getEntries()) vector.add(e.second, 1.0f);
    long long past = static_cast<long long>(shared->getFeatureIndex()->getOffset()) + shared->getFeatureNumber() + 3;
    if (past <= INT32_MAX) vector.add(static_cast<int>(past), 1.0f);
    auto scores = classifier.classify(vector);
    if (scores.size() != static_cast<size_t>(model.getClassNumber())) std::abort();

    const std::string base = scratchDir() + "/m";
    if (model.save(base + ".model", base + ".category", base + ".index")) {
        Varnex::Model again;
        if (!again.load(base + ".model", base + ".category", base + ".index")) std::abort();
        if (again.getClassNames() != model.getClassNames() || again.getClassIndexes() != model.getClassIndexes() ||
            again.getWeights().size() != model.getWeights().size())
            std::abort();
    }
    return 0;
}
