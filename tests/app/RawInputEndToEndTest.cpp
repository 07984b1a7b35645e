// The real program fed bytes that a user's script may hold: Windows line ends
// and NUL bytes, through its own standard input.

#include <gtest/gtest.h>

#include <unistd.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Outcome {
    std::string out;
    std::string err;
    int exit_code;
};

std::string read_file(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Runs the binary with `input` as its standard input, byte for byte.
Outcome run_binary(const std::string& input) {
    char in_name[] = "/tmp/quorva-raw-in-XXXXXX";
    char err_name[] = "/tmp/quorva-raw-err-XXXXXX";
    const int in_fd = mkstemp(in_name);
    const int err_fd = mkstemp(err_name);
    EXPECT_TRUE(in_fd >= 0 && err_fd >= 0);
    EXPECT_EQ(static_cast<ssize_t>(input.size()), write(in_fd, input.data(), input.size()));
    close(in_fd);
    close(err_fd);
    const std::string command = std::string("env -u GNUPLOT_ROOT -u DISPLAY -u WAYLAND_DISPLAY ") + QUORVA_BINARY +
                                " < " + in_name + " 2> " + err_name;
    FILE* pipe = popen(command.c_str(), "r");
    Outcome run{"", "", -1};
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = read_file(err_name);
    std::remove(in_name);
    std::remove(err_name);
    return run;
}

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

TEST(RawInputEndToEnd, NulBytesAreReportedWholeAndTheRunGoesOn) {
    using namespace std::string_literals;
    const Outcome run = run_binary("mar\0ket\nset level 1\0\nset le\0vel 7\n\0\nset level 90\nmarket\nexit\n"s);
    EXPECT_EQ(0, run.exit_code);
    EXPECT_EQ("", run.err);
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unknown command - 'mar\0ket'\n> "s)) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unexpected tokens found\n> ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unknown market parameter 'le\0vel'\n> "s)) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> Error: Unknown command - '\0'\n> "s)) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("> level  = 90\n")) << run.out;
}

}  // namespace
