#include "model/SviSmile.h"

#include "numeric/NelderMeadOptimiser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace quorva {

namespace {

/// Points from which every parameter can be fitted.
const std::size_t FULL_STRIKES = 5;
/// Roger Lee's bound on the wings: w grows at most 4 k for large |k|.
const double WING_LIMIT = 4;
/// Where the density is checked between the outermost points.
const unsigned DENSITY_CHECKS = 41;
/// The weight of a squared negative density factor against squared errors in
/// volatility: large enough that no fit buys accuracy with arbitrage.
const double DENSITY_PENALTY = 1e3;
/// The kink of a straight smile, as a share of the points' spread in k.
const double STRAIGHT_KINK = 1e-3;
const unsigned SEARCH_PASSES = 400;
const double SEARCH_TOLERANCE = 1e-12;

/// A target in total variance, weighted so that its error is one in volatility.
struct Target {
    double k;
    double variance;
    double weight;
};

using Vector3 = std::array<double, 3>;

/// Solves the weighted least squares of sum_i x_i column_i(k) against the
/// targets' variances for the first `n` columns; false when singular.
template <class Columns>
bool least_squares(const std::vector<Target>& targets, unsigned n, Columns columns, Vector3& x) {
    double a[3][4] = {};
    for (const Target& t : targets) {
        const Vector3 c = columns(t.k);
        const double w2 = t.weight * t.weight;
        for (unsigned i = 0; i < n; ++i) {
            for (unsigned j = 0; j < n; ++j) a[i][j] += w2 * c[i] * c[j];
            a[i][3] += w2 * c[i] * t.variance;
        }
    }
    for (unsigned col = 0; col < n; ++col) {
        unsigned pivot = col;
        for (unsigned r = col + 1; r < n; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        }
        if (!(std::fabs(a[pivot][col]) > 1e-300)) return false;
        for (unsigned j = 0; j < 4; ++j) std::swap(a[col][j], a[pivot][j]);
        for (unsigned r = 0; r < n; ++r) {
            if (r == col) continue;
            const double f = a[r][col] / a[col][col];
            for (unsigned j = col; j < 4; ++j) a[r][j] -= f * a[col][j];
        }
    }
    for (unsigned i = 0; i < n; ++i) x[i] = a[i][3] / a[i][i];
    return true;
}

double weighted_mean_variance(const std::vector<Target>& targets) {
    Vector3 x{};
    least_squares(targets, 1, [](double) { return Vector3{1, 0, 0}; }, x);
    return x[0];
}

/// The best smile with centre m and width s, a, b and rho in closed form,
/// kept within the bounds that make it a smile: b >= 0, |rho| <= 1, the wing
/// bound and a non-negative minimum.
SviSmile best_for(const std::vector<Target>& targets, double m, double s) {
    const auto columns = [&](double k) {
        const double y = k - m;
        return Vector3{1, y, std::sqrt(y * y + s * s)};
    };
    Vector3 x{};
    const bool solved = least_squares(targets, 3, columns, x);
    double alpha = x[0];
    double beta = x[1];
    double gamma = x[2];
    if (!solved || !(gamma > 0)) {
        return SviSmile{weighted_mean_variance(targets), 0, 0, m, s};
    }
    if (std::fabs(beta) > gamma) {
        // rho at +-1: fit a and b along the one wing left.
        const double side = beta > 0 ? 1 : -1;
        Vector3 y{};
        if (least_squares(targets, 2,
                          [&](double k) {
                              const Vector3 c = columns(k);
                              return Vector3{1, side * c[1] + c[2], 0};
                          },
                          y) &&
            y[1] > 0) {
            alpha = y[0];
            gamma = y[1];
            beta = side * gamma;
        } else {
            return SviSmile{weighted_mean_variance(targets), 0, 0, m, s};
        }
    }
    const double wing = gamma + std::fabs(beta);
    if (wing > WING_LIMIT) {
        gamma *= WING_LIMIT / wing;
        beta *= WING_LIMIT / wing;
    }
    const double rho = beta / gamma;
    alpha = std::max(alpha, -gamma * s * std::sqrt(std::max(0.0, 1 - rho * rho)));
    return SviSmile{alpha, gamma, rho, m, s};
}

double squared_error(const SviSmile& smile, const std::vector<Target>& targets) {
    double sum = 0;
    for (const Target& t : targets) {
        const double e = t.weight * (smile.variance(t.k) - t.variance);
        sum += e * e;
    }
    return sum;
}

/// The objective of the search over (m, ln s), both in units of the points'
/// spread in k.
class SviObjective : public math::opt::Objective {
public:
    SviObjective(const std::vector<Target>& targets, double low, double high)
        : targets_(targets), low_(low), high_(high), spread_(high - low) {}

