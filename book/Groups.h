#pragma once
// The book cut into groups for a listing with subtotals: by expiry (the same
// date and time) or by label.

#include "book/Position.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorva {

enum class Grouping { NONE, EXPIRY, LABEL };

struct Group {
    /// The expiry as printed ("20jun09 @23:59"), the label, or "-" for the
    /// positions without a label; "" for the one group of NONE.
    std::string name;
    /// Indices into the portfolio, in its order.
    std::vector<std::size_t> positions;
};

/// NONE: one group of every position (none for an empty book). EXPIRY: the
/// earliest expiry first. LABEL: in the order each label first appears, the
/// positions without one last.
std::vector<Group> group_positions(const Portfolio& portfolio, Grouping grouping);

}  // namespace quorva
