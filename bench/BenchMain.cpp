// The benchmarks of the calendar, the pricer and the console in one run,
// followed by ratios of times measured in that same run.

#include "bench/Benchmarks.h"
#include "bench/Evaluation.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace quorva::bench;

/// The console report, keeping each benchmark's CPU seconds per iteration.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            Totals& totals = seconds_[run.benchmark_name()];
            totals.sum += run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            ++totals.count;
        }
    }

    /// The mean over repetitions; 0 for a benchmark that did not run.
    double seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? 0 : found->second.sum / found->second.count;
    }

private:
    struct Totals {
        double sum = 0;
        int count = 0;
    };
    std::map<std::string, Totals> seconds_;
};

/// Prints `label` and the quotient of the two times, or nothing when either
/// benchmark was filtered out or failed.
void print_ratio(const RecordingReporter& times, const std::string& label, const std::string& numerator,
                 const std::string& denominator, double scale = 1) {
    const double top = times.seconds(numerator);
    const double bottom = times.seconds(denominator) * scale;
    if (top <= 0 || bottom <= 0) return;
    std::cout << "  " << std::left << std::setw(56) << label << std::right << std::setprecision(3)
              << std::setw(10) << top / bottom << "\n";
}

void print_ratios(const RecordingReporter& times) {
    std::cout << "\nRatios of CPU times in this run:\n";
    print_ratio(times, "LSE year fraction over 10 years, walk / prefix count", "year_frac/walk",
                "year_frac/prefix");
    print_ratio(times, "price under lse / under continuous", "price/trading:lse", "price/trading:continuous");
    const Evaluation& base = evaluations().front();
    for (const Evaluation& e : evaluations()) {
        const std::string price = pricer_benchmark("price", e, 1001);
        print_ratio(times, e.name + ": price, 1001 / 101 steps", price, pricer_benchmark("price", e, 101));
        print_ratio(times, e.name + ": price, 10001 / 1001 steps", pricer_benchmark("price", e, 10001),
                    price);
        for (const char* operation : {"delta", "gamma", "theta", "vega", "rho", "implvol"}) {
            print_ratio(times, e.name + ": " + operation + " / price", pricer_benchmark(operation, e, 1001),
                        price);
        }
        if (&e == &base) continue;
        for (const char* operation : {"price", "delta", "gamma", "theta", "vega", "rho", "implvol"}) {
            print_ratio(times, std::string(operation) + ", " + base.name + " / " + e.name,
                        pricer_benchmark(operation, base, 1001), pricer_benchmark(operation, e, 1001));
        }
        for (unsigned steps : {101u, 10001u}) {
            print_ratio(times, "price at " + std::to_string(steps) + " steps, " + base.name + " / " + e.name,
                        pricer_benchmark("price", base, steps), pricer_benchmark("price", e, steps));
        }
    }
    print_ratio(times, "American put / plain induction, 1001 steps", "price/american/steps:1001",
                "price/induction/steps:1001");
    print_ratio(times, "American put / its tree induction, 1001 steps", "price/american/steps:1001",
                "price/american-induction/steps:1001");
    print_ratio(times, "American put / its European twin, 1001 steps", "price/american/steps:1001",
                "price/american-european/steps:1001");
    const std::string price = pricer_benchmark("price", base, 1001);
    print_ratio(times, "gamma of 100 options / 300 prices (" + base.name + ")", book_gamma_benchmark(1),
                price, 300);
    print_ratio(times, "gamma of 100 options over 66 markets / 19800 prices", book_gamma_benchmark(66), price,
                19800);
    print_ratio(times, "console calibrate of 20 / (20 x implvol, " + base.name + ")",
                "console/calibrate/positions:20", pricer_benchmark("implvol", base, 1001), 20);
    // Benchmarks timed by the process's CPU report under their name and "/process_time".
    print_ratio(times, "pnl grid / price grid of 100 positions (at most 1.05)",
                book_grid_benchmark("pnl") + "/process_time", book_grid_benchmark("price") + "/process_time");
    print_ratio(times, "price on a surface / without, at a fitted expiry", "price/surface/on_expiry",
                "price/flat/on_expiry");
    print_ratio(times, "price on a surface / without, between expiries", "price/surface/between_expiries",
                "price/flat/between_expiries");
    const double chain = times.seconds("console/calibrate_chain/quotes:400");
    if (chain > 0) {
        std::cout << "  " << std::left << std::setw(56) << "calibrate chain of 400 quotes, seconds" << std::right
                  << std::setprecision(3) << std::setw(10) << chain << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    register_calendar_benchmarks();
    register_pricer_benchmarks();
    register_console_benchmarks();
    register_book_benchmarks();
    register_surface_benchmarks();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratios(reporter);
    benchmark::Shutdown();
    return 0;
}
