#include "model/BinomialTreePricer.h"

#include "foundation/QuorvaException.h"
#include "model/Residues.h"
#include "numeric/RootScan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace quorva {

namespace {

const double LEVEL_SHIFT = 0.5;
const double GAMMA_LEVEL_SHIFT = 1;
const double VOLATILITY_SHIFT = 0.005;
const int THETA_MINUTES = 1440;
const double RATE_SHIFT = 0.005;

// Implied volatilities are searched from 0.01% to 1000%, sampled at 8
// volatilities a decade, each found to a billionth of itself.
const double IMPLVOL_LOW = 0.0001;
const double IMPLVOL_HIGH = 10.0;
const unsigned IMPLVOL_SAMPLES = 40;
const double IMPLVOL_TOLERANCE = 1e-9;

const double NOT_FOUND = std::numeric_limits<double>::max();

// Where the exercise boundary's premium is taken: total volatility (volatility
// times the square root of the years to expiry) at most BOUNDARY_SPREAD, rate
// and yield times the years each at most BOUNDARY_GROWTH and over the variance
// each at most BOUNDARY_DRIFT. Beyond, the boundary falls too steeply after
// expiry for a few nodes to follow it, and the tree's induction values an
// American option.
const double BOUNDARY_SPREAD = 2;
const double BOUNDARY_GROWTH = 0.5;
const double BOUNDARY_DRIFT = 20;

const double LARGEST = std::numeric_limits<double>::max();
const double SMALLEST = std::numeric_limits<double>::min();
const double UNBOUNDED = std::numeric_limits<double>::infinity();
const double LOG_TWO = 0.693147180559945309417232121458176568;

// Where no tree can hold the spread, the share of the weight that the limit
// puts far out: small enough that a payoff's value at 0 stays exact to
// rounding, large enough to keep the far level finite.
const double FAR_WEIGHT = 0x1p-60;

// A tree whose highest leaves, capped at the largest double, would hold more
// than exp(-NEGLIGIBLE_EXPONENT) of the forward loses the forward. Where both
// d1 and d2 lie more than WIDE_DEVIATIONS from 0, the closed form's normal
// probabilities are 0 and 1 to far below rounding, so the limit of the too
// wide spread takes over.
const double NEGLIGIBLE_EXPONENT = 40;
const double WIDE_DEVIATIONS = 9;


// Ratios of binomial coefficients kept as 0 past the end of the tree, so that
// a walk four leaves at a time may overrun it.
const long WALK_OVERRUN = 4;

// When the leaves' log-levels spread less than this (one standard deviation),
// payoffs are small differences of nearly equal levels and a leaf's last bit
// shows in the price: there every leaf is computed exactly, as the induction
// computes it, and no closed form over the tree, a difference of sums far
// larger than the price, holds to rounding.
const double NARROW_SPREAD = 0.02;

// Weights below this, relative to the leaf a walk starts from, are left out
// rather than carried into underflow.
const double NEGLIGIBLE_WEIGHT = std::numeric_limits<double>::min();

// A walk stops where what its remaining leaves could add is below this share
// of the magnitude of the sum so far: far below the rounding of the sums.
const double TAIL_SHARE = 1e-18;

/// A probability and its complement, each to full relative precision.
struct Probabilities {
    double p;
    double q;
};

/// The Peizer-Pratt inversion (method 2) of the normal distribution at z for
/// a tree of n steps: h(z) = 1/2 + sign(z) / 2 * sqrt(1 - exp(-a^2 (n + 1/6))),
/// a = z / (n + 1/3 + 0.1 / (n + 1)). With s the square root and e =
/// exp(-a^2 (n + 1/6)), the smaller of h and 1 - h is formed as (1 - s) / 2 =
/// e / (2 (1 + s)), so that it keeps its digits near 0.
Probabilities peizer_pratt(double z, unsigned steps) {
    const double n = steps;
    const double a = z / (n + 1.0 / 3 + 0.1 / (n + 1));
    const double x = a * a * (n + 1.0 / 6);
    const double s_squared = -std::expm1(-x);
    const double s = std::sqrt(s_squared);
    // e = exp(-x) = 1 - s^2, which keeps its digits while s^2 < 1/2.
    const double e = s_squared < 0.5 ? 1 - s_squared : std::exp(-x);
    const double small = e / (2 * (1 + s));
    const double large = 0.5 + s / 2;
    if (std::isnan(z)) return Probabilities{z, z};
    return z < 0 ? Probabilities{small, large} : Probabilities{large, small};
}

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
    const double growth = std::expm1(static_cast<double>(step) * (g.log_down - g.log_up));
    // Leaves too far apart for one to be grown from the next are all exact.
    if (!std::isfinite(growth)) anchor_spacing = 1;
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
            level = std::min(level + level * growth, LARGEST);
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

/// log(n!) - log(sqrt(2 pi n) (n / e)^n), the error of Stirling's formula: from
/// the exact factorial up to 20, beyond from its asymptotic series, whose next
/// term is below 1e-17 there.
long double stirling_error(unsigned n) {
    const long double half_log_two_pi = 0.91893853320467274178032973640561764L;
    const long double x = n;
    if (n <= 20) {
        long double factorial = 1;
        for (unsigned k = 2; k <= n; ++k) factorial *= k;
        return std::log(factorial) - (x + 0.5L) * std::log(x) + x - half_log_two_pi;
    }
    const long double inverse = 1 / x;
    const long double square = inverse * inverse;
    return inverse * (1.0L / 12 - square * (1.0L / 360 -
                                            square * (1.0L / 1260 - square * (1.0L / 1680 - square / 1188))));
}

/// x log(x / mean) + mean - x for x > 0 and mean > 0: how much less likely a
/// binomial count x is than its most likely value, in log terms. Near the mean,
/// from the series in v = (x - mean) / (x + mean), so that it keeps its digits.
double deviance(double x, double mean) {
    const double d = x - mean;
    if (!(std::fabs(d) < 0.1 * (x + mean))) return x * std::log(x / mean) + mean - x;
    const double v = d / (x + mean);
    const double square = v * v;
    double sum = d * v;
    double term = 2 * x * v;
    for (double k = 3;; k += 2) {
        term *= square;
        const double next = sum + term / k;
        if (next == sum) return sum;
        sum = next;
    }
}

/// Whether the leaves capped at the largest double carry more than a
/// negligible share of the forward. Weighted by their levels, the leaves
/// follow the binomial law of share.q per step: the capped ones, of at most m
/// moves down, weigh at most exp(-(deviance(m, n q) + deviance(n - m, n p)))
/// while m lies below the mean n q.
bool caps_forward(unsigned steps, double log_level, double log_up, double log_down, Probabilities share) {
    const double n = steps;
    const double capped =
        std::floor((log_level + n * log_up - std::log(LARGEST)) / (log_up - log_down));
    if (!(capped >= 0)) return false;
    const double mean = n * share.q;
    if (capped >= mean) return true;
    const double exponent = capped == 0 ? -n * std::log(share.p)
                                        : deviance(capped, mean) + deviance(n - capped, n * share.p);
    return exponent < NEGLIGIBLE_EXPONENT;
}

/// The one line of a payoff that follows the same line on both sides of its
/// strike, as a future's does; nothing for any other.
std::optional<PayoffLine> single_line(const Instrument& instrument) {
    const std::optional<PayoffSides> sides = instrument.payoff_sides();
    if (!sides || sides->above.constant != sides->below.constant || sides->above.slope != sides->below.slope) {
        return std::nullopt;
    }
    return sides->above;
}

/// A walk over leaves first, first + 1, ... to last = steps, counted from the
/// end of the tree it leaves (the highest leaf for a walk down, the lowest
/// for a walk up), along which leaf i + 1 weighs odds * ratios[i] times as
/// much as leaf i: C(steps, i + 1) / C(steps, i) serves both ways. The ratios
/// are 0 for a few leaves past the last, so that a walk four leaves at a time
/// may overrun it. A walk starts past the peak of its weights, so they fall,
/// ever faster.
struct Walk {
    long first;
    long last;
    double odds;
    const double* ratios;
};

// The two walks below go four leaves at a time, each of the four weights (and
// levels) from those before the four, so that one multiplication (and one
// multiply-add) a block, not a leaf, chains them. A walk stops where what is
// left is below TAIL_SHARE of its sum so far plus `scale`, the magnitude of
// what the sum is added to in the walk's units, or where the weights fall
// below NEGLIGIBLE_WEIGHT, as they do past the end of the tree.

/// The weights of the next four leaves of a walk from leaf i on, relative to
/// the weight of the leaf before them: r1 and r4 the ratios into the first and
/// the last, w2, w3, w4 the products of the ratios up to each.
struct Block {
    Block(const Walk& walk, long i)
        : r1(walk.odds * walk.ratios[i]), r4(walk.odds * walk.ratios[i + 3]) {
        w2 = r1 * (walk.odds * walk.ratios[i + 1]);
        w3 = w2 * (walk.odds * walk.ratios[i + 2]);
        w4 = w3 * r4;
    }
    double r1;
    double r4;
    double w2;
    double w3;
    double w4;
};

// The weights relative to the first leaf's, summed: what is left after a
// leaf is below its weight over 1 - ratio.
double sum_weights(const Walk& walk, double scale) {
    long i = walk.first;
    double weight = 1;
    double sum = 1;
    while (i < walk.last) {
        const Block b(walk, i);
        i += 4;
        sum += weight * ((b.r1 + b.w2) + (b.w3 + b.w4));
        weight *= b.w4;
        if (weight < NEGLIGIBLE_WEIGHT || (b.r4 < 1 && weight <= TAIL_SHARE * (1 - b.r4) * (sum + scale))) break;
    }
    return sum;
}

// line(level) times the weights relative to the first leaf's, summed, from
// the first leaf's level, which grows by 1 + growth a leaf and stays below the
// largest double: what is left after a leaf is below (|constant| + |slope|
// level) times its weight over 1 - ratio times the larger of 1 and the growth.
// The walk starts past the peak of the weighted levels as well, so that |line|
// times the weights falls. In a block from level, line(level (1 + e)) is
// line(level) + slope level e, summed over the block as line(level) times the
// weights plus slope level times the weights times e: where the line keeps
// its sign along the walk, as differences of payoffs on one side do, both
// terms have that sign, which keeps the digits of payoffs near 0.
double sum_payoffs(const Walk& walk, double first_level, double growth, const PayoffLine& line,
                   double scale) {
    const double constant = std::fabs(line.constant);
    const double slope = std::fabs(line.slope);
    const double reach = std::max(1.0, 1 + growth);
    const double e1 = growth;
    const double e2 = e1 * (2 + e1);
    const double e3 = e1 + e2 + e1 * e2;
    const double e4 = e2 * (2 + e2);
    long i = walk.first;
    double level = first_level;
    double weight = 1;
    double sum = line.at(level);
    while (i < walk.last) {
        const Block b(walk, i);
        i += 4;
        const double weights = (b.r1 + b.w2) + (b.w3 + b.w4);
        const double rises = (b.r1 * e1 + b.w2 * e2) + (b.w3 * e3 + b.w4 * e4);
        sum += weight * (line.at(level) * weights + line.slope * level * rises);
        level += level * e4;
        weight *= b.w4;
        if (weight < NEGLIGIBLE_WEIGHT) break;
        const double fall = b.r4 * reach;
        if (fall < 1 &&
            weight * (constant + slope * level) <= TAIL_SHARE * (1 - fall) * (std::fabs(sum) + scale))
            break;
    }
    return sum;
}

/// high + low to twice the precision of a double, and its logarithm.
struct StepSum {
    double high;
    double low;
    double sum;
    /// sum + error is high + low exactly.
    double error;
    double log;

