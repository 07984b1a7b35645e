#pragma once
// Fits a volatility surface to a chain of option quotes: per expiry, the
// forward from put-call parity, each strike's implied volatility on the tree
// at that forward, an SVI smile without butterfly arbitrage, and a report of
// the fit in volatility points with any arbitrage between expiries.

#include "foundation/P.h"
#include "foundation/QuorvaException.h"
#include "model/BinomialTreePricer.h"
#include "model/Market.h"
#include "model/SviSmile.h"
#include "model/VolSurface.h"

#include <vector>

namespace quorva {

/// One quoted European price.
struct ChainQuote {
    Time expiry;
    double strike;
    bool call;
    /// Per unit, in index points.
    double price;
    /// Where the quote was read, from 1; 0 when it was not read from a file.
    unsigned line;
};

/// A chain that cannot be fitted, at a quote's line or (line 0) as a whole.
class ChainError : public QuorvaException {
public:
    ChainError(unsigned line, const std::string& message);
    unsigned line() const { return line_; }

private:
    unsigned line_;
};

class ChainCalibration {
public:
    /// Quotes whose fitted volatility misses them by more than this, in points.
    static constexpr double MISS_POINTS = 5;

    struct Miss {
        unsigned line;
        double strike;
        bool call;
        /// Annual fractions.
        double quoted;
        double fitted;
    };

    struct Expiry {
        Time expiry;
        unsigned quotes;
        unsigned strikes;
        double forward;
        double yield;
        /// False where calls and puts share fewer than two strikes: the
        /// market's yield gives the forward.
        bool parity;
        double atm_volatility;
        /// Of the fitted smile against the quotes' implied volatilities, in
        /// volatility points.
        double rms;
        double worst;
        SmileShape shape;
        /// A negative density between the outermost strikes.
        bool butterfly;
        /// Total variance below the previous expiry's somewhere on their strikes.
        bool calendar;
        std::vector<Miss> misses;
    };

    /// Checks on this many log-moneyness points across the quoted strikes.
    static constexpr unsigned ARBITRAGE_CHECKS = 41;

    /// The market gives the level, rate, time (a real instant), schedule and
    /// the yield of expiries without parity; its volatility and yield become
    /// the surface's base. Throws ChainError for an expiry that has passed, a
    /// forward that parity cannot give, or a price that no volatility the
    /// pricer's implvol searches reaches; QuorvaException for no quotes.
    ChainCalibration(BinomialTreePricer& pricer, const Market& market, const std::vector<ChainQuote>& quotes);

    const std::vector<Expiry>& expiries() const { return expiries_; }
    const usr::P<const VolSurface>& surface() const { return surface_; }

private:
    std::vector<Expiry> expiries_;
    usr::P<const VolSurface> surface_;
};

}  // namespace quorva
