// The volatility surface through the console: a chain fitted and priced on,
// bad chains refused with nothing installed, save and load to the bit, the
// sticky modes, parallel moves, the typed form and the chart.

#include "ConsoleSession.h"
#include "files/RoundTrip.h"
#include "tests/charting/FakeGnuplot.h"
#include "tests/model/SyntheticChain.h"

#include "model/Instrument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using gnuplot::test::read_all;
using gnuplot::test::TempDir;
using quorva::BinomialTreePricer;
using quorva::Call;
using quorva::ChainQuote;
using quorva::Market;
using quorva::Put;
using quorva::Time;
using quorva::test::SyntheticChain;

std::string text_of(const Time& t) {
    std::ostringstream out;
    out << t;
    return out.str();
}

class SurfaceCommands : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        chain.reset(new SyntheticChain(pricer, session.console().market(), 9, 0.001, {7, 30, 91, 365}));
        // Columns in another order and letter case, ISO dates and an extra column.
        std::ofstream csv(path("chain.csv"));
        csv << "Strike,TYPE,Expiry,time,Price,open interest\n";
        for (const ChainQuote& q : chain->quotes) {
            const chrono::Date d = q.expiry.date();
            csv << quorva::round_trip(q.strike) << "," << (q.call ? "call" : "P") << "," << d.year() << "-"
                << static_cast<int>(d.month()) << "-" << d.day() << ",14:30," << quorva::round_trip(q.price)
                << ",7\n";
        }
    }

    std::string path(const std::string& name) const { return (dir.path() / name).native(); }
    std::string calibrate() { return session.run("calibrate chain " + path("chain.csv")); }
    const Market& market() { return session.console().market(); }

    TempDir dir{"quorva-surface-%%%%-%%%%"};
    ConsoleSession session;
    BinomialTreePricer pricer{1001};
    std::unique_ptr<SyntheticChain> chain;
};

TEST_F(SurfaceCommands, AChainIsFittedReportedAndPricedOn) {
    const std::string report = calibrate();
    std::istringstream lines(report);
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_EQ("Expiry\tQuotes\tForward\tYield\tATM vol\tRMS pts\tWorst pts\tSmile\tArbitrage", line);
    for (const SyntheticChain::Expiry& expiry : chain->expiries) {
        std::getline(lines, line);
        EXPECT_EQ(0u, line.find(text_of(expiry.expiry) + "\t18\t")) << line;
        EXPECT_NE(std::string::npos, line.find("\tSVI\tnone")) << line;
    }
    std::getline(lines, line);
    EXPECT_EQ("Installed a surface of 4 expiries", line);
    EXPECT_NE(std::string::npos, session.run("market").find("smile  = (100, 0, 0)\n"));
    EXPECT_NE(std::string::npos, session.run("market").find("surface = 4 expiries, fitted at vol 20% and divyld 2.5%\n"));

    // Every quote out of the money (the side the fit uses) prices on the
    // surface at its quoted volatility within a quarter of a point.
    Market flat = market();
    flat.surface() = usr::P<const quorva::VolSurface>();
    for (const ChainQuote& q : chain->quotes) {
        const double forward = market().level() * std::exp((market().rate() - market().local(q.strike, q.expiry).div_yield) *
                                                           market().local(q.strike, q.expiry).tau);
        if (q.call != (q.strike >= forward)) continue;
        const Call call(q.strike, q.expiry);
        const Put put(q.strike, q.expiry);
        const quorva::Instrument& option = q.call ? static_cast<const quorva::Instrument&>(call) : put;
        flat.div_yield() = market().local(q.strike, q.expiry).div_yield;
        const double quoted = pricer.implvol(flat, option, q.price);
        const double priced = pricer.implvol(flat, option, pricer.price(market(), option));
        EXPECT_NEAR(quoted, priced, 0.0025) << q.strike << (q.call ? "C " : "P ") << q.expiry;
    }
}

