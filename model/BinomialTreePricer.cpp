#include "model/BinomialTreePricer.h"

#include "foundation/QuorvaException.h"
#include "model/Residues.h"
#include "numeric/BisectionMethod.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace quorva {

namespace {

const double LEVEL_SHIFT = 0.5;
const double GAMMA_LEVEL_SHIFT = 1;
const double VOLATILITY_SHIFT = 0.005;
const int THETA_MINUTES = 1440;
const double RATE_SHIFT = 0.005;

const double IMPLVOL_LOW = 0.01;
const double IMPLVOL_HIGH = 2.0;
const unsigned IMPLVOL_ITERATIONS = 100;
const double IMPLVOL_TOLERANCE = 0.0001;

const double NOT_FOUND = std::numeric_limits<double>::max();

// A walked leaf drifts from the exact level by about one rounding per step;
// every ANCHOR_SPACING-th leaf is computed exactly again. The middle leaf (the
// market level itself when the steps are even) is always one of them, so that
// a strike at the level falls on the same side of it as in the induction.
const long ANCHOR_SPACING = 32;

// Weights below this, relative to the most likely leaf's, are left out rather
// than carried into underflow.
const double NEGLIGIBLE_WEIGHT = std::numeric_limits<double>::min();

// A walk stops where what its remaining leaves could add is below this share
// of the sum of weight * |payoff| so far: far below the rounding of the sums.
const double TAIL_SHARE = 1e-18;

/// Running sums over walked leaves; weights relative to the most likely leaf's.
struct LeafSums {
    double weight = 0;
    double value = 0;
    /// Of weight * |payoff|.
    double magnitude = 0;
};

/// One direction of the walk outward from the most likely leaf: leaves first,
/// first + step, ... up to last.
struct Walk {
    long first;
    long last;
    long step;
    /// Of leaf first.
    double weight;
    /// odds * coefficient_ratios[i]: the weight ratio of leaf i + step to leaf
    /// i, which falls along the walk.
    double odds;
    const double* coefficient_ratios;
    /// leaf(i + step) / leaf(i) - 1, which keeps the ratio's rounding error
    /// relative to its distance from 1.
    double level_growth;
    /// |payoff| at leaf last.
    double end_payoff;
    /// Leaves middle + k * anchor_spacing are computed exactly.
    long middle;
    long anchor_spacing;
};

// Payoffs are monotone in the level, so between a leaf and the end of the walk
// |payoff| stays below the larger of the two; the weights after a leaf sum to
// less than its successor's over 1 - its ratio, as the ratios fall. Leaves
// whose payoffs cannot matter still count in the weights, until those cannot.
void walk(const BinomialTreePricer::Geometry& g, const Instrument& instrument, const Walk& w,
          LeafSums& sums) {
    double weight = w.weight;
    double level = g.leaf(static_cast<unsigned>(w.first));
    long to_anchor = ((w.middle - w.first) * w.step % w.anchor_spacing + w.anchor_spacing) %
                     w.anchor_spacing;
    if (to_anchor == 0) to_anchor = w.anchor_spacing;
    long i = w.first;
    for (;; i += w.step) {
        const double payoff = instrument.payoff(level);
        sums.weight += weight;
        sums.value += weight * payoff;
        sums.magnitude += weight * std::fabs(payoff);
        if (i == w.last) return;
        const double ratio = w.odds * w.coefficient_ratios[i];
        weight *= ratio;
        if (weight < NEGLIGIBLE_WEIGHT) return;
        if (ratio < 1 && weight * std::max(std::fabs(payoff), w.end_payoff) <=
                             TAIL_SHARE * (1 - ratio) * sums.magnitude)
            break;
        if (--to_anchor == 0) {
            to_anchor = w.anchor_spacing;
            level = g.leaf(static_cast<unsigned>(i + w.step));
        } else {
            level += level * w.level_growth;
        }
    }
    for (i += w.step;; i += w.step) {
        sums.weight += weight;
        if (i == w.last) return;
        const double ratio = w.odds * w.coefficient_ratios[i];
        weight *= ratio;
        if (weight < NEGLIGIBLE_WEIGHT ||
            (ratio < 1 && weight <= TAIL_SHARE * (1 - ratio) * sums.weight))
            return;
    }
}

}  // namespace

