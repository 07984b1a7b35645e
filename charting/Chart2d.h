#pragma once
// A two-dimensional chart (title, two axes, points) that renders itself as
// gnuplot commands with the points sent inline after the plot command, in one
// or more data blocks.

#include "charting/Axis.h"
#include "charting/Label.h"

#include <string>
#include <vector>

namespace gnuplot {

struct Point {
    Point(double x_, double y_) : x(x_), y(y_) {}
    double x;
    double y;
};

class Chart2d : public Plotable {
public:
    Chart2d();
    void add_point(double x, double y);
    std::vector<Point>::const_iterator begin() const { return points.begin(); }
    std::vector<Point>::const_iterator end() const { return points.end(); }
    void plot(Plotter& plotter) const override;
    /// What follows "plot '-' using 1:2 " in the plot command.
    virtual std::string plot_style() const;
    /// The key setting sent before the plot command.
    virtual std::string key() const;
    /// Where each inline data block ends in `points`: one block of them all here.
    virtual std::vector<std::size_t> block_ends() const;
    /// Settings sent last before the plot command, overriding the frame's; none here.
    virtual void plot_final_settings(Plotter& plotter) const;

    Label title;
    Axis x_axis;
    Axis y_axis;
    std::vector<Point> points;
};

}  // namespace gnuplot
