// The portfolio commands `add`, `del` and `list` (on the console or into a CSV
// file), the metric words typed at the prompt, and the binding of metrics to
// positions.

#include "files/AtomicFile.h"
#include "app/FixMarket.h"
#include "book/LazyMetric.h"
#include "files/Table.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/numeric/conversion/cast.hpp>

#include <cctype>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>
#include <vector>

namespace quorva {

namespace {

using Metrics = std::vector<QuorvaConsole::LazyMetric::Metric>;

/// `x` as the console writes a signed number, or exactly for a file.
std::string number_text(double x, bool exactly) { return (x >= 0 && !exactly ? "+" : "") + number_cell(x, exactly); }

/// The listing with a header row, one column per metric and a row of totals:
/// numbers as the console shows them, or exactly for a file.
Table list_table(const QuorvaConsole::Portfolio& portfolio, const Metrics& metrics,
                 const std::vector<std::vector<double> >& values, const std::vector<double>& totals,
                 bool exactly) {
    Table table(1, {"number", "quantity", "instrument"});
    for (const QuorvaConsole::LazyMetric::Metric metric : metrics) {
        table[0].push_back(QuorvaConsole::LazyMetric::names()[metric - 1]);
    }
    for (std::size_t i = 0; i < portfolio.size(); ++i) {
        std::ostringstream instrument;
        portfolio[i].second->print(instrument);
        table.push_back({std::to_string(i + 1) + (exactly ? "" : "."),
                         number_text(portfolio[i].first, exactly), instrument.str()});
        for (const double value : values[i]) table.back().push_back(number_text(value, exactly));
    }
    if (metrics.empty()) return table;
    table.push_back({"total", "", ""});
    for (const double total : totals) table.back().push_back(number_text(total, exactly));
    return table;
}

}  // namespace

bool QuorvaConsole::is_metric_name(std::string word) {
    return LazyMetric::parse_metric(std::move(word)) != LazyMetric::NONE;
}

std::vector<QuorvaConsole::LazyMetric::Metric> QuorvaConsole::read_metrics(std::istream& in, const std::string& stops,
                                                                       const std::string& refusal) {
    const std::string first = read_string(in, stops);
    std::vector<LazyMetric::Metric> metrics;
    if (boost::algorithm::iequals(first, "all")) return LazyMetric::all();
    metrics.push_back(LazyMetric::parse_metric(first));
    if (metrics.back() == LazyMetric::NONE) throw_error(refusal);
    for (std::string word = read_string(in, stops); !word.empty(); word = read_string(in, stops)) {
        metrics.push_back(LazyMetric::parse_metric(word));
        if (metrics.back() == LazyMetric::NONE) throw_error("Unexpected tokens found");
    }
    return metrics;
}

const QuorvaConsole::Position* QuorvaConsole::read_position(std::istream& in) {
    if (peek_char(in) != '[') return nullptr;
    read_char(in);
    const int index = read_int(in);
    if (index == std::numeric_limits<int>::max() || index < 1 ||
        index > boost::numeric_cast<int>(portfolio_.size())) {
        throw_error("Index out of range");
    }
    if (read_char(in) != ']') throw_error("Expected ']'");
    return &portfolio_[index - 1];
}

QuorvaConsole::LazyMetric QuorvaConsole::bind_metric(const std::string& name, std::istream& in) {
    const LazyMetric::Metric metric = LazyMetric::parse_metric(name);
    if (metric == LazyMetric::NONE) throw_error("Expected metric name");
    const Position* position = read_position(in);
    if (position == nullptr) return LazyMetric(pricer_, market_, portfolio_, metric);
    return LazyMetric(pricer_, market_, *position, metric);
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
        // "-100P": the sign belongs to a strike, not to a quantity.
        const int next = in.peek();
        in.clear();
        if (quantity < 0 && next != std::char_traits<char>::eof() && std::isalpha(next)) {
            throw_error("Strike must not be negative");
        }
    }
    const usr::P<Instrument> instrument = read_instrument(in, market_year());
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
    const char next = peek_char(in);
    const std::vector<LazyMetric::Metric> metrics =
        next == 0 || next == '>' ? std::vector<LazyMetric::Metric>()
                                 : read_metrics(in, ">", "Invalid metric");
    const std::string file = read_output_file(in, {".csv"});
    check_end(in);
    // Every value first, so that a pricing failure prints no part of the table.
    std::vector<std::vector<double> > values;
    std::vector<double> totals(metrics.size(), 0);
    for (const Position& position : portfolio_) {
        values.emplace_back();
        for (std::size_t m = 0; m < metrics.size(); ++m) {
            values.back().push_back(LazyMetric(pricer_, market_, position, metrics[m]).eval());
            totals[m] = LazyMetric::in_range(values.back()[m] + totals[m]);
        }
    }
    if (!file.empty()) {
        return write_atomically(file, csv(list_table(portfolio_, metrics, values, totals, true)));
    }
    if (metrics.size() > 1) {
        out_ << tab_separated(list_table(portfolio_, metrics, values, totals, false));
        return;
    }
    for (std::size_t i = 0; i < portfolio_.size(); ++i) {
        out_ << i + 1 << ".\t";
        print_signed(portfolio_[i].first);
        out_ << "\t";
        portfolio_[i].second->print(out_);
        out_ << "\t";
        if (!metrics.empty()) print_signed(values[i][0]);
        out_ << "\n";
    }
    if (!metrics.empty()) print_signed(totals[0]);
    if (!portfolio_.empty()) out_ << "\n\n";
}

}  // namespace quorva
