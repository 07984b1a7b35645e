#include "charting/Plotter.h"

#include <boost/filesystem/operations.hpp>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

namespace gnuplot {

namespace fs = boost::filesystem;

fs::path Plotter::exe_path;

namespace {

/// Ignores SIGPIPE while it lives, so that writing to a gnuplot that has
/// exited fails with an error instead of ending the program.
class PipeSignalGuard {
public:
    PipeSignalGuard() : previous_(std::signal(SIGPIPE, SIG_IGN)) {}
    ~PipeSignalGuard() { std::signal(SIGPIPE, previous_); }
    PipeSignalGuard(const PipeSignalGuard&) = delete;
    PipeSignalGuard& operator=(const PipeSignalGuard&) = delete;

private:
    void (*previous_)(int);
};

/// `s` as one word of the shell that popen runs, so that a path with blanks or
/// other special characters starts the program it names.
std::string shell_word(const std::string& s) {
    std::string word = "'";
    for (char c : s) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

/// One pause of a wait, charged in full to the budget; the next is twice as long.
void pause(int& pause_ms, int& budget_ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
    budget_ms -= pause_ms;
    pause_ms *= 2;
}

}  // namespace

void Plotter::set_exe_dir(const fs::path& dir) { exe_path = dir / "gnuplot"; }

Plotter::Plotter() : pipe_(nullptr) {
    const std::string failure = "Failed to access gnuplot executable at " + quoted(exe_path.native());
    if (!fs::exists(exe_path)) throw GnuPlotException(failure);
    errno = 0;
    pipe_ = popen(shell_word(exe_path.native()).c_str(), "w");
    if (pipe_ == nullptr || errno == EINVAL) {
        if (pipe_ != nullptr) pclose(pipe_);
        throw GnuPlotException(failure);
    }
}

Plotter::~Plotter() {
    const PipeSignalGuard guard;
    pclose(pipe_);
}

std::string Plotter::quoted(const std::string& s) {
    std::string text = "\"";
    for (char c : s) {
        if (c == '`') {
            text += "\\140";
        } else if (c == '\\') {
            text += "\\\\";
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string Plotter::to_string(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

void Plotter::send_command(const std::string& command) {
    const PipeSignalGuard guard;
    const std::string line = command + "\n";
    if (std::fputs(line.c_str(), pipe_) == EOF || std::fflush(pipe_) == EOF) {
        throw GnuPlotException("Error sending command to GnuPlot at " + exe_path.native());
    }
}

void Plotter::set_output_file(const fs::path& file, FileType type, common::Coord<unsigned int> size) {
    const char* terminal = nullptr;
    switch (type) {
    case PNG: terminal = "png"; break;
    case SVG: terminal = "svg"; break;
    default: throw GnuPlotException("Unknown file type");
    }
    send_command(std::string("set terminal ") + terminal + " size " + std::to_string(size.x()) + "," +
                 std::to_string(size.y()));
    send_command("set output " + quoted(file.native()));
}

bool Plotter::remove_no_throw(const fs::path& file) {
    boost::system::error_code error;
    fs::remove(file, error);
    return !error;
}

void Plotter::remove_wait(const fs::path& file, int& budget_ms) {
    for (int pause_ms = 1; fs::exists(file) && budget_ms > 0 && !remove_no_throw(file);) pause(pause_ms, budget_ms);
}

void Plotter::exists_wait(const fs::path& file, int& budget_ms) {
    for (int pause_ms = 1; !fs::exists(file) && budget_ms > 0;) pause(pause_ms, budget_ms);
}

bool Plotter::join(const fs::path& marker, int budget_ms) {
    remove_wait(marker, budget_ms);
    if (budget_ms <= 0) return false;
    send_command("save term " + quoted(marker.native()));
    exists_wait(marker, budget_ms);
    if (budget_ms <= 0) return false;
    remove_wait(marker, budget_ms);
    return budget_ms > 0;
}

std::string Plotter::terminal(const fs::path& answer, const fs::path& marker, int budget_ms) {
    send_command("set print " + quoted(answer.native()));
    send_command("print GPVAL_TERM");
    send_command("unset print");
    std::string name;
    if (join(marker, budget_ms)) std::getline(std::ifstream(answer.native()), name);
    remove_no_throw(answer);
    return name;
}

}  // namespace gnuplot
