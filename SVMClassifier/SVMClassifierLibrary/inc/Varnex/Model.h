// One trained linear classifier: solver, classes, class names, bias,
// weight matrix and feature index, read from three plain-text files.
//
// Model file (the text model format of LIBLINEAR): whitespace-separated
// sections "solver_type NAME", "nr_class N", "label L1 .. LN",
// "nr_feature F", "bias B" and "w" followed by the weights row by row (one
// row per feature plus the bias row when B >= 0, `getClassSize()` values a
// row, one row to a line; the first may share the "w" line). Lines may end
// in "\n" or "\r\n", with or without trailing white space. Category file: the class names, whitespace-separated, in label order
// (label k names the k-th token). Feature-index file: see SVMFeatureIndex.
//
// A model is loaded only when the three files agree: every section is well
// formed, the weight matrix has exactly the size the header gives, there is
// a distinct name for every class, every label names one of them (each
// once), and
// the feature index has one entry per feature, each pointing at a weight
// row. Anything else leaves the model empty and not loaded, with an error
// logged; nothing is allocated from a header value before it is checked,
// and no exception leaves the loader.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Varnex/SVMFeatureIndex.h"
#include "Varnex/SVMFeatureVector.h"

namespace Varnex {

class Model {
public:
    static constexpr double RELATED_TRESHOLD_NOT_USED = -1.0;

    // Solver codes (LIBLINEAR's numbering); 14 stands for none.
    enum SolverType : int {
        L2R_LR = 0,
        L2R_L2LOSS_SVC_DUAL = 1,
        L2R_L2LOSS_SVC = 2,
        L2R_L1LOSS_SVC_DUAL = 3,
        MCSVM_CS = 4,
        L1R_L2LOSS_SVC = 5,
        L1R_LR = 6,
        L2R_LR_DUAL = 7,
        L2R_L2LOSS_SVR = 11,
        L2R_L2LOSS_SVR_DUAL = 12,
        L2R_L1LOSS_SVR_DUAL = 13,
        NONE = 14,
    };

    static constexpr int MIN_CLASS_NUMBER = 2;
    static constexpr int MAX_CLASS_NUMBER = 10000;
    static constexpr int MAX_FEATURE_NUMBER = 1000000;
    // Upper bound of rows x columns (plus the bias row), counted in 64 bits.
    static constexpr long long MAX_WEIGHT_COUNT = 1LL << 28;

    Model() = default;
    ~Model();
    Model(const Model&) = default;
    Model& operator=(const Model&) = default;
    Model(Model&&) = default;
    Model& operator=(Model&&) = default;

    bool load(const std::string& modelPath, const std::string& categoryPath, const std::string& indexPath);
    // The same on open streams; the names are used in log lines only.
    bool load(std::FILE* modelFile, std::FILE* categoryFile, std::FILE* indexFile, const std::string& modelName,
              const std::string& categoryName, const std::string& indexName);

    // Writes the model, category and feature-index files. Needs a loaded
    // model with a feature index (checked before any file is touched). The
    // three files are first written under temporary names beside their
    // targets; only when all three were written are the old files renamed
    // aside and the new ones renamed into place, and a failed rename puts
    // the old files back. A failed save thus leaves either all old or all
    // new files, never a new model with an old index.
    bool save(const std::string& modelPath, const std::string& categoryPath, const std::string& indexPath) const;

    // Training side: installs a freshly trained model. The arguments must
    // agree exactly as the three files must; otherwise the model is left
    // empty and false is returned. `weights` is row-major by feature.
    bool assign(int solverType, const std::vector<int>& classIndexes, const std::vector<std::string>& classNames,
                float bias, int featureNumber, std::vector<double> weights, std::shared_ptr<SVMFeatureIndex> index);

    // Training side: removes the feature rows whose weights all have an
    // absolute value below `threshold` and renumbers the feature index to
    // match. Returns the number of rows removed (-1 for a model that is not
    // loaded).
    int prune(double threshold);

    bool loaded() const { return isLoaded; }
    float getBias() const { return bias; }
    const std::vector<int>& getClassIndexes() const { return classIndexes; }
    const std::vector<std::string>& getClassNames() const { return classNames; }
    int getClassNumber() const { return classNumber; }
    int getFeatureNumber() const { return featureNumber; }
    int getType() const { return solverType; }
    std::string getTypeString() const;
    int getClassSize() const { return classSize; }
    int getFeatureSize() const { return featureSize; }
    std::shared_ptr<SVMFeatureIndex> getFeatureIndex() const { return featureIndex; }
    const double* getWeightsArray() const { return weights.empty() ? nullptr : weights.data(); }
    const std::vector<double>& getWeights() const { return weights; }

    // The code of a solver name (exact comparison); 14 for any other name
    // and for null.
    static int getSolverType(const char* name);
    // The name of a solver code; "NONE" for codes without a name.
    static const char* getSolverName(int code);
    void normalizeSolverType();

    // A new empty vector bound to this model's feature index.
    std::shared_ptr<SVMFeatureVector> makeFeatureVector() const;

    // Releases weights and feature index and clears every field.
    void destroy();

private:
    bool parse(std::FILE* modelFile, std::FILE* categoryFile, std::FILE* indexFile, const std::string& modelName,
               const std::string& categoryName, const std::string& indexName);
    // Checks that the fields agree (see the top of this file) and derives
    // the sizes; logs the first disagreement against `source`.
    bool validate(const std::string& source);

    float bias = 0.0f;
    std::shared_ptr<SVMFeatureIndex> featureIndex;
    std::vector<int> classIndexes;
    std::vector<std::string> classNames;
    int classNumber = 0;
    int featureNumber = 0;
    int solverType = NONE;
    std::vector<double> weights;
    bool isLoaded = false;
    int featureSize = 0;
    int classSize = 0;
};

}  // namespace Varnex
