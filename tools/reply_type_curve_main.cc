// varnex-reply-type-curve: how the reply-type fallback would do on labelled
// messages, for choosing its thresholds.
//
//   varnex-reply-type-curve [--resources DIR] [--list] --test FILE
//
// FILE holds "reply type TAB message" lines (data/reply_type/reply_type.test.tsv,
// with "none" for no type). Each message goes through the engine's analysis
// of the packed tree DIR (by default the build's) as the fallback would see
// it, whatever the shipped thresholds say. Printed: how many messages the
// rules left open, the accuracy of the models' best type, and for a range of
// thresholds, globally and per type, how many open messages would be
// filled, how many correctly, the precision and the coverage (correct fills
// over open messages of a type the models know). --list first prints every
// open message with its label, the models' best type and its probability.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Varnex/KoreanMessageAnalyzer.h"
#include "Varnex/KoreanReplyTypeFallback.h"
#include "Varnex/KoreanResourcePaths.h"
#include "Varnex/KoreanVocabulary.h"
#include "Varnex/LabelledData.h"
#include "Varnex/Log.h"

#ifndef VARNEX_BUILD_RESOURCE_DIR
#define VARNEX_BUILD_RESOURCE_DIR ""
#endif

namespace {

namespace R = Varnex::KoreanResource;

struct Outcome {
    std::string label;
    bool modelType = false;  // the label is a type the models know
    bool open = false;       // left to the fallback
    std::string best;        // the models' best type (open or not)
    Varnex::ReplyTypeGuess guess;
};

struct Count {
    int filled = 0, correct = 0;
};

double ratio(int a, int b) { return b ? static_cast<double>(a) / b : 0.0; }

void printRow(const char* name, double threshold, const Count& c, int typed) {
    std::printf("%-16s %5.2f %7d %7d %9.3f %9.3f\n", name, threshold, c.filled, c.correct, ratio(c.correct, c.filled),
                ratio(c.correct, typed));
}

}  // namespace

int main(int argc, char** argv) {
    std::string resources = VARNEX_BUILD_RESOURCE_DIR, test;
    bool usable = true, list = false;
    for (int i = 1; i < argc && usable; ++i) {
        const std::string a = argv[i];
        if (a == "--list") {
            list = true;
            continue;
        }
        usable = (a == "--resources" || a == "--test") && i + 1 < argc;
        if (usable) (a == "--test" ? test : resources) = argv[++i];
    }
    if (!usable || test.empty()) {
        std::fprintf(stderr, "usage: varnex-reply-type-curve [--resources DIR] [--list] --test FILE\n");
        return 2;
    }
    Varnex::setLogLevel(Varnex::LOG_ERROR);
    std::vector<Varnex::LabelledExample> examples;
    std::vector<Varnex::LabelledDataProblem> problems;
    if (!Varnex::LabelledData::read(test, {}, examples, problems) || examples.empty()) {
        std::fprintf(stderr, "varnex-reply-type-curve: no labelled messages in %s\n", test.c_str());
        return 1;
    }
    Varnex::_KoreanMessageAnalyzer analyzer(resources, nullptr);
    const Varnex::KoreanReplyTypeFallback fallback(R::model(resources, R::REPLY_TYPE_MODEL_DIR),
                                                   Varnex::Category::REPLY_TYPE, R::REPLY_TYPE_MODELS,
                                                   std::map<std::string, double>());
    if (!fallback.enabled()) {
        std::fprintf(stderr, "varnex-reply-type-curve: no reply-type model under %s\n", resources.c_str());
        return 1;
    }
    const std::set<std::string> known(R::REPLY_TYPE_MODELS.begin(), R::REPLY_TYPE_MODELS.end());

    std::vector<Outcome> outcomes;
    int typed = 0, bestRight = 0, open = 0, openTyped = 0, openBestRight = 0;
    std::map<std::string, int> openOfType;
    for (const auto& e : examples) {
        Outcome o;
        o.label = e.label;
        o.modelType = known.count(e.label) > 0;
        Varnex::Annotation a;
        analyzer.analyze("", e.text, a);
        // The view before the fallback: without what it filled in, nor the
        // plain acknowledgement, which is decided after it.
        for (auto it = a.classifications.begin(); it != a.classifications.end();)
            it = it->second.getRuleId(Varnex::Label::TRUE_LABEL) == Varnex::KoreanRuleId::MODEL ||
                         it->first == Varnex::KoreanCategory::REPLY_ACK
                     ? a.classifications.erase(it)
                     : std::next(it);
        double top = -1.0;
        for (const auto& [category, p] : fallback.getDetector()->scores(a))
            if (p > top) top = p, o.best = category.substr(Varnex::Category::REPLY_TYPE_PREFIX_LENGTH);
        o.open = fallback.guess(a, o.guess);
        if (o.modelType) {
            ++typed;
            if (o.best == o.label) ++bestRight;
        }
        if (o.open) {
            ++open;
            if (o.modelType) ++openTyped, ++openOfType[o.label], openBestRight += o.guess.type == o.label;
        }
        if (list && o.open)
            std::printf("%-16s %-16s %.3f\t%s\n", o.label.c_str(), o.guess.type.c_str(), o.guess.probability,
                        e.text.c_str());
        outcomes.push_back(o);
    }

    std::printf("%zu held-out messages, %d of a type the models know; %d left open by the rules, %d of those typed\n",
                outcomes.size(), typed, open, openTyped);
    std::printf("best type of the models: accuracy %.3f on the typed messages, %.3f on the typed open ones\n",
                ratio(bestRight, typed), ratio(openBestRight, openTyped));
    std::printf("\n%-16s %5s %7s %7s %9s %9s\n", "type", "thr", "filled", "correct", "precision", "coverage");
    std::vector<std::string> rows = {"(all)"};
    rows.insert(rows.end(), R::REPLY_TYPE_MODELS.begin(), R::REPLY_TYPE_MODELS.end());
    for (const std::string& type : rows) {
        for (int step = 0; step <= 9; ++step) {
            const double threshold = 0.5 + 0.05 * step;
            Count c;
            for (const auto& o : outcomes) {
                if (!o.open || o.guess.probability < threshold || (type != "(all)" && o.guess.type != type)) continue;
                ++c.filled;
                if (o.guess.type == o.label) ++c.correct;
            }
            printRow(type.c_str(), threshold, c, type == "(all)" ? openTyped : openOfType[type]);
        }
    }
    return 0;
}
