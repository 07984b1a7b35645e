#include "model/VolSurface.h"

#include "foundation/QuorvaException.h"

#include <algorithm>
#include <cmath>

namespace quorva {

namespace {

const double WING_END = 10;

double clamped(double k) { return std::max(-WING_END, std::min(k, WING_END)); }

}  // namespace

VolSurface::VolSurface(double base_volatility, double base_yield, std::vector<Slice> slices,
                       usr::P<TradingSchedule> schedule)
    : base_volatility_(base_volatility), base_yield_(base_yield), schedule_(std::move(schedule)) {
    if (slices.empty()) throw QuorvaException("A surface needs at least one expiry");
    std::stable_sort(slices.begin(), slices.end(),
                     [](const Slice& x, const Slice& y) { return x.expiry < y.expiry; });
    for (Slice& slice : slices) {
        if (!(slice.tau > 0)) throw QuorvaException("A surface's expiry needs a positive time to expiry");
        if (!slices_.empty() && slices_.back().expiry == slice.expiry) {
            slices_.back() = std::move(slice);
        } else {
            slices_.push_back(std::move(slice));
        }
    }
    for (std::size_t i = 0; schedule_ && i + 1 < slices_.size(); ++i) {
        spans_.push_back(schedule_->year_frac(slices_[i].expiry, slices_[i + 1].expiry));
    }
}

VolSurface::Place VolSurface::place(const TradingSchedule& schedule, Time expiry) const {
    const auto upper = std::lower_bound(slices_.begin(), slices_.end(), expiry,
                                        [](const Slice& slice, const Time& t) { return slice.expiry < t; });
    if (upper == slices_.begin() || upper == slices_.end() || upper->expiry == expiry) {
        const Slice& only = upper == slices_.end() ? slices_.back() : *upper;
        return Place{&only, &only, 0, only.tau, only.yield};
    }
    const Slice& lower = *(upper - 1);
    const double span = &schedule == schedule_.impl().get()
                            ? spans_[static_cast<std::size_t>(upper - slices_.begin()) - 1]
                            : schedule.year_frac(lower.expiry, upper->expiry);
    const double weight = span > 0 ? std::min(std::max(schedule.year_frac(lower.expiry, expiry) / span, 0.0), 1.0) : 0;
    const double tau = lower.tau + weight * (upper->tau - lower.tau);
    const double carry = lower.tau * lower.yield + weight * (upper->tau * upper->yield - lower.tau * lower.yield);
    return Place{&lower, &*upper, weight, tau, carry / tau};
}

double VolSurface::volatility(const Place& place, double k) const {
    if (place.lower == place.upper) return volatility(*place.lower, k);
    const double x = clamped(k);
    const double variance =
        (1 - place.weight) * place.lower->smile.variance(x) + place.weight * place.upper->smile.variance(x);
    return std::sqrt(std::max(variance, 0.0) / place.tau);
}

double VolSurface::volatility(const Slice& slice, double k) {
    return std::sqrt(std::max(slice.smile.variance(clamped(k)), 0.0) / slice.tau);
}

}  // namespace quorva
