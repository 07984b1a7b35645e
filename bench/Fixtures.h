#pragma once
// The console sessions from which the benchmarks take their market and
// positions, so that they time exactly what the console prices.

#include "app/QuorvaConsole.h"
#include "model/Market.h"

#include <string>

namespace quorva {
namespace bench {

/// Pins the console's clock to Thursday 5 March 2009, 14:30.
extern const char* const PIN_CLOCK;

/// Twenty "add" lines: calls and puts struck from 81 to 119, expiring on
/// 20 June or 18 December 2009.
std::string twenty_positions();

/// A hundred "add" lines: calls and puts struck from 51 to 150, each of the
/// four expiries from April 2009 to December 2010 in turn.
std::string hundred_positions();

/// What a console holds once it has read a script to its end.
struct Session {
    Market market;
    QuorvaConsole::Portfolio portfolio;
};

/// Runs `script` through a console of 1001 steps, its output discarded.
Session session_after(const std::string& script);

}  // namespace bench
}  // namespace quorva
