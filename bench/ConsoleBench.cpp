#include "bench/Benchmarks.h"

#include "app/QuorvaConsole.h"
#include "bench/Fixtures.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>
#include <string>

namespace quorva {
namespace bench {

namespace {

/// The session up to and with `calibrate`, each price the one that a
/// volatility skewed by strike gives, so that every implied volatility exists.
std::string calibration_script() {
    const std::string setup = std::string(PIN_CLOCK) + twenty_positions();
    const Session session = session_after(setup);
    BinomialTreePricer pricer(1001);
    std::ostringstream calibrate;
    calibrate.precision(12);
    calibrate << "calibrate";
    for (const QuorvaConsole::Position& position : session.portfolio) {
        const double moneyness = position.second->strike() - session.market.level();
        Market skewed = session.market;
        skewed.volatility() = 0.2 - 0.002 * moneyness + 0.0001 * moneyness * moneyness;
        calibrate << " " << position.first * pricer.price(skewed, *position.second);
    }
    return setup + calibrate.str() + "\n";
}

void console_calibrate(benchmark::State& state) {
    const std::string script = calibration_script();
    for (auto _ : state) {
        std::istringstream in(script);
        std::ostringstream out;
        QuorvaConsole console(in, out);
        console.go();
        const std::string printed = out.str();
        if (printed.find("Calibrating with:") == std::string::npos ||
            printed.find("Error") != std::string::npos) {
            std::cerr << printed;
            state.SkipWithError("the calibration failed; the console's output is above");
            break;
        }
    }
}

}  // namespace

void register_console_benchmarks() {
    benchmark::RegisterBenchmark("console/calibrate/positions:20", console_calibrate)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace bench
}  // namespace quorva
