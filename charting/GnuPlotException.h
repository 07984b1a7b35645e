#pragma once
// Every failure of the charting subsystem.

#include "foundation/Exception.h"

namespace gnuplot {

class GnuPlotException : public usr::Exception {
public:
    explicit GnuPlotException(const std::string& message);
    ~GnuPlotException() override;
};

}  // namespace gnuplot