TEST_F(SurfaceCommands, BadChainsFailWithTheLineAndInstallNothing) {
    calibrate();
    const std::string before = session.run("market");
    const std::string head = "expiry,time,strike,type,bid,ask\n";
    const std::string good = "12mar09,14:30,100,C,1.8,1.9\n12mar09,14:30,100,P,1.6,1.7\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"expiry,strike,bid,ask\n12mar09,100,1,2\n", ":1: Missing column 'type'"},
        {"expiry,strike,type\n12mar09,100,C\n", ":1: Missing column 'price' or 'bid'"},
        {head + "12xyz09,14:30,100,C,1,2\n", ":2: Unreadable expiry '12xyz09 14:30'"},
        {head + "2009-02-30,14:30,100,C,1,2\n", ":2: Unreadable expiry '2009-02-30 14:30'"},
        {head + "12mar09,25:00,100,C,1,2\n", ":2: Unreadable expiry '12mar09 25:00'"},
        {head + good + "12mar09,14:30,1o0,C,1,2\n", ":4: Unreadable strike '1o0'"},
        {head + "12mar09,14:30,-5,C,1,2\n", ":2: Strike must be positive"},
        {head + "12mar09,14:30,100,X,1,2\n", ":2: Type must be C, P, call or put, not 'X'"},
        {head + "12mar09,14:30,100,C,-1,2\n", ":2: Negative price"},
        {head + "12mar09,14:30,100,C,2,1.5\n", ":2: Crossed quote: bid 2 above ask 1.5"},
        {head + "01mar09,14:30,100,C,1,2\n", ":2: Expiry 01mar09 @14:30 has passed"},
        {head + good + "20mar09,14:30,100,C,0,2\n20mar09,14:30,90,P,,2\n", ": No usable quote at 20mar09 @14:30"},
        {head + good + "12mar09,14:30,90,C,150,151\n", ":4: No volatility gives 90C 12mar09 @14:30 "
                                                    "the price 150.5"},
        {head, ": No quotes"},
    };
    for (const auto& c : cases) {
        std::ofstream(path("bad.csv")) << c.text;
        EXPECT_EQ("Error: " + path("bad.csv") + c.message + "\n", session.run("calibrate chain " + path("bad.csv")))
            << c.text;
        EXPECT_EQ(before, session.run("market")) << c.text;
    }
    EXPECT_EQ("Error: Cannot read file '" + path("none.csv") + "': No such file or directory\n",
              session.run("calibrate chain " + path("none.csv")));
}

