#pragma once
// Registration of every benchmark of quorva_bench, under the names by which
// the ratios after the run find them.

#include "bench/Evaluation.h"

#include <string>

namespace quorva {
namespace bench {

/// "year_frac/walk" and "year_frac/prefix": an LSE year fraction over ten
/// years; "price/trading:continuous" and "price/trading:lse": one price.
void register_calendar_benchmarks();

/// For each evaluation: price at 101, 1001 and 10001 steps, each greek and
/// an implied volatility at 1001 steps, named by pricer_benchmark(); for the
/// base evaluation also the gamma of a book of a hundred options, at
/// the console's market and over a grid of 66 markets, named by
/// book_gamma_benchmark(); and an American put at 1001 steps as priced
/// ("price/american"), by the tree's induction ("price/american-induction")
/// and as its European twin ("price/american-european").
void register_pricer_benchmarks();

/// "console/calibrate/positions:20": the whole calibrate command.
void register_console_benchmarks();

/// A what-if grid of 20 markets over a book of a hundred positions, of the
/// price and of the pnl, named by book_grid_benchmark().
void register_book_benchmarks();

/// "book:100/grid:20/pnl" for metric "pnl".
std::string book_grid_benchmark(const std::string& metric);

/// "console/calibrate_chain/quotes:400": the whole command over 8 expiries of
/// 25 strikes, calls and puts; "price/surface/on_expiry" and
/// "price/surface/between_expiries": one at-the-money price on the fitted
/// surface, "price/flat/..." the same tree without it.
void register_surface_benchmarks();

/// "price/pricer/steps:1001" for operation "price", evaluation "pricer" and 1001 steps.
std::string pricer_benchmark(const std::string& operation, const Evaluation& evaluation, unsigned steps);

/// "gamma/book:100/markets:66" for the book over 66 markets.
std::string book_gamma_benchmark(unsigned markets);

}  // namespace bench
}  // namespace quorva
