#include "model/BinomialTreePricer.h"

#include "foundation/QuorvaException.h"
#include "model/Residues.h"
#include "numeric/BisectionMethod.h"

#include <algorithm>
#include <cmath>
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

// When the leaves' log-levels spread less than this (one standard deviation),
// payoffs are small differences of nearly equal levels and a leaf's last bit
// shows in the price: there every leaf is computed exactly, as the induction
// computes it.
const double NARROW_SPREAD = 0.02;

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

    void add(double w, double payoff) {
        weight += w;
        value += w * payoff;
        magnitude += w * std::fabs(payoff);
    }
};

// Adds leaves mode + step, mode + 2 step, ... up to the end of the tree, the
// weight ratio of leaf i + step to leaf i being odds * coefficient_ratios[i],
// which falls along the walk. Leaves middle + k * anchor_spacing, middle the
// middle leaf, are computed exactly, the others from their predecessor.
//
// Payoffs are monotone in the level, so between a leaf and the end of the tree
// |payoff| stays below the larger of the two; as the ratios fall, the weights
// after a leaf sum to less than its own over 1 - r, r the ratio into it. Leaves
// whose payoffs cannot matter still count in the weights, until those cannot.
void add_leaves(const BinomialTreePricer::Geometry& g, const Instrument& instrument, long mode,
                long step, double odds, const double* coefficient_ratios, long anchor_spacing,
                LeafSums& sums) {
    const long last = step > 0 ? g.steps : 0;
    if (mode == last) return;
    const double end_payoff = std::fabs(instrument.payoff(g.leaf(static_cast<unsigned>(last))));
    // As leaf(i + step) / leaf(i) - 1, the ratio's rounding error stays
    // relative to its distance from 1.
    const double growth = std::expm1(-2.0 * static_cast<double>(step) * g.log_step);
    const long middle = g.steps / 2;
    long to_anchor = ((middle - mode) * step % anchor_spacing + anchor_spacing) % anchor_spacing;
    if (to_anchor == 0) to_anchor = anchor_spacing;

    long i = mode;
    double weight = 1;
    double level = g.leaf(static_cast<unsigned>(mode));
    for (;;) {
        const double ratio = odds * coefficient_ratios[i];
        weight *= ratio;
        i += step;
        if (weight < NEGLIGIBLE_WEIGHT) return;
        if (--to_anchor == 0) {
            to_anchor = anchor_spacing;
            level = g.leaf(static_cast<unsigned>(i));
        } else {
            level += level * growth;
        }
        const double payoff = instrument.payoff(level);
        sums.add(weight, payoff);
        if (i == last) return;
        const double bound = std::max(std::fabs(payoff), end_payoff);
        if (ratio < 1 && weight * bound <= TAIL_SHARE * (1 - ratio) * sums.magnitude) break;
    }
    for (;;) {
        const double ratio = odds * coefficient_ratios[i];
        weight *= ratio;
        i += step;
        if (weight < NEGLIGIBLE_WEIGHT) return;
        sums.weight += weight;
        if (i == last) return;
        if (ratio < 1 && weight <= TAIL_SHARE * (1 - ratio) * sums.weight) return;
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
    // Outside 0 < p < 1 the leaf weights change sign or explode, and with a
    // per-step factor of 0 or infinity they cannot be formed; only the
    // induction reproduces what the tree does there.
    if (g.p > 0 && g.p < 1 && std::isnormal(g.discount * g.p) &&
        std::isnormal(g.discount * (1 - g.p)))
        return leaf_sum(g, instrument);
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
    const long mode = std::min(n, static_cast<long>(static_cast<double>(n + 1) * (1 - g.p)));
    const double spread = std::fabs(g.log_step) * std::sqrt(static_cast<double>(n));
    const long anchor_spacing = spread < NARROW_SPREAD ? 1 : ANCHOR_SPACING;

    LeafSums sums;
    sums.add(1, instrument.payoff(g.leaf(static_cast<unsigned>(mode))));
    add_leaves(g, instrument, mode, 1, low / high, lower_coefficients_.data(), anchor_spacing,
               sums);
    add_leaves(g, instrument, mode, -1, high / low, higher_coefficients_.data(), anchor_spacing,
               sums);
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
