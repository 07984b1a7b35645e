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

// Leaves walked by a constant ratio drift from the exact levels by a rounding
// per step; every ANCHOR_SPACING-th leaf is computed exactly again. The middle
// leaf (the market level itself) is always one of them, so that a strike at
// the level falls on the same side of it as in the induction.
const unsigned ANCHOR_SPACING = 32;

// Weights below this, relative to the mode's, underflow and are left out.
const double NEGLIGIBLE_WEIGHT = std::numeric_limits<double>::min();

}  // namespace

double BinomialTreePricer::Geometry::leaf(unsigned i) const {
    return level * std::exp((static_cast<double>(steps) - 2.0 * i) * log_step);
}

BinomialTreePricer::BinomialTreePricer(unsigned steps) {
    if (steps == 0) throw QuorvaException("Binomial tree needs at least one step");
    nodes_.assign(static_cast<std::size_t>(steps) + 1, 0.0);
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
    const unsigned n = g.steps;
    const double high = g.discount * g.p;
    const double low = g.discount * (1 - g.p);
    const double lower_odds = low / high;
    const double higher_odds = high / low;
    const double lower_ratio = std::exp(-2 * g.log_step);
    const double higher_ratio = std::exp(2 * g.log_step);
    const unsigned mode = std::min(n, static_cast<unsigned>((n + 1) * (1 - g.p)));
    const unsigned anchor_phase = (n / 2) % ANCHOR_SPACING;

    double total = 0;
    double sum = 0;
    double weight = 1;
    double level = g.leaf(mode);
    for (unsigned i = mode;; ++i) {
        if (i % ANCHOR_SPACING == anchor_phase) level = g.leaf(i);
        total += weight;
        sum += weight * instrument.payoff(level);
        if (i == n) break;
        weight *= lower_odds * static_cast<double>(n - i) / static_cast<double>(i + 1);
        if (weight < NEGLIGIBLE_WEIGHT) break;
        level *= lower_ratio;
    }
    weight = 1;
    level = g.leaf(mode);
    for (unsigned i = mode; i > 0; --i) {
        weight *= higher_odds * static_cast<double>(i) / static_cast<double>(n - i + 1);
        if (weight < NEGLIGIBLE_WEIGHT) break;
        level = (i - 1) % ANCHOR_SPACING == anchor_phase ? g.leaf(i - 1) : level * higher_ratio;
        total += weight;
        sum += weight * instrument.payoff(level);
    }
    return std::pow(high + low, n) * (sum / total);
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
