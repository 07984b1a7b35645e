#pragma once
// Guard held by every pricing command: pins a real-time market to one reading
// of the clock and gives the whole market back when the command ends.

#include "app/QuorvaConsole.h"

namespace quorva {

class QuorvaConsole::FixMarket {
public:
    explicit FixMarket(Market& market);
    ~FixMarket();
    FixMarket(const FixMarket&) = delete;
    FixMarket& operator=(const FixMarket&) = delete;

    /// The market time for the guard's life: the pinned clock in real time.
    Time time() const;

private:
    Market& market_;
    Market saved_;
};

}  // namespace quorva