    StepSum(double high_weight, double low_weight) : high(high_weight), low(low_weight), sum(high + low) {
        const double low_part = sum - high;
        error = (high - (sum - low_part)) + (low - low_part);
        log = std::log(sum) + error / sum;
    }
};

}  // namespace

double BinomialTreePricer::Limit::value(const Instrument& instrument) const {
    if (std::isnan(discount)) return discount;
    const std::optional<PayoffSides> sides = instrument.payoff_sides();
    const double strike = instrument.strike();
    double sum = 0;
    for (int k = 0; k < 2; ++k) {
        if (weight[k] == 0) continue;
        if (!sides || level[k] == strike) {
            sum += discount * (weight[k] * instrument.payoff(level[k]));
            continue;
        }
        const PayoffLine& line = level[k] > strike ? sides->above : sides->below;
        if (line.constant != 0) sum += line.constant * (weight[k] * discount);
        if (line.slope != 0) sum += line.slope * present[k];
    }
    return sum;
}

double BinomialTreePricer::Geometry::leaf(unsigned i) const {
    const double x = (static_cast<double>(steps) - i) * log_up + i * log_down;
    return std::min(level * std::exp(x), LARGEST);
}

BinomialTreePricer::BinomialTreePricer(unsigned steps) {
    if (steps == 0) throw QuorvaException("Binomial tree needs at least one step");
    if (steps % 2 == 0) ++steps;
    nodes_.assign(static_cast<std::size_t>(steps) + 1, 0.0);
    lower_coefficients_.assign(nodes_.size() + WALK_OVERRUN, 0.0);
    higher_coefficients_.assign(nodes_.size(), 0.0);
    ratios_.assign(nodes_.size(), 0.0);
    peak_weights_.assign(nodes_.size(), 1.0);
    for (unsigned i = 0; i < steps; ++i) {
        lower_coefficients_[i] = static_cast<double>(steps - i) / (i + 1.0);
        higher_coefficients_[i + 1] = (i + 1.0) / static_cast<double>(steps - i);
    }
    // Stirling's formula for the three factorials of C(steps, i), with the
    // errors of its three uses.
    const long double two_pi = 6.28318530717958647692528676655900577L;
    for (unsigned i = 1; i < steps; ++i) {
        const long double n = steps;
        const long double k = i;
        peak_weights_[i] = static_cast<double>(
            std::sqrt(n / (two_pi * k * (n - k))) *
            std::exp(stirling_error(steps) - stirling_error(i) - stirling_error(steps - i)));
    }
}

