#include "foundation/RoundTrip.h"

#include <charconv>

namespace usr {

std::string round_trip(double x) {
    // Room for the longest shortest form, such as -2.2250738585072014e-308.
    char digits[32];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, x);
    return std::string(digits, end.ptr);
}

}  // namespace usr
