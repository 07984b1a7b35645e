#include "charting/BarChart.h"

#include "charting/Plotter.h"

namespace gnuplot {

BarChart::BarChart() : box_width(1.0f) {}

std::string BarChart::plot_style() const { return "with boxes linetype 3"; }

void BarChart::plot(Plotter& plotter) const {
    plotter.send_command("set style fill solid 1 border -1");
    plotter.send_command("set boxwidth " + Plotter::to_string(box_width));
    plotter.send_command("set xtics scale 0");
    Chart2d::plot(plotter);
}

}  // namespace gnuplot
