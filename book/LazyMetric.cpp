#include "book/LazyMetric.h"

#include "foundation/QuorvaException.h"
#include "terminal/Interrupt.h"

#include <boost/algorithm/string/case_conv.hpp>

#include <algorithm>
#include <cmath>

namespace quorva {

namespace {

const double HALF_PERCENT = 0.005;

}  // namespace

const std::vector<std::string>& LazyMetric::names() {
    static const std::vector<std::string> words = {"price", "delta", "gamma", "theta", "vega", "rho", "payoff",
                                                 "value", "pnl", "cashdelta", "cashgamma"};
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

LazyMetric::LazyMetric(BinomialTreePricer& pricer, const Market& market, const Position& position, Metric metric,
                       double multiplier)
    : pricer_(pricer),
      market_(market),
      first_(&position),
      last_(&position + 1),
      metric_(metric),
      multiplier_(multiplier) {}

LazyMetric::LazyMetric(BinomialTreePricer& pricer, const Market& market, const Portfolio& portfolio, Metric metric,
                       double multiplier)
    : pricer_(pricer),
      market_(market),
      first_(portfolio.data()),
      last_(portfolio.data() + portfolio.size()),
      metric_(metric),
      multiplier_(multiplier) {}

double LazyMetric::value_at(const Instrument& instrument, double factor) const {
    if (factor == 1) return pricer_.price(market_, instrument) * multiplier_;
    Market moved = market_;
    moved.level() *= factor;
    return pricer_.price(moved, instrument) * multiplier_;
}

double LazyMetric::calc_value(const Instrument& instrument) const {
    switch (metric_) {
    case PRICE: return pricer_.price(market_, instrument);
    case DELTA: return pricer_.delta(market_, instrument);
    case GAMMA: return pricer_.gamma(market_, instrument);
    case THETA: return pricer_.theta(market_, instrument);
    case VEGA: return pricer_.vega(market_, instrument);
    case RHO: return pricer_.rho(market_, instrument);
    case PAYOFF: return instrument.payoff(market_.level());
    case VALUE:
    case PNL: return value_at(instrument, 1);
    // A 1% rise of the level: a central difference over +-0.5% for the
    // delta, the second difference over +-1% for the gamma.
    case CASHDELTA: return value_at(instrument, 1 + HALF_PERCENT) - value_at(instrument, 1 - HALF_PERCENT);
    case CASHGAMMA:
        return value_at(instrument, 1 + 2 * HALF_PERCENT) - 2 * value_at(instrument, 1) +
               value_at(instrument, 1 - 2 * HALF_PERCENT);
    default: throw QuorvaException("Unknown metric - internal error");
    }
}

double LazyMetric::eval() const {
    double sum = 0;
    for (const Position* p = first_; p != last_; ++p) {
        Interrupt::check();
        if (metric_ == PNL) {
            if (!p->trade_price) continue;
            sum = p->first * (calc_value(*p->second) - *p->trade_price * multiplier_) + sum;
        } else {
            sum = p->first * calc_value(*p->second) + sum;
        }
    }
    return in_range(sum);
}

double LazyMetric::in_range(double value) {
    if (!std::isfinite(value)) throw QuorvaException("Price out of range");
    return value;
}

std::size_t LazyMetric::left_out() const {
    if (metric_ != PNL) return 0;
    return static_cast<std::size_t>(
        std::count_if(first_, last_, [](const Position& position) { return !position.trade_price; }));
}

}  // namespace quorva
