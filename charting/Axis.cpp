#include "charting/Axis.h"

#include "charting/Plotter.h"

#include <boost/lexical_cast.hpp>

#include <sstream>

namespace gnuplot {

Axis::Axis(char dimension_)
    : dimension(dimension_), label(boost::lexical_cast<std::string>(dimension_) + "label"), rotation(0) {
    if (dimension != 'x' && dimension != 'y') throw GnuPlotException("Invalid axis dimension");
}

void Axis::add_tick(double position, const std::string& text) { ticks.emplace_back(position, text); }

void Axis::plot(Plotter& plotter) const {
    const std::string d = boost::lexical_cast<std::string>(dimension);
    label.plot(plotter);
    plotter.send_command("set " + d + "range " + range.to_string());
    std::ostringstream rotate;
    rotate << "set " << d << "tics rotate by " << rotation;
    plotter.send_command(rotate.str());
    std::ostringstream tics;
    tics << "set " << d << "tics ";
    if (!ticks.empty()) {
        tics << "(";
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            if (i != 0) tics << ",";
            tics << Plotter::quoted(ticks[i].second) << " " << ticks[i].first;
        }
        tics << ")";
    }
    plotter.send_command(tics.str());
    plotter.send_command("set " + d + "tics nomirror");
}

}  // namespace gnuplot
