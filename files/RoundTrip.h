#pragma once
// Numbers written to files so that they read back to the last bit.

#include "foundation/RoundTrip.h"

#include <string>

namespace quorva {

/// The fewest significant digits with which x, in the stream's general
/// notation, reads back exactly: the precision to print it at.
int round_trip_digits(double x);

using usr::round_trip;

/// Text of x in percent (x a fraction) that QuorvaConsole::read_percent reads
/// back to exactly x: "22.8233" for 0.228233.
std::string round_trip_percent(double x);

}  // namespace quorva
