#include "charting/Chart2d.h"

#include "charting/Plotter.h"

#include <algorithm>
#include <sstream>

namespace gnuplot {

Chart2d::Chart2d() : title("title"), x_axis('x'), y_axis('y') {}

void Chart2d::add_point(double x, double y) { points.emplace_back(x, y); }

std::string Chart2d::plot_style() const { return ""; }

std::string Chart2d::key() const { return "unset key"; }

std::vector<std::size_t> Chart2d::block_ends() const { return {points.size()}; }

void Chart2d::plot_final_settings(Plotter&) const {}

void Chart2d::plot(Plotter& plotter) const {
    title.plot(plotter);
    x_axis.plot(plotter);
    y_axis.plot(plotter);
    plotter.send_command(key());
    plotter.send_command("set border 3");
    plotter.send_command("set xtics out");
    plotter.send_command("set ytics out");
    plot_final_settings(plotter);
    plotter.send_command("plot '-' using 1:2 " + plot_style());
    std::size_t next = 0;
    for (std::size_t end : block_ends()) {
        for (; next < std::min(end, points.size()); ++next) {
            std::ostringstream line;
            line << points[next].x << " " << points[next].y;
            plotter.send_command(line.str());
        }
        plotter.send_command("e");
    }
}

}  // namespace gnuplot
