#pragma once
// Runs the real program (QUORVA_BINARY) with piped input, as a user's script
// would, without a display or gnuplot settings from the test's environment.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct Outcome {
    std::string out;
    std::string err;
    int exit_code;
};

inline std::string read_file(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Runs the binary with `input` as its standard input, byte for byte, and
/// `arguments` as shell words, after the shell commands `before` (limits).
inline Outcome run_binary(const std::string& input, const std::string& arguments = "",
                          const std::string& before = "") {
    char in_name[] = "/tmp/quorva-raw-in-XXXXXX";
    char err_name[] = "/tmp/quorva-raw-err-XXXXXX";
    const int in_fd = mkstemp(in_name);
    const int err_fd = mkstemp(err_name);
    EXPECT_TRUE(in_fd >= 0 && err_fd >= 0);
    EXPECT_EQ(static_cast<ssize_t>(input.size()), write(in_fd, input.data(), input.size()));
    close(in_fd);
    close(err_fd);
    const std::string command = before + "env -u GNUPLOT_ROOT -u DISPLAY -u WAYLAND_DISPLAY " +
                                QUORVA_BINARY + " " + arguments + " < " + in_name + " 2> " + err_name;
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
