#pragma once
// The early-exercise premium of an American call or put under constant rate,
// yield and volatility: an integral over the exercise boundary, the boundary
// found by fixed-point iteration on its integral equation, collocated at
// Chebyshev nodes in the square root of the time to expiry and integrated by
// Gauss-Legendre quadrature. Plain numbers in and out; a call is valued as
// the put of the symmetric market.

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorva {

class AmericanBoundaryEngine {
public:
    /// How finely the boundary and the premium are resolved.
    struct Accuracy {
        /// Chebyshev intervals of the boundary (nodes - 1).
        unsigned intervals;
        /// Fixed-point iterations on the boundary.
        unsigned iterations;
        /// Gauss-Legendre points of each integral in an iteration.
        unsigned boundary_points;
        /// Gauss-Legendre points of the premium along the final boundary.
        unsigned premium_points;
    };

    /// The setting the pricer uses: within 1e-4 of the converged value over
    /// the usual range of markets.
    static const Accuracy STANDARD;
    /// Within 1e-7 of the converged value over the same range, at eight
    /// times the cost.
    static const Accuracy FINE;

    explicit AmericanBoundaryEngine(const Accuracy& accuracy = STANDARD);

    /// Whether the exercise region is one interval beyond a single boundary:
    /// a put with a positive rate, a call with a positive yield.
    static bool has_one_boundary(bool call, double rate, double yield);

    /// American value less the European value of the same option, in the
    /// units of level and strike, not negative; nothing where the level lies
    /// in the exercise region, where the option is worth its payoff. level,
    /// strike, tau and volatility positive; has_one_boundary() must hold.
    /// Rate and yield are continuously compounded annual fractions. NaN where
    /// the integrals overflow. The boundaries of the last KEPT_BOUNDARIES
    /// markets (time, rate, yield and volatility) are kept, so that prices
    /// at other levels and strikes of a market reuse them.
    std::optional<double> premium(bool call, double level, double strike, double tau, double rate, double yield,
                                  double volatility);

    static const std::size_t KEPT_BOUNDARIES = 1024;

private:
    /// The put's boundary over strike 1 in a market; put_rate > 0.
    void solve_boundary(double tau, double put_rate, double put_yield, double volatility);
    /// 2 sqrt(u / tau_) - 1, in [-1, 1] for a time to expiry u in [0, tau_].
    double chebyshev_variable(double u) const;
    /// log(boundary / strike) at Chebyshev variable z.
    double log_boundary(double z) const;
    /// log(boundary / strike) from the interpolated square of its distance
    /// from the start.
    double log_from_square(double square) const;
    /// The put's premium over strike 1 at level (over the strike).
    double put_premium(double level) const;

    /// A Gauss-Legendre rule for an integral over s in [0, t], taken in the
    /// angle a with s = t sin^2 a: per point sin a, and its weight over t.
    struct AngleRule {
        std::vector<double> sine;
        std::vector<double> weight;

        explicit AngleRule(unsigned points);
    };

    Accuracy accuracy_;
    AngleRule boundary_rule_;
    AngleRule premium_rule_;
    /// cos(j k pi / intervals) at j * (intervals + 1) + k.
    std::vector<double> cosines_;

    /// The put's market of a boundary.
    struct Key {
        double tau, rate, yield, volatility;

        bool operator==(const Key& other) const {
            return tau == other.tau && rate == other.rate && yield == other.yield && volatility == other.volatility;
        }
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    struct Boundary {
        double log_start;
        std::vector<double> coefficients;
    };

    /// The market of the boundary held.
    double tau_ = -1, rate_ = 0, yield_ = 0, volatility_ = 0;
    /// log of the boundary just after expiry, over the strike.
    double log_start_ = 0;
    /// Chebyshev coefficients, first and last halved, of the squared
    /// log-distance of the boundary from its start, in 2 sqrt(u / tau) - 1.
    std::vector<double> coefficients_;
    /// Boundaries solved before, emptied when full.
    std::unordered_map<Key, Boundary, KeyHash> kept_;
};

}  // namespace quorva
