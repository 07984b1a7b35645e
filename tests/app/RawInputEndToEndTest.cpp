// The real program fed bytes that a user's script may hold: Windows line ends
// and NUL bytes, through its own standard input.

#include "RunBinary.h"

#include <gtest/gtest.h>


#include <string>

namespace {

TEST(RawInputEndToEnd, WindowsLineEndsRunExactlyAsPlainOnes) {
    const std::string script =
        "set date 5mar09\nset time 14:30\nadd 100C 20jun09 @16:30\nadd -2 95P 20jun09\n\n \n"
        "market\nlist price\nfor level 90 to 110 step 10: delta[1]\nset trading lse\nimplvol [1] 6\n"
        "set foo 1\nplot vol 10 to 20: price > chart.txt\nhelp\nexit\nmarket\n";
    std::string crlf;
    for (char c : script) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Outcome plain = run_binary(script);
    const Outcome windows = run_binary(crlf);
    EXPECT_EQ(0, windows.exit_code);
    EXPECT_EQ("", windows.err);
    EXPECT_EQ(plain.out, windows.out);
    EXPECT_NE(std::string::npos, plain.out.find("trade  = Continuous\n")) << plain.out;
    EXPECT_NE(std::string::npos, plain.out.find("Error: Unknown market parameter 'foo'")) << plain.out;
}

TEST(RawInputEndToEnd, NulBytesAreReportedEscapedAndTheRunGoesOn) {
    using namespace std::string_literals;
    const Outcome run = run_binary("mar\0ket\nset level 1\0\nset le\0vel 7\n\0\nset level 90\nmarket\nexit\n"s);
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("", run.err);
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unknown command - 'mar\\x00ket'\n> ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unexpected tokens found\n> ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unknown market parameter 'le\\x00vel'\n> ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unknown command - '\\x00'\n> ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> level  = 90\n")) << run.out;
}

}  // namespace