double BinomialTreePricer::Geometry::leaf(unsigned i) const {
    return level * std::exp((static_cast<double>(steps) - 2.0 * i) * log_step);
}

BinomialTreePricer::BinomialTreePricer(unsigned steps) {
    if (steps == 0) throw QuorvaException("Binomial tree needs at least one step");
    nodes_.assign(static_cast<std::size_t>(steps) + 1, 0.0);
    lower_coefficients_.assign(nodes_.size(), 0.0);
    higher_coefficients_.assign(nodes_.size(), 0.0);
    for (unsigned i = 0; i < steps; ++i) {
        lower_coefficients_[i] = static_cast<double>(steps - i) / (i + 1.0);
        higher_coefficients_[i + 1] = (i + 1.0) / static_cast<double>(steps - i);
    }
}

BinomialTreePricer::Geometry BinomialTreePricer::geometry(const Market& market,
                                                          const Instrument& instrument) const {
    const usr::P<TradingSchedule>& schedule = market.trading_schedule();
    if (!schedule) throw QuorvaException("Market has no trading schedule");

    Geometry g;
    g.steps = steps();
    g.level = market.level();
    const double sigma = market.volatility() + market.smile().eval(instrument.strike(), g.level);
    const double r = market.rate();
    const double q = market.div_yield();
    g.tau = schedule->year_frac(market.time(), instrument.expiry());

    // An expired instrument runs the tree backwards over |tau| at the rate alone.
    const bool alive = g.tau > 0;
    const double s = alive ? 1 : -1;
    const double carry = alive ? r - q : r;
    const double dt = g.tau * s / g.steps;
    const double root_dt = std::sqrt(dt);

    g.log_step = root_dt * sigma;
    g.up = std::exp(root_dt * (s * sigma));
    g.down = std::exp(root_dt * (-s * sigma));
    g.degenerate = dt == 0 || g.up == g.down;
    g.p = g.degenerate ? std::numeric_limits<double>::quiet_NaN()
                       : (std::exp(carry * dt * s) - g.down) / (g.up - g.down);
    g.discount = alive ? std::exp(-r * dt) : std::exp(-carry * dt * s);

    // Without volatility the index grows to its forward for certain.
    g.flat_level = alive ? g.level * std::exp((r - q) * g.tau) : g.level;
    g.flat_discount = std::exp(-r * s * g.tau);
    return g;
}

double BinomialTreePricer::price(const Market& market, const Instrument& instrument) {
    const Geometry g = geometry(market, instrument);
    if (g.degenerate) return g.flat_discount * instrument.payoff(g.flat_level);
    // Outside (0, 1) the weights change sign or explode; only the induction
    // reproduces what the tree does there.
    if (g.p > 0 && g.p < 1) return leaf_sum(g, instrument);
    return induction(g, instrument);
}

double BinomialTreePricer::price_by_induction(const Market& market,
                                              const Instrument& instrument) {
    const Geometry g = geometry(market, instrument);
    if (g.degenerate) return g.flat_discount * instrument.payoff(g.flat_level);
    return induction(g, instrument);
}

double BinomialTreePricer::induction(const Geometry& g, const Instrument& instrument) {
    const unsigned n = g.steps;
    for (unsigned i = 0; i <= n; ++i) nodes_[i] = instrument.payoff(g.leaf(i));

    const double high = g.discount * g.p;
    const double low = g.discount * (1 - g.p);
    for (unsigned width = n; width > 0; --width) {
        for (unsigned j = 0; j < width; ++j) nodes_[j] = high * nodes_[j] + low * nodes_[j + 1];
    }
    return nodes_[0];
}

