#include "Varnex/SVMClassifier.h"

#include <cmath>
#include <utility>

#include "Varnex/Log.h"

namespace Varnex {

namespace {
const char* const kTag = "SVMClassifier/SVMClassifierLibrary/src/Varnex/SVMClassifier";
}

SVMClassifier::SVMClassifier() : model(std::make_shared<Model>()) {}

SVMClassifier::SVMClassifier(std::shared_ptr<Model> m) : model(m ? std::move(m) : std::make_shared<Model>()) {}

bool SVMClassifier::loadModel(const std::string& modelPath, const std::string& categoryPath,
                              const std::string& indexPath) {
    return model->load(modelPath, categoryPath, indexPath);
}

bool SVMClassifier::loadModel(std::shared_ptr<Model> m) {
    model = m ? std::move(m) : std::make_shared<Model>();
    return model->loaded();
}

bool SVMClassifier::loaded() const { return model->loaded(); }

int SVMClassifier::getNumFeatures() const { return loaded() ? model->getFeatureNumber() : -1; }

int SVMClassifier::getNumClasses() const { return loaded() ? model->getClassNumber() : -1; }

std::shared_ptr<SVMFeatureVector> SVMClassifier::makeFeatureVector() const { return model->makeFeatureVector(); }

namespace {
// The decision values of `model` for the features `forEach` hands to its
// callback as (index, value).
template <typename ForEach>
std::vector<double> solveWith(const Model& model, long long offset, ForEach&& forEach) {
    const int classSize = model.getClassSize();
    const int featureNumber = model.getFeatureNumber();
    const int featureSize = model.getFeatureSize();
    const double* w = model.getWeightsArray();
    std::vector<double> scores(classSize > 0 ? classSize : 0, 0.0);
    if (!w || classSize <= 0) return scores;
    forEach([&](long long index, float value) {
        long long row = index - offset;
        if (row < 0) return;
        // Rows from featureNumber on belong to the bias, never to a feature.
        if (row >= featureNumber) {
            varnex_print_log(LOG_ERROR, kTag,
                             "Feature index [%lld] is more than model support [%d]. Seems data are inompatible and "
                             "results are not predictable. Skip.",
                             row, featureSize);
            return;
        }
        const double* r = w + row * classSize;
        for (int c = 0; c < classSize; ++c) scores[c] += r[c] * value;
    });
    const double bias = model.getBias();
    if (bias > 0 && featureSize > featureNumber) {
        const double* r = w + static_cast<long long>(featureSize - 1) * classSize;
        for (int c = 0; c < classSize; ++c) scores[c] += bias * r[c];
    }
    return scores;
}
}  // namespace

std::vector<double> SVMClassifier::solveLinear(const SVMFeatureVector& vector) const {
    const auto& index = vector.getIndex() ? vector.getIndex() : model->getFeatureIndex();
    const long long offset = index ? index->getOffset() : 0;
    return solveWith(*model, offset, [&](const auto& add) {
        for (const auto& f : vector.getFeatureMap()) add(f.first, f.second);
    });
}

std::vector<double> SVMClassifier::solveLinearByHash(const SVMFeatureVector& byHash) const {
    // As solveLinear(byHash.remapped(index)), without building that vector.
    const auto index = model->getFeatureIndex();
    const long long offset = index ? index->getOffset() : 0;
    return solveWith(*model, offset, [&](const auto& add) {
        if (!byHash.isKeyedByHash() || !index) return;
        for (const auto& [hash, value] : byHash.getFeatureMap()) {
            const int i = index->getIndex(hash);
            if (i >= 0) add(i, value);
        }
    });
}

std::vector<double>& SVMClassifier::normalize(std::vector<double>& scores) const {
    for (double& s : scores) s = 1.0 / (1.0 + std::exp(-s));
    if (model->getClassNumber() == 2) {
        if (scores.size() == 1)
            scores.push_back(1.0 - scores[0]);
        else if (scores.size() != 2)
            varnex_print_log(LOG_ERROR, kTag,
                             "number of computed features for model with 2 classes should be 1, but %d actual",
                             static_cast<int>(scores.size()));
    }
    return scores;
}

std::vector<double>& SVMClassifier::probabilities(std::vector<double>& scores) {
    double sum = 0.0;
    for (double s : scores) sum += s;
    if (sum > 0.0 && std::isfinite(sum)) {
        for (double& s : scores) s /= sum;
    } else if (!scores.empty()) {
        // Every logistic value underflowed to 0: no class is preferred.
        for (double& s : scores) s = 1.0 / static_cast<double>(scores.size());
    }
    return scores;
}

std::map<std::string, double> SVMClassifier::convertToNamedFeaturesMap(const std::vector<double>& scores) const {
    std::map<std::string, double> out;
    const int classNumber = model->getClassNumber();
    if (classNumber == 0) return out;
    const auto& labels = model->getClassIndexes();
    const auto& names = model->getClassNames();
    size_t i = 0;
    for (; i < scores.size() && i < static_cast<size_t>(classNumber) && i < labels.size(); ++i) {
        int label = labels[i];
        if (label < 0 || static_cast<size_t>(label) >= names.size()) continue;
        out[names[label]] = scores[i];
    }
    if (i < static_cast<size_t>(classNumber) && classNumber != 2)
        varnex_print_log(LOG_ERROR, kTag, "result size %d - is not matched to number of classes",
                         static_cast<int>(scores.size()));
    return out;
}

std::map<std::string, double> SVMClassifier::classify(const SVMFeatureVector& vector) const {
    return classifyAs(vector, false);
}

std::map<std::string, double> SVMClassifier::classifyByHash(const SVMFeatureVector& byHash) const {
    return classifyAs(byHash, true);
}

std::map<std::string, double> SVMClassifier::classifyAs(const SVMFeatureVector& vector, bool byHash) const {
    if (!loaded()) {
        varnex_print_log(LOG_ERROR, kTag, "model is not loaded");
        return {};
    }
    std::vector<double> scores = byHash ? solveLinearByHash(vector) : solveLinear(vector);
    return convertToNamedFeaturesMap(probabilities(normalize(scores)));
}

std::string SVMClassifier::bestClass(const std::map<std::string, double>& scores) {
    std::string best;
    double bestScore = -1.0;
    for (const auto& s : scores)
        if (s.second > bestScore) {
            bestScore = s.second;
            best = s.first;
        }
    return best;
}

std::string SVMClassifier::predict(const SVMFeatureVector& vector) const {
    std::string best = bestClass(classify(vector));
    if (best.empty()) varnex_print_log(LOG_WARN, kTag, "Classification results are empty");
    return best;
}

}  // namespace Varnex
