#include "charting/LineChart.h"

#include "charting/Plotter.h"

#include <algorithm>
#include <limits>

namespace gnuplot {

namespace {

const int FIRST_LINETYPE = 3;

}  // namespace

LineChart::LineChart() = default;

void LineChart::add_series(const std::string& name) {
    if (name.find_first_of("\"\n\r") != std::string::npos) throw GnuPlotException("Invalid series name");
    series.emplace_back(name, points.size());
}

void LineChart::add_marks() {
    series.emplace_back("", points.size());
    marks.push_back(points.size());
}

void LineChart::add_vertical_line(double x) { vertical_lines.push_back(x); }

std::vector<std::pair<std::string, std::size_t> > LineChart::lines() const {
    std::vector<std::pair<std::string, std::size_t> > drawn = series;
    if (drawn.empty() || drawn.front().second != 0) drawn.emplace(drawn.begin(), "", 0);
    return drawn;
}

std::string LineChart::plot_style() const {
    const auto drawn = lines();
    const bool keyed = drawn.size() > 1;
    std::string style;
    int linetype = FIRST_LINETYPE - 1;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (i != 0) style += ", '-' using 1:2 ";
        if (std::find(marks.begin(), marks.end(), drawn[i].second) != marks.end()) {
            style += "with points pointtype 7 pointsize 0.5 linetype " + std::to_string(std::max(linetype, 0)) +
                     (keyed ? " notitle" : "");
            continue;
        }
        style += "with lines linetype " + std::to_string(++linetype);
        if (keyed) style += " title " + Plotter::quoted(drawn[i].first);
    }
    const std::string marker = " with lines linetype " + std::to_string(linetype + 1);
    for (double x : vertical_lines) style += ", " + Plotter::to_string(x) + ",t" + marker + (keyed ? " notitle" : "");
    return style;
}

std::string LineChart::key() const { return lines().size() > 1 ? "set key below" : Chart2d::key(); }

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
