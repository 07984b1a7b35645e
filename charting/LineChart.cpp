#include "charting/LineChart.h"

#include "charting/Plotter.h"

#include <limits>

namespace gnuplot {

LineChart::LineChart() = default;

void LineChart::add_vertical_line(double x) { vertical_lines.push_back(x); }

std::string LineChart::plot_style() const {
    std::string style = "with lines linetype 3";
    for (double x : vertical_lines) style += ", " + Plotter::to_string(x) + ",t with lines linetype 4";
    return style;
}

void LineChart::plot(Plotter& plotter) const {
    double lowest = std::numeric_limits<double>::max();
    double highest = -std::numeric_limits<double>::max();
    for (const Point& point : points) {
        if (point.y < lowest) lowest = point.y;
        if (point.y > highest) highest = point.y;
    }
    // In parametric mode a vertical line is the curve (x, t) over the data's height.
    plotter.send_command("set parametric");
    plotter.send_command("set trange [" + Plotter::to_string(lowest) + ":" + Plotter::to_string(highest) + "]");
    Chart2d::plot(plotter);
}

}  // namespace gnuplot