// Leaf i is reached by steps - i moves to the higher child and i to the lower,
// along C(steps, i) paths: its weight is C(steps, i) high^(steps - i) low^i,
// with the same per-step factors as the induction, so the weights sum to
// (high + low)^steps. They are grown outward from the most likely leaf by
// their ratios, relative to it, which keeps them clear of underflow there.
double BinomialTreePricer::leaf_sum(const Geometry& g, const Instrument& instrument) const {
    const long n = g.steps;
    const double high = g.discount * g.p;
    const double low = g.discount * (1 - g.p);
    const double lower_odds = low / high;
    const double higher_odds = high / low;
    const long mode = std::min(n, static_cast<long>(static_cast<double>(n + 1) * (1 - g.p)));
    const long spacing = std::getenv("SPACING") ? std::atol(std::getenv("SPACING")) : ANCHOR_SPACING;

    LeafSums sums;
    const Walk lower = {mode,        n,
                        1,           1,
                        lower_odds,  lower_coefficients_.data(),
                        std::expm1(-2 * g.log_step), std::fabs(instrument.payoff(g.leaf(g.steps))), n / 2, spacing};
    walk(g, instrument, lower, sums);
    if (mode > 0) {
        const Walk higher = {mode - 1,
                             0,
                             -1,
                             higher_odds * higher_coefficients_[mode],
                             higher_odds,
                             higher_coefficients_.data(),
                             std::expm1(2 * g.log_step),
                             std::fabs(instrument.payoff(g.leaf(0))), n / 2, spacing};
        walk(g, instrument, higher, sums);
    }
    return std::pow(high + low, g.steps) * (sums.value / sums.weight);
}

double BinomialTreePricer::delta(const Market& market, const Instrument& instrument) {
    Market::Delta shift;
    shift.level() = LEVEL_SHIFT;
    return price(market + shift, instrument) - price(market - shift, instrument);
}

double BinomialTreePricer::gamma(const Market& market, const Instrument& instrument) {
    Market::Delta shift;
    shift.level() = GAMMA_LEVEL_SHIFT;
    return price(market + shift, instrument) - 2 * price(market, instrument) +
           price(market - shift, instrument);
}

double BinomialTreePricer::vega(const Market& market, const Instrument& instrument) {
    Market::Delta shift;
    shift.volatility() = VOLATILITY_SHIFT;
    return price(market + shift, instrument) - price(market - shift, instrument);
}

double BinomialTreePricer::theta(const Market& market, const Instrument& instrument) {
    Market::Delta shift;
    shift.minutes() = THETA_MINUTES;
    return price(market + shift, instrument) - price(market, instrument);
}

double BinomialTreePricer::rho(const Market& market, const Instrument& instrument) {
    Market::Delta shift;
    shift.rate() = RATE_SHIFT;
    return price(market + shift, instrument) - price(market - shift, instrument);
}

double BinomialTreePricer::implvol(const Market& market, const Instrument& instrument,
                                   double price) {
    // Bisection cannot tell a NaN residue from a root below it.
    if (std::isnan(price)) return NOT_FOUND;

    Market flat(market);
    flat.smile() = Smile(Smile::STICKY_DELTA, 0, 0);
    const PriceResidue residue(*this, flat, instrument, price);
    const math::solve::BisectionMethod bisection(IMPLVOL_ITERATIONS);
    try {
        const math::solve::Interval root =
            bisection.solve(residue, math::solve::Interval(IMPLVOL_LOW, IMPLVOL_HIGH),
                            IMPLVOL_TOLERANCE);
        if (math::solve::Solver::tolerates(root, IMPLVOL_TOLERANCE)) return median(root);
    } catch (const math::MathException&) {
    }
    return NOT_FOUND;
}

}  // namespace quorva
