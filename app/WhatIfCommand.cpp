// The what-if command: step one market parameter through a range and
// evaluate a metric at each step, as a table (`for`) or a chart (`plot`).

#include "app/FixMarket.h"
#include "app/Interrupt.h"
#include "app/LazyMetric.h"
#include "app/MarketParamProxy.h"
#include "app/Progress.h"

#include <istream>
#include <limits>
#include <ostream>

namespace quorva {

namespace {

const double NO_DOUBLE = std::numeric_limits<double>::max();
const std::size_t MAX_LOOP_ROWS = 100000;

bool in_loop(double x, double final, double step) {
    return (step > 0 && x <= final) || (step < 0 && x >= final);
}

/// The rows the loop will produce. Refuses, before anything is priced, a loop
/// whose step cannot move x or that would run for more rows than a table or a
/// chart can use.
std::size_t count_rows(double x, double final, double step) {
    std::size_t rows = 0;
    while (in_loop(x, final, step)) {
        if (++rows > MAX_LOOP_ROWS) QuorvaConsole::throw_error("Too many loop steps");
        const double next = x + step;
        if (next == x) QuorvaConsole::throw_error("Loop will not terminate");
        x = next;
    }
    return rows;
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
    double step = (final - initial) / 10;
    if (read_string(in, ":") == "step") {
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
    if (step > 0 ? final < initial : final >= initial) throw_error("Loop will not terminate");
    const std::size_t rows = count_rows(initial, final, step);

    const bool percentage = proxy.is_percentage();
    Scenario scenario;
    {
        Progress progress(out_, rows, terminal_output_);
        for (double x = initial; in_loop(x, final, step); x += step) {
            proxy.set(percentage ? x / 100 : x);
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
