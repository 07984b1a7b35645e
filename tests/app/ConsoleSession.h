#pragma once
// Drives one in-process console a command at a time, so a test sees exactly
// what each line prints.

#include "app/QuorvaConsole.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

class ConsoleSession {
public:
    explicit ConsoleSession(unsigned steps = 1001) : console_(in_, out_, steps) { out_.str(""); }

    /// Runs the lines (separated by "\n") one by one and returns what they
    /// printed, without the prompts.
    std::string run(const std::string& lines) {
        std::istringstream split(lines);
        std::string text;
        for (std::string line; std::getline(split, line);) {
            std::string out = raw(line);
            if (out.compare(0, 2, "> ") == 0) out.erase(0, 2);
            if (out.size() >= 2 && out.compare(out.size() - 2, 2, "> ") == 0) out.erase(out.size() - 2);
            text += out;
        }
        return text;
    }

    /// Everything the console writes for the input, prompts included.
    std::string raw(const std::string& input) {
        in_.clear();
        in_.str(input + "\n");
        out_.str("");
        console_.go();
        return out_.str();
    }

    /// A market pinned to 5 March 2009 14:30, so that prices are repeatable.
    void pin_clock() { run("set date 5mar09\nset time 14:30"); }

    quorva::QuorvaConsole& console() { return console_; }

    /// A command line and the message it must fail with.
    struct Refusal {
        std::string line;
        std::string message;
    };

    /// Checks that each line prints exactly "Error: " and its message, then
    /// runs `after` (a check that nothing changed, say) with the line.
    void expect_refusals(const std::vector<Refusal>& cases,
                         const std::function<void(const std::string&)>& after = {}) {
        for (const Refusal& c : cases) {
            EXPECT_EQ("Error: " + c.message + "\n", run(c.line)) << c.line;
            if (after) after(c.line);
        }
    }

private:
    std::istringstream in_;
    std::ostringstream out_;
    quorva::QuorvaConsole console_;
};

/// The lines of a table up to its first blank line, each cut at its tabs.
inline std::vector<std::vector<std::string> > cells(const std::string& table) {
    std::vector<std::vector<std::string> > rows;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line) && !line.empty();) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) rows.back().push_back(field);
    }
    return rows;
}
