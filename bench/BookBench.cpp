#include "bench/Benchmarks.h"

#include "bench/Fixtures.h"
#include "book/Scenario.h"
#include "terminal/Progress.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <stdexcept>

namespace quorva {
namespace bench {

namespace {

/// The grid of `metric` that `for level 80 to 120 step 10, days 0 to 60 step
/// 20` evaluates over the hundred positions, each with a trade price, at a
/// multiplier of 10.
void time_book_grid(benchmark::State& state, LazyMetric::Metric metric) {
    Session session = session_after(std::string(PIN_CLOCK) + hundred_positions());
    if (session.portfolio.size() != 100) throw std::logic_error("the console did not take the book");
    for (Position& position : session.portfolio) position.trade_price = 1.25;
    Scenario scenario;
    scenario.axes = {{MarketParamProxy::LEVEL, "level", false, {80, 90, 100, 110, 120}},
                     {MarketParamProxy::DAYS, "days", false, {0, 20, 40, 60}}};
    scenario.series = {{metric, 0}};
    scenario.multiplier = 10;
    std::ostringstream silent;
    for (auto _ : state) {
        Progress progress(silent, scenario.points(), false);
        scenario.evaluate(session.market, session.portfolio, 1001, progress);
        benchmark::DoNotOptimize(scenario.results.data());
    }
}

}  // namespace

std::string book_grid_benchmark(const std::string& metric) { return "book:100/grid:20/" + metric; }

void register_book_benchmarks() {
    // The grid runs on every core: the CPU time of the whole process.
    benchmark::RegisterBenchmark(book_grid_benchmark("price").c_str(), time_book_grid, LazyMetric::PRICE)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark(book_grid_benchmark("pnl").c_str(), time_book_grid, LazyMetric::PNL)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime();
}

}  // namespace bench
}  // namespace quorva
