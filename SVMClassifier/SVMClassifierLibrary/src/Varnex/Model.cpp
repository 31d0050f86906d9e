#include "Varnex/Model.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <numeric>
#include <utility>

#include "Varnex/Log.h"
#include "Varnex/ModelTextParsing.h"
#include "Varnex/Utilities/Files.h"

namespace Varnex {

namespace {

const char* const kTag = "SVMClassifier/SVMClassifierLibrary/src/Varnex/Model";

// No keyword, name or number of a model file comes near this length.
constexpr size_t kMaxTokenLength = 300;
// Weights are read into a vector that grows with the values actually
// present, starting from at most this many, so a header announcing a huge
// matrix costs nothing until the file really holds it.
constexpr long long kInitialWeightReserve = 1 << 16;

struct SolverName {
    int code;
    const char* name;
};

const SolverName kSolverNames[] = {
    {Model::L2R_LR, "L2R_LR"},
    {Model::L2R_L2LOSS_SVC_DUAL, "L2R_L2LOSS_SVC_DUAL"},
    {Model::L2R_L2LOSS_SVC, "L2R_L2LOSS_SVC"},
    {Model::L2R_L1LOSS_SVC_DUAL, "L2R_L1LOSS_SVC_DUAL"},
    {Model::MCSVM_CS, "MCSVM_CS"},
    {Model::L1R_L2LOSS_SVC, "L1R_L2LOSS_SVC"},
    {Model::L1R_LR, "L1R_LR"},
    {Model::L2R_LR_DUAL, "L2R_LR_DUAL"},
    {Model::L2R_L2LOSS_SVR, "L2R_L2LOSS_SVR"},
    {Model::L2R_L2LOSS_SVR_DUAL, "L2R_L2LOSS_SVR_DUAL"},
    {Model::L2R_L1LOSS_SVR_DUAL, "L2R_L1LOSS_SVR_DUAL"},
};

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Whitespace-separated tokens of a stream, with one token of push-back.
class TokenReader {
public:
    enum Result { TOKEN, END, BAD };

    explicit TokenReader(std::FILE* f) : in(f) {}

    // BAD for a read error or a token longer than kMaxTokenLength.
    Result next(std::string& token) {
        if (hasPushed) {
            hasPushed = false;
            token.swap(pushed);
            newlineBefore = pushedNewline;
            return TOKEN;
        }
        token.clear();
        // The character that ended the previous token is already consumed:
        // when it was the line feed, this token starts a line. Without this a
        // row written without a trailing space ("0.5\n") would run on into
        // the next one.
        newlineBefore = endedByNewline;
        endedByNewline = false;
        int c;
        while ((c = getc_unlocked(in)) != EOF && isSpace(c))
            if (c == '\n') newlineBefore = true;
        if (c == EOF) return std::ferror(in) ? BAD : END;
        do {
            if (token.size() >= kMaxTokenLength) return BAD;
            token.push_back(static_cast<char>(c));
        } while ((c = getc_unlocked(in)) != EOF && !isSpace(c));
        endedByNewline = c == '\n';
        return std::ferror(in) ? BAD : TOKEN;
    }

    void unread(std::string& token) {
        pushed.swap(token);
        pushedNewline = newlineBefore;
        hasPushed = true;
    }

    // Whether a line ended between the previous token and the last one.
    bool startsLine() const { return newlineBefore; }

private:
    std::FILE* in;
    std::string pushed;
    bool hasPushed = false;
    bool newlineBefore = false;
    bool endedByNewline = false;
    bool pushedNewline = false;
};

// A value read from a model file, as log lines quote it.
std::string found(const std::string& value) {
    return value.empty() ? std::string("nothing") : "[" + TextParsing::excerpt(value) + "]";
}

int classSizeFor(int classNumber, int solverType) {
    return (classNumber == 2 && solverType != Model::MCSVM_CS) ? 1 : classNumber;
}

// A file written under a temporary name beside its target; removed again
// unless it was moved into place.
class PendingFile {
public:
    explicit PendingFile(const std::string& target) : target(target) {}
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (!temp.empty()) ::unlink(temp.c_str());
    }

    enum Result { OK, OPEN_FAILED, WRITE_FAILED };

