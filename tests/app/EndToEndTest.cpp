// Runs the real program with piped input, as a user's script would.

#include "HelpText.h"
#include "RunBinary.h"
#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

/// Everything after the instructions line.
std::string after_instructions(const std::string& out) { return out.substr(out.find('\n') + 1); }

TEST(EndToEnd, PromptHelpErrorsAndExit) {
    const Outcome run = run_binary("help\n\n   \nMARKET\nexit now\nmarket\n");
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("", run.err);
    EXPECT_NE(std::string::npos, run.out.substr(0, run.out.find('\n')).find("README.md"));
    const std::string rest = after_instructions(run.out);
    const std::string help_first = "> Commands (README.md explains each with examples):\n";
    ASSERT_EQ(0u, rest.find(help_first)) << rest;
    EXPECT_EQ(std::string(HELP_LIST) + "> > > Error: Unknown command - 'MARKET'\n> ",
              rest.substr(help_first.size()));
}

TEST(EndToEnd, EndOfInputWithoutExitEndsTheRun) {
    const Outcome run = run_binary("set level 90\nlevel");
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("> > Error: Unknown command - 'level'\n> ", after_instructions(run.out));
    EXPECT_EQ(0, run_binary("").exit_code);
}

/// The last tab-separated column of each numbered row of a listing.
std::vector<double> listed_values(const std::string& listing) {
    std::vector<double> values;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.find(".\t") == std::string::npos) continue;
        values.push_back(std::stod(line.substr(line.rfind('\t') + 1)));
    }
    return values;
}

TEST(EndToEnd, APricedPortfolioAgreesWithTheClosedForm) {
    using namespace quorva::test;
    const Outcome run = run_binary(
        "set date 5mar09\nset time 14:30\n"
        "add 100C 20jun09\nadd -2 95P 20jun09\nadd +10 100F 18dec09\nadd 90U 18dec09\n"
        "list price\nlist delta\nexit\n");
    const std::size_t delta_at = run.out.find("> ", run.out.find("\n\n"));
    const std::vector<double> prices = listed_values(run.out.substr(0, delta_at));
    const std::vector<double> deltas = listed_values(run.out.substr(delta_at));
    ASSERT_EQ(4u, prices.size()) << run.out;
    ASSERT_EQ(4u, deltas.size()) << run.out;

    // Minutes from 5 March 2009 14:30 to 23:59 on 20 June and on 18 December.
    const double june = (107 * 1440 + 569) / 525600.0, december = (288 * 1440 + 569) / 525600.0;
    const struct {
        Kind kind;
        double quantity, strike, tau, tolerance;
    } positions[] = {{CALL, 1, 100, june, 0.01},
                     {PUT, -2, 95, june, 0.02},
                     {FUTURE, 10, 100, december, 1e-3},
                     // A digital's tree price moves by up to half a leaf's weight
                     // as the strike falls between leaves about a point apart.
                     {DIGITAL_UP, 1, 90, december, 0.6}};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& p = positions[i];
        const auto value = [&p](double level) {
            return p.quantity * black_scholes(p.kind, level, p.strike, 0.2, 0.05, 0.025, p.tau);
        };
        EXPECT_NEAR(value(100), prices[i], p.tolerance) << "position " << i + 1;
        EXPECT_NEAR(value(100.5) - value(99.5), deltas[i], p.tolerance) << "position " << i + 1;
    }
}

}  // namespace
