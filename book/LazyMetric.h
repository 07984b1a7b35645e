#pragma once
// A metric bound to the whole portfolio or one position and to the live
// market: it computes nothing until asked, and asks the market of that moment.

#include "book/Position.h"
#include "model/BinomialTreePricer.h"
#include "model/Market.h"

#include <string>
#include <vector>

namespace quorva {

class LazyMetric {
public:
    enum Metric { NONE = 0, PRICE, DELTA, GAMMA, THETA, VEGA, RHO, PAYOFF };

    /// The metric words in lower case, PRICE first, in the order of Metric.
    static const std::vector<std::string>& names();
    /// What "all" names: the price and its five greeks, PAYOFF left out.
    static const std::vector<Metric>& all();
    /// The metric named by a whole word in any letter case; NONE otherwise.
    static Metric parse_metric(std::string name);

    LazyMetric(BinomialTreePricer& pricer, const Market& market, const Position& position,
               Metric metric);
    LazyMetric(BinomialTreePricer& pricer, const Market& market, const Portfolio& portfolio,
               Metric metric);

    /// The metric for one unit of the instrument in the market as it is now;
    /// PAYOFF is what the instrument pays at expiry with the index at the
    /// current level, not discounted.
    double calc_value(const Instrument& instrument) const;
    /// Quantity times unit value, summed over the bound positions; throws
    /// "Price out of range" where that sum is not a finite double.
    double eval() const;
    /// `value` itself when finite; throws "Price out of range" otherwise.
    static double in_range(double value);

private:
    BinomialTreePricer& pricer_;
    const Market& market_;
    const Position* first_;
    const Position* last_;
    Metric metric_;
};

}  // namespace quorva
