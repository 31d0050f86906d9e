// varnex-train: trains one of the engine's linear classifiers from labelled
// messages and writes its model, category and feature-index files.
//
//   varnex-train --features SET --data FILE [--output PREFIX] [options]
//
// The features come from the named feature set, built by the same factory
// the engine uses, so a model is served with exactly the features it was
// trained on. The model is evaluated by cross-validation (default 5 folds)
// or on a held-out file, and the validation table is printed; then the
// model is trained on all messages, pruned and written to PREFIX.model,
// PREFIX.category and PREFIX.index.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Varnex/Annotation.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/LabelledData.h"
#include "Varnex/Log.h"
#include "Varnex/Model.h"
#include "Varnex/ModelTextParsing.h"
#include "Varnex/ValidationStatistics.h"
#include "train/LinearTrainer.h"

namespace {

using Varnex::Annotation;
using Varnex::FeatureSet;
using Varnex::LabelledExample;
using Varnex::Model;
using Varnex::SVMFeatureIndex;
using Varnex::SVMFeatureVector;

const char kUsage[] =
    "usage: varnex-train --features SET --data FILE [--output PREFIX]\n"
    "                    [--resources DIR] [--dictionary FILE] [--labels A,B,... | --positive LABEL]\n"
    "                    [--solver NAME] [-C VALUE] [--bias VALUE] [--eps VALUE] [--prune THRESHOLD]\n"
    "                    [--folds K | --test FILE] [--seed N]\n"
    "                    [--predict FILE [--predict-output FILE]] [--verbose]\n"
    "       varnex-train --list-features\n"
    "\n"
    "  --features SET       feature set (see --list-features)\n"
    "  --data FILE          training messages, one \"label<TAB>message\" per line\n"
    "  --output PREFIX      write PREFIX.model, PREFIX.category and PREFIX.index\n"
    "  --resources DIR      resource directory the feature set reads (the \"1.0\" directory)\n"
    "  --dictionary FILE    phrase dictionary for the sets that take one\n"
    "  --labels A,B,...     the allowed labels; others are reported and skipped\n"
    "  --positive LABEL     one against the rest: messages labelled LABEL are TRUE, all others FALSE\n"
    "  --solver NAME        LIBLINEAR solver (default L2R_LR)\n"
    "  -C VALUE             cost of errors (default 1)\n"
    "  --bias VALUE         bias feature value, negative for none (default 1)\n"
    "  --eps VALUE          stopping tolerance (default: the solver's)\n"
    "  --prune THRESHOLD    drop features whose weights are all below it in absolute value (default 0.001)\n"
    "  --folds K            K-fold cross-validation (default 5; 0 for none)\n"
    "  --test FILE          evaluate on this labelled file instead of cross-validation\n"
    "  --seed N             seed of the fold assignment (default 1)\n"
    "  --predict FILE       print LIBLINEAR's class probabilities of the final model for each message\n"
    "  --predict-output F   write those probabilities to F instead of standard output\n";

struct Options {
    std::string features;
    std::string data;
    std::string output;
    std::string test;
    std::string predict;
    std::string predictOutput;
    std::string positive;
    std::vector<std::string> labels;
    Varnex::FeatureSetOptions featureOptions;
    VarnexTrain::TrainerParameters trainer;
    double prune = 0.001;
    int folds = 5;
    unsigned seed = 1;
    bool listFeatures = false;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "varnex-train: %s\n\n%s", message.c_str(), kUsage);
    return 2;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "varnex-train: %s\n", message.c_str());
    return 1;
}

bool parseNumber(const std::string& s, double& out) { return Varnex::TextParsing::parseDouble(s, out); }

