#include "model/AmericanBoundaryEngine.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace quorva {

namespace {

const double PI = 3.141592653589793238462643383279502884;
const double SQRT_HALF = 0.707106781186547524400844362104849039;
const double INVERSE_SQRT_TWO_PI = 0.398942280401432677939946059934381868;

// The normal distribution function from a table of it and its density at
// steps of 1/64 over [-8, 8]: between them, by its Taylor series to the fifth
// power of the distance, whose terms are the density's derivatives,
//   phi' = -x phi, phi'' = (x^2 - 1) phi, phi''' = (3x - x^3) phi,
//   phi'''' = (x^4 - 6x^2 + 3) phi,
// within 1e-15 (and 1e-10 of itself in the far tails); elsewhere from erfc.
// Several times faster than erfc, which the boundary's iteration calls
// hundreds of times.
constexpr int TABLE_STEPS = 64;
constexpr double TABLE_REACH = 8;
constexpr int TABLE_SIZE = static_cast<int>(2 * TABLE_REACH * TABLE_STEPS) + 1;

struct NormalTable {
    double cdf[TABLE_SIZE];
    double density[TABLE_SIZE];

    NormalTable() {
        for (int i = 0; i < TABLE_SIZE; ++i) {
            const double x = static_cast<double>(i) / TABLE_STEPS - TABLE_REACH;
            cdf[i] = 0.5 * std::erfc(-x * SQRT_HALF);
            density[i] = INVERSE_SQRT_TWO_PI * std::exp(-x * x / 2);
        }
    }
};

const NormalTable TABLE;

inline double normal_cdf(double x) {
    const double scaled = (x + TABLE_REACH) * TABLE_STEPS;
    if (!(scaled >= 0 && scaled <= TABLE_SIZE - 1)) return 0.5 * std::erfc(-x * SQRT_HALF);
    const int i = static_cast<int>(scaled + 0.5);
    const double x0 = static_cast<double>(i) / TABLE_STEPS - TABLE_REACH;
    const double d = x - x0;
    const double square = x0 * x0;
    const double series =
        d * (1 + d * (-x0 / 2 + d * ((square - 1) / 6 + d * (x0 * (3 - square) / 24 +
                                                               d * ((square * square - 6 * square + 3) / 120)))));
    return TABLE.cdf[i] + TABLE.density[i] * series;
}

/// The n-point Gauss-Legendre rule on [-1, 1], by Newton's method on the
/// Legendre polynomial from the usual first guesses.
void gauss_legendre(unsigned n, std::vector<double>& x, std::vector<double>& w) {
    x.assign(n, 0.0);
    w.assign(n, 0.0);
    for (unsigned i = 0; i < n; ++i) {
        double root = std::cos(PI * (i + 0.75) / (n + 0.5));
        double derivative = 1;
        for (int iteration = 0; iteration < 100; ++iteration) {
            double p0 = 1;
            double p1 = root;
            for (unsigned k = 2; k <= n; ++k) {
                const double p2 = ((2.0 * k - 1) * root * p1 - (k - 1.0) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            derivative = n * (root * p1 - p0) / (root * root - 1);
            const double change = p1 / derivative;
            root -= change;
            if (std::fabs(change) < 1e-16) break;
        }
        x[i] = root;
        w[i] = 2 / ((1 - root * root) * derivative * derivative);
    }
}

/// d+ (sign 1) and d- (sign -1) of the closed form over a span s, given the
/// log of level over strike.
struct Spread {
    double drift;     ///< (rate - yield) s
    double variance;  ///< volatility^2 s / 2
    double inverse;   ///< 1 / (volatility sqrt(s))

    /// root: the square root of s.
    Spread(double s, double root, double growth, double volatility)
        : drift(growth * s), variance(volatility * volatility * s / 2), inverse(1 / (volatility * root)) {}

    double d(double log_moneyness, double sign) const {
        return (log_moneyness + drift + sign * variance) * inverse;
    }
};

}  // namespace

const AmericanBoundaryEngine::Accuracy AmericanBoundaryEngine::STANDARD{7, 8, 6, 16};
const AmericanBoundaryEngine::Accuracy AmericanBoundaryEngine::FINE{16, 30, 24, 64};

AmericanBoundaryEngine::AngleRule::AngleRule(unsigned points) {
    std::vector<double> x;
    std::vector<double> w;
    gauss_legendre(points, x, w);
    for (unsigned k = 0; k < points; ++k) {
        // a = pi (1 + x) / 4 over [0, pi / 2]; ds = t sin(2a) da.
        const double angle = PI / 4 * (1 + x[k]);
        sine.push_back(std::sin(angle));
        weight.push_back(std::sin(2 * angle) * PI / 4 * w[k]);
    }
}

AmericanBoundaryEngine::AmericanBoundaryEngine(const Accuracy& accuracy)
    : accuracy_(accuracy), boundary_rule_(accuracy.boundary_points), premium_rule_(accuracy.premium_points) {
    const unsigned n = accuracy.intervals;
    cosines_.resize(static_cast<std::size_t>(n + 1) * (n + 1));
    for (unsigned j = 0; j <= n; ++j) {
        for (unsigned k = 0; k <= n; ++k) cosines_[j * (n + 1) + k] = std::cos(PI * j * k / n);
    }
    coefficients_.assign(n + 1, 0.0);
}

bool AmericanBoundaryEngine::has_one_boundary(bool call, double rate, double yield) {
    const double put_rate = call ? yield : rate;
    const double put_yield = call ? rate : yield;
    return put_rate > 0 && put_yield >= 0;
}

std::optional<double> AmericanBoundaryEngine::premium(bool call, double level, double strike, double tau,
                                                      double rate, double yield, double volatility) {
    // A call is the put with level and strike, and rate and yield, exchanged.
    const double put_level = call ? strike : level;
    const double put_strike = call ? level : strike;
    const double put_rate = call ? yield : rate;
    const double put_yield = call ? rate : yield;
    const Key key{tau, put_rate, put_yield, volatility};
    if (!(key == Key{tau_, rate_, yield_, volatility_})) {
        const auto found = kept_.find(key);
        if (found != kept_.end()) {
            tau_ = tau;
            rate_ = put_rate;
            yield_ = put_yield;
            volatility_ = volatility;
            log_start_ = found->second.log_start;
            coefficients_ = found->second.coefficients;
        } else {
            solve_boundary(tau, put_rate, put_yield, volatility);
            if (kept_.size() >= KEPT_BOUNDARIES) kept_.clear();
            kept_.emplace(key, Boundary{log_start_, coefficients_});
        }
    }
    const double moneyness = put_level / put_strike;
    if (std::log(moneyness) <= log_boundary(1)) return std::nullopt;
    return put_strike * std::max(put_premium(moneyness), 0.0);
}

std::size_t AmericanBoundaryEngine::KeyHash::operator()(const Key& key) const {
    const std::hash<double> hash;
    std::size_t seed = 0;
    for (double part : {key.tau, key.rate, key.yield, key.volatility}) {
        seed ^= hash(part) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    }
    return seed;
}

double AmericanBoundaryEngine::chebyshev_variable(double u) const {
    return 2 * std::sqrt(std::max(u / tau_, 0.0)) - 1;
}

double AmericanBoundaryEngine::log_boundary(double z) const {
    const unsigned n = accuracy_.intervals;
    double later = 0;
    double last = 0;
    for (unsigned k = n; k >= 1; --k) {
        const double current = coefficients_[k] + 2 * z * last - later;
        later = last;
        last = current;
    }
    return log_from_square(coefficients_[0] + z * last - later);
}

double AmericanBoundaryEngine::log_from_square(double square) const {
    return log_start_ - std::sqrt(std::max(square, 0.0));
}

// With B the boundary over the strike, rate r, yield q, the put is exercised
// at and below B(u), u the time to expiry. Where it meets the boundary the
// put is worth its payoff, which by the premium's integral reads
//   B(t) = exp(-(r - q) t) N(t) / D(t),
//   N(t) = Phi(d-(t, B(t))) + r int_0^t exp(r u) Phi(d-(t - u, B(t) / B(u))) du,
//   D(t) = Phi(d+(t, B(t))) + q int_0^t exp(q u) Phi(d+(t - u, B(t) / B(u))) du,
// which its iterates approach from a closed-form guess. (The form from the
// slope of the payoff converges faster where it converges, but oscillates
// without end at low volatility against the rate.) Just after expiry
// B = min(1, r / q); the square of log(B / that start) grows like t log t,
// smooth in sqrt(t), where it is collocated. The integrals are taken in an
// angle a with t - u = t sin^2 a, u = t cos^2 a, smooth in both square roots.
void AmericanBoundaryEngine::solve_boundary(double tau, double put_rate, double put_yield, double volatility) {
    tau_ = tau;
    rate_ = put_rate;
    yield_ = put_yield;
    volatility_ = volatility;
    const double r = put_rate;
    const double q = put_yield;
    const double variance = volatility * volatility;
    const double start = q > r ? r / q : 1.0;
    log_start_ = std::log(start);

    // The guess: from the start towards the perpetual boundary.
    const double centred = (r - q) / variance - 0.5;
    const double lambda = -centred - std::sqrt(centred * centred + 2 * r / variance);
    const double perpetual = lambda / (lambda - 1);
    const unsigned n = accuracy_.intervals;
    std::vector<double> times(n + 1);
    std::vector<double> logs(n + 1);
    std::vector<double> squares(n + 1);
    for (unsigned j = 0; j <= n; ++j) {
        const double z = std::cos(PI * j / n);
        times[j] = j == n ? 0.0 : tau * (1 + z) * (1 + z) / 4;
        const double t = times[j];
        const double reach = 1 / perpetual - 1 / start;
        const double h = std::min(-((q - r) * t + 2 * volatility * std::sqrt(t)) / (start * reach), 0.0);
        logs[j] = -std::log(1 / start - reach * std::expm1(h));
    }

    // Per node and quadrature point, everything but the boundary.
    const unsigned l = accuracy_.boundary_points;
    struct Point {
        /// The Chebyshev variable of the time to expiry u.
        double z;
        Spread spread;
        double rate_weight;
        double yield_weight;
    };
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(n) * l);
    for (unsigned j = 0; j < n; ++j) {
        const double t = times[j];
        const double root = std::sqrt(t);
        for (unsigned k = 0; k < l; ++k) {
            const double sine = boundary_rule_.sine[k];
            const double s = t * sine * sine;
            const double u = t - s;
            const double jacobian = t * boundary_rule_.weight[k];
            points.push_back(Point{chebyshev_variable(u), Spread(s, root * sine, r - q, volatility),
                                   r * std::exp(r * u) * jacobian, q * std::exp(q * u) * jacobian});
        }
    }

    // The Chebyshev polynomials at each point, for the boundary there as a sum.
    std::vector<double> polynomials(points.size() * (n + 1));
    for (std::size_t i = 0; i < points.size(); ++i) {
        double* const t = &polynomials[i * (n + 1)];
        t[0] = 1;
        t[1] = points[i].z;
        for (unsigned k = 1; k < n; ++k) t[k + 1] = 2 * points[i].z * t[k] - t[k - 1];
    }
    std::vector<double> inner(static_cast<std::size_t>(n) * l);
    for (unsigned iteration = 0; iteration <= accuracy_.iterations; ++iteration) {
        for (unsigned j = 0; j <= n; ++j) {
            const double distance = std::max(log_start_ - std::min(logs[j], log_start_), 0.0);
            squares[j] = distance * distance;
        }
        for (unsigned k = 0; k <= n; ++k) {
            double sum = 0;
            for (unsigned j = 0; j <= n; ++j) {
                const double term = squares[j] * cosines_[j * (n + 1) + k];
                sum += j == 0 || j == n ? term / 2 : term;
            }
            coefficients_[k] = sum * (k == 0 || k == n ? 1.0 : 2.0) / n;
        }
        if (iteration == accuracy_.iterations) break;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double* const t = &polynomials[i * (n + 1)];
            double square = 0;
            for (unsigned k = 0; k <= n; ++k) square += coefficients_[k] * t[k];
            inner[i] = log_from_square(square);
        }
        for (unsigned j = 0; j < n; ++j) {
            const double t = times[j];
            const Spread whole(t, std::sqrt(t), r - q, volatility);
            double numerator = normal_cdf(whole.d(logs[j], -1));
            double denominator = normal_cdf(whole.d(logs[j], 1));
            for (unsigned k = 0; k < l; ++k) {
                const Point& p = points[j * l + k];
                const double log_ratio = logs[j] - inner[j * l + k];
                numerator += p.rate_weight * normal_cdf(p.spread.d(log_ratio, -1));
                denominator += p.yield_weight * normal_cdf(p.spread.d(log_ratio, 1));
            }
            logs[j] = -(r - q) * t + std::log(numerator / denominator);
        }
    }
}

// The put's premium over the strike at level x:
//   int_0^tau [r exp(-r s) Phi(-d-(s, x / B(tau - s))) - q x exp(-q s) Phi(-d+(s, x / B(tau - s)))] ds,
// taken in the same angle.
double AmericanBoundaryEngine::put_premium(double level) const {
    const double r = rate_;
    const double q = yield_;
    const double log_level = std::log(level);
    double sum = 0;
    const double root = std::sqrt(tau_);
    for (std::size_t k = 0; k < premium_rule_.sine.size(); ++k) {
        const double sine = premium_rule_.sine[k];
        const double s = tau_ * sine * sine;
        const double jacobian = tau_ * premium_rule_.weight[k];
        const Spread spread(s, root * sine, r - q, volatility_);
        const double log_moneyness = log_level - log_boundary(chebyshev_variable(tau_ - s));
        sum += jacobian * (r * std::exp(-r * s) * normal_cdf(-spread.d(log_moneyness, -1)) -
                           q * level * std::exp(-q * s) * normal_cdf(-spread.d(log_moneyness, 1)));
    }
    return std::isfinite(sum) ? sum : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace quorva
