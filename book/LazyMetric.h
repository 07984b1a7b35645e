#pragma once
// A metric bound to the whole portfolio or one position and to the live
// market: it computes nothing until asked, and asks the market of that moment.
// The six of the pricer and the payoff are in index points per unit; the money
// metrics (value, pnl, cashdelta, cashgamma) are in currency, through the
// contract multiplier.

#include "book/Position.h"
#include "model/BinomialTreePricer.h"
#include "model/Market.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorva {

class LazyMetric {
public:
    enum Metric { NONE = 0, PRICE, DELTA, GAMMA, THETA, VEGA, RHO, PAYOFF, VALUE, PNL, CASHDELTA, CASHGAMMA };

    /// The metric words in lower case, PRICE first, in the order of Metric.
    static const std::vector<std::string>& names();
    /// What "all" names: the price and its five greeks, PAYOFF left out.
    static const std::vector<Metric>& all();
    /// The metric named by a whole word in any letter case; NONE otherwise.
    static Metric parse_metric(std::string name);

    /// `multiplier`: currency per index point per unit, for the money metrics.
    LazyMetric(BinomialTreePricer& pricer, const Market& market, const Position& position,
               Metric metric, double multiplier = 1);
    LazyMetric(BinomialTreePricer& pricer, const Market& market, const Portfolio& portfolio,
               Metric metric, double multiplier = 1);

    /// The metric for one unit of the instrument in the market as it is now;
    /// PAYOFF is what the instrument pays at expiry with the index at the
    /// current level, not discounted. PNL, which needs a trade price, is the
    /// value here.
    double calc_value(const Instrument& instrument) const;
    /// Quantity times unit value, summed over the bound positions; PNL leaves
    /// out those without a trade price. Throws "Price out of range" where that
    /// sum is not a finite double.
    double eval() const;
    /// How many bound positions eval() leaves out: for PNL those without a
    /// trade price, for the others none.
    std::size_t left_out() const;
    /// `value` itself when finite; throws "Price out of range" otherwise.
    static double in_range(double value);

private:
    /// The value of one unit in currency with the level moved by `factor`.
    double value_at(const Instrument& instrument, double factor) const;

    BinomialTreePricer& pricer_;
    const Market& market_;
    const Position* first_;
    const Position* last_;
    Metric metric_;
    double multiplier_;
};

}  // namespace quorva