bool parseArgs(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "missing value after " + a;
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--list-features") {
            o.listFeatures = true;
        } else if (a == "--verbose") {
            o.trainer.verbose = true;
        } else if (a == "--features") {
            if (!value(o.features)) return false;
        } else if (a == "--data") {
            if (!value(o.data)) return false;
        } else if (a == "--output") {
            if (!value(o.output)) return false;
        } else if (a == "--test") {
            if (!value(o.test)) return false;
        } else if (a == "--predict") {
            if (!value(o.predict)) return false;
        } else if (a == "--predict-output") {
            if (!value(o.predictOutput)) return false;
        } else if (a == "--resources") {
            if (!value(o.featureOptions.resourceRoot)) return false;
        } else if (a == "--dictionary") {
            if (!value(o.featureOptions.dictionary)) return false;
        } else if (a == "--positive") {
            if (!value(o.positive)) return false;
        } else if (a == "--labels") {
            if (!value(v)) return false;
            std::stringstream s(v);
            std::string label;
            while (std::getline(s, label, ','))
                if (!label.empty()) o.labels.push_back(label);
            if (o.labels.size() < 2) {
                error = "--labels needs at least two labels";
                return false;
            }
        } else if (a == "--solver") {
            if (!value(v)) return false;
            o.trainer.solver = Model::getSolverType(v.c_str());
            if (!VarnexTrain::isClassificationSolver(o.trainer.solver)) {
                error = "not a classification solver: " + v;
                return false;
            }
        } else if (a == "-C" || a == "--C") {
            if (!value(v)) return false;
            if (!parseNumber(v, o.trainer.C) || o.trainer.C <= 0) {
                error = "-C needs a positive number";
                return false;
            }
        } else if (a == "--bias") {
            if (!value(v)) return false;
            if (!parseNumber(v, o.trainer.bias)) {
                error = "--bias needs a number";
                return false;
            }
            if (o.trainer.bias < 0) o.trainer.bias = -1;
        } else if (a == "--eps") {
            if (!value(v)) return false;
            if (!parseNumber(v, o.trainer.eps) || o.trainer.eps <= 0) {
                error = "--eps needs a positive number";
                return false;
            }
        } else if (a == "--prune") {
            if (!value(v)) return false;
            if (!parseNumber(v, o.prune) || o.prune < 0) {
                error = "--prune needs a number of at least 0";
                return false;
            }
        } else if (a == "--folds") {
            if (!value(v)) return false;
            if (!Varnex::TextParsing::parseInt(v, o.folds) || o.folds < 0 || o.folds == 1) {
                error = "--folds needs 0 or a number of at least 2";
                return false;
            }
        } else if (a == "--seed") {
            if (!value(v)) return false;
            int seed = 0;
            if (!Varnex::TextParsing::parseInt(v, seed) || seed < 0) {
                error = "--seed needs a number of at least 0";
                return false;
            }
            o.seed = static_cast<unsigned>(seed);
        } else {
            error = "unknown argument " + a;
            return false;
        }
    }
    if (o.listFeatures) return true;
    if (o.features.empty()) {
        error = "--features is required";
        return false;
    }
    if (o.data.empty()) {
        error = "--data is required";
        return false;
    }
    if (!o.positive.empty() && !o.labels.empty()) {
        error = "--positive and --labels exclude each other";
        return false;
    }
    if (!o.predictOutput.empty() && o.predict.empty()) {
        error = "--predict-output needs --predict";
        return false;
    }
    return true;
}