BinomialTreePricer::Geometry BinomialTreePricer::geometry(const Market& market,
                                                          const Instrument& instrument) const {
    Geometry g;
    g.steps = steps();
    g.level = market.level();
    const double strike = instrument.strike();
    const Market::Local local = market.local(strike, instrument.expiry());
    const double sigma = local.volatility + market.smile().eval(strike, g.level);
    if (sigma < 0) {
        std::ostringstream message;
        message << "Negative volatility at strike " << strike;
        throw QuorvaException(message.str());
    }
    const double r = market.rate();
    const double b = r - local.div_yield;
    g.tau = local.tau;
    g.volatility = sigma;
    g.rate = r;
    g.yield = local.div_yield;
    g.log_up = g.log_down = g.p = g.q = g.discount = 0;
    g.degenerate = true;

    // At or after expiry the instrument is worth its payoff at the level.
    g.limit = Limit{1, {g.level, 0}, {1, 0}, {g.level, 0}};
    if (!(g.tau > 0)) return g;
    // Without volatility (or without an index) the level grows to its forward
    // for certain.
    const double index_share = g.level * std::exp(-local.div_yield * g.tau);
    auto forward_limit = [&] {
        const double forward = g.level * std::exp(b * g.tau);
        g.limit = Limit{std::exp(-r * g.tau), {forward, 0}, {1, 0}, {index_share, 0}};
        return forward;
    };
    if (sigma == 0 || !(g.level > 0)) {
        forward_limit();
        return g;
    }

    // d1 and d2 of the closed form, without squaring sigma.
    const double spread = sigma * std::sqrt(g.tau);
    const double moneyness = strike > 0 ? std::log(g.level / strike) : UNBOUNDED;
    const double centre = (moneyness + b * g.tau) / spread;
    const double d1 = centre + spread / 2;
    const double d2 = centre - spread / 2;
    const Probabilities share = peizer_pratt(d1, g.steps);
    const Probabilities risk = peizer_pratt(d2, g.steps);
    const double dt = g.tau / g.steps;
    const double log_up = b * dt + std::log(share.p / risk.p);
    const double log_down = b * dt + std::log(share.q / risk.q);
    // An American option keeps its tree, whose early exercise at uncapped
    // nodes is worth far more than what the capped leaves lose.
    const bool wide = !instrument.american() && d1 > WIDE_DEVIATIONS && d2 < -WIDE_DEVIATIONS &&
                      caps_forward(g.steps, std::log(g.level), log_up, log_down, share);
    if (wide || !(std::min(std::min(share.p, share.q), std::min(risk.p, risk.q)) >= SMALLEST)) {
        const double forward = forward_limit();
        if (std::isnan(d1)) {
            g.limit.discount = std::numeric_limits<double>::quiet_NaN();
        } else if (d1 > 0 && d2 < 0) {
            // A spread too wide for any tree: almost all the weight at 0, and
            // the little left far enough out to keep the forward.
            const double high = std::min(forward / FAR_WEIGHT, LARGEST);
            const double w = std::min(forward / high, 1.0);
            g.limit.level[0] = 0;
            g.limit.weight[0] = 1 - w;
            g.limit.present[0] = 0;
            g.limit.level[1] = high;
            g.limit.weight[1] = w;
            g.limit.present[1] = index_share;
        }
        // Otherwise the whole distribution lies on one side of the strike,
        // where every payoff is linear: its value is that at the forward.
        return g;
    }

    g.p = risk.p;
    g.q = risk.q;
    g.log_up = log_up;
    g.log_down = log_down;
    g.discount = std::exp(-r * dt);
    g.degenerate = false;
    return g;
}

