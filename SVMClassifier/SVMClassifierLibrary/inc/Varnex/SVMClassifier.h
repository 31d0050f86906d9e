// Evaluates a loaded linear Model on a feature vector and gives a
// probability per class name.
//
// Decision values are the weighted sums of the vector's features (plus the
// bias row when the bias is positive); each is turned into a probability by
// the logistic function; a two-class model gets the complement for its
// second class; more classes are rescaled to sum to one. A classifier whose
// model is not loaded classifies nothing: empty results.
//
// classify and predict only read the model, so one loaded classifier may
// serve several threads; loading must finish before the first call.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/Model.h"
#include "Varnex/SVMFeatureVector.h"

namespace Varnex {

class SVMClassifier {
public:
    SVMClassifier();
    explicit SVMClassifier(std::shared_ptr<Model> model);

    // Model::load on this classifier's model.
    bool loadModel(const std::string& modelPath, const std::string& categoryPath, const std::string& indexPath);
    // Replaces the model; returns whether the new one is loaded.
    bool loadModel(std::shared_ptr<Model> model);

    bool loaded() const;
    // The model's feature and class counts, or -1 when not loaded.
    int getNumFeatures() const;
    int getNumClasses() const;
    const std::shared_ptr<Model>& getModel() const { return model; }

    std::shared_ptr<SVMFeatureVector> makeFeatureVector() const;

    // One decision value per weight column.
    std::vector<double> solveLinear(const SVMFeatureVector& vector) const;
    // The same for a vector keyed by feature-name hashes, read through this
    // model's index (features it does not know count for nothing).
    std::vector<double> solveLinearByHash(const SVMFeatureVector& byHash) const;
    // Logistic of every value; a two-class model with one value gets 1 - p
    // appended for its second class.
    std::vector<double>& normalize(std::vector<double>& scores) const;
    // Divides every value by their sum.
    static std::vector<double>& probabilities(std::vector<double>& scores);
    // Column i's score under the name of the class of label i.
    std::map<std::string, double> convertToNamedFeaturesMap(const std::vector<double>& scores) const;

    std::map<std::string, double> classify(const SVMFeatureVector& vector) const;
    std::map<std::string, double> classifyByHash(const SVMFeatureVector& byHash) const;
    // The most probable class name (the first in name order among equals),
    // or "" when there is no result.
    std::string predict(const SVMFeatureVector& vector) const;
    static std::string bestClass(const std::map<std::string, double>& scores);

protected:
    std::shared_ptr<Model> model;

private:
    std::map<std::string, double> classifyAs(const SVMFeatureVector& vector, bool byHash) const;
};

}  // namespace Varnex
