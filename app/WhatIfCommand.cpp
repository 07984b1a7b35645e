// The what-if command: step one market parameter through a range and
// evaluate metrics at each step, as a table on the console or in a CSV file
// (`for`) or as a chart of one metric (`plot`).

#include "app/AtomicFile.h"
#include "app/FixMarket.h"
#include "app/LazyMetric.h"
#include "app/MarketParamProxy.h"
#include "app/Progress.h"
#include "app/RoundTrip.h"
#include "app/Table.h"

#include <boost/algorithm/string/case_conv.hpp>

#include <cmath>
#include <cstddef>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace quorva {

namespace {

const double NO_DOUBLE = std::numeric_limits<double>::max();
const std::size_t MAX_LOOP_ROWS = 100000;
/// Rows from the initial to the final value when no step is typed.
const std::size_t DEFAULT_LOOP_ROWS = 11;
/// In steps, the most that rounding may move initial + i * step off the grid
/// the user typed: a row that close past the final value is the final value,
/// and a row that close to 0 is 0.
const double ROUNDING = 1e-9;

/// Refuses, before anything is priced, a loop whose step is too small to move
/// x or points away from the final value; a falling loop must start above it.
void refuse_endless(double initial, double final, double step) {
    if ((step > 0 ? final < initial : final >= initial) || initial + step == initial) {
        QuorvaConsole::throw_error("Loop will not terminate");
    }
}

/// Row i's value, initial + i * step, or the final value when rounding has
/// taken it past the final value, or 0 when rounding has left a later row next
/// to 0, as with -0.3 + 3 * 0.1.
double row_value(double initial, double final, double step, std::size_t i) {
    const double x = initial + static_cast<double>(i) * step;
    if (step > 0 ? x > final : x < final) return final;
    return i > 0 && std::fabs(x) <= ROUNDING * std::fabs(step) ? 0 : x;
}

/// The rows up to the last one that passes the final value by at most ROUNDING
/// steps. Refuses, before anything is priced, a loop that would run for more
/// rows than a table or a chart can use.
std::size_t count_rows(double initial, double final, double step) {
    const double tolerance = ROUNDING * std::fabs(step);
    for (std::size_t rows = 0;; ++rows) {
        const double x = initial + static_cast<double>(rows) * step;
        if ((step > 0 ? x - final : final - x) > tolerance) return rows;
        if (rows == MAX_LOOP_ROWS) QuorvaConsole::throw_error("Too many loop steps");
    }
}

/// `x` as the console writes it, or exactly for a file.
std::string number_text(double x, bool exactly) {
    if (exactly) return round_trip(x);
    std::ostringstream text;
    text << x;
    return text.str();
}

/// The header row `columns`, then for each step the parameter as typed (with
/// "%" on the console for a percentage) and each metric: numbers as the
/// console shows them, or exactly for a file.
Table loop_table(const std::vector<std::string>& columns, const QuorvaConsole::Scenario& scenario,
                 bool percentage, bool exactly) {
    Table table(1, columns);
    for (const auto& row : scenario) {
        table.push_back({number_text(row.first, exactly) + (percentage && !exactly ? "%" : "")});
        for (const double value : row.second) table.back().push_back(number_text(value, exactly));
    }
    return table;
}

}  // namespace

void QuorvaConsole::do_for(bool plot, std::istream& in) {
    const FixMarket fix(market_);
    std::string parameter = read_string(in, "");
    const MarketParamProxy::Param param = MarketParamProxy::parse_param(parameter);
    if (param == MarketParamProxy::NONE) throw_error("Expected loop market parameter");
    boost::algorithm::to_lower(parameter);
    const double initial = read_double(in);
    if (initial == NO_DOUBLE) throw_error("Expected intital loop parameter value");
    if (read_string(in, "") != "to") throw_error("Expected 'to' after initial loop parameter value");
    const double final = read_double(in);
    if (final == NO_DOUBLE) throw_error("Expected final loop parameter value");
    const bool stepped = read_string(in, ":") == "step";
    const double intervals = static_cast<double>(DEFAULT_LOOP_ROWS - 1);
    double step = (final - initial) / intervals;
    // A range wider than the largest double still has a finite tenth.
    if (!std::isfinite(step)) step = final / intervals - initial / intervals;
    if (stepped) {
        step = read_double(in);
        if (step == NO_DOUBLE) throw_error("Expected loop parameter step value");
    }
    if (read_char(in) != ':') throw_error("Expected ':'");
    // Metric words, then at most one index, which applies to every metric.
    const std::vector<LazyMetric::Metric> kinds = LazyMetric::read_metrics(in, "[>", "Expected metric name");
    const Position* position = read_position(in);
    if (position != nullptr) {
        const std::string next = read_string(in, "[>");
        if (is_metric_name(next)) throw_error("Index must follow the last metric");
        if (!next.empty()) throw_error("Unexpected tokens found");
    }
    if (plot && kinds.size() > 1) throw_error("One metric per chart");
    std::vector<LazyMetric> metrics;
    std::vector<std::string> columns = {parameter};
    for (const LazyMetric::Metric kind : kinds) {
        metrics.push_back(position == nullptr ? LazyMetric(pricer_, market_, portfolio_, kind)
                                              : LazyMetric(pricer_, market_, *position, kind));
        columns.push_back(LazyMetric::names()[kind - 1]);
        if (position != nullptr) {
            columns.back() += "[" + std::to_string(position - portfolio_.data() + 1) + "]";
        }
    }
    MarketParamProxy proxy(market_, param);
    const std::string file = plot ? read_chart_file(in) : read_output_file(in, {".csv"});
    check_end(in);
    refuse_endless(initial, final, step);
    const std::size_t rows = stepped ? count_rows(initial, final, step) : DEFAULT_LOOP_ROWS;
    std::vector<double> values;
    for (std::size_t i = 0; i < rows; ++i) values.push_back(row_value(initial, final, step, i));
    // The default steps end on the final value whatever the rounding.
    if (!stepped) values.back() = final;
    for (const double x : values) proxy.check_typed(x);

    const bool percentage = proxy.is_percentage();
    Scenario scenario;
    {
        Progress progress(out_, rows, terminal_output_);
        for (const double x : values) {
            proxy.set_typed(x);
            scenario.emplace_back(x, std::vector<double>());
            for (const LazyMetric& metric : metrics) scenario.back().second.push_back(metric.eval());
            progress.advance();
        }
    }
    if (plot) return plot_scenario(scenario, file);
    if (!file.empty()) {
        if (percentage) columns[0] += "_pct";
        return write_atomically(file, csv(loop_table(columns, scenario, percentage, true)));
    }
    if (metrics.size() > 1) {
        out_ << tab_separated(loop_table(columns, scenario, percentage, false));
        return;
    }
    for (const auto& row : scenario) {
        out_ << row.first << (percentage ? "%" : "") << "\t" << row.second[0] << "\n";
    }
    out_ << "\n";
}

}  // namespace quorva
