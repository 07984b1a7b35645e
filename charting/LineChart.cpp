#include "charting/LineChart.h"

#include "charting/Plotter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gnuplot {

namespace {

const int FIRST_LINETYPE = 3;
/// The lines of a chart of several series, in turn: colours that read on white.
const char* const COLOURS[] = {"#0072b2", "#d55e00", "#009e73", "#cc79a7", "#000000", "#e69f00", "#56b4e9"};
const std::size_t NUMBER_OF_COLOURS = sizeof COLOURS / sizeof COLOURS[0];
const char* const MARKER_COLOUR = "#808080";
/// How many times smaller than the largest line a line is for the right axis.
const double RIGHT_AXIS_RATIO = 20;

}  // namespace

LineChart::LineChart() = default;

void LineChart::add_series(const std::string& name) {
    if (name.find_first_of("\"\n\r") != std::string::npos) throw GnuPlotException("Invalid series name");
    series.emplace_back(name, points.size());
}

void LineChart::add_vertical_line(double x) { vertical_lines.push_back(x); }

std::vector<std::pair<std::string, std::size_t> > LineChart::lines() const {
    std::vector<std::pair<std::string, std::size_t> > drawn = series;
    if (drawn.empty() || drawn.front().second != 0) drawn.emplace(drawn.begin(), "", 0);
    return drawn;
}

std::vector<bool> LineChart::on_right_axis() const {
    std::vector<double> largest;
    std::size_t next = 0;
    for (std::size_t end : block_ends()) {
        largest.push_back(0);
        for (; next < std::min(end, points.size()); ++next) {
            const double y = std::fabs(points[next].y);
            if (std::isfinite(y)) largest.back() = std::max(largest.back(), y);
        }
    }
    const double top = *std::max_element(largest.begin(), largest.end());
    std::vector<bool> right;
    for (double magnitude : largest) {
        right.push_back(!one_axis && largest.size() > 1 && magnitude > 0 && magnitude * RIGHT_AXIS_RATIO < top);
    }
    return right;
}

std::string LineChart::plot_style() const {
    const auto drawn = lines();
    const bool keyed = drawn.size() > 1;
    const std::vector<bool> right = on_right_axis();
    std::string style;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (i != 0) style += ", '-' using 1:2 ";
        if (!keyed) {
            style += "with lines linetype " + std::to_string(FIRST_LINETYPE + i);
            continue;
        }
        style += "with lines linecolor rgb " + Plotter::quoted(COLOURS[i % NUMBER_OF_COLOURS]);
        if (right[i]) style += " axes x1y2";
        style += " title " + Plotter::quoted(drawn[i].first);
    }
    const std::string marker = keyed ? " with lines linecolor rgb " + Plotter::quoted(MARKER_COLOUR) + " notitle"
                                     : " with lines linetype " + std::to_string(FIRST_LINETYPE + drawn.size());
    for (double x : vertical_lines) style += ", " + Plotter::to_string(x) + ",t" + marker;
    return style;
}

void LineChart::plot_final_settings(Plotter& plotter) const {
    const std::vector<bool> right = on_right_axis();
    if (std::find(right.begin(), right.end(), true) == right.end()) return;
    y2_label.plot(plotter);
    plotter.send_command("set y2tics out nomirror");
    // Left, bottom and right.
    plotter.send_command("set border 11");
}

// Above the chart, clear of the x axis label.
std::string LineChart::key() const { return lines().size() > 1 ? "set key above" : Chart2d::key(); }

std::vector<std::size_t> LineChart::block_ends() const {
    const auto drawn = lines();
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i < drawn.size(); ++i) ends.push_back(drawn[i].second);
    ends.push_back(points.size());
    return ends;
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
