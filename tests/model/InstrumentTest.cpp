#include "model/Instrument.h"

#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>

namespace quorva {
namespace {

using namespace test;

const Time EXPIRY(chrono::Date(2009, chrono::Date::MAR, 20), 16, 30);

TEST(Instrument, PayoffsAroundTheStrike) {
    struct Row {
        Kind kind;
        double below, at, above;  // payoffs at 99, 100 and 100.5 for strike 100
    };
    const Row rows[] = {{CALL, 0, 0, 0.5},
                        {PUT, 1, 0, 0},
                        {FUTURE, -1, 0, 0.5},
                        {DIGITAL_UP, 0, 0, 100},
                        {DIGITAL_DOWN, 100, 0, 0}};
    for (const Row& row : rows) {
        const usr::P<Instrument> instrument = make(row.kind, 100, EXPIRY);
        EXPECT_EQ(row.below, instrument->payoff(99)) << describe(*instrument);
        EXPECT_EQ(row.at, instrument->payoff(100)) << describe(*instrument);
        EXPECT_EQ(row.above, instrument->payoff(100.5)) << describe(*instrument);
        EXPECT_EQ(100, instrument->strike());
        EXPECT_EQ(EXPIRY, instrument->expiry());
    }
    EXPECT_EQ(-10, Future(100, EXPIRY).payoff(90));
    EXPECT_EQ(100, DigitalUp(100, EXPIRY).payoff(100.01));
}

// The lines each side of the strike give the payoff to the last bit, next to
// the strike and far from it.
TEST(Instrument, SidesGiveThePayoffToTheLastBit) {
    const double strike = 102.7;
    const double levels[] = {1e-300, 0.1, 99,   std::nextafter(strike, 0.0), std::nextafter(strike, 200.0),
                             110.3,  3e7, 1e300};
    for (Kind kind : {CALL, PUT, FUTURE, DIGITAL_UP, DIGITAL_DOWN}) {
        const usr::P<Instrument> instrument = make(kind, strike, EXPIRY);
        const std::optional<PayoffSides> sides = instrument->payoff_sides();
        ASSERT_TRUE(sides) << describe(*instrument);
        for (double level : levels) {
            const PayoffLine& line = level > strike ? sides->above : sides->below;
            EXPECT_EQ(instrument->payoff(level), line.at(level)) << describe(*instrument) << " at " << level;
        }
    }
}

TEST(Instrument, AnyStrikeIsAccepted) {
    EXPECT_EQ(5, Call(-5, EXPIRY).payoff(0));
    EXPECT_EQ(0, Put(0, EXPIRY).payoff(0));
    EXPECT_EQ(100, DigitalDown(0, EXPIRY).payoff(-1));
}

TEST(Instrument, PrintsStrikeCodeLetterAndExpiry) {
    EXPECT_EQ("100C 20mar09 @16:30", describe(Call(100, EXPIRY)));
    EXPECT_EQ("102.5P 20mar09 @16:30", describe(Put(102.5, EXPIRY)));
    EXPECT_EQ("1e+06F 20mar09 @16:30", describe(Future(1e6, EXPIRY)));
    EXPECT_EQ("95U 05jan10 @09:05",
              describe(DigitalUp(95, Time(chrono::Date(2010, chrono::Date::JAN, 5), 9, 5))));
    EXPECT_EQ("-3D 20mar09 @16:30", describe(DigitalDown(-3, EXPIRY)));

    std::ostringstream os;
    Call(100, EXPIRY).print(os) << "|";
    EXPECT_EQ("100C 20mar09 @16:30|", os.str());
}

}  // namespace
}  // namespace quorva
