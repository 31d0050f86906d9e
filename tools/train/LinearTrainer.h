// Trains linear models with LIBLINEAR on feature vectors made by the
// engine's own extractors, and turns the result into a Model the engine
// loads. Only the trainer links LIBLINEAR; the engine never does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Varnex/Model.h"
#include "Varnex/SVMFeatureIndex.h"
#include "Varnex/SVMFeatureVector.h"

namespace VarnexTrain {

struct TrainerParameters {
    int solver = Varnex::Model::L2R_LR;
    double C = 1.0;
    // A bias feature with this value is added when >= 0.
    double bias = 1.0;
    // Stopping tolerance; <= 0 picks the solver's usual default.
    double eps = 0.0;
    bool verbose = false;
};

// The solver names LIBLINEAR trains classifiers with (no regression).
bool isClassificationSolver(int solver);
// LIBLINEAR's usual stopping tolerance for `solver`.
double defaultEpsilon(int solver);

// One training run. `classes[i]` is the class id (an index into
// `classNames`) of `vectors[i]`; `index` is the feature index the vectors
// were built with, with `index->getFeatureNumber()` features. On success
// `model` holds the trained weights with the classes in LIBLINEAR's column
// order; a training set with a single class fails (a Model needs two).
bool train(const std::vector<const Varnex::SVMFeatureVector*>& vectors, const std::vector<int>& classes,
           const std::vector<std::string>& classNames, const std::shared_ptr<Varnex::SVMFeatureIndex>& index,
           const TrainerParameters& parameters, Varnex::Model& model, std::string& error);

// Class probabilities as LIBLINEAR itself computes them for `model`
// (which must be a logistic-regression model) on `vector`, by class name.
// Used to check that the engine reproduces them from the written files.
bool liblinearProbabilities(const Varnex::Model& model, const Varnex::SVMFeatureVector& vector,
                            std::vector<std::pair<std::string, double>>& out);

}  // namespace VarnexTrain