double BinomialTreePricer::price(const Market& market, const Instrument& instrument) {
    if (const std::optional<PayoffLine> line = single_line(instrument)) return line_value(market, instrument, *line);
    const Geometry g = geometry(market, instrument);
    if (instrument.american()) return american_price(market, g, instrument);
    return european(g, instrument);
}

double BinomialTreePricer::european(const Geometry& g, const Instrument& instrument) {
    if (g.degenerate) return g.limit.value(instrument);
    // With a per-step factor of 0 or infinity the leaf weights cannot be
    // formed; only the induction reproduces what the tree does there.
    if (!std::isnormal(g.discount * g.p) || !std::isnormal(g.discount * g.q)) return induction(g, instrument);
    if (const std::optional<PayoffSides> sides = instrument.payoff_sides()) {
        if (const std::optional<double> value = sided_sum(g, instrument, *sides)) return *value;
    }
    return leaf_sum(g, instrument);
}

double BinomialTreePricer::price_by_induction(const Market& market,
                                              const Instrument& instrument) {
    const Geometry g = geometry(market, instrument);
    if (instrument.american()) return american(market, g, instrument, true);
    if (g.degenerate) return g.limit.value(instrument);
    return induction(g, instrument);
}

double BinomialTreePricer::price_by_fast_induction(const Market& market, const Instrument& instrument) {
    const Geometry g = geometry(market, instrument);
    if (instrument.american()) return american(market, g, instrument, false);
    return european(g, instrument);
}