    Result write(const std::string& content) {
        std::string pattern = target + ".XXXXXX";
        int fd = ::mkstemp(&pattern[0]);
        if (fd < 0) return OPEN_FAILED;
        temp = pattern;
        // mkstemp creates the file readable by its owner only; a model is
        // a resource that everyone may read.
        ::fchmod(fd, 0644);
        std::FILE* out = ::fdopen(fd, "wb");
        if (!out) {
            ::close(fd);
            return OPEN_FAILED;
        }
        bool ok = std::fwrite(content.data(), 1, content.size(), out) == content.size();
        ok = ok && std::fflush(out) == 0 && ::fsync(fd) == 0;
        ok = (std::fclose(out) == 0) && ok;
        if (!ok) error = errno;
        return ok ? OK : WRITE_FAILED;
    }

    // Renames an existing target (a file or a link, never a directory) to a
    // fresh name beside it, so that it can be put back.
    bool moveOldAside() {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;
            error = errno;
            return false;
        }
        // A directory is left where it is: the new file cannot replace it,
        // and placing the new file reports that.
        if (S_ISDIR(st.st_mode)) return true;
        std::string pattern = target + ".old-XXXXXX";
        int fd = ::mkstemp(&pattern[0]);
        if (fd < 0) {
            error = errno;
            return false;
        }
        ::close(fd);
        if (::rename(target.c_str(), pattern.c_str()) != 0) {
            error = errno;
            ::unlink(pattern.c_str());
            return false;
        }
        backup = pattern;
        return true;
    }

    bool place() {
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            error = errno;
            return false;
        }
        temp.clear();
        placed = true;
        return true;
    }

    // Undoes place() and moveOldAside(); false (with the reason logged) when
    // the old file could not be put back.
    bool restore() {
        if (placed) ::unlink(target.c_str());
        placed = false;
        if (backup.empty()) return true;
        if (::rename(backup.c_str(), target.c_str()) != 0) {
            varnex_print_log(LOG_ERROR, kTag, "The old file [%s] could not be put back from [%s]: %s", target.c_str(),
                             backup.c_str(), std::strerror(errno));
            return false;
        }
        backup.clear();
        return true;
    }

    void dropOld() {
        if (!backup.empty() && ::unlink(backup.c_str()) != 0)
            varnex_print_log(LOG_WARN, kTag, "The replaced file [%s] could not be removed: %s", backup.c_str(),
                             std::strerror(errno));
        backup.clear();
    }

    const std::string& name() const { return target; }
    const char* reason() const { return std::strerror(error); }

private:
    std::string target;
    std::string temp;
    std::string backup;
    bool placed = false;
    int error = 0;
};

// Puts three written files in place of their targets so that a failure
// leaves either all old or all new files: every old target is renamed aside
// first, then the new files are renamed in; when any step fails, what was
// done is undone in reverse.
bool replaceAll(PendingFile* const (&files)[3]) {
    auto undo = [&](int done) {
        for (int j = done - 1; j >= 0; --j) files[j]->restore();
    };
    for (int i = 0; i < 3; ++i) {
        if (!files[i]->moveOldAside()) {
            varnex_print_log(LOG_ERROR, kTag, "Can't move the old file [%s] aside: %s", files[i]->name().c_str(),
                             files[i]->reason());
            undo(i);
            return false;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (!files[i]->place()) {
            varnex_print_log(LOG_ERROR, kTag, "Can't move the new file into place as [%s]: %s",
                             files[i]->name().c_str(), files[i]->reason());
            undo(3);
            return false;
        }
    }
    for (PendingFile* f : files) f->dropOld();
    return true;
}

}  // namespace

Model::~Model() { destroy(); }

void Model::destroy() {
    weights.clear();
    weights.shrink_to_fit();
    featureIndex.reset();
    classIndexes.clear();
    classNames.clear();
    bias = 0.0f;
    classNumber = 0;
    featureNumber = 0;
    solverType = NONE;
    isLoaded = false;
    featureSize = 0;
    classSize = 0;
}

int Model::getSolverType(const char* name) {
    if (!name) return NONE;
    for (const auto& s : kSolverNames)
        if (std::strcmp(s.name, name) == 0) return s.code;
    return NONE;
}

const char* Model::getSolverName(int code) {
    for (const auto& s : kSolverNames)
        if (s.code == code) return s.name;
    return "NONE";
}

std::string Model::getTypeString() const { return getSolverName(solverType); }

