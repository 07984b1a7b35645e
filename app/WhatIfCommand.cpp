// The what-if command: step one market parameter through a range and
// evaluate metrics at each step, as a table on the console or in a CSV file
// (`for`) or as a chart of one metric (`plot`).

#include "files/AtomicFile.h"
#include "app/FixMarket.h"
#include "book/LazyMetric.h"
#include "book/MarketParamProxy.h"
#include "terminal/Progress.h"
#include "book/Scenario.h"
#include "files/Table.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>

#include <cmath>
#include <cstddef>
#include <istream>
#include <limits>
#include <ostream>
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

using Scenario = QuorvaConsole::Scenario;

/// An axis value as the console shows it ("20%" for a percentage), or
/// exactly for a file.
std::string axis_text(const Scenario::Axis& axis, double x, bool exactly) {
    return number_cell(x, exactly) + (axis.percentage && !exactly ? "%" : "");
}

/// A column named by its parameter: "vol_pct" in a file, where the percent
/// sign is not written.
std::string axis_name(const Scenario::Axis& axis, bool exactly) {
    return axis.name + (axis.percentage && exactly ? "_pct" : "");
}

/// A header row naming the parameter and each series, then for each step the
/// parameter as typed and each series' value.
Table series_table(const Scenario& scenario, bool exactly) {
    const Scenario::Axis& axis = scenario.axes[0];
    Table table(1, {axis_name(axis, exactly)});
    for (const Scenario::Series& series : scenario.series) table[0].push_back(series.name());
    for (std::size_t point = 0; point < scenario.points(); ++point) {
        table.push_back({axis_text(axis, axis.values[point], exactly)});
        for (const double value : scenario.results[point]) table.back().push_back(number_cell(value, exactly));
    }
    return table;
}

/// A header row with the second parameter's values, then one row for each
/// value of the first, that value first.
Table grid_table(const Scenario& scenario, bool exactly) {
    const Scenario::Axis& rows = scenario.axes[0];
    const Scenario::Axis& columns = scenario.axes[1];
    Table table(1, {axis_name(rows, exactly) + "/" + axis_name(columns, exactly)});
    for (const double y : columns.values) table[0].push_back(axis_text(columns, y, exactly));
    for (std::size_t point = 0; point < scenario.points(); ++point) {
        if (point % columns.values.size() == 0) table.push_back({axis_text(rows, scenario.value(0, point), exactly)});
        table.back().push_back(number_cell(scenario.results[point][0], exactly));
    }
    return table;
}

/// "PARAM FROM to TO [step STEP]" as typed, before its rows are made.
struct TypedAxis {
    QuorvaConsole::MarketParamProxy::Param param;
    std::string name;
    double initial;
    double final;
    double step;
    bool stepped;
};

TypedAxis read_axis(std::istream& in) {
    using C = QuorvaConsole;
    TypedAxis axis;
    axis.name = C::read_string(in, "");
    axis.param = C::MarketParamProxy::parse_param(axis.name);
    if (axis.param == C::MarketParamProxy::NONE) C::throw_error("Expected loop market parameter");
    boost::algorithm::to_lower(axis.name);
    axis.initial = C::read_double(in);
    if (axis.initial == NO_DOUBLE) C::throw_error("Expected intital loop parameter value");
    if (C::read_string(in, "") != "to") C::throw_error("Expected 'to' after initial loop parameter value");
    axis.final = C::read_double(in);
    if (axis.final == NO_DOUBLE) C::throw_error("Expected final loop parameter value");
    axis.stepped = C::read_string(in, ":,") == "step";
    const double intervals = static_cast<double>(DEFAULT_LOOP_ROWS - 1);
    axis.step = (axis.final - axis.initial) / intervals;
    // A range wider than the largest double still has a finite tenth.
    if (!std::isfinite(axis.step)) axis.step = axis.final / intervals - axis.initial / intervals;
    if (axis.stepped) {
        axis.step = C::read_double(in);
        if (axis.step == NO_DOUBLE) C::throw_error("Expected loop parameter step value");
    }
    return axis;
}

