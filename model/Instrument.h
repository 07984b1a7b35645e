#pragma once
// Derivatives on the index: each kind is fixed by its strike and expiry and
// characterised by its payoff at expiry; calls and puts may also be
// exercised early (American). Immutable once built.

#include "calendar/Time.h"

#include <optional>
#include <ostream>

namespace quorva {

/// A payoff constant + slope * level.
struct PayoffLine {
    double constant;
    double slope;

    double at(double level) const { return constant + slope * level; }
};

/// The lines a payoff follows strictly above and strictly below its strike.
struct PayoffSides {
    PayoffLine above;
    PayoffLine below;
};

/// Held only through usr::P of the concrete kind, which destroys it as that
/// kind; hence no virtual destructor.
class Instrument {
public:
    Instrument(double strike, Time expiry);

    /// In index points.
    virtual double strike() const;
    virtual Time expiry() const;
    /// Amount paid, in index points, with the index at level on expiry.
    virtual double payoff(double level) const = 0;
    /// Whether the price moves with the volatility, so that a price implies one.
    virtual bool depends_on_volatility() const;
    /// Where the payoff is one line on each side of the strike, those lines,
    /// equal to payoff() to the last bit at every finite level off the
    /// strike; nothing here.
    virtual std::optional<PayoffSides> payoff_sides() const;
    /// Strike, code letter, blank, expiry: "100C 20mar09 @16:30", then
    /// " American" for an American option; no newline.
    virtual std::ostream& print(std::ostream& os) const = 0;
    /// True when the holder may take the payoff at the level of any moment
    /// up to expiry, not only at expiry.
    virtual bool american() const;

protected:
    ~Instrument() = default;

private:
    double strike_;
    Time expiry_;
};

/// Pays level - strike above the strike.
class Call : public Instrument {
public:
    Call(double strike, Time expiry, bool american = false);
    double payoff(double level) const override;
    std::optional<PayoffSides> payoff_sides() const override;
    std::ostream& print(std::ostream& os) const override;
    bool american() const override { return american_; }

private:
    bool american_;
};

/// Pays strike - level below the strike.
class Put : public Instrument {
public:
    Put(double strike, Time expiry, bool american = false);
    double payoff(double level) const override;
    std::optional<PayoffSides> payoff_sides() const override;
    std::ostream& print(std::ostream& os) const override;
    bool american() const override { return american_; }

private:
    bool american_;
};

/// Pays level - strike, negative below the strike.
class Future : public Instrument {
public:
    Future(double strike, Time expiry);
    double payoff(double level) const override;
    std::optional<PayoffSides> payoff_sides() const override;
    bool depends_on_volatility() const override;
    std::ostream& print(std::ostream& os) const override;
};

/// Pays 100 index points strictly above the strike.
class DigitalUp : public Instrument {
public:
    DigitalUp(double strike, Time expiry);
    double payoff(double level) const override;
    std::optional<PayoffSides> payoff_sides() const override;
    std::ostream& print(std::ostream& os) const override;
};

/// Pays 100 index points strictly below the strike.
class DigitalDown : public Instrument {
public:
    DigitalDown(double strike, Time expiry);
    double payoff(double level) const override;
    std::optional<PayoffSides> payoff_sides() const override;
    std::ostream& print(std::ostream& os) const override;
};

}  // namespace quorva
