// Validation counts of a classifier on labelled messages, per category:
// true and false positives and negatives, accuracy, F1, precision and
// recall, printed as a table with a summary row named TOTAL_NAME.
//
// For a category c over N messages: TP = expected c and predicted c;
// FP = predicted c, expected another; FN = expected c, predicted another;
// TN = the rest. accuracy = (TP + TN) / N; precision = TP / (TP + FP);
// recall = TP / (TP + FN); F1 = 2 P R / (P + R); a ratio whose divisor is
// 0 is 0. The summary row sums the four counts; its accuracy is the share
// of messages whose predicted category is the expected one, and its
// precision, recall and F1 are the averages over the categories.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Varnex {

struct CategoryStatistics {
    std::string name;
    long long truePositives = 0;
    long long falsePositives = 0;
    long long falseNegatives = 0;
    long long trueNegatives = 0;
    double accuracy = 0.0;
    double precision = 0.0;
    double recall = 0.0;
    double f1 = 0.0;
};

class ValidationStatistics {
public:
    static const std::string TOTAL_NAME;  // "~Total"
    // The category counted for a message without any prediction.
    static const std::string NO_PREDICTION;  // "(none)"

    // Makes the category appear in the table even without any message.
    void addCategory(const std::string& name);
    // Counts one message; an empty `predicted` counts as NO_PREDICTION.
    void add(const std::string& expected, const std::string& predicted);

    long long total() const { return count; }
    long long correct() const { return hits; }
    // correct() / total(), 0 without messages.
    double accuracy() const;

    // One row per category in name order, then the summary row.
    std::vector<CategoryStatistics> rows() const;
    // The rows as an aligned text table with a header line.
    std::string toTable() const;

private:
    std::set<std::string> categories;
    std::map<std::pair<std::string, std::string>, long long> confusion;  // (expected, predicted) -> count
    long long count = 0;
    long long hits = 0;
};

}  // namespace Varnex