void Model::normalizeSolverType() {
    if (getTypeString() == "NONE") solverType = NONE;
}

std::shared_ptr<SVMFeatureVector> Model::makeFeatureVector() const {
    return std::make_shared<SVMFeatureVector>(featureIndex);
}

bool Model::load(const std::string& modelPath, const std::string& categoryPath, const std::string& indexPath) {
    varnex_print_log(LOG_DEBUG, kTag, "Loading model from [model = %s], [catgories = %s], [features = %s]",
                     modelPath.c_str(), categoryPath.c_str(), indexPath.c_str());
    // A file that is not there is only a warning here: whether the model
    // is needed is the caller's decision. A file that is there but damaged
    // is an error, reported by the parser.
    auto open = [](const std::string& path) {
        std::FILE* f = Utilities::isRegularFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
        if (!f) varnex_print_log(LOG_WARN, kTag, "Model file %s: %s\n", path.c_str(), Utilities::describeUnreadable(path));
        return f;
    };
    std::FILE* modelFile = open(modelPath);
    std::FILE* categoryFile = open(categoryPath);
    std::FILE* indexFile = open(indexPath);
    bool ok = false;
    if (categoryFile && modelFile && indexFile) ok = load(modelFile, categoryFile, indexFile, modelPath, categoryPath, indexPath);
    if (categoryFile) std::fclose(categoryFile);
    if (modelFile) std::fclose(modelFile);
    if (indexFile) std::fclose(indexFile);
    if (!ok) destroy();
    return ok;
}

bool Model::load(std::FILE* modelFile, std::FILE* categoryFile, std::FILE* indexFile, const std::string& modelName,
                 const std::string& categoryName, const std::string& indexName) {
    bool ok = false;
    try {
        Model fresh;
        if (fresh.parse(modelFile, categoryFile, indexFile, modelName, categoryName, indexName)) {
            *this = std::move(fresh);
            ok = true;
        } else {
            // The reasons above may name only one of the three files; this
            // line names the model whatever failed.
            varnex_print_log(LOG_ERROR, kTag, "Model [%s] is not loaded\n", modelName.c_str());
        }
    } catch (const std::exception& e) {
        varnex_print_log(LOG_ERROR, kTag, "Model [%s] could not be loaded: %s", modelName.c_str(), e.what());
    } catch (...) {
        varnex_print_log(LOG_ERROR, kTag, "Model [%s] could not be loaded", modelName.c_str());
    }
    if (!ok) {
        destroy();
        return false;
    }
    varnex_print_log(LOG_DEBUG, kTag,
                     "Model is loaded from [model file = %s] [category labels file = %s] [fearure index file = %s]",
                     modelName.c_str(), categoryName.c_str(), indexName.c_str());
    return true;
}

