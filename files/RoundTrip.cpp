#include "files/RoundTrip.h"

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>

namespace quorva {

namespace {

/// The text read as a number, as the console reads it.
double read_back(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double x = 0;
    in >> x;
    return x;
}

/// x with `digits` significant digits, in general (the console's own) or
/// scientific notation.
std::string format(double x, int digits, bool scientific) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    if (scientific) out << std::scientific;
    out << std::setprecision(scientific ? digits - 1 : digits) << x;
    return out.str();
}

int fewest_digits(double x, bool scientific) {
    // In general notation, fewer digits than the whole part has would switch
    // to the scientific form: 100 is "100", not "1e+02".
    const double whole = std::fabs(x);
    int digits = 1;
    if (!scientific && whole >= 1 && whole < 1e17) digits = static_cast<int>(std::floor(std::log10(whole))) + 1;
    while (digits < std::numeric_limits<double>::max_digits10 && read_back(format(x, digits, scientific)) != x) {
        ++digits;
    }
    return digits;
}

}  // namespace

int round_trip_digits(double x) { return fewest_digits(x, false); }

std::string round_trip_percent(double x) {
    const std::string percent = round_trip(x * 100);
    if (read_back(percent + "e-2") == x) return percent;
    // x's own digits, the exponent raised by two.
    const std::string digits = format(x, fewest_digits(x, true), true);
    const std::size_t e = digits.find('e');
    return digits.substr(0, e) + "e" + std::to_string(std::stoi(digits.substr(e + 1)) + 2);
}

}  // namespace quorva