// Reads labelled messages and reports every line that is not used. With
// `positive`, every label is taken and becomes TRUE (that one) or FALSE.
bool readExamples(const std::string& path, const std::set<std::string>& labels, const std::string& positive,
                  std::vector<LabelledExample>& out) {
    std::vector<Varnex::LabelledDataProblem> problems;
    if (!Varnex::LabelledData::read(path, labels, out, problems)) {
        std::fprintf(stderr, "varnex-train: can't read %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    for (const auto& p : problems)
        std::fprintf(stderr, "%s:%d: skipped: %s\n", path.c_str(), p.line, p.reason.c_str());
    if (!positive.empty())
        for (auto& e : out) e.label = e.label == positive ? "TRUE" : "FALSE";
    return true;
}

// One message as the engine sees it when the classifier runs.
struct Message {
    Annotation annotation;
    int classId = 0;
};

class Trainer {
public:
    Trainer(const Options& options, const FeatureSet& features) : options(options), features(features) {}

    void setClasses(const std::vector<std::string>& names) {
        classNames = names;
        for (size_t i = 0; i < names.size(); ++i) classIds[names[i]] = static_cast<int>(i);
    }
    const std::vector<std::string>& getClassNames() const { return classNames; }
    int classId(const std::string& name) const { return classIds.at(name); }

    std::vector<Message> prepare(const std::vector<LabelledExample>& examples) const {
        std::vector<Message> out;
        out.reserve(examples.size());
        for (const auto& e : examples) {
            Message m;
            m.annotation = Annotation(e.text);
            features.prepare(m.annotation);
            m.classId = classId(e.label);
            out.push_back(std::move(m));
        }
        return out;
    }

    // Shows every extractor all training messages, then extracts their
    // vectors into a fresh feature index numbered from 1.
    void extract(const std::vector<Message>& messages) {
        for (const auto& e : features.extractors)
            for (const auto& m : messages) e->preprocess(m.annotation);
        for (const auto& e : features.extractors) e->finish_preprocess();
        index = std::make_shared<SVMFeatureIndex>(1);
        vectors.clear();
        vectors.reserve(messages.size());
        for (const auto& m : messages) {
            SVMFeatureVector v(index);
            features.extract(m.annotation, v);
            vectors.push_back(std::move(v));
        }
        index->freeze();
    }

    // Trains on the messages at `rows` and prunes the result.
    bool trainOn(const std::vector<Message>& messages, const std::vector<size_t>& rows, Model& model,
                 std::string& error) const {
        std::vector<const SVMFeatureVector*> x;
        std::vector<int> y;
        for (size_t r : rows) {
            x.push_back(&vectors[r]);
            y.push_back(messages[r].classId);
        }
        if (!VarnexTrain::train(x, y, classNames, index, options.trainer, model, error)) return false;
        if (options.prune > 0) model.prune(options.prune);
        return true;
    }

    // The engine's classifier for `model`: this feature set's extractors
    // over the model's own (frozen, pruned) feature index.
    std::shared_ptr<Varnex::AnnotationBasedClassifier> classifier(const std::shared_ptr<Model>& model) const {
        auto c = features.makeClassifier();
        c->loadModel(model);
        return c;
    }

    bool crossValidate(const std::vector<Message>& messages, Varnex::ValidationStatistics& stats,
                       std::string& error) const {
        // Stratified folds: the messages of each class are shuffled and
        // dealt out in turn, so every fold sees every class in proportion.
        std::vector<std::vector<size_t>> byClass(classNames.size());
        for (size_t i = 0; i < messages.size(); ++i) byClass[messages[i].classId].push_back(i);
        std::mt19937 random(options.seed);
        std::vector<int> fold(messages.size());
        int next = 0;
        for (auto& rows : byClass) {
            for (size_t i = rows.size(); i > 1; --i) std::swap(rows[i - 1], rows[random() % i]);
            for (size_t r : rows) fold[r] = next++ % options.folds;
        }
        for (int k = 0; k < options.folds; ++k) {
            std::vector<size_t> trainRows, testRows;
            for (size_t i = 0; i < messages.size(); ++i) (fold[i] == k ? testRows : trainRows).push_back(i);
            if (testRows.empty()) continue;
            auto model = std::make_shared<Model>();
            std::string foldError;
            if (!trainOn(messages, trainRows, *model, foldError)) {
                // A fold whose training part holds a single class predicts it.
                std::set<int> present;
                for (size_t r : trainRows) present.insert(messages[r].classId);
                if (present.size() != 1) {
                    error = "fold " + std::to_string(k + 1) + ": " + foldError;
                    return false;
                }
                for (size_t r : testRows) stats.add(classNames[messages[r].classId], classNames[*present.begin()]);
                continue;
            }
            auto engine = classifier(model);
            for (size_t r : testRows)
                stats.add(classNames[messages[r].classId], engine->predict(messages[r].annotation));
        }
        return true;
    }

    int seenFeatures() const { return index ? index->getFeatureNumber() : 0; }

private:
    const Options& options;
    const FeatureSet& features;
    std::vector<std::string> classNames;
    std::map<std::string, int> classIds;
    std::shared_ptr<SVMFeatureIndex> index;
    std::vector<SVMFeatureVector> vectors;
};

void printTable(const std::string& title, const Varnex::ValidationStatistics& stats) {
    std::printf("%s\n%s", title.c_str(), stats.toTable().c_str());
    std::fflush(stdout);
}

// Writes "message TAB name=probability ..." per message of `path`, with the
// probabilities LIBLINEAR computes for the final model.
bool writePredictions(const Options& options, const FeatureSet& features, const std::shared_ptr<Model>& model) {
    std::ifstream in(options.predict, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "varnex-train: can't read %s\n", options.predict.c_str());
        return false;
    }
    std::FILE* out = stdout;
    if (!options.predictOutput.empty()) {
        out = std::fopen(options.predictOutput.c_str(), "wb");
        if (!out) {
            std::fprintf(stderr, "varnex-train: can't write %s: %s\n", options.predictOutput.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    std::string line;
    bool ok = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t tab = line.find('\t');
        std::string text = Varnex::TextParsing::trimmed(tab == std::string::npos ? line : line.substr(tab + 1));
        if (text.empty()) continue;
        Annotation annotation(text);
        features.prepare(annotation);
        auto vector = model->makeFeatureVector();
        features.extract(annotation, *vector);
        std::vector<std::pair<std::string, double>> probabilities;
        if (!VarnexTrain::liblinearProbabilities(*model, *vector, probabilities)) {
            std::fprintf(stderr, "varnex-train: --predict needs a logistic-regression solver\n");
            ok = false;
            break;
        }
        std::fprintf(out, "%s", text.c_str());
        for (const auto& p : probabilities) std::fprintf(out, "\t%s=%.9g", p.first.c_str(), p.second);
        std::fprintf(out, "\n");
    }
    if (out != stdout) {
        if (std::fclose(out) != 0) ok = false;
    } else if (std::fflush(out) != 0) {
        ok = false;
    }
    return ok;
}

int run(const Options& options) {
    if (options.listFeatures) {
        for (const auto& f : Varnex::FeatureSetFactory::list())
            std::printf("%-20s %s\n", f.first.c_str(), f.second.c_str());
        return 0;
    }
    FeatureSet features;
    if (!Varnex::FeatureSetFactory::build(options.features, options.featureOptions, features))
        return fail("can't build the feature set " + options.features + " (see --list-features)");

    std::set<std::string> allowed(options.labels.begin(), options.labels.end());
    std::vector<LabelledExample> examples;
    if (!readExamples(options.data, allowed, options.positive, examples)) return 1;
    if (examples.empty()) return fail("no usable training messages in " + options.data);

    // Class names in label order: as given, or sorted.
    std::vector<std::string> names = options.labels;
    if (!options.positive.empty()) names = {"TRUE", "FALSE"};
    if (names.empty()) {
        std::set<std::string> seen;
        for (const auto& e : examples) seen.insert(e.label);
        names.assign(seen.begin(), seen.end());
    }
    std::set<std::string> present;
    for (const auto& e : examples) present.insert(e.label);
    if (present.size() < 2) return fail("the training messages hold a single category; a model needs two");

    Trainer trainer(options, features);
    trainer.setClasses(names);
    std::vector<Message> messages = trainer.prepare(examples);
    trainer.extract(messages);

    std::string error;
    if (options.test.empty() && options.folds >= 2) {
        Varnex::ValidationStatistics stats;
        for (const auto& n : present) stats.addCategory(n);
        if (!trainer.crossValidate(messages, stats, error)) return fail(error);
        printTable(std::to_string(options.folds) + "-fold cross-validation on " + std::to_string(messages.size()) +
                       " messages of " + options.data + ":",
                   stats);
    }

    std::vector<size_t> all(messages.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    auto model = std::make_shared<Model>();
    if (!trainer.trainOn(messages, all, *model, error)) return fail("training failed: " + error);
    std::printf("Model: %zu messages, %d classes, %d features kept of %d seen, solver %s, C %g, bias %g\n",
                messages.size(), model->getClassNumber(), model->getFeatureNumber(), trainer.seenFeatures(),
                model->getTypeString().c_str(), options.trainer.C, static_cast<double>(model->getBias()));

    if (!options.test.empty()) {
        std::vector<LabelledExample> testExamples;
        std::set<std::string> known(names.begin(), names.end());
        if (!readExamples(options.test, options.positive.empty() ? known : std::set<std::string>(), options.positive,
                          testExamples))
            return 1;
        if (testExamples.empty()) return fail("no usable messages in " + options.test);
        Varnex::ValidationStatistics stats;
        for (const auto& n : present) stats.addCategory(n);
        auto engine = trainer.classifier(model);
        for (const auto& e : testExamples) {
            Annotation annotation(e.text);
            features.prepare(annotation);
            stats.add(e.label, engine->predict(annotation));
        }
        printTable("Held-out evaluation on " + std::to_string(testExamples.size()) + " messages of " + options.test +
                       ":",
                   stats);
    }

    if (!options.output.empty()) {
        const std::string m = options.output + ".model", c = options.output + ".category",
                          x = options.output + ".index";
        if (!model->save(m, c, x)) return fail("can't write the model files " + options.output + ".*");
        std::printf("Wrote %s, %s and %s\n", m.c_str(), c.c_str(), x.c_str());
    }
    if (!options.predict.empty() && !writePredictions(options, features, model)) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseArgs(argc, argv, options, error)) return usageError(error);
    // Errors of the engine code (unreadable resources, failed writes) are
    // worth seeing here.
    Varnex::setLogLevel(options.trainer.verbose ? Varnex::LOG_INFO : Varnex::LOG_ERROR);
    try {
        return run(options);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
