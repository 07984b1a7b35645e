#pragma once
// The pricing engine: values a European instrument on a recombining binomial
// tree of the index level, and builds its greeks from prices of shifted
// markets. The tree is a Leisen-Reimer tree: its probabilities invert the
// normal distribution at the instrument's strike, so it reproduces the
// forward exactly, puts the strike between two leaves and converges smoothly
// in the level. It is summed over its leaves in time at most linear in the
// steps; backward induction over every node stays as the reference.
// Workspaces, allocated once, serve every operation, so a pricer prices one
// instrument at a time.

#include "model/AmericanBoundaryEngine.h"
#include "model/Instrument.h"
#include "model/Market.h"

#include <optional>
#include <vector>

namespace quorva {

class BinomialTreePricer {
public:
    /// A value the tree tends to where it cannot be built: discount times the
    /// weighted payoffs at one or two levels.
    struct Limit {
        double discount;
        double level[2];
        /// A weight of 0 leaves its level out.
        double weight[2];
        /// weight * discount * level, formed so that it stays finite wherever
        /// it is representable, even where the level alone overflows.
        double present[2];

        /// Off the strike, a payoff of one line each side is valued from
        /// `present`, so that a forward beyond the largest double still gives
        /// the finite value of the index's share; NaN in, NaN out.
        double value(const Instrument& instrument) const;
    };

    /// The shape of the tree for one market and instrument, apart from any
    /// evaluation of it. Leaf i (0 the highest) lies at
    /// level * exp((steps - i) * log_up + i * log_down), capped at the largest
    /// double; a node's value is discount * (p * higher child + q * lower child).
    struct Geometry {
        unsigned steps;
        double level;
        /// Year fraction to expiry; not positive once expired.
        double tau;
        double log_up;
        double log_down;
        /// Weights of the higher and the lower child, p + q = 1, each to its
        /// full relative precision however close the other is to 1.
        double p;
        double q;
        /// Per backward step.
        double discount;
        /// No tree to run: the value is limit.value(instrument). So at or after
        /// expiry, without volatility, and where the tree's probabilities
        /// round to 0 or 1 (far from the money, or a vast volatility).
        bool degenerate;
        /// Meaningful for a degenerate tree only.
        Limit limit;
        /// The market's numbers for the instrument: volatility at its strike,
        /// rate and yield, annual fractions.
        double volatility;
        double rate;
        double yield;

        double leaf(unsigned i) const;
    };

    /// steps at least 1, throws QuorvaException otherwise; an even count is
    /// raised to the next odd one, which the tree needs.
    explicit BinomialTreePricer(unsigned steps);

    unsigned steps() const { return static_cast<unsigned>(nodes_.size() - 1); }

    /// Throws QuorvaException for a market without a trading schedule and for
    /// a negative total volatility at the instrument's strike; the market time
    /// must be a real instant, not Time().
    Geometry geometry(const Market& market, const Instrument& instrument) const;

    /// In index points per unit of the instrument. Throws only as geometry()
    /// does. Finite wherever the value is representable, whatever the
    /// volatility; infinite where it is not; NaN in, NaN out. At or after
    /// expiry, the payoff at the level. A payoff of one line across the strike
    /// (a future) is valued in closed form, needing no volatility. A payoff of
    /// one line on each side of the strike is summed
    /// mostly in closed form; any other is summed over the leaves, which needs
    /// it monotone in the level (it bounds the leaves left out). An American
    /// option is worth its European value plus the premium integrated along
    /// its exercise boundary where the exercise region has one boundary (a put
    /// with a positive rate, a call with a positive yield, neither with a
    /// negative rate or yield besides), its European value where it is never
    /// exercised early (a put with a rate of at most 0 and a yield of at
    /// least 0, a call the other way round), and otherwise the fast
    /// induction's value; where no tree can be built, the larger of the
    /// European limit and the best exercise along the forward's certain path.
    /// Never below the European value nor the payoff at the level.
    double price(const Market& market, const Instrument& instrument);
    /// The same tree's value by backward induction over all its nodes, in
    /// time quadratic in the steps (with exercise at every node for an
    /// American option); price agrees with it to rounding for a European
    /// instrument, and to the tree's own error for an American one.
    double price_by_induction(const Market& market, const Instrument& instrument);
    /// An American option's value by the tree's induction over the nodes the
    /// root reaches with weight, the price where no one boundary holds: the
    /// whole induction's to 1e-12 of strike plus level. Any other instrument
    /// as price().
    double price_by_fast_induction(const Market& market, const Instrument& instrument);

