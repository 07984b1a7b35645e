#include "book/LazyMetric.h"

#include "foundation/QuorvaException.h"
#include "terminal/Interrupt.h"

#include <boost/algorithm/string/case_conv.hpp>

#include <cmath>

namespace quorva {

const std::vector<std::string>& LazyMetric::names() {
    static const std::vector<std::string> words = {"price", "delta", "gamma", "theta", "vega", "rho", "payoff"};
    return words;
}

const std::vector<LazyMetric::Metric>& LazyMetric::all() {
    static const std::vector<Metric> six = {PRICE, DELTA, GAMMA, THETA, VEGA, RHO};
    return six;
}

LazyMetric::Metric LazyMetric::parse_metric(std::string name) {
    boost::algorithm::to_lower(name);
    for (std::size_t m = 0; m < names().size(); ++m) {
        if (name == names()[m]) return static_cast<Metric>(m + 1);
    }
    return NONE;
}

LazyMetric::LazyMetric(BinomialTreePricer& pricer, const Market& market,
                                      const Position& position, Metric metric)
    : pricer_(pricer), market_(market), first_(&position), last_(&position + 1), metric_(metric) {}

LazyMetric::LazyMetric(BinomialTreePricer& pricer, const Market& market,
                                      const Portfolio& portfolio, Metric metric)
    : pricer_(pricer),
      market_(market),
      first_(portfolio.data()),
      last_(portfolio.data() + portfolio.size()),
      metric_(metric) {}

double LazyMetric::calc_value(const Instrument& instrument) const {
    switch (metric_) {
    case PRICE: return pricer_.price(market_, instrument);
    case DELTA: return pricer_.delta(market_, instrument);
    case GAMMA: return pricer_.gamma(market_, instrument);
    case THETA: return pricer_.theta(market_, instrument);
    case VEGA: return pricer_.vega(market_, instrument);
    case RHO: return pricer_.rho(market_, instrument);
    case PAYOFF: return instrument.payoff(market_.level());
    default: throw QuorvaException("Unknown metric - internal error");
    }
}

double LazyMetric::eval() const {
    double sum = 0;
    for (const Position* p = first_; p != last_; ++p) {
        Interrupt::check();
        sum = p->first * calc_value(*p->second) + sum;
    }
    return in_range(sum);
}

double LazyMetric::in_range(double value) {
    if (!std::isfinite(value)) throw QuorvaException("Price out of range");
    return value;
}

}  // namespace quorva
