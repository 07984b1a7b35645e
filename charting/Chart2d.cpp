#include "charting/Chart2d.h"

#include "charting/Plotter.h"

#include <sstream>

namespace gnuplot {

Chart2d::Chart2d() : title("title"), x_axis('x'), y_axis('y') {}

void Chart2d::add_point(double x, double y) { points.emplace_back(x, y); }

std::string Chart2d::plot_style() const { return ""; }

void Chart2d::plot(Plotter& plotter) const {
    title.plot(plotter);
    x_axis.plot(plotter);
    y_axis.plot(plotter);
    plotter.send_command("unset key");
    plotter.send_command("set border 3");
    plotter.send_command("set xtics out");
    plotter.send_command("set ytics out");
    plotter.send_command("plot '-' using 1:2 " + plot_style());
    for (const Point& point : points) {
        std::ostringstream line;
        line << point.x << " " << point.y;
        plotter.send_command(line.str());
    }
    plotter.send_command("e");
}

}  // namespace gnuplot
