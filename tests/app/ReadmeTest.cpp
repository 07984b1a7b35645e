// Every session shown in README.md is run through the console and must print
// exactly what the README shows, so the guide cannot go stale. With
// QUORVA_UPDATE_README=1 the test writes the real output into README.md
// instead.

#include "ConsoleSession.h"
#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

const std::string SESSION_MARK = "<!-- session -->";

struct Block {
    std::size_t first_line;  // the line after the opening fence
    std::size_t end_line;    // the closing fence
    std::vector<std::string> commands;
    std::string shown;
};

std::vector<std::string> read_lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<Block> session_blocks(const std::vector<std::string>& lines) {
    std::vector<Block> blocks;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != SESSION_MARK || lines[i + 1].compare(0, 3, "```") != 0) continue;
        Block block{i + 2, i + 2, {}, ""};
        while (block.end_line < lines.size() && lines[block.end_line] != "```") {
            const std::string& line = lines[block.end_line];
            if (line.compare(0, 2, "> ") == 0) block.commands.push_back(line.substr(2));
            block.shown += line + "\n";
            ++block.end_line;
        }
        blocks.push_back(block);
    }
    return blocks;
}

/// The session as a person sees it: each command after its prompt, then what
/// it printed.
std::string transcript(const std::vector<std::string>& commands) {
    ConsoleSession session;
    std::string text;
    for (const std::string& command : commands) text += "> " + command + "\n" + session.run(command);
    return text;
}

TEST(Readme, EverySessionPrintsWhatTheGuideShows) {
    // Files the sessions save and load go to a folder of their own, with the
    // README's docs/ (the files the sessions read) beside them as in a checkout.
    const gnuplot::test::TempDir files("quorva-readme-%%%%-%%%%");
    boost::filesystem::create_directory_symlink(boost::filesystem::path(QUORVA_README).parent_path() / "docs",
                                                files.path() / "docs");
    const boost::filesystem::path before = boost::filesystem::current_path();
    boost::filesystem::current_path(files.path());
    setenv("GNUPLOT_ROOT", "/usr", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    std::vector<std::string> lines = read_lines(QUORVA_README);
    const std::vector<Block> blocks = session_blocks(lines);
    ASSERT_GE(blocks.size(), 3u);
    const bool update = std::getenv("QUORVA_UPDATE_README") != nullptr;
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
        const std::string real = transcript(block->commands);
        if (!update) {
            EXPECT_EQ(block->shown, real) << "README.md, session at line " << block->first_line;
            continue;
        }
        std::vector<std::string> real_lines;
        std::istringstream split(real);
        for (std::string line; std::getline(split, line);) real_lines.push_back(line);
        lines.erase(lines.begin() + static_cast<long>(block->first_line),
                    lines.begin() + static_cast<long>(block->end_line));
        lines.insert(lines.begin() + static_cast<long>(block->first_line), real_lines.begin(), real_lines.end());
    }
    if (update) {
        std::ofstream out(QUORVA_README);
        for (const std::string& line : lines) out << line << "\n";
    }
    boost::filesystem::current_path(before);
}

}  // namespace
