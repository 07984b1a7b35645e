#pragma once
// A volatility surface and a dividend yield by expiry, fitted to a chain of
// quotes: one SVI smile and one yield per quoted expiry, total variance and
// tau * yield linear in trading time between them, the volatility at fixed
// log-moneyness flat before the first and after the last. Immutable, so that
// markets share it freely.

#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"
#include "foundation/P.h"
#include "model/SviSmile.h"

#include <utility>
#include <vector>

namespace quorva {

class VolSurface {
public:
    struct Slice {
        Time expiry;
        /// Trading years to expiry when fitted: the smile's total variance is
        /// over this time.
        double tau;
        /// Annual fraction.
        double yield;
        SviSmile smile;
        /// Shown with the surface: the quotes the fit used and its RMS error in
        /// volatility points.
        unsigned quotes;
        double rms;
        /// The fitted points, (strike, implied volatility), where known.
        std::vector<std::pair<double, double> > points;
    };

    /// Where an expiry falls among the slices: total variance and tau * yield
    /// are (1 - weight) times the lower slice's plus weight times the upper's.
    struct Place {
        const Slice* lower;
        const Slice* upper;
        double weight;
        /// Trading years to the expiry on the fitted slices' clock.
        double tau;
        double yield;
    };

    /// The market's volatility and yield when fitted, against which later
    /// changes of them shift the whole surface. Slices are kept by expiry, a
    /// later one replacing an earlier one of the same expiry; each needs a
    /// positive tau. Throws QuorvaException for none. The trading time
    /// between the slices is kept for `schedule`, where one is given, as
    /// place() would measure it.
    VolSurface(double base_volatility, double base_yield, std::vector<Slice> slices,
               usr::P<TradingSchedule> schedule = usr::P<TradingSchedule>());

    double base_volatility() const { return base_volatility_; }
    double base_yield() const { return base_yield_; }
    const std::vector<Slice>& slices() const { return slices_; }

    /// The schedule measures the trading time between slices.
    Place place(const TradingSchedule& schedule, Time expiry) const;
    /// The fitted volatility at log-moneyness k (annual fraction); k is kept
    /// within +-10, where the smile's wings stop.
    double volatility(const Place& place, double k) const;
    /// The fitted volatility of one slice at k.
    static double volatility(const Slice& slice, double k);

private:
    double base_volatility_;
    double base_yield_;
    std::vector<Slice> slices_;
    /// Schedules never change once built, so the spans kept for one hold
    /// while it lives, which the handle ensures.
    usr::P<TradingSchedule> schedule_;
    /// Trading years from each slice to the next under schedule_.
    std::vector<double> spans_;
};

}  // namespace quorva
