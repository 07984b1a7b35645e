#include "charting/Range.h"

#include "charting/GnuPlotException.h"

#include <limits>
#include <sstream>

namespace gnuplot {

double Range::AUTO() { return std::numeric_limits<double>::max(); }

Range::Range() : min(AUTO()), max(AUTO()) {}

Range::Range(double min_, double max_) : min(min_), max(max_) {
    if (min == AUTO() || max == AUTO()) return;
    if (!(max - min >= std::numeric_limits<double>::epsilon())) throw GnuPlotException("Invalid range length");
}

std::string Range::to_string() const {
    std::ostringstream out;
    out << "[";
    if (min == AUTO()) {
        out << "*";
    } else {
        out << min;
    }
    out << ":";
    if (max == AUTO()) {
        out << "*";
    } else {
        out << max;
    }
    out << "]";
    return out.str();
}

}  // namespace gnuplot
