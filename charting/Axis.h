#pragma once
// One axis of a chart: its label, range, tick rotation and explicit ticks.

#include "charting/Label.h"
#include "charting/Range.h"

#include <string>
#include <utility>
#include <vector>

namespace gnuplot {

class Axis : public Plotable {
public:
    /// Throws "Invalid axis dimension" unless `dimension` is 'x' or 'y'.
    explicit Axis(char dimension);
    void add_tick(double position, const std::string& text);
    std::size_t no_ticks() const { return ticks.size(); }
    void plot(Plotter& plotter) const override;

    char dimension;
    Label label;
    Range range;
    std::vector<std::pair<double, std::string> > ticks;
    /// Angle of the tick texts in degrees.
    float rotation;
};

}  // namespace gnuplot