bool Model::parse(std::FILE* modelFile, std::FILE* categoryFile, std::FILE* indexFile, const std::string& modelName,
                  const std::string& categoryName, const std::string& indexName) {
    if (!modelFile || !categoryFile || !indexFile) {
        varnex_print_log(LOG_ERROR, kTag, "Error: Failed to open model files. ");
        return false;
    }
    TokenReader reader(modelFile);
    std::string token, value;
    bool seenSolver = false, seenClasses = false, seenLabels = false, seenFeatures = false, seenBias = false,
         seenWeights = false;

    // Reads the next token as one value of the current section.
    auto nextValue = [&]() {
        TokenReader::Result r = reader.next(value);
        if (r == TokenReader::BAD)
            varnex_print_log(LOG_ERROR, kTag, "Model file [%s] is unreadable or holds an overlong token",
                             modelName.c_str());
        return r == TokenReader::TOKEN;
    };

    for (;;) {
        TokenReader::Result r = reader.next(token);
        if (r == TokenReader::END) break;
        if (r == TokenReader::BAD) {
            varnex_print_log(LOG_ERROR, kTag, "Model file [%s] is unreadable or holds an overlong token",
                             modelName.c_str());
            return false;
        }
        bool* seen = token == "solver_type" ? &seenSolver
                     : token == "nr_class"  ? &seenClasses
                     : token == "label"     ? &seenLabels
                     : token == "nr_feature" ? &seenFeatures
                     : token == "bias"      ? &seenBias
                     : token == "w"         ? &seenWeights
                                            : nullptr;
        if (!seen) {
            varnex_print_log(LOG_ERROR, kTag, "Label is not recognized [%s]", TextParsing::excerpt(token).c_str());
            return false;
        }
        if (*seen) {
            varnex_print_log(LOG_ERROR, kTag, "Section [%s] appears twice in [%s]", token.c_str(), modelName.c_str());
            return false;
        }
        *seen = true;

        bool sectionOk = true;
        if (token == "solver_type") {
            if (nextValue() && value.find('\0') == std::string::npos) solverType = getSolverType(value.c_str());
            if (solverType == NONE) {
                varnex_print_log(LOG_ERROR, kTag, "Failed to load solver type (found %s)", found(value).c_str());
                sectionOk = false;
            } else {
                varnex_print_log(LOG_DEBUG, kTag, "Solver type: %s\n", value.c_str());
            }
        } else if (token == "nr_class") {
            int n = 0;
            if (nextValue() && TextParsing::parseInt(value, n) && n >= MIN_CLASS_NUMBER && n <= MAX_CLASS_NUMBER) {
                classNumber = n;
                classSize = classSizeFor(classNumber, solverType);
                varnex_print_log(LOG_DEBUG, kTag, "input classes = %d", classSize);
            } else {
                varnex_print_log(LOG_ERROR, kTag, "Failed to load class number  of classes (found %s)", found(value).c_str());
                sectionOk = false;
            }
        } else if (token == "label") {
            for (int i = 0; i < classNumber; ++i) {
                int label = 0;
                if (!nextValue() || !TextParsing::parseInt(value, label)) {
                    varnex_print_log(LOG_ERROR, kTag, "Failed to load class label number: %d (found %s)", i, found(value).c_str());
                    sectionOk = false;
                    break;
                }
                classIndexes.push_back(label);
            }
        } else if (token == "nr_feature") {
            int n = 0;
            if (!nextValue() || !TextParsing::parseInt(value, n) || n > MAX_FEATURE_NUMBER) {
                varnex_print_log(LOG_ERROR, kTag, "Failed to load number of features (found %s)", found(value).c_str());
                sectionOk = false;
            } else if (n < 0) {
                varnex_print_log(LOG_ERROR, kTag, "Negative number of features [%d]", n);
                sectionOk = false;
            } else {
                featureNumber = n;
            }
        } else if (token == "bias") {
            double b = 0.0;
            TokenReader::Result br = reader.next(value);
            if (br == TokenReader::BAD) {
                varnex_print_log(LOG_ERROR, kTag, "Model file [%s] is unreadable or holds an overlong token",
                                 modelName.c_str());
                sectionOk = false;
            } else if (br == TokenReader::TOKEN && TextParsing::parseDouble(value, b) && std::fabs(b) <= FLT_MAX) {
                bias = static_cast<float>(b);
                varnex_print_log(LOG_DEBUG, kTag, "Bias = %f", static_cast<double>(bias));
            } else {
                // Not fatal by itself: the value is left for the next section.
                varnex_print_log(LOG_ERROR, kTag, "Failed to load bias (found %s)", found(value).c_str());
                if (br == TokenReader::TOKEN) reader.unread(value);
            }
        } else {  // "w"
            if (!seenClasses || !seenFeatures) {
                varnex_print_log(LOG_ERROR, kTag, "Weights of [%s] come before nr_class and nr_feature",
                                 modelName.c_str());
                return false;
            }
            long long rows = static_cast<long long>(featureNumber) + (bias >= 0 ? 1 : 0);
            long long cols = classSizeFor(classNumber, solverType);
            long long count = rows * cols;
            varnex_print_log(LOG_DEBUG, kTag, "features = %lld", rows);
            if (count > MAX_WEIGHT_COUNT) {
                varnex_print_log(LOG_ERROR, kTag, "Weight matrix of [%s] is too large: %lld x %lld values",
                                 modelName.c_str(), rows, cols);
                return false;
            }
            weights.clear();
            weights.reserve(static_cast<size_t>(std::min(count, kInitialWeightReserve)));
            // Rows stand one to a line (the first may share the "w" line):
            // a line with more or fewer values than columns means the file
            // was written for another shape.
            auto badLine = [&](long long row) {
                varnex_print_log(LOG_ERROR, kTag, "Weight row %lld of [%s] does not hold %lld values on its line", row,
                                 modelName.c_str(), cols);
                sectionOk = false;
            };
            for (long long row = 0; row < rows && sectionOk; ++row) {
                for (long long col = 0; col < cols; ++col) {
                    double w = 0.0;
                    if (!nextValue() || !TextParsing::parseDouble(value, w)) {
                        varnex_print_log(LOG_ERROR, kTag, "Failed to load W [%lld][%lld] (found %s)", row, col, found(value).c_str());
                        sectionOk = false;
                        break;
                    }
                    bool newLine = reader.startsLine();
                    if ((col > 0 && newLine) || (col == 0 && row > 0 && !newLine)) {
                        badLine(col > 0 ? row : row - 1);
                        break;
                    }
                    weights.push_back(w);
                }
            }
            if (sectionOk && rows > 0) {
                TokenReader::Result after = reader.next(value);
                if (after == TokenReader::BAD) {
                    varnex_print_log(LOG_ERROR, kTag, "Model file [%s] is unreadable or holds an overlong token",
                                     modelName.c_str());
                    sectionOk = false;
                } else if (after == TokenReader::TOKEN && !reader.startsLine()) {
                    badLine(rows - 1);
                } else if (after == TokenReader::TOKEN) {
                    reader.unread(value);
                }
            }
            if (sectionOk) varnex_print_log(LOG_DEBUG, kTag, "Loaded %lld weights", count);
        }
        if (!sectionOk) {
            varnex_print_log(LOG_ERROR, kTag, "Section [%s] of [%s] cannot be read", token.c_str(), modelName.c_str());
            return false;
        }
    }

    if (classNumber == 0 || featureNumber < 0 || solverType == NONE) {
        varnex_print_log(LOG_ERROR, kTag, "Model is not loaded from [%s]", modelName.c_str());
        return false;
    }
    if (!seenWeights) {
        varnex_print_log(LOG_ERROR, kTag, "Model file [%s] has no weights (\"w\" section)", modelName.c_str());
        varnex_print_log(LOG_ERROR, kTag, "Model is not loaded from [%s]", modelName.c_str());
        return false;
    }

    TokenReader names(categoryFile);
    std::string name;
    while (static_cast<int>(classNames.size()) < classNumber) {
        TokenReader::Result r = names.next(name);
        if (r == TokenReader::END) break;
        if (r == TokenReader::BAD) {
            varnex_print_log(LOG_ERROR, kTag, "Category file [%s] is unreadable or holds an overlong name",
                             categoryName.c_str());
            return false;
        }
        classNames.push_back(name);
    }

    featureIndex = std::make_shared<SVMFeatureIndex>(0);
    if (!featureIndex->readFromStream(indexFile, indexName, featureNumber)) {
        varnex_print_log(LOG_ERROR, kTag, "Failed to read feature index from [%s]", indexName.c_str());
        return false;
    }
    return validate(modelName + " / " + categoryName + " / " + indexName);
}

