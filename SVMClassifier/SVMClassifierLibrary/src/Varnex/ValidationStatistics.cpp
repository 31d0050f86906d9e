#include "Varnex/ValidationStatistics.h"

#include <algorithm>
#include <cstdio>

namespace Varnex {

const std::string ValidationStatistics::TOTAL_NAME = "~Total";
const std::string ValidationStatistics::NO_PREDICTION = "(none)";

namespace {
double ratio(double a, double b) { return b > 0 ? a / b : 0.0; }
}

void ValidationStatistics::addCategory(const std::string& name) { categories.insert(name); }

void ValidationStatistics::add(const std::string& expected, const std::string& predicted) {
    const std::string& p = predicted.empty() ? NO_PREDICTION : predicted;
    categories.insert(expected);
    categories.insert(p);
    ++confusion[{expected, p}];
    ++count;
    if (expected == p) ++hits;
}

double ValidationStatistics::accuracy() const { return ratio(static_cast<double>(hits), static_cast<double>(count)); }

std::vector<CategoryStatistics> ValidationStatistics::rows() const {
    std::vector<CategoryStatistics> out;
    CategoryStatistics total;
    total.name = TOTAL_NAME;
    for (const auto& c : categories) {
        CategoryStatistics s;
        s.name = c;
        for (const auto& cell : confusion) {
            bool expected = cell.first.first == c, predicted = cell.first.second == c;
            if (expected && predicted)
                s.truePositives += cell.second;
            else if (predicted)
                s.falsePositives += cell.second;
            else if (expected)
                s.falseNegatives += cell.second;
        }
        s.trueNegatives = count - s.truePositives - s.falsePositives - s.falseNegatives;
        s.accuracy = ratio(static_cast<double>(s.truePositives + s.trueNegatives), static_cast<double>(count));
        s.precision = ratio(static_cast<double>(s.truePositives), static_cast<double>(s.truePositives + s.falsePositives));
        s.recall = ratio(static_cast<double>(s.truePositives), static_cast<double>(s.truePositives + s.falseNegatives));
        s.f1 = ratio(2 * s.precision * s.recall, s.precision + s.recall);
        total.truePositives += s.truePositives;
        total.falsePositives += s.falsePositives;
        total.falseNegatives += s.falseNegatives;
        total.trueNegatives += s.trueNegatives;
        total.precision += s.precision;
        total.recall += s.recall;
        total.f1 += s.f1;
        out.push_back(s);
    }
    const double n = static_cast<double>(categories.size());
    total.accuracy = accuracy();
    total.precision = ratio(total.precision, n);
    total.recall = ratio(total.recall, n);
    total.f1 = ratio(total.f1, n);
    out.push_back(total);
    return out;
}

std::string ValidationStatistics::toTable() const {
    std::vector<CategoryStatistics> all = rows();
    int width = 10;
    for (const auto& r : all) width = std::max(width, static_cast<int>(r.name.size()));
    std::string out;
    char line[512];
    std::snprintf(line, sizeof line, "%-*s %8s %8s %8s %8s %9s %9s %9s %9s\n", width, "category", "TP", "FP", "FN",
                  "TN", "accuracy", "F1", "precision", "recall");
    out += line;
    for (const auto& r : all) {
        std::snprintf(line, sizeof line, "%-*s %8lld %8lld %8lld %8lld %9.4f %9.4f %9.4f %9.4f\n", width,
                      r.name.c_str(), r.truePositives, r.falsePositives, r.falseNegatives, r.trueNegatives,
                      r.accuracy, r.f1, r.precision, r.recall);
        out += line;
    }
    return out;
}

}  // namespace Varnex
