#pragma once
// The pricing engine: values a European instrument on a recombining binomial
// tree of the index level, and builds its greeks from prices of shifted
// markets. The tree is summed over its leaves in time at most linear in the
// steps; backward induction over every node stays as the reference. Workspaces,
// allocated once, serve every operation, so a pricer prices one instrument
// at a time.

#include "model/Instrument.h"
#include "model/Market.h"

#include <vector>

namespace quorva {

class BinomialTreePricer {
public:
    /// The shape of the tree for one market and instrument, apart from any
    /// evaluation of it. Leaf i (0 the highest when the volatility is
    /// positive) lies at level * exp((steps - 2i) * log_step); a node's value
    /// is discount * (p * child i + (1 - p) * child i + 1).
    struct Geometry {
        unsigned steps;
        double level;
        /// Year fraction to expiry; not positive once expired.
        double tau;
        /// sigma * sqrt(dt), sigma the market volatility plus the smile offset.
        double log_step;
        double up;
        double down;
        /// Weight of the higher child; NaN when degenerate.
        double p;
        /// Per backward step.
        double discount;
        /// No tree to run (dt = 0 or up = down): the value is
        /// flat_discount * payoff(flat_level).
        bool degenerate;
        double flat_level;
        double flat_discount;

        double leaf(unsigned i) const;
    };

    /// steps at least 1; throws QuorvaException otherwise.
    explicit BinomialTreePricer(unsigned steps);

    unsigned steps() const { return static_cast<unsigned>(nodes_.size() - 1); }

    /// Throws QuorvaException for a market without a trading schedule; the
    /// market time must be a real instant, not Time().
    Geometry geometry(const Market& market, const Instrument& instrument) const;

    /// In index points per unit of the instrument. Never throws on its own
    /// account beyond geometry()'s check: odd inputs give odd numbers (NaN, inf).
    /// Sums the leaves when 0 < p < 1, which needs a payoff monotone in the
    /// level (it bounds the leaves left out), and runs the induction otherwise.
    double price(const Market& market, const Instrument& instrument);
    /// The same tree's value by backward induction over all its nodes, in
    /// time quadratic in the steps; price agrees with it to rounding.
    double price_by_induction(const Market& market, const Instrument& instrument);

    /// Greeks are plain differences of prices, not divided by their shifts.
    /// Central, level +-0.5: change for one index point.
    double delta(const Market& market, const Instrument& instrument);
    /// Level +-1: change of delta for one index point.
    double gamma(const Market& market, const Instrument& instrument);
    /// Central, volatility +-0.005: change for one volatility point.
    double vega(const Market& market, const Instrument& instrument);
    /// One-sided, 1440 calendar minutes forward.
    double theta(const Market& market, const Instrument& instrument);
    /// Central, rate +-0.005: change for one rate point.
    double rho(const Market& market, const Instrument& instrument);

    /// The flat volatility (annual fraction, between 0.01 and 2, any smile
    /// ignored) at which the instrument prices at price; the largest finite
    /// double when no such volatility is found. Only failures of the
    /// schedule or the instrument throw.
    double implvol(const Market& market, const Instrument& instrument, double price);

private:
    double induction(const Geometry& g, const Instrument& instrument);
    /// The discounted leaves weighted by their binomial probabilities; needs
    /// 0 < p < 1 and per-step factors that are neither 0 nor infinite.
    double leaf_sum(const Geometry& g, const Instrument& instrument) const;

    /// One entry per leaf: steps + 1.
    std::vector<double> nodes_;
    /// C(steps, i + 1) / C(steps, i) at i, for i < steps.
    std::vector<double> lower_coefficients_;
    /// C(steps, i - 1) / C(steps, i) at i, for i > 0.
    std::vector<double> higher_coefficients_;
};

}  // namespace quorva
