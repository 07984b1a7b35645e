#include "ConsoleSession.h"

#include "app/FixMarket.h"
#include "book/MarketParamProxy.h"
#include "calendar/Time.h"
#include "foundation/QuorvaException.h"

#include <gtest/gtest.h>

#include <functional>

#include <sstream>

namespace {

using quorva::QuorvaConsole;

const char* const PINNED_MARKET =
    "level  = 100\n"
    "vol    = 20%\n"
    "smile  = (-, 0, 0)\n"
    "rate   = 5%\n"
    "divyld = 2.5%\n"
    "time   = 05mar09 @14:30\n"
    "trade  = Continuous\n"
    "\n";

/// The check after a refused line: the market is the pinned one still.
std::function<void(const std::string&)> still_pinned(ConsoleSession& session) {
    return [&session](const std::string& line) {
        EXPECT_EQ(PINNED_MARKET, session.run("market")) << line << " changed the market";
    };
}

TEST(MarketCommand, StartUpMarketFollowsTheClock) {
    ConsoleSession session;
    const std::string listing = session.run("market");
    EXPECT_EQ(0u, listing.find("level  = 100\nvol    = 20%\nsmile  = (-, 0, 0)\nrate   = 5%\n"
                               "divyld = 2.5%\ntime   = "));
    EXPECT_NE(std::string::npos, listing.find(" [realtime]\ntrade  = Continuous\n\n"));
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("market x"));
}

TEST(MarketCommand, PinnedClock) {
    ConsoleSession session;
    session.pin_clock();
    EXPECT_EQ(PINNED_MARKET, session.run("market"));
}

TEST(SetCommand, NumericParametersInPercent) {
    ConsoleSession session;
    session.pin_clock();
    EXPECT_EQ("", session.run("set vol 25\nset rate -1\nset divyld 0\nset level 1e6"));
    const std::string listing = session.run("market");
    EXPECT_NE(std::string::npos, listing.find("vol    = 25%\n"));
    EXPECT_NE(std::string::npos, listing.find("rate   = -1%\n"));
    EXPECT_NE(std::string::npos, listing.find("divyld = 0%\n"));
    EXPECT_NE(std::string::npos, listing.find("level  = 1e+06\n"));
    EXPECT_DOUBLE_EQ(0.25, session.console().market().volatility());
}

TEST(SetCommand, AnEqualsSignMayStandBetweenNameAndValue) {
    ConsoleSession session;
    EXPECT_EQ("", session.run("set vol=25\nset rate = 3\nset level= 90"));
    EXPECT_DOUBLE_EQ(0.25, session.console().market().volatility());
    EXPECT_DOUBLE_EQ(0.03, session.console().market().rate());
    EXPECT_DOUBLE_EQ(90, session.console().market().level());
    session.run("set trading = lse");
    EXPECT_EQ("LSE", session.console().market().trading_schedule()->name());
    session.run("set trading=continuous");
    EXPECT_EQ("Continuous", session.console().market().trading_schedule()->name());
    EXPECT_EQ("Error: Expected value\n", session.run("set vol"));
    EXPECT_EQ("Error: Expected value\n", session.run("set vol ="));
    EXPECT_EQ("Error: Expected value\n", session.run("set vol == 3"));
}

TEST(SetCommand, Messages) {
    ConsoleSession session;
    session.pin_clock();
    session.expect_refusals(
        {
            {"set", "Expected market parameter"},
            {"set =5", "Expected market parameter"},
            {"set level", "Expected value"},
            {"set foo", "Expected value"},
            {"set foo 1", "Unknown market parameter 'foo'"},
            {"set VOL 25", "Unknown market parameter 'VOL'"},
            {"set level 1 2", "Unexpected tokens found"},
            {"set foo 1 2", "Unexpected tokens found"},
            {"set realtime now", "Unexpected tokens found"},
            {"set stickystrike 1", "Unexpected tokens found"},
            {"set stickydelta x", "Unexpected tokens found"},
            {"set trading", "Expected trading schedule 'continuous', 'lse', 'eurex' or 'nyse'"},
            {"set trading lsx", "Expected trading schedule 'continuous', 'lse', 'eurex' or 'nyse'"},
            {"set holiday 9jan25", "Holidays need an exchange: set trading lse, eurex or nyse first"},
            {"set date 20march09", "Unknown month"},
            {"set date 29feb09", "Invalid date"},
            {"set date 20mar09 x", "Unexpected tokens found"},
            {"set date 1e10mar09", "Expected integer found double"},
            {"set date 31dec1999", "Date too early"},
            {"set time 9", "Expected ':'"},
            {"set time 9.30", "Expected ':'"},
            {"set time 24:00", "Hour out of range"},
            {"set time -1:00", "Hour out of range"},
            {"set time 9:60", "Minute out of range"},
            {"set time 9:", "Minute out of range"},
            {"set time 9:30 x", "Unexpected tokens found"},
            {"set time 1e10:00", "Expected integer found double"},
        },
        still_pinned(session));
}

