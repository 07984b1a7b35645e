#include "bench/Benchmarks.h"

#include "calendar/Date.h"
#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"

#include <benchmark/benchmark.h>

namespace quorva {
namespace bench {

namespace {

using chrono::Date;

const Time FROM(Date(2009, Date::MAR, 5), 14, 30);
const Time TO(Date(2019, Date::MAR, 5), 14, 30);

void year_frac_by_walk(benchmark::State& state) {
    const LSETrading& lse = *LSETrading::instance();
    for (auto _ : state) {
        benchmark::DoNotOptimize(static_cast<double>(lse.trading_minutes_by_walk(FROM, TO)) /
                                 static_cast<double>(lse.trading_minutes_per_year()));
    }
}

void year_frac_by_arithmetic(benchmark::State& state) {
    const LSETrading& lse = *LSETrading::instance();
    for (auto _ : state) benchmark::DoNotOptimize(lse.year_frac(FROM, TO));
}

}  // namespace

void register_calendar_benchmarks() {
    benchmark::RegisterBenchmark("year_frac/walk", year_frac_by_walk)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("year_frac/arithmetic", year_frac_by_arithmetic)
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace bench
}  // namespace quorva