double BinomialTreePricer::american_price(const Market& market, const Geometry& g, const Instrument& instrument) {
    if (g.degenerate) return american(market, g, instrument, false);
    const bool call = instrument.payoff_sides()->above.slope > 0;
    const double european_value = european(g, instrument);
    const double payoff = instrument.payoff(g.level);
    // The put's rate and yield; a call's are the other way round.
    const double rate = call ? g.yield : g.rate;
    const double yield = call ? g.rate : g.yield;
    const double largest = std::max(std::fabs(rate), std::fabs(yield));
    const bool boundary_holds = AmericanBoundaryEngine::has_one_boundary(call, g.rate, g.yield) &&
                                g.volatility * std::sqrt(g.tau) <= BOUNDARY_SPREAD &&
                                largest * g.tau <= BOUNDARY_GROWTH &&
                                largest <= BOUNDARY_DRIFT * g.volatility * g.volatility;
    double value = european_value;
    if (rate <= 0 && yield >= 0) {
        // The European value is never below the payoff: no early exercise.
    } else if (boundary_holds) {
        const std::optional<double> premium =
            boundary_engine_.premium(call, g.level, instrument.strike(), g.tau, g.rate, g.yield, g.volatility);
        value = premium ? european_value + *premium : payoff;
        if (!std::isfinite(value)) value = american(market, g, instrument, false);
    } else {
        value = american(market, g, instrument, false);
    }
    return std::max(std::max(value, european_value), payoff);
}

double BinomialTreePricer::line_value(const Market& market, const Instrument& instrument, const PayoffLine& line) {
    const Market::Local local = market.local(instrument.strike(), instrument.expiry());
    const double tau = local.tau;
    if (!(tau > 0)) return instrument.payoff(market.level());
    double value = 0;
    if (line.constant != 0) value += line.constant * std::exp(-market.rate() * tau);
    if (line.slope != 0) value += line.slope * (market.level() * std::exp(-local.div_yield * tau));
    return value;
}

