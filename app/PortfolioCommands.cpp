// The portfolio commands `add`, `del` and `list`, the metric words typed at
// the prompt, and the binding of a metric to positions.

#include "app/FixMarket.h"
#include "app/Interrupt.h"
#include "app/LazyMetric.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/numeric/conversion/cast.hpp>

#include <istream>
#include <limits>
#include <ostream>
#include <vector>

namespace quorva {

const std::vector<std::string>& QuorvaConsole::LazyMetric::names() {
    static const std::vector<std::string> words = {"price", "delta", "gamma", "theta", "vega", "rho"};
    return words;
}

QuorvaConsole::LazyMetric::Metric QuorvaConsole::LazyMetric::parse_metric(std::string name) {
    boost::algorithm::to_lower(name);
    for (std::size_t m = 0; m < names().size(); ++m) {
        if (name == names()[m]) return static_cast<Metric>(m + 1);
    }
    return NONE;
}

QuorvaConsole::LazyMetric::LazyMetric(BinomialTreePricer& pricer, const Market& market,
                                      const Position& position, Metric metric)
    : pricer_(pricer), market_(market), first_(&position), last_(&position + 1), metric_(metric) {}

QuorvaConsole::LazyMetric::LazyMetric(BinomialTreePricer& pricer, const Market& market,
                                      const Portfolio& portfolio, Metric metric)
    : pricer_(pricer),
      market_(market),
      first_(portfolio.data()),
      last_(portfolio.data() + portfolio.size()),
      metric_(metric) {}

double QuorvaConsole::LazyMetric::calc_value(const Instrument& instrument) const {
    switch (metric_) {
    case PRICE: return pricer_.price(market_, instrument);
    case DELTA: return pricer_.delta(market_, instrument);
    case GAMMA: return pricer_.gamma(market_, instrument);
    case THETA: return pricer_.theta(market_, instrument);
    case VEGA: return pricer_.vega(market_, instrument);
    case RHO: return pricer_.rho(market_, instrument);
    default: throw_error("Unknown metric - internal error");
    }
}

double QuorvaConsole::LazyMetric::eval() const {
    double sum = 0;
    for (const Position* p = first_; p != last_; ++p) {
        Interrupt::check();
        sum = p->first * calc_value(*p->second) + sum;
    }
    return sum;
}

bool QuorvaConsole::is_metric_name(std::string word) {
    return LazyMetric::parse_metric(std::move(word)) != LazyMetric::NONE;
}

QuorvaConsole::LazyMetric QuorvaConsole::bind_metric(const std::string& name, std::istream& in) {
    const LazyMetric::Metric metric = LazyMetric::parse_metric(name);
    if (metric == LazyMetric::NONE) throw_error("Expected metric name");
    const int count = boost::numeric_cast<int>(portfolio_.size());
    if (peek_char(in) != '[') return LazyMetric(pricer_, market_, portfolio_, metric);
    read_char(in);
    const int index = read_int(in);
    if (index == std::numeric_limits<int>::max() || index < 1 || index > count) {
        throw_error("Index out of range");
    }
    if (read_char(in) != ']') throw_error("Expected ']'");
    return LazyMetric(pricer_, market_, portfolio_[index - 1], metric);
}

QuorvaConsole::LazyMetric QuorvaConsole::bind_metric(std::istream& in) {
    const std::string name = read_string(in, "[");
    if (name.empty()) throw_error("Expected metric name");
    return bind_metric(name, in);
}

void QuorvaConsole::do_metric(const std::string& name, std::istream& in) {
    const FixMarket fix(market_);
    const LazyMetric metric = bind_metric(name, in);
    check_end(in);
    print_signed(metric.eval());
    out_ << "\n";
}

void QuorvaConsole::do_add(std::istream& in) {
    double quantity = 1;
    const char sign = peek_char(in);
    if (sign == '+' || sign == '-') {
        quantity = read_double(in);
        if (quantity == std::numeric_limits<double>::max() || quantity == 0) {
            throw_error("Invalid purchase size");
        }
    }
    const usr::P<Instrument> instrument = read_instrument(in);
    if (!instrument) throw_error("Expected instrument details");
    check_end(in);
    portfolio_.emplace_back(quantity, instrument);
}

void QuorvaConsole::do_del(std::istream& in) {
    if (peek_char(in) == 'a') {
        if (read_string(in, "") != "all") throw_error("Expected index");
        check_end(in);
        portfolio_.clear();
        return;
    }
    const int index = read_int(in);
    if (index == std::numeric_limits<int>::max()) throw_error("Expected index");
    if (index < 1 || index > boost::numeric_cast<int>(portfolio_.size())) {
        throw_error("Index out of range");
    }
    check_end(in);
    portfolio_.erase(portfolio_.begin() + (index - 1));
}

void QuorvaConsole::do_list(std::istream& in) {
    const FixMarket fix(market_);
    const std::string word = read_string(in, "");
    const LazyMetric::Metric metric = LazyMetric::parse_metric(word);
    if (!word.empty() && metric == LazyMetric::NONE) throw_error("Invalid metric");
    check_end(in);
    // Every value first, so that a pricing failure prints no part of the table.
    std::vector<double> values;
    double total = 0;
    if (metric != LazyMetric::NONE) {
        for (const Position& position : portfolio_) {
            values.push_back(LazyMetric(pricer_, market_, position, metric).eval());
            total = values.back() + total;
        }
    }
    for (std::size_t i = 0; i < portfolio_.size(); ++i) {
        out_ << i + 1 << ".\t";
        print_signed(portfolio_[i].first);
        out_ << "\t";
        portfolio_[i].second->print(out_);
        out_ << "\t";
        if (metric != LazyMetric::NONE) print_signed(values[i]);
        out_ << "\n";
    }
    if (metric != LazyMetric::NONE) print_signed(total);
    if (!portfolio_.empty()) out_ << "\n\n";
}

}  // namespace quorva