    SviSmile smile(const std::vector<double>& x) const {
        const double log_s = std::min(std::max(x[1], -12.0), 4.0);
        return best_for(targets_, x[0] * spread_, std::exp(log_s) * spread_);
    }

    double operator()(const std::vector<double>& x) const override {
        const SviSmile svi = smile(x);
        double penalty = 0;
        for (unsigned i = 0; i < DENSITY_CHECKS; ++i) {
            const double k = low_ + (high_ - low_) * i / (DENSITY_CHECKS - 1);
            const double g = std::min(svi.density_factor(k), 0.0);
            penalty += g * g;
        }
        return squared_error(svi, targets_) + DENSITY_PENALTY * penalty;
    }

private:
    const std::vector<Target>& targets_;
    double low_;
    double high_;
    double spread_;
};

SviFit fit_full(const std::vector<Target>& targets, double low, double high) {
    const SviObjective objective(targets, low, high);
    const math::opt::NelderMeadOptimiser search(0.5, SEARCH_PASSES);
    std::vector<double> best;
    double best_value = std::numeric_limits<double>::infinity();
    for (double m : {-0.25, 0.0, 0.25}) {
        for (double log_s : {std::log(0.1), std::log(0.5)}) {
            std::vector<double> x = search.minimise(objective, {m, log_s}, SEARCH_TOLERANCE);
            // A second search from the first's end escapes a collapsed simplex.
            x = search.minimise(objective, x, SEARCH_TOLERANCE);
            const double value = objective(x);
            if (value < best_value) {
                best_value = value;
                best = x;
            }
        }
    }
    return SviFit{objective.smile(best), SmileShape::SVI};
}

/// A line in total variance over the points, flat in total variance beyond
/// the last point on its lower side: SVI with rho at +-1 and a tiny kink there.
SviFit fit_straight(const std::vector<Target>& targets, double low, double high) {
    Vector3 x{};
    if (!least_squares(targets, 2, [](double k) { return Vector3{1, k, 0}; }, x) || x[1] == 0) {
        return SviFit{SviSmile{weighted_mean_variance(targets), 0, 0, 0, 1}, SmileShape::FLAT};
    }
    const double slope = std::max(-WING_LIMIT / 2, std::min(x[1], WING_LIMIT / 2));
    const double m = slope < 0 ? high : low;
    const double a = std::max(x[0] + slope * m, 0.0);
    return SviFit{SviSmile{a, std::fabs(slope) / 2, slope < 0 ? -1.0 : 1.0, m, STRAIGHT_KINK * (high - low)},
                  SmileShape::STRAIGHT};
}

}  // namespace

double SviSmile::variance(double k) const {
    const double y = k - m;
    return a + b * (rho * y + std::sqrt(y * y + s * s));
}

double SviSmile::slope(double k) const {
    const double y = k - m;
    return b * (rho + y / std::sqrt(y * y + s * s));
}

double SviSmile::curvature(double k) const {
    const double y = k - m;
    const double r = y * y + s * s;
    return b * s * s / (r * std::sqrt(r));
}

double SviSmile::density_factor(double k) const {
    const double w = variance(k);
    const double w1 = slope(k);
    const double first = 1 - k * w1 / (2 * w);
    return first * first - w1 * w1 / 4 * (1 / w + 0.25) + curvature(k) / 2;
}

double lowest_density_factor(const SviSmile& smile, double low, double high, unsigned count) {
    double lowest = std::numeric_limits<double>::infinity();
    for (unsigned i = 0; i < count; ++i) {
        const double k = count > 1 ? low + (high - low) * i / (count - 1) : low;
        lowest = std::min(lowest, smile.density_factor(k));
    }
    return lowest;
}

SviFit fit_svi(const std::vector<SmilePoint>& points, double tau) {
    std::vector<Target> targets;
    std::vector<double> ks;
    for (const SmilePoint& p : points) {
        targets.push_back(Target{p.k, p.volatility * p.volatility * tau, 1 / (2 * p.volatility * tau)});
        ks.push_back(p.k);
    }
    std::sort(ks.begin(), ks.end());
    const std::size_t strikes = static_cast<std::size_t>(std::unique(ks.begin(), ks.end()) - ks.begin());
    if (strikes <= 1) return SviFit{SviSmile{weighted_mean_variance(targets), 0, 0, 0, 1}, SmileShape::FLAT};
    if (strikes < FULL_STRIKES) return fit_straight(targets, ks.front(), ks[strikes - 1]);
    return fit_full(targets, ks.front(), ks[strikes - 1]);
}

}  // namespace quorva
