// The what-if command: step one market parameter through a range and
// evaluate a metric at each step, as a table (`for`) or a chart (`plot`).

#include "app/FixMarket.h"
#include "app/LazyMetric.h"
#include "app/MarketParamProxy.h"
#include "app/Progress.h"

#include <cmath>
#include <cstddef>
#include <istream>
#include <limits>
#include <ostream>
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

}  // namespace

void QuorvaConsole::do_for(bool plot, std::istream& in) {
    const FixMarket fix(market_);
    const MarketParamProxy::Param param = MarketParamProxy::parse_param(read_string(in, ""));
    if (param == MarketParamProxy::NONE) throw_error("Expected loop market parameter");
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
    const std::string name = read_string(in, plot ? "[>" : "[");
    if (name.empty()) throw_error("Expected metric name");
    const LazyMetric metric = bind_metric(name, in);
    MarketParamProxy proxy(market_, param);
    const std::string chart_file = plot ? read_chart_file(in) : std::string();
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
            scenario.emplace_back(x, metric.eval());
            progress.advance();
        }
    }
    if (plot) return plot_scenario(scenario, chart_file);
    for (const auto& row : scenario) {
        out_ << row.first << (percentage ? "%" : "") << "\t" << row.second << "\n";
    }
    out_ << "\n";
}

}  // namespace quorva
