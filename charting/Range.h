#pragma once
// The range of an axis; either bound may be left to gnuplot.

#include <string>

namespace gnuplot {

class Range {
public:
    /// The marker of a bound that gnuplot chooses from the data.
    static double AUTO();

    Range();
    /// Throws "Invalid range length" unless a bound is AUTO() or max - min is
    /// at least the machine epsilon.
    Range(double min, double max);

    /// "[min:max]" with "*" for an automatic bound.
    std::string to_string() const;

    double min;
    double max;
};

}  // namespace gnuplot
