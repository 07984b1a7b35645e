#pragma once
// A labelled text setting of a chart (its title, an axis or colour box label)
// with its font.

#include "charting/Plotable.h"

#include <string>

namespace gnuplot {

class Label : public Plotable {
public:
    /// `option` is the gnuplot setting: title, xlabel, ylabel or cblabel.
    explicit Label(const std::string& option);
    Label& operator=(const std::string& text);
    void plot(Plotter& plotter) const override;

    std::string option;
    std::string text;
    std::string font;
    /// Font size in points; 0 leaves the size to gnuplot.
    unsigned size;
};

}  // namespace gnuplot
