#pragma once
// Numbers written to files so that they read back to the last bit.

#include <string>

namespace quorva {

/// The fewest significant digits, in the stream's general notation, with
/// which x reads back exactly: the stream precision for round_trip(x).
int round_trip_digits(double x);

/// The shortest text that reads back to exactly x: "100", "0.1", "1e+20",
/// "22.823300000000003".
std::string round_trip(double x);

/// Text of x in percent (x a fraction) that QuorvaConsole::read_percent reads
/// back to exactly x: "22.8233" for 0.228233.
std::string round_trip_percent(double x);

}  // namespace quorva
