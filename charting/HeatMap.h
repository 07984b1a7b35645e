#pragma once
// A heat map: a grid of values over x values (rows) and y values (columns),
// each drawn as a cell coloured from a labelled colour box, the cells reaching
// half way to their neighbours so that uneven grids draw true. Values of both
// signs get a palette centred at 0; a small grid prints each cell's value.

#include "charting/Label.h"

#include <cstddef>
#include <vector>

namespace gnuplot {

class HeatMap : public Plotable {
public:
    /// A grid of blank cells. Throws "Invalid heat map values" unless both
    /// lists are finite, strictly increasing and not empty.
    HeatMap(std::vector<double> x_values, std::vector<double> y_values);
    /// Sets the cell at x_values[row] and y_values[column]; a cell without a
    /// finite value stays blank. Throws "Invalid heat map cell" outside the grid.
    void set_z(std::size_t row, std::size_t column, double z);
    void plot(Plotter& plotter) const override;

    Label title;
    Label x_label;
    Label y_label;
    /// The label of the colour box, naming what the colours stand for.
    Label z_label;

private:
    std::vector<double> x_values_;
    std::vector<double> y_values_;
    /// Row after row, NaN for a blank cell.
    std::vector<double> z_;
};

}  // namespace gnuplot
