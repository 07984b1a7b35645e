#include "model/Instrument.h"

namespace quorva {

namespace {

const double DIGITAL_PAYMENT = 100;

std::ostream& print_as(std::ostream& os, const Instrument& instrument, char code) {
    os << instrument.strike() << code << ' ' << instrument.expiry();
    return instrument.american() ? os << " American" : os;
}

}  // namespace

Instrument::Instrument(double strike, Time expiry) : strike_(strike), expiry_(expiry) {}

double Instrument::strike() const { return strike_; }

Time Instrument::expiry() const { return expiry_; }

bool Instrument::depends_on_volatility() const { return true; }

std::optional<PayoffSides> Instrument::payoff_sides() const { return std::nullopt; }

bool Instrument::american() const { return false; }

Call::Call(double strike, Time expiry, bool american) : Instrument(strike, expiry), american_(american) {}

double Call::payoff(double level) const { return level > strike() ? level - strike() : 0; }

std::optional<PayoffSides> Call::payoff_sides() const { return PayoffSides{{-strike(), 1}, {0, 0}}; }

std::ostream& Call::print(std::ostream& os) const { return print_as(os, *this, 'C'); }

Put::Put(double strike, Time expiry, bool american) : Instrument(strike, expiry), american_(american) {}

double Put::payoff(double level) const { return strike() > level ? strike() - level : 0; }

std::optional<PayoffSides> Put::payoff_sides() const { return PayoffSides{{0, 0}, {strike(), -1}}; }

std::ostream& Put::print(std::ostream& os) const { return print_as(os, *this, 'P'); }

Future::Future(double strike, Time expiry) : Instrument(strike, expiry) {}

double Future::payoff(double level) const { return level - strike(); }

bool Future::depends_on_volatility() const { return false; }

std::optional<PayoffSides> Future::payoff_sides() const {
    return PayoffSides{{-strike(), 1}, {-strike(), 1}};
}

std::ostream& Future::print(std::ostream& os) const { return print_as(os, *this, 'F'); }

DigitalUp::DigitalUp(double strike, Time expiry) : Instrument(strike, expiry) {}

double DigitalUp::payoff(double level) const { return level > strike() ? DIGITAL_PAYMENT : 0; }

std::optional<PayoffSides> DigitalUp::payoff_sides() const {
    return PayoffSides{{DIGITAL_PAYMENT, 0}, {0, 0}};
}

std::ostream& DigitalUp::print(std::ostream& os) const { return print_as(os, *this, 'U'); }

DigitalDown::DigitalDown(double strike, Time expiry) : Instrument(strike, expiry) {}

double DigitalDown::payoff(double level) const { return strike() > level ? DIGITAL_PAYMENT : 0; }

std::optional<PayoffSides> DigitalDown::payoff_sides() const {
    return PayoffSides{{0, 0}, {DIGITAL_PAYMENT, 0}};
}

std::ostream& DigitalDown::print(std::ostream& os) const { return print_as(os, *this, 'D'); }

}  // namespace quorva