bool Model::validate(const std::string& source) {
    isLoaded = false;
    const char* src = source.c_str();
    if (getSolverType(getTypeString().c_str()) == NONE || classNumber < MIN_CLASS_NUMBER ||
        classNumber > MAX_CLASS_NUMBER || featureNumber < 0 || featureNumber > MAX_FEATURE_NUMBER ||
        !std::isfinite(bias)) {
        varnex_print_log(LOG_ERROR, kTag, "Model is not loaded from [%s]", src);
        return false;
    }
    featureSize = featureNumber + (bias >= 0 ? 1 : 0);
    classSize = classSizeFor(classNumber, solverType);
    long long expected = static_cast<long long>(featureSize) * classSize;
    if (expected > MAX_WEIGHT_COUNT || static_cast<long long>(weights.size()) != expected) {
        varnex_print_log(LOG_ERROR, kTag, "Weights of [%s] hold %zu values where %d x %d are needed", src,
                         weights.size(), featureSize, classSize);
        return false;
    }
    for (double w : weights)
        if (!std::isfinite(w)) {
            varnex_print_log(LOG_ERROR, kTag, "Weights of [%s] hold a value that is not finite", src);
            return false;
        }
    if (static_cast<int>(classNames.size()) < classNumber) {
        varnex_print_log(LOG_ERROR, kTag, "Categories of [%s] name %zu classes where %d are needed", src,
                         classNames.size(), classNumber);
        return false;
    }
    classNames.resize(classNumber);
    // Results are keyed by name: two classes of one name would merge.
    std::vector<std::string> sortedNames(classNames);
    std::sort(sortedNames.begin(), sortedNames.end());
    auto twice = std::adjacent_find(sortedNames.begin(), sortedNames.end());
    if (twice != sortedNames.end()) {
        varnex_print_log(LOG_ERROR, kTag, "Categories of [%s] name the class [%s] twice", src,
                         TextParsing::excerpt(*twice).c_str());
        return false;
    }
    if (classIndexes.empty()) {
        classIndexes.resize(classNumber);
        std::iota(classIndexes.begin(), classIndexes.end(), 0);
    }
    if (static_cast<int>(classIndexes.size()) != classNumber) {
        varnex_print_log(LOG_ERROR, kTag, "Model [%s] has %zu labels for %d classes", src, classIndexes.size(),
                         classNumber);
        return false;
    }
    std::vector<char> labelSeen(classNumber, 0);
    for (int label : classIndexes) {
        if (label < 0 || label >= classNumber) {
            varnex_print_log(LOG_ERROR, kTag, "Class label %d of [%s] has no category name (labels 0 .. %d)", label,
                             src, classNumber - 1);
            return false;
        }
        if (labelSeen[label]++) {
            varnex_print_log(LOG_ERROR, kTag, "Class label %d of [%s] appears twice", label, src);
            return false;
        }
    }
    if (!featureIndex) {
        varnex_print_log(LOG_ERROR, kTag, "Feature index is 0");
        return false;
    }
    if (featureIndex->getFeatureNumber() != featureNumber) {
        varnex_print_log(LOG_ERROR, kTag, "Number of features is not compatible [%d][%d]",
                         featureIndex->getFeatureNumber(), featureNumber);
        return false;
    }
    const int offset = featureIndex->getOffset();
    if (offset < 0) {
        varnex_print_log(LOG_ERROR, kTag, "Feature index of [%s] has a negative offset %d", src, offset);
        return false;
    }
    // Every feature of the index owns exactly one weight row.
    std::vector<char> rowSeen(featureNumber, 0);
    bool rowsMatch = true;
    featureIndex->forEachEntry([&](int hash, int index) {
        const long long row = static_cast<long long>(index) - offset;
        if (!rowsMatch) return;
        if (row < 0 || row >= featureNumber || rowSeen[static_cast<size_t>(row)]++) {
            varnex_print_log(LOG_ERROR, kTag, "Feature index entry [%d:%d] of [%s] does not match the weight rows",
                             hash, index, src);
            rowsMatch = false;
        }
    });
    if (!rowsMatch) return false;
    featureIndex->freeze();
    isLoaded = true;
    return true;
}

