#include "charting/GnuPlotException.h"

namespace gnuplot {

GnuPlotException::GnuPlotException(const std::string& message)
    : usr::Exception("GnuPlotException", message, usr::Exception()) {}

GnuPlotException::~GnuPlotException() = default;

}  // namespace gnuplot
