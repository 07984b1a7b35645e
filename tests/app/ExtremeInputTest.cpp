// Inputs at and past the edges: markets with absurd parameters, strikes and
// expiries at the ends of their ranges, huge lines, NUL and non-UTF-8 bytes,
// Windows line ends and very long sessions. Each command must give its output
// or one "Error: " line, and never crash or hang.

#include "ConsoleSession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const METRICS[] = {"price", "delta", "gamma", "theta", "vega", "rho"};

/// Strikes of 0 and 1e300, expiries one minute away and in 2199, all five kinds.
const char* const EXTREME_PORTFOLIO =
    "add 0C 20jun09\n"
    "add -1 1e300P 20jun09\n"
    "add +0.5 100F 5mar09 @14:31\n"
    "add 100U 31dec2199 @23:59\n"
    "add -2 100D 1jan2199\n"
    "add 100C 5mar09 @14:31\n"
    "add 1e300C 31dec2199";
const int POSITIONS = 7;

int count_lines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

bool is_error_line(const std::string& out) {
    return out.compare(0, 7, "Error: ") == 0 && count_lines(out) == 1 && out.back() == '\n';
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class ExtremeMarket : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        session.pin_clock();
        ASSERT_EQ("", session.run(EXTREME_PORTFOLIO));
        ASSERT_EQ("", session.run(GetParam()));
    }

    /// Runs `line` and checks that it printed an error line or what `valid`
    /// accepts, and that the market is as it was.
    template <class Valid>
    void expect_output(const std::string& line, Valid valid) {
        const std::string market = session.run("market");
        const std::string out = session.run(line);
        EXPECT_TRUE(is_error_line(out) || valid(out)) << GetParam() << "\nline: " << line << "\noutput: " << out;
        EXPECT_EQ(market, session.run("market")) << GetParam() << "\nline: " << line;
    }

    ConsoleSession session{50};
};

TEST_P(ExtremeMarket, EveryMetricGivesAValueOrAnError) {
    for (const std::string trading : {"continuous", "lse"}) {
        session.run("set trading " + trading);
        for (const std::string metric : METRICS) {
            expect_output("list " + metric, [](const std::string& out) {
                return count_lines(out) == POSITIONS + 2 && out.compare(0, 3, "1.\t") == 0 && ends_with(out, "\n\n");
            });
            const auto one_value = [](const std::string& out) {
                return count_lines(out) == 1 && out.find("Error") == std::string::npos;
            };
            expect_output(metric, one_value);
            for (int i = 1; i <= POSITIONS; ++i) expect_output(metric + "[" + std::to_string(i) + "]", one_value);
            const auto table = [](const std::string& out) {
                return count_lines(out) == 12 && ends_with(out, "\n\n");
            };
            expect_output("for level 90 to 110: " + metric, table);
            expect_output("for vol 10 to 30: " + metric + "[6]", table);
            expect_output("for rate -10 to 10: " + metric + "[1]", table);
        }
    }
}

TEST_P(ExtremeMarket, ImpliedVolatilityAndCalibrationGiveAResultOrAnError) {
    for (int i = 1; i <= POSITIONS; ++i) {
        for (const char* price : {"0", "1", "-1", "1e300"}) {
            expect_output("implvol [" + std::to_string(i) + "] " + price, [](const std::string& out) {
                return count_lines(out) == 1 && ends_with(out, "%\n");
            });
        }
    }
    const std::string out = session.run("calibrate 100 -1 0 50 -100 1 0");
    EXPECT_TRUE(out == "Error: Failed to calculate implied volatility\n" ||
                (out.find("\nCalibrating with:\n") == 0 && count_lines(out) == POSITIONS + 2))
        << GetParam() << "\n" << out;
}

INSTANTIATE_TEST_SUITE_P(Markets, ExtremeMarket,
                         ::testing::Values("set level 1e308", "set level 5e-324", "set vol 1e6", "set vol 0",
                                           "set rate -100", "set rate 1e6", "set divyld 1e6",
                                           "set stickystrike\nset level 1e-300"));

TEST(ExtremeInput, LinesUpToAMegabyteRunAndLongerOnesFail) {
    ConsoleSession session(50);
    const std::size_t megabyte = 1 << 20;
    const std::string x(megabyte, 'x');
    EXPECT_EQ("Error: Unknown command - '" + x.substr(0, 60) + "...'\n", session.run(x));
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("market " + x.substr(7)));
    EXPECT_EQ(session.run("market"), session.run(std::string(megabyte - 6, ' ') + "market"));
    const std::string digits(megabyte - 10, '9');
    EXPECT_EQ("Error: Expected value\n", session.run("set level " + digits));
    EXPECT_EQ("Error: Expected strike\n", session.run("add " + digits.substr(12) + "C 20mar09"));
    // One byte more is refused whole, and the next line runs.
    EXPECT_EQ("Error: Line too long\n", session.run("set level 90 " + x));
    EXPECT_EQ("", session.run("list"));
    EXPECT_NE(std::string::npos, session.run("market").find("level  = 100\n"));
}

