#include "model/ChainCalibration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>

namespace quorva {

namespace {

const double VEGA_FLOOR = 0.25;

/// The mean price of the quotes of one kind at one strike, and the line of
/// the first.
struct Side {
    double sum = 0;
    unsigned count = 0;
    unsigned line = 0;

    void add(const ChainQuote& quote) {
        sum += quote.price;
        if (count++ == 0) line = quote.line;
    }
    double mean() const { return sum / count; }
};

struct Strike {
    Side call;
    Side put;
};

std::string expiry_text(Time expiry) {
    std::ostringstream text;
    text << expiry;
    return text.str();
}

/// F from C - P = exp(-r tau) (F - K), least squares over the strikes quoted
/// both ways; 0 when fewer than two are. Prices far from the money move
/// less with their volatility, and so carry less of its noise: each strike
/// weighs as one over its squared vega at the market's volatility and
/// forward, with a floor of a quarter of the at-the-money vega.
double parity_forward(const std::map<double, Strike>& strikes, const Market& market, double tau) {
    const double deviation = market.volatility() * std::sqrt(tau);
    const double guess = market.level() * std::exp((market.rate() - market.div_yield()) * tau);
    double sum = 0;
    double weights = 0;
    unsigned count = 0;
    for (const auto& strike : strikes) {
        if (strike.second.call.count == 0 || strike.second.put.count == 0) continue;
        const double d = deviation > 0 ? std::log(guess / strike.first) / deviation + deviation / 2 : 0;
        const double vega = std::exp(-d * d / 2);
        const double weight = 1 / (vega * vega + VEGA_FLOOR * VEGA_FLOOR);
        sum += weight * (strike.first +
                         (strike.second.call.mean() - strike.second.put.mean()) * std::exp(market.rate() * tau));
        weights += weight;
        ++count;
    }
    return count >= 2 ? sum / weights : 0;
}

/// Whether the later smile's total variance falls below the earlier's
/// anywhere between low and high.
bool crosses_below(const SviSmile& earlier, const SviSmile& later, double low, double high, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        const double k = low + (high - low) * i / (count - 1);
        const double a = earlier.variance(k);
        if (later.variance(k) < a - 1e-12 * std::max(1.0, a)) return true;
    }
    return false;
}

}  // namespace

ChainError::ChainError(unsigned line, const std::string& message) : QuorvaException(message), line_(line) {}

ChainCalibration::ChainCalibration(BinomialTreePricer& pricer, const Market& market,
                                   const std::vector<ChainQuote>& quotes) {
    if (quotes.empty()) throw QuorvaException("No quotes to calibrate");
    std::map<Time, std::vector<const ChainQuote*> > by_expiry;
    for (const ChainQuote& quote : quotes) by_expiry[quote.expiry].push_back(&quote);

    std::vector<VolSurface::Slice> slices;
    std::vector<std::pair<double, double> > ranges;
    for (const auto& group : by_expiry) {
        const Time expiry = group.first;
        const std::string name = expiry_text(expiry);
        const double tau = market.trading_schedule()->year_frac(market.time(), expiry);
        if (!(tau > 0)) throw ChainError(group.second.front()->line, "Expiry " + name + " has passed");
        std::map<double, Strike> strikes;
        for (const ChainQuote* quote : group.second) {
            Strike& strike = strikes[quote->strike];
            (quote->call ? strike.call : strike.put).add(*quote);
        }

        Expiry row{};
        row.expiry = expiry;
        row.quotes = static_cast<unsigned>(group.second.size());
        row.strikes = static_cast<unsigned>(strikes.size());
        const double level = market.level();
        const double forward = parity_forward(strikes, market, tau);
        row.parity = forward != 0;
        if (row.parity && !(forward > 0 && std::isfinite(forward))) {
            throw ChainError(0, "Put-call parity gives no positive forward at " + name);
        }
        row.yield = row.parity ? market.rate() - std::log(forward / level) / tau : market.div_yield();
        row.forward = row.parity ? forward : level * std::exp((market.rate() - row.yield) * tau);

        Market flat(market);
        flat.smile() = Smile(Smile::STICKY_DELTA, 0, 0);
        flat.surface() = usr::P<const VolSurface>();
        flat.div_yield() = row.yield;
        std::vector<SmilePoint> points;
        std::vector<unsigned> lines;
        std::vector<bool> calls;
        std::vector<std::pair<double, double> > fitted;
        for (const auto& strike : strikes) {
            const double k = strike.first;
            const bool both = strike.second.call.count > 0 && strike.second.put.count > 0;
            const bool call = both ? k >= row.forward : strike.second.call.count > 0;
            const Side& side = call ? strike.second.call : strike.second.put;
            const double price = side.mean();
            const double vol = call ? pricer.implvol(flat, Call(k, expiry), price)
                                    : pricer.implvol(flat, Put(k, expiry), price);
            if (vol == std::numeric_limits<double>::max()) {
                std::ostringstream message;
                message << "No volatility gives " << k << (call ? 'C' : 'P') << " " << name
                        << " the price " << price;
                throw ChainError(side.line, message.str());
            }
            points.push_back(SmilePoint{std::log(k / row.forward), vol});
            lines.push_back(side.line);
            calls.push_back(call);
            fitted.emplace_back(k, vol);
        }

        const SviFit fit = fit_svi(points, tau);
        row.shape = fit.shape;
        VolSurface::Slice slice{expiry, tau, row.yield, fit.smile, row.quotes, 0, fitted};
        double squares = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double model = VolSurface::volatility(slice, points[i].k);
            const double error = (model - points[i].volatility) * 100;
            squares += error * error;
            row.worst = std::max(row.worst, std::fabs(error));
            if (std::fabs(error) > MISS_POINTS) {
                row.misses.push_back(Miss{lines[i], fitted[i].first, calls[i], points[i].volatility, model});
            }
        }
        row.rms = std::sqrt(squares / points.size());
        slice.rms = row.rms;
        row.atm_volatility = VolSurface::volatility(slice, 0);
        const double low = points.front().k;
        const double high = points.back().k;
        row.butterfly = fit.shape == SmileShape::SVI && lowest_density_factor(fit.smile, low, high, ARBITRAGE_CHECKS) < 0;
        if (!slices.empty()) {
            const double from = std::min(low, ranges.back().first);
            const double to = std::max(high, ranges.back().second);
            row.calendar = crosses_below(slices.back().smile, fit.smile, from, to, ARBITRAGE_CHECKS);
        }
        ranges.emplace_back(low, high);
        slices.push_back(slice);
        expiries_.push_back(row);
    }
    surface_ = usr::P<const VolSurface>(
        new VolSurface(market.volatility(), market.div_yield(), slices, market.trading_schedule()));
}

}  // namespace quorva