bool Model::assign(int solver, const std::vector<int>& labels, const std::vector<std::string>& names, float b,
                   int features, std::vector<double> w, std::shared_ptr<SVMFeatureIndex> index) {
    try {
        destroy();
        solverType = solver;
        classNumber = static_cast<int>(labels.size());
        classIndexes = labels;
        classNames = names;
        bias = b;
        featureNumber = features;
        weights = std::move(w);
        featureIndex = std::move(index);
        if (classNumber == 0) classNumber = static_cast<int>(names.size());
        if (validate("trained model")) return true;
    } catch (const std::exception& e) {
        varnex_print_log(LOG_ERROR, kTag, "Model could not be assigned: %s", e.what());
    }
    destroy();
    return false;
}

int Model::prune(double threshold) {
    if (!isLoaded) return -1;
    std::vector<int> newRow(featureNumber, -1);
    std::vector<double> kept;
    kept.reserve(weights.size());
    int keptRows = 0;
    for (int r = 0; r < featureNumber; ++r) {
        const double* row = &weights[static_cast<size_t>(r) * classSize];
        bool keep = false;
        for (int c = 0; c < classSize; ++c)
            if (std::fabs(row[c]) >= threshold) keep = true;
        if (!keep) continue;
        newRow[r] = keptRows++;
        kept.insert(kept.end(), row, row + classSize);
    }
    if (featureSize > featureNumber) {
        const double* biasRow = &weights[static_cast<size_t>(featureNumber) * classSize];
        kept.insert(kept.end(), biasRow, biasRow + classSize);
    }
    const int offset = featureIndex->getOffset();
    std::unordered_map<int, int> entries;
    entries.reserve(keptRows);
    for (const auto& e : featureIndex->getEntries()) {
        int r = newRow[e.second - offset];
        if (r >= 0) entries.emplace(e.first, offset + r);
    }
    int removed = featureNumber - keptRows;
    weights.swap(kept);
    featureIndex = std::make_shared<SVMFeatureIndex>(entries, offset);
    featureNumber = keptRows;
    featureSize = featureNumber + (bias >= 0 ? 1 : 0);
    return removed;
}

