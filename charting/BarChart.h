#pragma once
// A chart that draws its points as filled boxes.

#include "charting/Chart2d.h"

namespace gnuplot {

class BarChart : public Chart2d {
public:
    BarChart();
    void plot(Plotter& plotter) const override;
    std::string plot_style() const override;

    /// Width of each box in x units.
    float box_width;
};

}  // namespace gnuplot