TEST_F(SurfaceCommands, FewStrikesFitFewerParametersAndMissesAreNamed) {
    std::ofstream(path("few.csv")) << "expiry,time,strike,type,bid,ask\n"
                                      "12mar09,14:30,100,C,1.8,1.9\n"
                                      "12mar09,14:30,100,P,1.6,1.7\n"
                                      "20mar09,14:30,95,P,0.9,1.0\n"
                                      "20mar09,14:30,105,C,0.8,0.9\n"
                                      "20mar09,14:30,110,C,0,0.1\n";
    const std::string report = session.run("calibrate chain " + path("few.csv"));
    EXPECT_NE(std::string::npos, report.find("\tflat (1 strike)\tnone\n")) << report;
    EXPECT_NE(std::string::npos, report.find("% (market)\t")) << report;
    EXPECT_NE(std::string::npos, report.find("\tstraight (2 strikes)\t")) << report;
    EXPECT_NE(std::string::npos, report.find("Skipped 1 row without a bid or an ask\n")) << report;

    // A quote far off an otherwise smooth smile is named with its line.
    std::ifstream in(path("chain.csv"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(path("off.csv")) << text << "95,P,2010-3-5,14:30,20,\n";
    const std::string off = session.run("calibrate chain " + path("off.csv"));
    EXPECT_NE(std::string::npos, off.find("off.csv:74: 95P 05mar10 @14:30 implies ")) << off;
}

TEST_F(SurfaceCommands, SaveAndLoadGiveTheSurfaceBackToTheBit) {
    calibrate();
    session.run("set vol 22\nset divyld 3");
    // At, between, before and after the fitted expiries.
    const std::vector<Time> expiries = {chain->expiries[1].expiry, Time(chrono::Date(2009, chrono::Date::MAY, 1), 9, 0),
                                        Time(chrono::Date(2009, chrono::Date::MAR, 9), 12, 0),
                                        Time(chrono::Date(2011, chrono::Date::JAN, 3), 16, 30)};
    std::vector<double> prices;
    for (const Time& t : expiries) {
        for (double strike : {80.0, 100.0, 117.5}) prices.push_back(pricer.price(market(), Put(strike, t, true)));
    }
    const std::string shown = session.run("market");
    EXPECT_EQ("", session.run("save " + path("book.txt") + "\nset surface none\nset vol 30"));
    EXPECT_EQ(std::string::npos, session.run("market").find("surface"));
    EXPECT_EQ("", session.run("load " + path("book.txt")));
    EXPECT_EQ(shown, session.run("market"));
    std::size_t i = 0;
    for (const Time& t : expiries) {
        for (double strike : {80.0, 100.0, 117.5}) EXPECT_EQ(prices[i++], pricer.price(market(), Put(strike, t, true)));
    }
}

TEST_F(SurfaceCommands, LevelMovesFollowTheStickyModeAndParametersMoveItInParallel) {
    calibrate();
    const Market fitted = market();
    const auto grid = [&](const std::function<void(double strike, const Time& t)>& check) {
        for (const Time& t : {chain->expiries[0].expiry, chain->expiries[2].expiry, Time(chrono::Date(2009, chrono::Date::APR, 20), 9, 0)}) {
            for (double strike = 70; strike <= 130; strike += 7.5) check(strike, t);
        }
    };
    // Sticky strike: the volatility stays at the strike.
    session.run("set level 105");
    grid([&](double k, const Time& t) {
        EXPECT_EQ(fitted.local(k, t).volatility, market().local(k, t).volatility) << k << " " << t;
    });
    // Sticky delta: it moves with the level, at fixed log-moneyness.
    session.run("set level 100\nset stickydelta\nset level 105");
    grid([&](double k, const Time& t) {
        EXPECT_NEAR(fitted.local(k, t).volatility, market().local(k * 1.05, t).volatility, 1e-12) << k << " " << t;
    });
    // vol and divyld shift the whole surface by their change.
    session.run("set level 100\nset vol 23\nset divyld 1.5");
    grid([&](double k, const Time& t) {
        EXPECT_NEAR(fitted.local(k, t).div_yield - 0.01, market().local(k, t).div_yield, 1e-15);
    });
    session.run("set divyld 2.5");
    grid([&](double k, const Time& t) {
        EXPECT_NEAR(fitted.local(k, t).volatility + 0.03, market().local(k, t).volatility, 1e-15);
    });
    // So vega is the change for one point everywhere, as moving the base
    // the other way shows.
    session.run("set vol 20\nadd 90P 12mar09\nadd 105C 20apr09");
    const std::string vega = session.run("vega");
    session.run("set vol 20.5");
    const double up = std::stod(session.run("price"));
    session.run("set vol 19.5");
    const double down = std::stod(session.run("price"));
    EXPECT_NEAR(up - down, std::stod(vega), 1e-5);
}

TEST_F(SurfaceCommands, TheTypedFormAndItsRefusals) {
    EXPECT_EQ("", session.run("set surface 20mar09 @16:30 yield 2 svi 0.001 0.02 -0.7 0 0.1 quotes 3"));
    const std::string shown = session.run("market");
    EXPECT_NE(std::string::npos, shown.find("surface = 1 expiry, fitted at vol 20% and divyld 2.5%\n")) << shown;
    EXPECT_NE(std::string::npos, shown.find("  20mar09 @16:30\tforward 100.")) << shown;
    EXPECT_NE(std::string::npos, shown.find("\tyield 2%\t")) << shown;
    session.expect_refusals(
        {{"set surface 20mar09 svi 0.001 0.02 -0.7 0 0.1", "Expected yield"},
         {"set surface 20mar09 yield 2", "Expected svi A B RHO M S"},
         {"set surface 20mar09 yield 2 svi 0.001 0.02 -1.5 0 0.1", "SVI rho must lie between -1 and 1"},
         {"set surface 20mar09 yield 2 svi 0.001 -0.02 0.5 0 0.1", "SVI b must not be negative"},
         {"set surface 20mar09 yield 2 svi 0.001 0.02 0.5 0 0", "SVI s must be positive"},
         {"set surface 20mar09 yield 2 svi -0.01 0.02 0.5 0 0.1", "SVI smile has a negative variance"},
         {"set surface 20mar09 yield 2 svi 0.001 0.02", "Expected SVI rho"},
         {"set surface 20mar09 yield 2 skew 3", "Unexpected 'skew': expected tau, yield, svi, quotes or rms"},
         {"set surface 01mar09 yield 2 svi 0.001 0.02 -0.7 0 0.1", "Expiry has passed"},
         {"set surface later", "Expected none, base or an expiry after 'set surface'"},
         {"set surface base 20", "Expected volatility and dividend yield"}},
        [&](const std::string& line) { EXPECT_EQ(shown, session.run("market")) << line; });
    EXPECT_EQ("", session.run("set surface none"));
    session.expect_refusals({{"set surface base 20 2", "No surface installed"},
                             {"plot surface", "No surface installed: calibrate chain FILE.csv fits one"}});
}

TEST_F(SurfaceCommands, RealGnuplotDrawsTheSurfaceIntoPngAndSvg) {
    calibrate();
    dir.install_gnuplot("exec /usr/bin/gnuplot 2> '" + path("errors") + "'");
    setenv("GNUPLOT_ROOT", dir.path().c_str(), 1);
    EXPECT_EQ("", session.run("plot surface > " + path("surface.png")));
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), read_all(dir.path() / "surface.png").substr(0, 8));
    EXPECT_EQ("", session.run("plot surface > " + path("surface.svg")));
    const std::string drawing = read_all(dir.path() / "surface.svg");
    EXPECT_NE(std::string::npos, drawing.find("<svg"));
    EXPECT_NE(std::string::npos, drawing.find("12mar09 14:30"));
    EXPECT_EQ("", read_all(dir.path() / "errors"));
    unsetenv("GNUPLOT_ROOT");
}

}  // namespace