bool Model::save(const std::string& modelPath, const std::string& categoryPath, const std::string& indexPath) const {
    if (!isLoaded) {
        varnex_print_log(LOG_ERROR, kTag, "Model is not created. Save failed.");
        return false;
    }
    if (!featureIndex) {
        varnex_print_log(LOG_ERROR, kTag, "Feature index is 0");
        return false;
    }
    try {
        std::string model;
        model.reserve(128 + weights.size() * 14);
        model += "solver_type ";
        model += getTypeString();
        model += "\nnr_class ";
        TextParsing::appendInt(model, classNumber);
        model += "\nlabel ";
        for (int label : classIndexes) {
            TextParsing::appendInt(model, label);
            model += ' ';
        }
        model += "\nnr_feature ";
        TextParsing::appendInt(model, featureNumber);
        model += "\nbias ";
        TextParsing::appendGeneral(model, static_cast<double>(bias));
        model += "\nw ";
        for (int r = 0; r < featureSize; ++r) {
            for (int c = 0; c < classSize; ++c) {
                TextParsing::appendGeneral(model, weights[static_cast<size_t>(r) * classSize + c]);
                model += ' ';
            }
            model += '\n';
        }
        std::string categories;
        for (const auto& name : classNames) categories += name + "\n";

        PendingFile modelOut(modelPath), categoryOut(categoryPath), indexOut(indexPath);
        switch (modelOut.write(model)) {
            case PendingFile::OK: break;
            case PendingFile::OPEN_FAILED:
                varnex_print_log(LOG_ERROR, kTag, "File can't be open for write [%s]", modelPath.c_str());
                return false;
            case PendingFile::WRITE_FAILED:
                varnex_print_log(LOG_ERROR, kTag, "Can't write model file [%s]: %s", modelPath.c_str(),
                                 modelOut.reason());
                return false;
        }
        varnex_print_log(LOG_DEBUG, kTag, "Stored %d weights", featureSize * classSize);
        switch (categoryOut.write(categories)) {
            case PendingFile::OK: break;
            case PendingFile::OPEN_FAILED:
                varnex_print_log(LOG_ERROR, kTag, "Can't create/open file for categories [%s]", categoryPath.c_str());
                return false;
            case PendingFile::WRITE_FAILED:
                varnex_print_log(LOG_ERROR, kTag, "Can't write file for categories [%s]", categoryPath.c_str());
                return false;
        }
        switch (indexOut.write(featureIndex->toText())) {
            case PendingFile::OK: break;
            case PendingFile::OPEN_FAILED:
                varnex_print_log(LOG_ERROR, kTag, "Can't open SVM feature index file for write [%s]",
                                 indexPath.c_str());
                varnex_print_log(LOG_ERROR, kTag, "Failed to save feature index to [%s]", indexPath.c_str());
                return false;
            case PendingFile::WRITE_FAILED:
                varnex_print_log(LOG_ERROR, kTag, "Failed to save feature index to [%s]", indexPath.c_str());
                return false;
        }
        PendingFile* const files[3] = {&modelOut, &categoryOut, &indexOut};
        if (!replaceAll(files)) return false;
    } catch (const std::exception& e) {
        varnex_print_log(LOG_ERROR, kTag, "Model could not be saved to [%s]: %s", modelPath.c_str(), e.what());
        return false;
    }
    varnex_print_log(LOG_INFO, kTag, "Model saved successfully to [%s]", modelPath.c_str());
    varnex_print_log(LOG_INFO, kTag, "Model categories saved successfully to [%s]", categoryPath.c_str());
    varnex_print_log(LOG_INFO, kTag, "Model features index saved successfully to [%s]", indexPath.c_str());
    return true;
}

}  // namespace Varnex
