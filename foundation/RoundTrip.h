#pragma once
// Numbers written for another program or a file to read back to the last bit.

#include <string>

namespace usr {

/// The shortest text that reads back to exactly x: "100", "0.1", "1e+20",
/// "0.30000000000000004".
std::string round_trip(double x);

}  // namespace usr