/// The rows of a typed axis; refuses, before anything is priced, a loop that
/// will not end or has too many rows.
Scenario::Axis make_axis(const TypedAxis& typed) {
    refuse_endless(typed.initial, typed.final, typed.step);
    const std::size_t rows = typed.stepped ? count_rows(typed.initial, typed.final, typed.step) : DEFAULT_LOOP_ROWS;
    Scenario::Axis axis{typed.param, typed.name, false, {}};
    for (std::size_t i = 0; i < rows; ++i) axis.values.push_back(row_value(typed.initial, typed.final, typed.step, i));
    // The default steps end on the final value whatever the rounding.
    if (!typed.stepped) axis.values.back() = typed.final;
    return axis;
}

}  // namespace

void QuorvaConsole::read_series(std::istream& in, Scenario& scenario) {
    const auto index_of = [this](const Position* position) {
        return position == nullptr ? 0 : static_cast<std::size_t>(position - portfolio_.data()) + 1;
    };
    const std::string stops = "[>";
    const std::string first = read_string(in, stops);
    if (boost::algorithm::iequals(first, "all")) {
        const std::size_t index = index_of(read_position(in));
        for (const LazyMetric::Metric metric : LazyMetric::all()) scenario.series.push_back({metric, index});
        return;
    }
    std::istream::pos_type at = in.tellg();
    for (std::string word = first; !word.empty(); at = in.tellg(), word = read_string(in, stops)) {
        // "lines" after the metric of a grid asks for the strategy chart.
        if (word == "lines" && !scenario.series.empty()) {
            in.seekg(at);
            break;
        }
        const LazyMetric::Metric metric = LazyMetric::parse_metric(word);
        if (metric == LazyMetric::NONE) {
            throw_error(scenario.series.empty() ? "Expected metric name" : "Unexpected tokens found");
        }
        const std::size_t index = index_of(read_position(in));
        if (metric == LazyMetric::PNL && index > 0 && !portfolio_[index - 1].trade_price) {
            throw_error("Position " + std::to_string(index) + " has no trade price");
        }
        scenario.series.push_back({metric, index});
    }
    if (scenario.series.empty()) throw_error("Expected metric name");
}

void QuorvaConsole::do_for(bool plot, std::istream& in) {
    const FixMarket fix(market_);
    std::vector<TypedAxis> typed = {read_axis(in)};
    const char separator = read_char(in);
    if (separator == ',') {
        typed.push_back(read_axis(in));
        if (typed[1].param == typed[0].param) throw_error("Expected two different loop parameters");
        if (read_char(in) != ':') throw_error("Expected ':'");
    } else if (separator != ':') {
        throw_error("Expected ':'");
    }
    Scenario scenario;
    scenario.multiplier = multiplier_;
    read_series(in, scenario);
    const bool grid = typed.size() > 1;
    if (grid && scenario.series.size() > 1) throw_error("One metric per grid");
    const std::istream::pos_type at = in.tellg();
    const bool lines = plot && read_string(in, ">") == "lines";
    if (!lines) in.seekg(at);
    if (lines && !grid) throw_error("Lines draw a grid of two parameters");
    const std::string file = plot ? read_chart_file(in) : read_output_file(in, {".csv"});
    check_end(in);
    for (const TypedAxis& axis : typed) scenario.axes.push_back(make_axis(axis));
    if (scenario.points() > MAX_LOOP_ROWS) throw_error("Too many loop steps");
    for (Scenario::Axis& axis : scenario.axes) {
        const MarketParamProxy proxy(market_, axis.param);
        axis.percentage = proxy.is_percentage();
        for (const double x : axis.values) proxy.check_typed(x);
    }
    {
        Progress progress(out_, scenario.points(), terminal_output_);
        scenario.evaluate(market_, portfolio_, pricer_.steps(), progress);
    }
    if (plot) return plot_scenario(scenario, file, lines);
    if (!file.empty()) return write_atomically(file, csv(grid ? grid_table(scenario, true) : series_table(scenario, true)));
    print_scenario(scenario);
}

void QuorvaConsole::print_scenario(const Scenario& scenario) {
    if (scenario.axes.size() > 1) {
        out_ << tab_separated(grid_table(scenario, false));
        return;
    }
    if (scenario.series.size() > 1) {
        out_ << tab_separated(series_table(scenario, false));
        return;
    }
    const Scenario::Axis& axis = scenario.axes[0];
    for (std::size_t point = 0; point < scenario.points(); ++point) {
        out_ << axis.values[point] << (axis.percentage ? "%" : "") << "\t" << scenario.results[point][0] << "\n";
    }
    out_ << "\n";
}

}  // namespace quorva
