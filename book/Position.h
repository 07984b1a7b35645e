#pragma once
// One line of the book, a signed quantity (never 0) of one instrument with
// what the trader knows of it, and the book itself: the positions in the
// order they were added.

#include "foundation/P.h"
#include "model/Instrument.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorva {

/// `first` is the quantity, `second` the instrument.
struct Position : std::pair<double, usr::P<Instrument> > {
    using std::pair<double, usr::P<Instrument> >::pair;

    /// The unit price the position was opened at, in index points; none when
    /// it is not known.
    std::optional<double> trade_price;
    /// One word naming the group the position belongs to; "" for none.
    std::string label;
};

using Portfolio = std::vector<Position>;

}  // namespace quorva
