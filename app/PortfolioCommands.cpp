// The portfolio commands `add`, `del` and `list` (on the console or into a CSV
// file, by group or not), the metric words typed at the prompt, and the
// binding of metrics to positions.

#include "files/AtomicFile.h"
#include "app/FixMarket.h"
#include "book/Groups.h"
#include "book/LazyMetric.h"
#include "files/RoundTrip.h"
#include "files/Table.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/numeric/conversion/cast.hpp>

#include <algorithm>
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

/// A metric of one position, or a sum over several with the count of
/// positions it leaves out (a pnl of positions without a trade price).
struct Figure {
    double value = 0;
    std::size_t left_out = 0;

    void add(const Figure& other) {
        value = QuorvaConsole::LazyMetric::in_range(other.value + value);
        left_out += other.left_out;
    }
    /// A position's figure: "-" on the console, or empty in a file, for one
    /// left out.
    std::string position_text(bool exactly) const {
        return left_out > 0 ? (exactly ? "" : "-") : number_text(value, exactly);
    }
    /// A sum's figure; on the console it says how many it left out.
    std::string sum_text(bool exactly) const {
        if (left_out == 0 || exactly) return number_text(value, exactly);
        return number_text(value, false) + " (" + std::to_string(left_out) + " left out)";
    }
};

using Figures = std::vector<Figure>;

/// The listing with a header row, one column per metric, the positions group
/// by group with a subtotal row after each when `grouped`, and a row of
/// totals: numbers as the console shows them, or exactly for a file.
Table list_table(const QuorvaConsole::Portfolio& portfolio, const Metrics& metrics, const std::vector<Group>& groups,
                 bool grouped, const std::vector<Figures>& figures, bool exactly) {
    Table table(1, {"number", "quantity", "instrument"});
    for (const QuorvaConsole::LazyMetric::Metric metric : metrics) {
        table[0].push_back(QuorvaConsole::LazyMetric::names()[metric - 1]);
    }
    Figures totals(metrics.size());
    for (const Group& group : groups) {
        Figures subtotals(metrics.size());
        for (const std::size_t i : group.positions) {
            table.push_back({std::to_string(i + 1) + (exactly ? "" : "."), number_text(portfolio[i].first, exactly),
                             QuorvaConsole::position_text(portfolio[i], exactly)});
            for (std::size_t m = 0; m < metrics.size(); ++m) {
                table.back().push_back(figures[i][m].position_text(exactly));
                subtotals[m].add(figures[i][m]);
            }
        }
        for (std::size_t m = 0; m < metrics.size(); ++m) totals[m].add(subtotals[m]);
        if (!grouped || metrics.empty()) continue;
        table.push_back({"subtotal", "", group.name});
        for (const Figure& subtotal : subtotals) table.back().push_back(subtotal.sum_text(exactly));
    }
    if (metrics.empty()) return table;
    table.push_back({"total", "", ""});
    for (const Figure& total : totals) table.back().push_back(total.sum_text(exactly));
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
    for (std::istream::pos_type at = in.tellg();; at = in.tellg()) {
        const std::string word = read_string(in, stops);
        if (word.empty()) break;
        // "by" starts the grouping of a listing.
        if (word == "by") {
            in.seekg(at);
            break;
        }
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
    if (position == nullptr) return LazyMetric(pricer_, market_, portfolio_, metric, multiplier_);
    return LazyMetric(pricer_, market_, *position, metric, multiplier_);
}

void QuorvaConsole::do_metric(const std::string& name, std::istream& in) {
    const FixMarket fix(market_);
    const bool one = peek_char(in) == '[';
    const LazyMetric metric = bind_metric(name, in);
    check_end(in);
    const Figure figure{metric.eval(), metric.left_out()};
    out_ << (one ? figure.position_text(false) : figure.sum_text(false)) << "\n";
}

std::string QuorvaConsole::position_text(const Position& position, bool exactly) {
    std::ostringstream text;
    if (exactly) text.precision(round_trip_digits(position.second->strike()));
    position.second->print(text);
    if (position.trade_price) {
        text << " at " << (exactly ? round_trip(*position.trade_price) : number_cell(*position.trade_price, false));
    }
    if (!position.label.empty()) text << " as " << position.label;
    return text.str();
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
    Position position;
    position.first = quantity;
    position.second = read_instrument(in, market_year(), [&position](std::istream& rest) {
        for (std::istream::pos_type at = rest.tellg();; at = rest.tellg()) {
            const std::string word = read_string(rest, "");
            if (word == "at" && !position.trade_price) {
                position.trade_price = read_double(rest);
                if (*position.trade_price == std::numeric_limits<double>::max()) throw_error("Expected trade price");
            } else if (word == "as" && position.label.empty()) {
                position.label = read_string(rest, "");
                check_label(position.label);
            } else {
                rest.seekg(at);
                break;
            }
        }
        check_end(rest);
    });
    if (!position.second) throw_error("Expected instrument details");
    // A future's value is the level less its strike, which may be negative.
    if (position.trade_price && *position.trade_price < 0 && position.second->depends_on_volatility()) {
        throw_error("Trade price must not be negative");
    }
    portfolio_.push_back(position);
}

void QuorvaConsole::check_label(const std::string& label) {
    if (label.empty()) throw_error("Expected label");
    const auto is_word_character = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
    };
    if (!std::isalpha(static_cast<unsigned char>(label[0])) ||
        !std::all_of(label.begin(), label.end(), is_word_character)) {
        throw_error("Invalid label '" + label + "': a letter, then letters, digits, '_', '-' or '.'");
    }
    // `del all` removes every position.
    if (label == "all") throw_error("Invalid label 'all': del all removes every position");
}

