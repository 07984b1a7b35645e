#pragma once
// One line of the book, a signed quantity (never 0) of one instrument, and
// the book itself: the positions in the order they were added.

#include "foundation/P.h"
#include "model/Instrument.h"

#include <utility>
#include <vector>

namespace quorva {

/// `first` is the quantity, `second` the instrument.
struct Position : std::pair<double, usr::P<Instrument> > {
    using std::pair<double, usr::P<Instrument> >::pair;
};

using Portfolio = std::vector<Position>;

}  // namespace quorva
