#include "bench/Benchmarks.h"

#include "bench/Fixtures.h"
#include "calendar/Date.h"
#include "calendar/ExchangeCalendar.h"
#include "calendar/Time.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

namespace quorva {
namespace bench {

namespace {

using chrono::Date;

const Time FROM(Date(2009, Date::MAR, 5), 14, 30);
const Time TO(Date(2019, Date::MAR, 5), 14, 30);

void year_frac_by_walk(benchmark::State& state) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    for (auto _ : state) {
        benchmark::DoNotOptimize(static_cast<double>(lse.trading_minutes_by_walk(FROM, TO)) /
                                 static_cast<double>(lse.trading_minutes_per_year()));
    }
}

void year_frac_by_prefix(benchmark::State& state) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    for (auto _ : state) benchmark::DoNotOptimize(lse.year_frac(FROM, TO));
}

/// An at-the-money call at the pinned clock, expiring on 20 June 2009 past
/// Good Friday, Easter Monday and two bank holidays, under `trading`.
void price_under(benchmark::State& state, const std::string& trading) {
    const Session session = session_after(std::string(PIN_CLOCK) + "set trading " + trading + "\nadd 100C 20jun09\n");
    if (session.portfolio.size() != 1) throw std::logic_error("the console did not take the call");
    const Instrument& call = *session.portfolio.front().second;
    BinomialTreePricer pricer(QuorvaConsole::DEFAULT_STEPS);
    for (auto _ : state) benchmark::DoNotOptimize(pricer.price(session.market, call));
}

}  // namespace

void register_calendar_benchmarks() {
    benchmark::RegisterBenchmark("year_frac/walk", year_frac_by_walk)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("year_frac/prefix", year_frac_by_prefix)->Unit(benchmark::kMicrosecond);
    for (const char* trading : {"continuous", "lse"}) {
        benchmark::RegisterBenchmark((std::string("price/trading:") + trading).c_str(), price_under, trading)
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace bench
}  // namespace quorva
