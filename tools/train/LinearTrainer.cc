#include "LinearTrainer.h"

#include <linear.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace VarnexTrain {

namespace {

void quiet(const char*) {}
void toStderr(const char* s) { std::fputs(s, stderr); }

// The vector's features as LIBLINEAR nodes, by index, without zero values,
// then the bias node when `bias` >= 0 and the end mark.
std::vector<feature_node> nodes(const Varnex::SVMFeatureVector& vector, int featureCount, double bias) {
    std::vector<feature_node> out;
    out.reserve(vector.getFeatureMap().size() + 2);
    for (const auto& f : vector.getFeatureMap())
        if (f.second != 0.0f && f.first >= 1 && f.first <= featureCount)
            out.push_back({f.first, static_cast<double>(f.second)});
    std::sort(out.begin(), out.end(), [](const feature_node& a, const feature_node& b) { return a.index < b.index; });
    if (bias >= 0) out.push_back({featureCount + 1, bias});
    out.push_back({-1, 0.0});
    return out;
}

}  // namespace

bool isClassificationSolver(int solver) {
    switch (solver) {
        case L2R_LR:
        case L2R_L2LOSS_SVC_DUAL:
        case L2R_L2LOSS_SVC:
        case L2R_L1LOSS_SVC_DUAL:
        case MCSVM_CS:
        case L1R_L2LOSS_SVC:
        case L1R_LR:
        case L2R_LR_DUAL:
            return true;
        default:
            return false;
    }
}

double defaultEpsilon(int solver) {
    switch (solver) {
        case L2R_LR:
        case L2R_L2LOSS_SVC:
        case L1R_L2LOSS_SVC:
        case L1R_LR:
            return 0.01;
        default:
            return 0.1;
    }
}

bool train(const std::vector<const Varnex::SVMFeatureVector*>& vectors, const std::vector<int>& classes,
           const std::vector<std::string>& classNames, const std::shared_ptr<Varnex::SVMFeatureIndex>& index,
           const TrainerParameters& parameters, Varnex::Model& result, std::string& error) {
    if (vectors.empty() || vectors.size() != classes.size() || !index) {
        error = "no training messages";
        return false;
    }
    if (index->getOffset() != 1) {
        error = "the feature index must number features from 1";
        return false;
    }
    set_print_string_function(parameters.verbose ? toStderr : quiet);
    const int featureCount = index->getFeatureNumber();

    std::vector<std::vector<feature_node>> rows;
    rows.reserve(vectors.size());
    std::vector<feature_node*> x;
    std::vector<double> y;
    for (size_t i = 0; i < vectors.size(); ++i) {
        rows.push_back(nodes(*vectors[i], featureCount, parameters.bias));
        y.push_back(classes[i]);
    }
    for (auto& r : rows) x.push_back(r.data());

    problem prob;
    prob.l = static_cast<int>(rows.size());
    prob.n = featureCount + (parameters.bias >= 0 ? 1 : 0);
    prob.y = y.data();
    prob.x = x.data();
    prob.bias = parameters.bias;

    parameter param;
    std::memset(&param, 0, sizeof param);
    param.solver_type = parameters.solver;
    param.C = parameters.C;
    param.eps = parameters.eps > 0 ? parameters.eps : defaultEpsilon(parameters.solver);
    param.p = 0.1;
    if (const char* problemText = check_parameter(&prob, &param)) {
        error = problemText;
        return false;
    }
    ::model* trained = ::train(&prob, &param);
    if (!trained) {
        error = "LIBLINEAR could not train a model";
        return false;
    }
    bool ok = false;
    if (trained->nr_class < 2) {
        error = "the training messages hold a single category";
    } else {
        const int nrClass = trained->nr_class;
        const int columns = (nrClass == 2 && parameters.solver != MCSVM_CS) ? 1 : nrClass;
        const long long rowsOfW = static_cast<long long>(trained->nr_feature) + (trained->bias >= 0 ? 1 : 0);
        std::vector<double> weights(trained->w, trained->w + rowsOfW * columns);
        std::vector<std::string> names;
        std::vector<int> labels;
        for (int c = 0; c < nrClass; ++c) {
            names.push_back(classNames.at(static_cast<size_t>(trained->label[c])));
            labels.push_back(c);
        }
        ok = result.assign(parameters.solver, labels, names, static_cast<float>(trained->bias), trained->nr_feature,
                          std::move(weights), index);
        if (!ok) error = "the trained weights do not form a valid model";
    }
    free_and_destroy_model(&trained);
    return ok;
}

bool liblinearProbabilities(const Varnex::Model& m, const Varnex::SVMFeatureVector& vector,
                            std::vector<std::pair<std::string, double>>& out) {
    out.clear();
    if (!m.loaded()) return false;
    model lm;
    std::memset(&lm, 0, sizeof lm);
    lm.param.solver_type = m.getType();
    lm.nr_class = m.getClassNumber();
    lm.nr_feature = m.getFeatureNumber();
    lm.bias = m.getBias();
    std::vector<double> w = m.getWeights();
    std::vector<int> labels = m.getClassIndexes();
    lm.w = w.data();
    lm.label = labels.data();
    if (!check_probability_model(&lm)) return false;
    std::vector<feature_node> x = nodes(vector, m.getFeatureNumber(), m.getBias() >= 0 ? m.getBias() : -1.0);
    std::vector<double> estimates(static_cast<size_t>(lm.nr_class));
    predict_probability(&lm, x.data(), estimates.data());
    for (int c = 0; c < lm.nr_class; ++c)
        out.emplace_back(m.getClassNames()[static_cast<size_t>(labels[c])], estimates[static_cast<size_t>(c)]);
    return true;
}

}  // namespace VarnexTrain