void QuorvaConsole::do_del(std::istream& in) {
    if (peek_char(in) == 'a') {
        if (read_string(in, "") != "all") throw_error("Expected index");
        check_end(in);
        portfolio_.clear();
        return;
    }
    if (std::isalpha(static_cast<unsigned char>(peek_char(in)))) {
        const std::string label = read_string(in, "");
        check_end(in);
        const auto labelled = [&](const Position& position) { return position.label == label; };
        const auto kept = std::remove_if(portfolio_.begin(), portfolio_.end(), labelled);
        if (kept == portfolio_.end()) throw_error("No position labelled '" + label + "'");
        portfolio_.erase(kept, portfolio_.end());
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
    std::istream::pos_type at = in.tellg();
    const bool by_first = read_string(in, ">") == "by";
    in.seekg(at);
    const Metrics metrics =
        next == 0 || next == '>' || by_first ? Metrics() : read_metrics(in, ">", "Invalid metric");
    Grouping grouping = Grouping::NONE;
    at = in.tellg();
    if (read_string(in, ">") == "by") {
        const std::string by = read_string(in, ">");
        if (by == "expiry") {
            grouping = Grouping::EXPIRY;
        } else if (by == "label") {
            grouping = Grouping::LABEL;
        } else {
            throw_error("Expected 'expiry' or 'label' after 'by'");
        }
    } else {
        in.seekg(at);
    }
    const std::string file = read_output_file(in, {".csv"});
    check_end(in);
    // Every value first, so that a pricing failure prints no part of the table.
    std::vector<Figures> figures;
    for (const Position& position : portfolio_) {
        figures.emplace_back();
        for (const LazyMetric::Metric metric : metrics) {
            const LazyMetric bound(pricer_, market_, position, metric, multiplier_);
            figures.back().push_back({bound.eval(), bound.left_out()});
        }
    }
    const bool grouped = grouping != Grouping::NONE;
    const std::vector<Group> groups = group_positions(portfolio_, grouping);
    if (!file.empty()) {
        return write_atomically(file, csv(list_table(portfolio_, metrics, groups, grouped, figures, true)));
    }
    if (metrics.size() > 1 || grouped) {
        out_ << tab_separated(list_table(portfolio_, metrics, groups, grouped, figures, false));
        return;
    }
    Figure total;
    for (std::size_t i = 0; i < portfolio_.size(); ++i) {
        out_ << i + 1 << ".\t";
        print_signed(portfolio_[i].first);
        out_ << "\t" << position_text(portfolio_[i], false) << "\t";
        if (!metrics.empty()) {
            out_ << figures[i][0].position_text(false);
            total.add(figures[i][0]);
        }
        out_ << "\n";
    }
    if (!metrics.empty()) out_ << total.sum_text(false);
    if (!portfolio_.empty()) out_ << "\n\n";
}

}  // namespace quorva