// Leaf i is reached by steps - i moves to the higher child and i to the lower,
// along C(steps, i) paths: its weight is C(steps, i) high^(steps - i) low^i,
// with the same per-step factors as the induction, so the weights sum to
// (high + low)^steps. They are grown outward from the most likely leaf by
// their ratios, relative to it, which keeps them clear of underflow there.
double BinomialTreePricer::leaf_sum(const Geometry& g, const Instrument& instrument) const {
    const long n = g.steps;
    const double high = g.discount * g.p;
    const double low = g.discount * g.q;
    const long mode = std::min(n, static_cast<long>(static_cast<double>(n + 1) * g.q));
    const double spread = (g.log_up - g.log_down) / 2 * std::sqrt(static_cast<double>(n));
    const long anchor_spacing = spread < NARROW_SPREAD ? 1 : ANCHOR_SPACING;

    LeafSums sums;
    sums.add(1, instrument.payoff(g.leaf(static_cast<unsigned>(mode))));
    add_leaves(g, instrument, mode, 1, low / high, lower_coefficients_.data(), anchor_spacing,
               sums);
    add_leaves(g, instrument, mode, -1, high / low, higher_coefficients_.data(), anchor_spacing,
               sums);
    return std::pow(high + low, g.steps) * (sums.value / sums.weight);
}

