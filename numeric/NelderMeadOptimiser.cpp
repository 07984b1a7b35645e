#include "numeric/NelderMeadOptimiser.h"

#include <cmath>
#include <limits>

namespace math {
namespace opt {

namespace {

using Simplex = std::vector<std::vector<double> >;

void get_psum(std::vector<double>& psum, const Simplex& p) {
    for (std::size_t j = 0; j < psum.size(); ++j) {
        double sum = 0;
        for (const std::vector<double>& vertex : p) sum += vertex[j];
        psum[j] = sum;
    }
}

/// Moves the worst vertex `h` along the line through the centroid of the
/// others by `factor`, keeping the move only when it improves on `h`.
double amotry(Simplex& p, std::vector<double>& y, std::vector<double>& psum, const Objective& f, unsigned h,
              double factor) {
    const std::size_t n = psum.size();
    const double c1 = (1 - factor) / static_cast<double>(n);
    const double c2 = c1 - factor;
    std::vector<double> trial(n);
    for (std::size_t j = 0; j < n; ++j) trial[j] = psum[j] * c1 - p[h][j] * c2;
    const double y_trial = f(trial);
    if (y_trial < y[h]) {
        y[h] = y_trial;
        for (std::size_t j = 0; j < n; ++j) psum[j] += trial[j] - p[h][j];
        p[h] = trial;
    }
    return y_trial;
}

}  // namespace

NelderMeadOptimiser::NelderMeadOptimiser(double step, unsigned max_iterations)
    : step_(step), max_iterations_(max_iterations) {}

std::vector<double> NelderMeadOptimiser::maximise(const Objective& f, const std::vector<double>& start,
                                                  double tolerance) const {
    const NegativeObjectiveFunction negative(f);
    return minimise(negative, start, tolerance);
}

std::vector<double> NelderMeadOptimiser::minimise(const Objective& f, const std::vector<double>& start,
                                                  double tolerance) const {
    return amoeba(f, start, tolerance);
}

std::vector<double> NelderMeadOptimiser::amoeba(const Objective& f, const std::vector<double>& start,
                                                double tolerance) const {
    const unsigned n = static_cast<unsigned>(start.size());
    Simplex p(n + 1, start);
    for (unsigned i = 0; i < n; ++i) p[i][i] += step_;
    std::vector<double> y(n + 1);
    for (unsigned i = 0; i <= n; ++i) y[i] = f(p[i]);
    std::vector<double> psum(n);
    get_psum(psum, p);

    unsigned lo = 0;
    for (unsigned pass = 0; pass < max_iterations_; ++pass) {
        unsigned hi = y[0] > y[1] ? 0 : 1;
        unsigned next = 1 - hi;
        for (unsigned i = 0; i <= n; ++i) {
            if (y[i] <= y[lo]) lo = i;
            if (y[i] > y[hi]) {
                next = hi;
                hi = i;
            } else if (y[i] > y[next] && i != hi) {
                next = i;
            }
        }
        const double spread = 2 * std::fabs(y[hi] - y[lo]) /
                              (std::fabs(y[hi]) + std::fabs(y[lo]) + std::numeric_limits<double>::epsilon());
        if (spread < tolerance) break;

        double y_try = amotry(p, y, psum, f, hi, -1);
        if (y_try <= y[lo]) {
            amotry(p, y, psum, f, hi, 2);
        } else if (y_try >= y[next]) {
            const double y_saved = y[hi];
            y_try = amotry(p, y, psum, f, hi, 0.5);
            if (y_try >= y_saved) {
                for (unsigned i = 0; i <= n; ++i) {
                    if (i == lo) continue;
                    for (unsigned j = 0; j < n; ++j) p[i][j] = 0.5 * (p[i][j] + p[lo][j]);
                    y[i] = f(p[i]);
                }
                get_psum(psum, p);
            }
        }
    }
    return p[lo];
}

}  // namespace opt
}  // namespace math
