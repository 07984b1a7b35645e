#include "model/BinomialTreePricer.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Backward induction over the tree: the plain one over every node, and the
// one with exercise at every node that values American options on the tree.

namespace quorva {

namespace {

// The fast induction takes a node at its payoff where the paths through it
// and the nodes beyond it carry at most this share of the strike plus the
// level, summed over the steps.
const double REACH_SHARE = 1e-12;
const double LARGEST = std::numeric_limits<double>::max();

/// v[j] = max(high * v[j] + low * v[j + 1], top * r[j] + offset) for j < count,
/// each v[j + 1] read before it is written: a node's continuation against its
/// exercise, in a loop the compiler can vectorise.
void hold_or_exercise(double* __restrict v, const double* __restrict r, long count, double high, double low,
                      double top, double offset) {
    for (long j = 0; j < count; ++j) v[j] = std::max(high * v[j] + low * v[j + 1], top * r[j] + offset);
}

}  // namespace

double BinomialTreePricer::american(const Market& market, const Geometry& g, const Instrument& instrument,
                                    bool whole_tree) {
    if (!(g.tau > 0)) return g.limit.value(instrument);
    if (g.degenerate) return std::max(g.limit.value(instrument), best_certain_exercise(market.rate(), g.yield, g, instrument));
    return early_exercise(g, instrument, market.rate(), g.yield, whole_tree);
}

double BinomialTreePricer::best_certain_exercise(double r, double yield, const Geometry& g,
                                                 const Instrument& instrument) {
    const double growth = r - yield;
    const double dt = g.tau / g.steps;
    double best = -LARGEST;
    for (unsigned k = 0; k <= g.steps; ++k) {
        const double t = k * dt;
        best = std::max(best, std::exp(-r * t) * instrument.payoff(g.level * std::exp(growth * t)));
    }
    return best;
}

// A node's value is the larger of its continuation and the payoff at its
// level, level(m, j) = top(m) * ratio^j with top(m) = level * up^m the
// highest node of step m, both grown from exact anchors. Outside the whole
// tree only the nodes that the root reaches with weight are visited; a child
// beyond them is taken at its payoff. What that misses is at most the root's
// weight of the nodes left out times their value over their payoff, which is
// below the strike (a put) or the level of the node (a call), each grown by
// at most the larger of 1 and the discount over the whole tree. The number of
// down moves to step m is binomial with probability q, and under the weights
// times the levels with probability q u / (p u + q d); Bernstein's inequality
// bounds both tails, each by exp(-t^2 / (2 (m p q + t / 3))) at t from the
// mean, and the window of step m keeps every node within the t of both that
// holds them to a share of REACH_SHARE over the steps.
double BinomialTreePricer::early_exercise(const Geometry& g, const Instrument& instrument, double rate, double yield,
                                          bool whole_tree) {
    const unsigned n = g.steps;
    const double strike = instrument.strike();
    // Calls pay sign * (level - strike) with sign 1, puts with sign -1; only
    // they are American, and both are lines each side of the strike.
    const double sign = instrument.payoff_sides()->above.slope > 0 ? 1 : -1;
    const double log_ratio = g.log_down - g.log_up;
    const double ratio = std::exp(log_ratio);
    for (unsigned j = 0; j <= n; ++j) {
        ratios_[j] = j % ANCHOR_SPACING == 0 ? std::exp(j * log_ratio) : ratios_[j - 1] * ratio;
    }
    const double down_one = std::exp(-g.log_up);
    const auto top_of = [&](unsigned m, double above) {
        return m % ANCHOR_SPACING == 0 ? std::min(g.level * std::exp(m * g.log_up), LARGEST) : above * down_one;
    };
    const double growth = std::max(1.0, std::exp(-std::min(rate, yield) * g.tau));
    const double log_share = std::log(4.0 * n * growth * growth / REACH_SHARE);
    const double tilted = 1 / (1 + g.p / g.q * std::exp(g.log_up - g.log_down));
    const double down_chances[2] = {g.q, tilted};
    const auto window = [&](unsigned m, unsigned& lo, unsigned& hi) {
        lo = 0;
        hi = m;
        if (whole_tree) return;
        lo = m;
        hi = 0;
        for (double chance : down_chances) {
            const double centre = m * chance;
            const double variance = centre * (1 - chance);
            const double half =
                log_share / 3 + std::sqrt(log_share * log_share / 9 + 2 * log_share * variance) + 1;
            lo = std::min(lo, centre - half > 0 ? static_cast<unsigned>(centre - half) : 0u);
            hi = std::max(hi, centre + half < m ? static_cast<unsigned>(std::ceil(centre + half)) : m);
        }
    };
    const auto payoff = [&](double top, unsigned j) { return std::max(sign * (top * ratios_[j] - strike), 0.0); };

    double top = std::min(g.level * std::exp(n * g.log_up), LARGEST);
    unsigned lo = 0;
    unsigned hi = 0;
    window(n, lo, hi);
    for (unsigned j = lo; j <= hi; ++j) nodes_[j] = payoff(top, j);
    const double high = g.discount * g.p;
    const double low = g.discount * g.q;
    const double offset = -sign * strike;
    double* const v = nodes_.data();
    const double* const r = ratios_.data();
    // Rates and yields of no less than 0 exercise a put at and below one level
    // of each step and a call at and above one. The node at that edge is kept;
    // beyond it every node is worth its payoff, which the next step computes
    // for the children it needs instead of visiting those nodes.
    const bool put = sign < 0;
    const bool one_edge = !whole_tree && rate >= 0 && yield >= 0;
    long edge = put ? static_cast<long>(hi) + 1 : -1;
    for (unsigned m = n; m-- > 0;) {
        const unsigned child_lo = lo;
        const unsigned child_hi = hi;
        window(m, lo, hi);
        for (unsigned j = lo; j < child_lo; ++j) v[j] = payoff(top, j);
        for (unsigned j = child_hi + 1; j <= hi + 1; ++j) v[j] = payoff(top, j);
        const double child_top = top;
        top = top_of(m, top);
        const double scaled_top = sign * top;
        // A child at or beyond the edge's side is taken from its payoff.
        const auto child = [&](long j) {
            return (put ? j > edge : j < edge) ? payoff(child_top, static_cast<unsigned>(j)) : v[j];
        };
        // Sets node j and tells whether it is exercised.
        const auto settle = [&](long j, double left, double right) {
            const double hold = high * left + low * right;
            const double exercise = scaled_top * r[j] + offset;
            v[j] = std::max(hold, exercise);
            return exercise > 0 && exercise >= hold;
        };
        long first = lo;
        long last = hi;
        long next_edge = put ? static_cast<long>(hi) + 1 : static_cast<long>(lo) - 1;
        if (one_edge && put) {
            last = std::min(last, edge - 1);
        } else if (one_edge) {
            first = std::max(first, edge);
            // The call's nodes above the free ones, downwards until one is exercised.
            double right = child(first);
            for (long j = first - 1; j >= static_cast<long>(lo); --j) {
                const double left = child(j);
                if (settle(j, left, right)) {
                    next_edge = j;
                    break;
                }
                right = left;
            }
        }
        hold_or_exercise(v + first, r + first, last - first + 1, high, low, scaled_top, offset);
        if (!one_edge) continue;
        const auto exercised = [&](long j) {
            const double exercise = scaled_top * r[j] + offset;
            return exercise > 0 && v[j] == exercise;
        };
        if (put && first <= last && exercised(last)) {
            next_edge = last;
        } else if (put) {
            // The put's nodes below the free ones, upwards until one is exercised.
            for (long j = std::max(last + 1, first); j <= static_cast<long>(hi); ++j) {
                if (settle(j, child(j), child(j + 1))) {
                    next_edge = j;
                    break;
                }
            }
        } else if (next_edge < static_cast<long>(lo) && first <= last && exercised(first)) {
            next_edge = first;
        }
        edge = next_edge;
    }
    return v[0];
}

double BinomialTreePricer::induction(const Geometry& g, const Instrument& instrument) {
    const unsigned n = g.steps;
    for (unsigned i = 0; i <= n; ++i) nodes_[i] = instrument.payoff(g.leaf(i));

    const double high = g.discount * g.p;
    const double low = g.discount * g.q;
    for (unsigned width = n; width > 0; --width) {
        for (unsigned j = 0; j < width; ++j) nodes_[j] = high * nodes_[j] + low * nodes_[j + 1];
    }
    return nodes_[0];
}

}  // namespace quorva