// Leaf i has weight C(n, i) high^(n - i) low^i = (high + low)^n b(i), b the
// binomial probability of i falls in n of probability low / (high + low); the
// weighted levels sum to level (high u + low d)^n, u and d the per-step factors
// of the level. Both sequences, weights and weighted levels, peak once. So the
// constant of the line that the payoff follows on the side of the strike where
// the weights peak, and the slope of the line on the side where the weighted
// levels peak, sum over the whole tree in closed form; the other sides add a
// difference of lines, summed by walks from the strike outward, where the
// terms fall.
std::optional<double> BinomialTreePricer::sided_sum(const Geometry& g, const Instrument& instrument,
                                                    const PayoffSides& sides) const {
    const long n = g.steps;
    const double spread = (g.log_up - g.log_down) / 2 * std::sqrt(static_cast<double>(n));
    if (spread < NARROW_SPREAD) return std::nullopt;
    // Closed forms and levels grown along a walk hold while no leaf is capped:
    // certainly while the highest one stays below 2^1023.
    const double log_highest = (std::ilogb(g.level) + 1) * LOG_TWO + static_cast<double>(n) * g.log_up;
    if (!(log_highest < 1023 * LOG_TWO) && !(g.leaf(0) < LARGEST)) return std::nullopt;
    // The tree puts the strike between its two middle leaves, half a step from
    // each; leaves up to `above` lie above it, from `below` on below it.
    const long above = n / 2;
    const long below = above + 1;
    const double above_level = g.leaf(static_cast<unsigned>(above));
    const double below_level = g.leaf(static_cast<unsigned>(below));
    const double strike = instrument.strike();
    if (!(above_level > strike && strike > below_level)) return std::nullopt;

    const StepSum step_sum(g.discount * g.p, g.discount * g.q);
    const double high = step_sum.high;
    const double low = step_sum.low;
    const double log_total = static_cast<double>(n) * step_sum.log;
    // The weight of leaf i, to full relative precision, by the deviance of i
    // from its mean.
    const double lower_mean = static_cast<double>(n) * (low / step_sum.sum);
    const double higher_mean = static_cast<double>(n) * (high / step_sum.sum);
    auto weight_of = [&](long i) {
        if (i == 0) return std::pow(high, static_cast<double>(n));
        if (i == n) return std::pow(low, static_cast<double>(n));
        const double k = static_cast<double>(i);
        return peak_weights_[i] * std::exp(log_total - deviance(k, lower_mean) -
                                           deviance(static_cast<double>(n) - k, higher_mean));
    };

    // Where a sequence falls from leaf `above` to leaf `below`, it peaks above
    // the strike.
    const double fall_growth = std::expm1(g.log_down - g.log_up);
    const double fall_ratio = low / high * lower_coefficients_[above];
    const bool weights_above = fall_ratio < 1;
    const bool levels_above = fall_ratio * (1 + fall_growth) < 1;
    const PayoffLine& weights_side = weights_above ? sides.above : sides.below;
    const PayoffLine& levels_side = levels_above ? sides.above : sides.below;
    double value = 0;
    if (weights_side.constant != 0) value += weights_side.constant * std::exp(log_total);
    if (levels_side.slope != 0) {
        const double drift =
            std::fma(high, std::expm1(g.log_up), low * std::expm1(g.log_down)) / step_sum.sum;
        value +=
            levels_side.slope * g.level * std::exp(log_total + static_cast<double>(n) * std::log1p(drift));
    }

    // Walks below the strike from leaf `below` where their sequence peaks
    // above it, above from leaf `above` (n - above from the lowest leaf)
    // otherwise. Weights below the smallest double are left out, as in
    // leaf_sum.
    auto walk_of = [&](bool far_below, double level_growth) {
        return Walk{far_below ? below : n - above, n,
                    (far_below ? low / high : high / low) * (1 + level_growth), lower_coefficients_.data()};
    };
    auto growth_of = [&](bool far_below) {
        return far_below ? fall_growth : -fall_growth / (1 + fall_growth);
    };
    auto level_of = [&](bool far_below) { return far_below ? below_level : above_level; };
    auto weight_from = [&](bool far_below) {
        const double weight = weight_of(far_below ? below : above);
        return weight >= SMALLEST ? weight : 0.0;
    };
    const double constant = (weights_above ? sides.below : sides.above).constant - weights_side.constant;
    const double slope = (levels_above ? sides.below : sides.above).slope - levels_side.slope;
    if (weights_above == levels_above && constant != 0 && slope != 0) {
        // One walk with the whole difference of lines, which keeps the
        // digits of payoffs near 0.
        const double weight = weight_from(weights_above);
        if (weight != 0) {
            value += weight * sum_payoffs(walk_of(weights_above, 0), level_of(weights_above),
                                          growth_of(weights_above), PayoffLine{constant, slope},
                                          std::fabs(value) / weight);
        }
    } else {
        // The weights, and the weighted levels, on their own.
        const double weight = constant == 0 ? 0.0 : weight_from(weights_above) * std::fabs(constant);
        if (weight != 0) {
            value += std::copysign(weight, constant) *
                     sum_weights(walk_of(weights_above, 0), std::fabs(value) / weight);
        }
        const double weighted_level =
            slope == 0 ? 0.0 : weight_from(levels_above) * level_of(levels_above) * std::fabs(slope);
        if (weighted_level != 0) {
            value += std::copysign(weighted_level, slope) *
                     sum_weights(walk_of(levels_above, growth_of(levels_above)),
                                 std::fabs(value) / weighted_level);
        }
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

double BinomialTreePricer::delta(const Market& market, const Instrument& instrument) {
    Market::Delta shift;
    shift.level() = LEVEL_SHIFT;
    return price(market + shift, instrument) - price(market - shift, instrument);
}

double BinomialTreePricer::gamma(const Market& market, const Instrument& instrument) {
    // A line has no curvature, which differences of its prices would miss by rounding.
    if (single_line(instrument)) return 0;
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
    if (std::isnan(price)) return NOT_FOUND;

    const Market::Local local = market.local(instrument.strike(), instrument.expiry());
    Market flat(market);
    flat.smile() = Smile(Smile::STICKY_DELTA, 0, 0);
    // A surface keeps its forward at the expiry, not its volatility.
    if (market.surface()) {
        flat.div_yield() = local.div_yield;
        flat.surface() = usr::P<const VolSurface>();
    }
    const PriceResidue residue(*this, flat, instrument, price);
    const std::vector<double> roots =
        math::solve::RootScan(IMPLVOL_SAMPLES, IMPLVOL_TOLERANCE).roots(residue, IMPLVOL_LOW, IMPLVOL_HIGH);
    const double preferred = local.volatility + market.smile().eval(instrument.strike(), market.level());
    double nearest = NOT_FOUND;
    for (const double root : roots) {
        if (std::fabs(root - preferred) < std::fabs(nearest - preferred)) nearest = root;
    }
    return nearest;
}

}  // namespace quorva