    /// Greeks are plain differences of prices, not divided by their shifts.
    /// Central, level +-0.5: change for one index point.
    double delta(const Market& market, const Instrument& instrument);
    /// Level +-1: change of delta for one index point; exactly 0 for a future.
    double gamma(const Market& market, const Instrument& instrument);
    /// Central, volatility +-0.005: change for one volatility point.
    double vega(const Market& market, const Instrument& instrument);
    /// One-sided, 1440 calendar minutes forward.
    double theta(const Market& market, const Instrument& instrument);
    /// Central, rate +-0.005: change for one rate point.
    double rho(const Market& market, const Instrument& instrument);

    /// The flat volatility (annual fraction, between 0.0001 and 10, any smile
    /// ignored) at which the instrument prices at price; where several do, as
    /// for a digital, whose price rises and then falls with the volatility,
    /// the one nearest the market's volatility at the instrument's strike.
    /// The largest finite double when no such volatility is found. Only
    /// failures of the schedule or the instrument throw.
    double implvol(const Market& market, const Instrument& instrument, double price);

private:
    /// A walked leaf or node drifts from the exact level by about one rounding
    /// per step; every ANCHOR_SPACING-th is computed exactly again. The middle
    /// leaf, next to the strike, is always one of them, so that a strike on a
    /// leaf falls on the same side of it as in the induction.
    static constexpr long ANCHOR_SPACING = 32;
    /// The value of the instrument's payoff at expiry alone.
    double european(const Geometry& g, const Instrument& instrument);
    double american_price(const Market& market, const Geometry& g, const Instrument& instrument);
    /// A payoff of one line in closed form: its constant discounted at the
    /// rate and its slope times the index discounted at the yield.
    static double line_value(const Market& market, const Instrument& instrument, const PayoffLine& line);
    double induction(const Geometry& g, const Instrument& instrument);
    double american(const Market& market, const Geometry& g, const Instrument& instrument, bool whole_tree);
    /// Without a tree: the best discounted payoff at the forward over the
    /// tree's time steps.
    static double best_certain_exercise(double rate, double yield, const Geometry& g, const Instrument& instrument);
    /// Backward induction where each node is worth at least its payoff, over
    /// the whole tree or only the nodes the root reaches with weight and that
    /// are not yet known to be exercised.
    double early_exercise(const Geometry& g, const Instrument& instrument, double rate, double yield,
                          bool whole_tree);
    /// The discounted leaves weighted by their binomial probabilities; needs
    /// per-step factors that are neither 0 nor infinite.
    double leaf_sum(const Geometry& g, const Instrument& instrument) const;
    /// The same sum for a payoff that is one line on each side of the strike:
    /// the lines of the sides where the weights and the weighted levels peak
    /// in closed form over the whole tree, plus walks from the strike over the
    /// other sides. Nothing where that would not hold to rounding: a narrow
    /// spread, leaves capped at the largest double, a strike not strictly
    /// between the middle leaves, a sum out of range.
    std::optional<double> sided_sum(const Geometry& g, const Instrument& instrument,
                                    const PayoffSides& sides) const;

    /// One entry per leaf: steps + 1.
    std::vector<double> nodes_;
    /// C(steps, i + 1) / C(steps, i) at i, for i < steps; 0 from steps on,
    /// for a few entries more.
    std::vector<double> lower_coefficients_;
    /// C(steps, i - 1) / C(steps, i) at i, for i > 0.
    std::vector<double> higher_coefficients_;
    /// (down / up)^j at j: the level of node j of a step over its highest.
    std::vector<double> ratios_;
    /// C(steps, i) (i / steps)^i (1 - i / steps)^(steps - i) at i: the largest
    /// probability leaf i takes under any p.
    std::vector<double> peak_weights_;
    AmericanBoundaryEngine boundary_engine_;
};

}  // namespace quorva
