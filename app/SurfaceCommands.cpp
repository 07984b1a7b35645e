// The volatility surface at the prompt: its lines in `market`, `set surface`
// to type or load one, the lines `save` writes, and `plot surface`.

#include "app/FixMarket.h"
#include "files/RoundTrip.h"

#include "charting/LineChart.h"
#include "model/VolSurface.h"

#include <boost/algorithm/string/predicate.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <istream>
#include <limits>
#include <ostream>
#include <sstream>

namespace quorva {

namespace {

const double NO_DOUBLE = std::numeric_limits<double>::max();
/// Points on each expiry's line of `plot surface`.
const unsigned CURVE_POINTS = 41;
/// Where no quotes are known, a curve spans this many at-the-money
/// standard deviations each side of the forward.
const double CURVE_DEVIATIONS = 2;

double read_required(std::istream& in, const std::string& what) {
    const double x = QuorvaConsole::read_double(in);
    if (x == NO_DOUBLE || !std::isfinite(x)) QuorvaConsole::throw_error("Expected " + what);
    return x;
}

/// The parameters of a smile that is one: b >= 0, |rho| <= 1, s > 0 and a
/// total variance nowhere negative.
void check_smile(const SviSmile& smile) {
    if (!(smile.b >= 0)) QuorvaConsole::throw_error("SVI b must not be negative");
    if (!(std::fabs(smile.rho) <= 1)) QuorvaConsole::throw_error("SVI rho must lie between -1 and 1");
    if (!(smile.s > 0)) QuorvaConsole::throw_error("SVI s must be positive");
    if (!(smile.a + smile.b * smile.s * std::sqrt(1 - smile.rho * smile.rho) >= 0)) {
        QuorvaConsole::throw_error("SVI smile has a negative variance");
    }
}

/// The market with real time pinned to the clock, for showing numbers.
Market pinned(const Market& market) {
    Market m(market);
    if (m.time() == Time()) m.time() = Time::now();
    return m;
}

}  // namespace

void QuorvaConsole::do_plot(std::istream& in) {
    const std::istream::pos_type start = in.tellg();
    if (boost::algorithm::iequals(read_string(in, ">"), "surface")) return plot_surface(in);
    in.clear();
    in.seekg(start);
    do_for(true, in);
}

void QuorvaConsole::set_surface(std::istream& in) {
    if (!std::isdigit(static_cast<unsigned char>(peek_char(in)))) {
        const std::string word = read_string(in, "");
        if (word == "none") {
            check_end(in);
            market_.surface() = usr::P<const VolSurface>();
            return;
        }
        if (word != "base") throw_error("Expected none, base or an expiry after 'set surface'");
        const double volatility = read_percent(in);
        const double yield = read_percent(in);
        if (volatility == NO_DOUBLE || yield == NO_DOUBLE) throw_error("Expected volatility and dividend yield");
        check_end(in);
        if (!market_.surface()) throw_error("No surface installed");
        market_.surface() = usr::P<const VolSurface>(
            new VolSurface(volatility, yield, market_.surface()->slices(), market_.trading_schedule()));
        return;
    }
    VolSurface::Slice slice{read_expiry(in, market_year()), NO_DOUBLE, NO_DOUBLE, SviSmile{0, 0, 0, 0, 0}, 0, 0, {}};
    bool smile = false;
    for (std::string word = read_string(in, ""); !word.empty(); word = read_string(in, "")) {
        if (word == "tau") {
            slice.tau = read_required(in, "years to expiry");
        } else if (word == "yield") {
            slice.yield = read_percent(in);
            if (slice.yield == NO_DOUBLE) throw_error("Expected dividend yield");
        } else if (word == "svi") {
            slice.smile = SviSmile{read_required(in, "SVI a"), read_required(in, "SVI b"), read_required(in, "SVI rho"),
                                   read_required(in, "SVI m"), read_required(in, "SVI s")};
            smile = true;
        } else if (word == "quotes") {
            const int quotes = read_int(in);
            if (quotes == std::numeric_limits<int>::max() || quotes < 0) throw_error("Expected number of quotes");
            slice.quotes = static_cast<unsigned>(quotes);
        } else if (word == "rms") {
            slice.rms = read_required(in, "RMS error");
        } else {
            throw_error("Unexpected '" + word + "': expected tau, yield, svi, quotes or rms");
        }
    }
    if (slice.yield == NO_DOUBLE) throw_error("Expected yield");
    if (!smile) throw_error("Expected svi A B RHO M S");
    check_smile(slice.smile);
    if (slice.tau == NO_DOUBLE) {
        const Market now = pinned(market_);
        slice.tau = now.trading_schedule()->year_frac(now.time(), slice.expiry);
    }
    if (!(slice.tau > 0)) throw_error("Expiry has passed");
    const VolSurface* surface = market_.surface().impl().get();
    std::vector<VolSurface::Slice> slices = surface ? surface->slices() : std::vector<VolSurface::Slice>();
    slices.push_back(slice);
    market_.surface() = usr::P<const VolSurface>(
        new VolSurface(surface ? surface->base_volatility() : market_.volatility(),
                       surface ? surface->base_yield() : market_.div_yield(), slices, market_.trading_schedule()));
}

void QuorvaConsole::print_surface() {
    if (!market_.surface()) return;
    const VolSurface& surface = *market_.surface();
    const Market now = pinned(market_);
    out_ << "surface = " << surface.slices().size() << (surface.slices().size() == 1 ? " expiry" : " expiries")
         << ", fitted at vol " << surface.base_volatility() * 100 << "% and divyld " << surface.base_yield() * 100
         << "%\n";
    for (const VolSurface::Slice& slice : surface.slices()) {
        const Market::Local local = now.local(now.level(), slice.expiry);
        out_ << "  " << slice.expiry << "\t";
        if (local.tau > 0) {
            out_ << "forward " << now.level() * std::exp((now.rate() - local.div_yield) * local.tau);
        } else {
            out_ << "expired";
        }
        const double atm = VolSurface::volatility(slice, 0) + now.volatility() - surface.base_volatility();
        out_ << "\tyield " << local.div_yield * 100 << "%\tATM vol " << atm * 100 << "%\tquotes " << slice.quotes
             << "\tRMS " << std::round(slice.rms * 100) / 100 << " pts\n";
    }
}

void QuorvaConsole::write_surface(std::ostream& text) const {
    if (!market_.surface()) return;
    const VolSurface& surface = *market_.surface();
    for (const VolSurface::Slice& slice : surface.slices()) {
        const SviSmile& s = slice.smile;
        text << "set surface " << slice.expiry << " tau " << round_trip(slice.tau) << " yield "
             << round_trip_percent(slice.yield) << " svi " << round_trip(s.a) << " " << round_trip(s.b) << " "
             << round_trip(s.rho) << " " << round_trip(s.m) << " " << round_trip(s.s) << " quotes " << slice.quotes
             << " rms " << round_trip(slice.rms) << "\n";
    }
    text << "set surface base " << round_trip_percent(surface.base_volatility()) << " "
         << round_trip_percent(surface.base_yield()) << "\n";
}

void QuorvaConsole::plot_surface(std::istream& in) {
    const std::string file = read_chart_file(in);
    check_end(in);
    if (!market_.surface()) throw_error("No surface installed: calibrate chain FILE.csv fits one");
    const Market now = pinned(market_);
    gnuplot::LineChart chart;
    chart.title = "Volatility surface";
    chart.x_axis.label = "strike";
    chart.y_axis.label = "implied volatility (%)";
    for (const VolSurface::Slice& slice : now.surface()->slices()) {
        const Market::Local at_money = now.local(now.level(), slice.expiry);
        if (!(at_money.tau > 0)) continue;
        const double forward = now.level() * std::exp((now.rate() - at_money.div_yield) * at_money.tau);
        const double spread = CURVE_DEVIATIONS * VolSurface::volatility(slice, 0) * std::sqrt(at_money.tau);
        double low = forward * std::exp(-spread);
        double high = forward * std::exp(spread);
        if (!slice.points.empty()) {
            low = slice.points.front().first;
            high = slice.points.back().first;
        }
        // gnuplot's enhanced text would read the '@' of "12mar09 @16:30".
        std::ostringstream name;
        name << slice.expiry;
        std::string key = name.str();
        key.erase(std::remove(key.begin(), key.end(), '@'), key.end());
        chart.add_series(key);
        for (unsigned i = 0; i < CURVE_POINTS; ++i) {
            const double strike = low + (high - low) * i / (CURVE_POINTS - 1);
            const double volatility =
                now.local(strike, slice.expiry).volatility + now.smile().eval(strike, now.level());
            chart.add_point(strike, volatility * 100);
        }
        if (slice.points.empty()) continue;
        chart.add_marks();
        for (const auto& point : slice.points) chart.add_point(point.first, point.second * 100);
    }
    if (chart.points.empty()) throw_error("Every expiry of the surface has passed");
    draw_chart(chart, file, {});
}

}  // namespace quorva
