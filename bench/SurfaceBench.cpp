#include "bench/Benchmarks.h"

#include "files/RoundTrip.h"
#include "bench/Fixtures.h"
#include "model/ChainCalibration.h"
#include "tests/model/SyntheticChain.h"

#include <benchmark/benchmark.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace quorva {
namespace bench {

namespace {

namespace fs = boost::filesystem;

/// Eight expiries from a week to two years, 25 strikes each, a call and a
/// put at each: 400 quotes with 0.2 volatility points of noise.
const std::vector<int> EIGHT_EXPIRIES = {7, 30, 61, 91, 182, 365, 548, 730};

test::SyntheticChain chain_of(const Market& market) {
    BinomialTreePricer pricer(1001);
    return test::SyntheticChain(pricer, market, 25, 0.002, EIGHT_EXPIRIES);
}

/// The whole command, from reading the file to installing the surface.
void console_calibrate_chain(benchmark::State& state) {
    const Session session = session_after(PIN_CLOCK);
    const fs::path file = fs::temp_directory_path() / fs::unique_path("quorva-chain-%%%%-%%%%.csv");
    {
        std::ofstream csv(file.native());
        csv << "expiry,strike,type,price\n";
        for (const ChainQuote& q : chain_of(session.market).quotes) {
            csv << q.expiry << "," << round_trip(q.strike) << "," << (q.call ? 'C' : 'P') << ","
                << round_trip(q.price) << "\n";
        }
    }
    const std::string script = std::string(PIN_CLOCK) + "calibrate chain " + file.native() + "\n";
    for (auto _ : state) {
        std::istringstream in(script);
        std::ostringstream out;
        QuorvaConsole console(in, out);
        console.go();
        if (out.str().find("Installed a surface of 8 expiries") == std::string::npos) {
            std::cerr << out.str();
            state.SkipWithError("the chain did not calibrate; the console's output is above");
            break;
        }
    }
    fs::remove(file);
}

/// An at-the-money call on the console's market with the surface of the 400
/// quotes, or without it at the volatility and yield the surface gives the
/// call, so that the trees are the same; `between` puts its expiry between
/// two of the surface's, otherwise on one.
void price_on_surface(benchmark::State& state, bool surface, bool between) {
    Market market = session_after(PIN_CLOCK).market;
    BinomialTreePricer pricer(1001);
    const test::SyntheticChain chain = chain_of(market);
    Time expiry = chain.expiries[4].expiry;
    if (between) expiry.add_minutes(-20 * 1440);
    const Call call(100, expiry);
    market.surface() = ChainCalibration(pricer, market, chain.quotes).surface();
    if (!surface) {
        const Market::Local local = market.local(call.strike(), expiry);
        market.volatility() = local.volatility;
        market.div_yield() = local.div_yield;
        market.surface() = usr::P<const VolSurface>();
    }
    for (auto _ : state) benchmark::DoNotOptimize(pricer.price(market, call));
}

}  // namespace

void register_surface_benchmarks() {
    benchmark::RegisterBenchmark("console/calibrate_chain/quotes:400", console_calibrate_chain)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("price/flat/on_expiry", price_on_surface, false, false);
    benchmark::RegisterBenchmark("price/flat/between_expiries", price_on_surface, false, true);
    benchmark::RegisterBenchmark("price/surface/on_expiry", price_on_surface, true, false);
    benchmark::RegisterBenchmark("price/surface/between_expiries", price_on_surface, true, true);
}

}  // namespace bench
}  // namespace quorva
