#pragma once
// A chart that joins its points with a line and can mark x positions with
// vertical lines spanning the height of the data.

#include "charting/Chart2d.h"

#include <vector>

namespace gnuplot {

class LineChart : public Chart2d {
public:
    LineChart();
    void add_vertical_line(double x);
    void plot(Plotter& plotter) const override;
    std::string plot_style() const override;

    std::vector<double> vertical_lines;
};

}  // namespace gnuplot
