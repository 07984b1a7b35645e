#include "charting/HeatMap.h"

#include "charting/Plotter.h"
#include "foundation/RoundTrip.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>
#include <utility>

namespace gnuplot {

namespace {

/// True when `values` are finite, strictly increasing and not empty.
bool valid_values(const std::vector<double>& values) {
    if (values.empty() || !std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) {
        return false;
    }
    return std::adjacent_find(values.begin(), values.end(), std::greater_equal<double>()) == values.end();
}

/// The edges between the cells of `values` and at both ends: half way to each
/// neighbour, as far out at an end as in, and half a unit for a lone value.
std::vector<double> edges(const std::vector<double>& values) {
    const std::size_t n = values.size();
    if (n == 1) return {values[0] - 0.5, values[0] + 0.5};
    std::vector<double> result;
    result.push_back(values[0] - (values[1] - values[0]) / 2);
    for (std::size_t i = 1; i < n; ++i) result.push_back(values[i - 1] / 2 + values[i] / 2);
    result.push_back(values[n - 1] + (values[n - 1] - values[n - 2]) / 2);
    return result;
}

/// Grids of at most this many values on each side print each cell's value.
const std::size_t MAX_LABELLED = 15;

std::string range(double low, double high) {
    return "[" + usr::round_trip(low) + ":" + usr::round_trip(high) + "]";
}

}  // namespace

HeatMap::HeatMap(std::vector<double> x_values, std::vector<double> y_values)
    : title("title"),
      x_label("xlabel"),
      y_label("ylabel"),
      z_label("cblabel"),
      x_values_(std::move(x_values)),
      y_values_(std::move(y_values)) {
    if (!valid_values(x_values_) || !valid_values(y_values_)) throw GnuPlotException("Invalid heat map values");
    z_.assign(x_values_.size() * y_values_.size(), std::numeric_limits<double>::quiet_NaN());
}

void HeatMap::set_z(std::size_t row, std::size_t column, double z) {
    if (row >= x_values_.size() || column >= y_values_.size()) throw GnuPlotException("Invalid heat map cell");
    z_[row * y_values_.size() + column] = z;
}

void HeatMap::plot(Plotter& plotter) const {
    const std::vector<double> x_edges = edges(x_values_);
    const std::vector<double> y_edges = edges(y_values_);
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (double z : z_) {
        if (!std::isfinite(z)) continue;
        lowest = std::min(lowest, z);
        highest = std::max(highest, z);
    }
    title.plot(plotter);
    x_label.plot(plotter);
    y_label.plot(plotter);
    z_label.plot(plotter);
    plotter.send_command("unset key");
    plotter.send_command("set tics out");
    plotter.send_command("set xrange " + range(x_edges.front(), x_edges.back()));
    plotter.send_command("set yrange " + range(y_edges.front(), y_edges.back()));
    // The colours span the values; one value alone sits amid a span around it,
    // which gnuplot would otherwise widen with a warning.
    if (lowest > highest) {
        plotter.send_command("set cbrange [*:*]");
    } else if (lowest < 0 && highest > 0) {
        // Losses and gains in two colours, white at 0 amid a span even on both sides.
        const double reach = std::max(-lowest, highest);
        plotter.send_command("set cbrange " + range(-reach, reach));
        plotter.send_command("set palette defined (-1 \"#b2182b\", 0 \"#f7f7f7\", 1 \"#2166ac\")");
    } else {
        const double half = lowest < highest ? 0 : lowest == 0 ? 1 : std::fabs(lowest) / 100;
        plotter.send_command("set cbrange " + range(lowest - half, highest + half));
    }
    plotter.send_command("set colorbox");
    plotter.send_command("set style fill solid 1 noborder");
    // Each cell is a box from (xlow, ylow) to (xhigh, yhigh) coloured by its value.
    const bool labelled = x_values_.size() <= MAX_LABELLED && y_values_.size() <= MAX_LABELLED;
    plotter.send_command("plot '-' using 1:2:3:4:5:6:7 with boxxyerror linecolor palette" +
                         std::string(labelled ? ", '-' using 1:2:3 with labels notitle" : ""));
    for (std::size_t row = 0; row < x_values_.size(); ++row) {
        for (std::size_t column = 0; column < y_values_.size(); ++column) {
            const double z = z_[row * y_values_.size() + column];
            if (!std::isfinite(z)) continue;
            std::string line;
            for (double v : {x_values_[row], y_values_[column], x_edges[row], x_edges[row + 1], y_edges[column],
                             y_edges[column + 1], z}) {
                line += (line.empty() ? "" : " ") + usr::round_trip(v);
            }
            plotter.send_command(line);
        }
    }
    plotter.send_command("e");
    if (!labelled) return;
    // Each cell's value in it, to four significant digits.
    for (std::size_t row = 0; row < x_values_.size(); ++row) {
        for (std::size_t column = 0; column < y_values_.size(); ++column) {
            const double z = z_[row * y_values_.size() + column];
            if (!std::isfinite(z)) continue;
            std::ostringstream line;
            line << usr::round_trip(x_values_[row]) << " " << usr::round_trip(y_values_[column]) << " "
                 << std::setprecision(4) << z;
            plotter.send_command(line.str());
        }
    }
    plotter.send_command("e");
}

}  // namespace gnuplot
