#include "bench/Benchmarks.h"

#include "bench/Fixtures.h"

#include <benchmark/benchmark.h>

#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

namespace quorva {
namespace bench {

namespace {

/// The console's market at the pinned clock, with an at-the-money call
/// expiring on 20 June 2009 as its one position.
Session at_the_money_call() {
    Session session = session_after(std::string(PIN_CLOCK) + "add 100C 20jun09\n");
    if (session.portfolio.size() != 1) throw std::logic_error("the console did not take the call");
    return session;
}

void time_metric(benchmark::State& state, const Evaluation::Metric& metric) {
    const Session session = at_the_money_call();
    const Instrument& call = *session.portfolio.front().second;
    BinomialTreePricer pricer(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(metric(pricer, session.market, call));
}

/// Solves back the volatility of 25% from the price that it gives.
void time_implvol(benchmark::State& state, const Evaluation& evaluation) {
    const Session session = at_the_money_call();
    const Instrument& call = *session.portfolio.front().second;
    BinomialTreePricer pricer(static_cast<unsigned>(state.range(0)));
    Market priced = session.market;
    priced.volatility() = 0.25;
    const double target = evaluation.price(pricer, priced, call);
    for (auto _ : state) {
        const double volatility = evaluation.implvol(pricer, session.market, call, target);
        if (volatility == std::numeric_limits<double>::max()) {
            state.SkipWithError("no implied volatility");
            break;
        }
        benchmark::DoNotOptimize(volatility);
    }
}

/// How an American put is priced: by the pricer, by the tree's induction, or
/// as its European twin.
enum class AmericanPricing { PRICE, INDUCTION, EUROPEAN };

/// An at-the-money put on the console's market, American but for EUROPEAN,
/// priced at a volatility a hair higher each time, so that no exercise
/// boundary solved before serves.
void time_american(benchmark::State& state, AmericanPricing pricing) {
    const char* const command = pricing == AmericanPricing::EUROPEAN ? "add 100P 20jun09\n"
                                                                       : "add 100P 20jun09 american\n";
    const Session session = session_after(std::string(PIN_CLOCK) + command);
    if (session.portfolio.size() != 1) throw std::logic_error("the console did not take the put");
    const Instrument& put = *session.portfolio.front().second;
    BinomialTreePricer pricer(static_cast<unsigned>(state.range(0)));
    Market m = session.market;
    for (auto _ : state) {
        m.volatility() += 1e-12;
        benchmark::DoNotOptimize(pricing == AmericanPricing::INDUCTION ? pricer.price_by_fast_induction(m, put)
                                                                       : pricer.price(m, put));
    }
}

/// The gamma of the hundred positions as the console sums it, in the
/// console's market; with `grid`, in that market
/// at every level from 50 to 150 in steps of 10 and every volatility from 10%
/// to 60% in steps of 10%, otherwise as it is.
void time_book_gamma(benchmark::State& state, const Evaluation::Metric& gamma, bool grid) {
    const Session session = session_after(std::string(PIN_CLOCK) + hundred_positions());
    if (session.portfolio.size() != 100) throw std::logic_error("the console did not take the book");
    std::vector<Market> markets;
    if (!grid) markets.push_back(session.market);
    for (int level = 50; grid && level <= 150; level += 10) {
        for (int vol = 10; vol <= 60; vol += 10) {
            Market m = session.market;
            m.level() = level;
            m.volatility() = vol / 100.0;
            markets.push_back(m);
        }
    }
    BinomialTreePricer pricer(1001);
    for (auto _ : state) {
        for (const Market& m : markets) {
            double sum = 0;
            for (const QuorvaConsole::Position& position : session.portfolio)
                sum = position.first * gamma(pricer, m, *position.second) + sum;
            benchmark::DoNotOptimize(sum);
        }
    }
    const double prices = 3.0 * static_cast<double>(markets.size() * session.portfolio.size());
    state.counters["per_price"] = benchmark::Counter(
        prices, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

std::string book_gamma_benchmark(unsigned markets) {
    return "gamma/book:100/markets:" + std::to_string(markets);
}

std::string pricer_benchmark(const std::string& operation, const Evaluation& evaluation, unsigned steps) {
    return operation + "/" + evaluation.name + "/steps:" + std::to_string(steps);
}

void register_pricer_benchmarks() {
    const std::pair<const char*, AmericanPricing> americans[] = {
        {"price/american", AmericanPricing::PRICE},
        {"price/american-induction", AmericanPricing::INDUCTION},
        {"price/american-european", AmericanPricing::EUROPEAN},
    };
    for (const auto& american : americans) {
        benchmark::RegisterBenchmark(american.first, time_american, american.second)
            ->ArgName("steps")
            ->Arg(1001)
            ->Unit(benchmark::kMicrosecond);
    }
    for (const Evaluation& evaluation : evaluations()) {
        const std::string suffix = "/" + evaluation.name;
        benchmark::RegisterBenchmark(("price" + suffix).c_str(), time_metric, evaluation.price)
            ->ArgName("steps")
            ->Arg(101)
            ->Arg(1001)
            ->Arg(10001)
            ->Unit(benchmark::kMicrosecond);
        const std::pair<const char*, Evaluation::Metric> greeks[] = {
            {"delta", evaluation.delta}, {"gamma", evaluation.gamma}, {"theta", evaluation.theta},
            {"vega", evaluation.vega},   {"rho", evaluation.rho},
        };
        for (const auto& greek : greeks) {
            if (!greek.second) continue;
            benchmark::RegisterBenchmark((greek.first + suffix).c_str(), time_metric, greek.second)
                ->ArgName("steps")
                ->Arg(1001)
                ->Unit(benchmark::kMicrosecond);
        }
        if (!evaluation.implvol) continue;
        benchmark::RegisterBenchmark(("implvol" + suffix).c_str(), time_implvol, evaluation)
            ->ArgName("steps")
            ->Arg(1001)
            ->Unit(benchmark::kMicrosecond);
    }
    const Evaluation::Metric& gamma = evaluations().front().gamma;
    benchmark::RegisterBenchmark(book_gamma_benchmark(1).c_str(), time_book_gamma, gamma, false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(book_gamma_benchmark(66).c_str(), time_book_gamma, gamma, true)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace bench
}  // namespace quorva