TEST(ExtremeInput, NulBytesAreOrdinaryCharacters) {
    ConsoleSession session(50);
    using namespace std::string_literals;
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("set level 1\0"s));
    EXPECT_EQ("Error: Expected day\n", session.run("add 100C\0" "20jun09"s));
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("market \0"s));
    EXPECT_EQ("", session.run("list"));
}

TEST(ExtremeInput, ErrorLinesEchoNulBytesEscaped) {
    ConsoleSession session(50);
    using namespace std::string_literals;
    EXPECT_EQ("Error: Unknown command - 'mar\\x00ket'\n"s, session.run("mar\0ket"s));
    EXPECT_EQ("Error: Unknown command - '\\x00'\n"s, session.run("\0"s));
    EXPECT_EQ("Error: Unknown market parameter 'le\\x00vel'\n"s, session.run("set le\0vel 1"s));
}

TEST(ExtremeInput, BytesThatAreNotUtf8) {
    ConsoleSession session(50);
    EXPECT_EQ("Error: Unknown command - '\\xff\\xfe'\n", session.run("\xff\xfe"));
    EXPECT_EQ("Error: Unknown command - 'price\\xc3'\n", session.run("price\xc3"));
    EXPECT_EQ("Error: Unknown command - '\\x93quote\\x94'\n", session.run("\x93quote\x94"));
    EXPECT_EQ("Error: Unknown command - 'a\\x01b\\x7f'\n", session.run("a\x01" "b\x7f"));
    EXPECT_EQ("Error: Invalid metric\n", session.run("list pr\xe9" "ce"));
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("set level 1\xa0"));
    EXPECT_EQ("Error: Unknown month\n", session.run("add 100C 20m\xe4r09"));
    EXPECT_EQ("Error: Unknown market parameter 'l\xc3\xa9vel'\n", session.run("set l\xc3\xa9vel 1"));
    EXPECT_EQ("Error: Expected loop market parameter\n", session.run("for \x80\x81 1 to 2: price"));
}

TEST(ExtremeInput, WindowsLineEndsRunAsPlainOnes) {
    const std::string script =
        "set date 5mar09\nset time 14:30\nadd 100C 20jun09 @16:30\nadd -2 95P 20jun09\n\n  \n"
        "market\nlist\nlist price\ndelta[2]\nfor vol 10 to 30 step 5: price\nset trading lse\n"
        "set vol = 25\nimplvol [1] 6\ncalibrate 6 -8\nmarket\nset foo\nhelp for\nplot vol 10 to 20: price > c.txt\n"
        "exit\nmarket";
    std::string crlf;
    for (char c : script) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ConsoleSession plain(50);
    ConsoleSession windows(50);
    const std::string expected = plain.raw(script);
    EXPECT_EQ(expected, windows.raw(crlf));
    EXPECT_NE(std::string::npos, expected.find("Calibrating with:"));
    EXPECT_NE(std::string::npos, expected.find("Error: Unknown file type"));
}

TEST(ExtremeInput, AHundredThousandLines) {
    ConsoleSession session(8);
    std::string script = "set date 5mar09\nset time 14:30\n";
    const int rounds = 20000;
    for (int i = 0; i < rounds; ++i) {
        script += "add 100C 20jun09\nset level " + std::to_string(90 + i % 20) + "\nprice\nfoo\ndel 1\n";
    }
    const std::string out = session.raw(script);
    std::size_t prompts = 0;
    for (std::size_t at = out.find("> "); at != std::string::npos; at = out.find("> ", at + 2)) ++prompts;
    // One prompt per line, one for the empty line that ends the script and
    // one for the read that meets the end of the input.
    EXPECT_EQ(2u + 5u * rounds + 2u, prompts);
    std::size_t errors = 0;
    for (std::size_t at = out.find("Error: "); at != std::string::npos; at = out.find("Error: ", at + 7)) ++errors;
    EXPECT_EQ(static_cast<std::size_t>(rounds), errors);
    EXPECT_EQ("", session.run("list"));
    EXPECT_NE(std::string::npos, session.run("market").find("level  = 109\n"));
}

}  // namespace
