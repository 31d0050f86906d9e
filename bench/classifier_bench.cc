// Time to turn one 40-character chat message into features and classify it
// with a linear model of realistic size, through the engine's own classes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Varnex/AnnotationBasedClassifier.h"
#include "Varnex/ClassificationAnnotator.h"
#include "Varnex/FeatureSetFactory.h"
#include "Varnex/Model.h"
#include "Varnex/Utilities/StringUtil.h"

namespace {

// 40 characters, spaces and punctuation included.
const std::string kMessage = "오늘 저녁에 시간 괜찮으면 같이 밥 먹을래? 내가 맛있는 거 사 줄게!!";

struct Fixture {
    Varnex::FeatureSet features;
    std::shared_ptr<Varnex::AnnotationBasedClassifier> classifier;
    Varnex::ClassificationAnnotator annotator;

    Fixture() {
        if (Varnex::Utilities::StringUtil::getLength(kMessage) != 40) {
            std::fprintf(stderr, "the benchmark message must be 40 characters long\n");
            std::abort();
        }
        if (!Varnex::FeatureSetFactory::build("ngram", {}, features)) std::abort();
        // An index of some thousands of features, as a trained model has:
        // the message's own features and those of many made-up words.
        auto index = std::make_shared<Varnex::SVMFeatureIndex>(1);
        Varnex::SVMFeatureVector fill(index);
        features.extract(Varnex::Annotation(kMessage), fill);
        const std::vector<std::string> syllables = {"가", "나", "다", "라", "마", "바", "사", "아", "자", "차",
                                                    "카", "타", "파", "하", "요", "네", "죠", "까", "?", "!"};
        std::mt19937 random(3);
        for (int message = 0; message < 1000; ++message) {
            std::string text;
            for (int word = 0; word < 5; ++word) {
                for (int k = 0, n = 2 + random() % 4; k < n; ++k) text += syllables[random() % syllables.size()];
                text += ' ';
            }
            features.extract(Varnex::Annotation(text), fill);
        }
        std::vector<double> weights;
        std::uniform_real_distribution<double> w(-2.0, 2.0);
        for (int i = 0; i <= index->getFeatureNumber(); ++i) weights.push_back(w(random));
        auto model = std::make_shared<Varnex::Model>();
        if (!model->assign(Varnex::Model::L2R_LR, {0, 1}, {"FALSE", "TRUE"}, 1.0f, index->getFeatureNumber(),
                           weights, index))
            std::abort();
        classifier = features.makeClassifier();
        classifier->loadModel(model);
        annotator.setClassifier("question", classifier);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ExtractFeatures(benchmark::State& state) {
    Fixture& f = fixture();
    Varnex::Annotation annotation(kMessage);
    for (auto _ : state) {
        auto vector = f.classifier->makeFeatureVector();
        f.features.extract(annotation, *vector);
        benchmark::DoNotOptimize(vector->getFeatureMap().size());
    }
}
BENCHMARK(BM_ExtractFeatures);

void BM_ClassifyVector(benchmark::State& state) {
    Fixture& f = fixture();
    auto vector = f.classifier->makeFeatureVector();
    f.features.extract(Varnex::Annotation(kMessage), *vector);
    for (auto _ : state) benchmark::DoNotOptimize(f.classifier->Varnex::SVMClassifier::classify(*vector));
}
BENCHMARK(BM_ClassifyVector);

// Extraction and classification together: what one message costs.
void BM_ExtractAndClassify(benchmark::State& state) {
    Fixture& f = fixture();
    Varnex::Annotation annotation(kMessage);
    for (auto _ : state) benchmark::DoNotOptimize(f.classifier->classify(annotation));
    state.counters["model_features"] = f.classifier->getNumFeatures();
}
BENCHMARK(BM_ExtractAndClassify);

void BM_ClassificationAnnotator(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        Varnex::Annotation annotation(kMessage);
        f.annotator.process(annotation);
        benchmark::DoNotOptimize(annotation.classifications.size());
    }
}
BENCHMARK(BM_ClassificationAnnotator);

}  // namespace
BENCHMARK_MAIN();