// A level of 0 or less and a negative volatility are refused by `set` and, on
// any row, by `for` and `plot` before anything is priced; a loop that cannot
// end or has too many rows is refused for that first.
TEST(SetCommand, MeaninglessLevelsAndVolatilitiesAreRefused) {
    ConsoleSession session;
    session.pin_clock();
    session.expect_refusals(
        {
            {"set level 0", "Level must be positive"},
            {"set level -100", "Level must be positive"},
            {"set vol -0.01", "Volatility must not be negative"},
            {"for level -10 to 10: price", "Level must be positive"},
            {"for level 10 to 0 step -2: price", "Level must be positive"},
            {"plot level 0.3 to 0 step -0.1: price > a.png", "Level must be positive"},
            {"for vol -5 to 5: price", "Volatility must not be negative"},
            {"plot vol 10 to -1 step -0.5: price", "Volatility must not be negative"},
            {"for level -10 to 10 step -1: price", "Loop will not terminate"},
            {"for vol -1000 to 0 step 0.001: price", "Too many loop steps"},
        },
        still_pinned(session));
    EXPECT_EQ("", session.run("set vol 0\nset level 1e-300\nset rate -3\nset divyld -1"));
}

TEST(SetCommand, KeywordParameters) {
    ConsoleSession session;
    session.pin_clock();
    session.run("set level 95\nset stickystrike");
    EXPECT_NE(std::string::npos, session.run("market").find("smile  = (95, 0, 0)\n"));
    session.run("set stickydelta");
    EXPECT_NE(std::string::npos, session.run("market").find("smile  = (-, 0, 0)\n"));
    session.run("set trading lse");
    EXPECT_NE(std::string::npos, session.run("market").find("trade  = LSE\n"));
    session.run("set trading continuous anything");
    EXPECT_NE(std::string::npos, session.run("market").find("trade  = Continuous\n"));
}

TEST(SetCommand, DateAndTimeKeepTheOtherHalfAndEndRealTime) {
    ConsoleSession session;
    session.run("set date 20mar09");
    const quorva::Time after_date = session.console().market().time();
    ASSERT_FALSE(after_date == quorva::Time());
    const quorva::Time now = quorva::Time::now();
    EXPECT_EQ(20, after_date.date().day());
    EXPECT_TRUE(after_date.minutes_from_midnight() == now.minutes_from_midnight() ||
                after_date.minutes_from_midnight() + 1 == now.minutes_from_midnight());
    session.run("set time 9:05");
    std::ostringstream shown;
    shown << session.console().market().time();
    EXPECT_EQ("20mar09 @09:05", shown.str());
    session.run("set date 1 Jan 2010");
    shown.str("");
    shown << session.console().market().time();
    EXPECT_EQ("01jan10 @09:05", shown.str());
    session.run("set realtime");
    EXPECT_TRUE(session.console().market().time() == quorva::Time());
    EXPECT_NE(std::string::npos, session.run("market").find("[realtime]"));
}

TEST(SetCommand, TimeInRealTimeTakesTodaysDate) {
    ConsoleSession session;
    session.run("set time 9:30");
    const quorva::Time set = session.console().market().time();
    EXPECT_EQ(9u, set.hour());
    EXPECT_EQ(30u, set.minute());
    EXPECT_TRUE(set.date() == quorva::Time::now().date() || set.date() + 1 == quorva::Time::now().date());
}

TEST(FixMarket, RestoresTheWholeMarketOnEveryWayOut) {
    ConsoleSession session;
    quorva::Market market = session.console().market();
    const quorva::Time real_time;
    ASSERT_TRUE(market.time() == real_time);
    {
        QuorvaConsole::FixMarket fix(market);
        EXPECT_FALSE(fix.time() == real_time);
        market.level() = 50;
        market.smile().set_sticky_strike(80);
    }
    EXPECT_TRUE(market.time() == real_time);
    EXPECT_EQ(100, market.level());
    EXPECT_EQ(quorva::Smile::STICKY_DELTA, market.smile().strike());
    try {
        QuorvaConsole::FixMarket fix(market);
        market.volatility() = 0.9;
        QuorvaConsole::throw_error("boom");
    } catch (const quorva::QuorvaException&) {
    }
    EXPECT_EQ(0.2, market.volatility());
}

TEST(MarketParamProxy, NamesInAnyCaseAndPercentages) {
    using Proxy = QuorvaConsole::MarketParamProxy;
    EXPECT_EQ(Proxy::LEVEL, Proxy::parse_param("Level"));
    EXPECT_EQ(Proxy::VOL, Proxy::parse_param("VOL"));
    EXPECT_EQ(Proxy::RATE, Proxy::parse_param("rate"));
    EXPECT_EQ(Proxy::DIVYLD, Proxy::parse_param("DivYld"));
    EXPECT_EQ(Proxy::DAYS, Proxy::parse_param("Days"));
    EXPECT_EQ(Proxy::NONE, Proxy::parse_param("time"));

    ConsoleSession session;
    quorva::Market market = session.console().market();
    Proxy vol(market, Proxy::VOL);
    EXPECT_TRUE(vol.is_percentage());
    vol.set(0.3);
    EXPECT_EQ(0.3, market.volatility());
    EXPECT_FALSE(Proxy(market, Proxy::LEVEL).is_percentage());
    EXPECT_FALSE(Proxy(market, Proxy::DAYS).is_percentage());
    Proxy none(market, Proxy::NONE);
    try {
        none.set(1);
        ADD_FAILURE() << "no refusal";
    } catch (const quorva::QuorvaException& e) {
        EXPECT_STREQ("Unknown market param - internal error", e.what());
    }
}

}  // namespace
