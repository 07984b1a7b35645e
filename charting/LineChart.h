#pragma once
// A chart that joins its points with a line, one line and one key entry per
// named series when there are several, each in a colour of its own and those
// far smaller than the largest on a right axis, and can mark x positions with
// vertical lines spanning the height of the data.

#include "charting/Chart2d.h"

#include <string>
#include <utility>
#include <vector>

namespace gnuplot {

class LineChart : public Chart2d {
public:
    LineChart();
    /// Starts a series: the points added after it belong to it. Throws
    /// "Invalid series name" when `name` holds a double quote or a line break.
    void add_series(const std::string& name);
    void add_vertical_line(double x);
    void plot(Plotter& plotter) const override;
    std::string plot_style() const override;
    std::string key() const override;
    std::vector<std::size_t> block_ends() const override;
    void plot_final_settings(Plotter& plotter) const override;
    /// For each line drawn, whether it goes on the right axis: with several
    /// lines, one whose largest magnitude is more than 20 times smaller than
    /// the largest line's, unless one_axis.
    std::vector<bool> on_right_axis() const;

    /// Every line on the left axis, as for lines of one quantity.
    bool one_axis = false;

    /// Each series started, with the index in `points` of its first point.
    std::vector<std::pair<std::string, std::size_t> > series;
    std::vector<double> vertical_lines;
    /// The right axis's label, sent only when a line is on that axis.
    Label y2_label{"y2label"};

private:
    /// The series drawn: those started, after an unnamed one of the points
    /// added before the first start, if any, or of all points without a start.
    std::vector<std::pair<std::string, std::size_t> > lines() const;
};

}  // namespace gnuplot
