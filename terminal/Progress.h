#pragma once
// A share-done line for a command that has run for more than a second on a
// terminal: rewritten in place as the command advances and erased at its end.

#include <chrono>
#include <cstddef>
#include <iosfwd>

namespace quorva {

class Progress {
public:
    /// Writes nothing at all unless `enabled`.
    Progress(std::ostream& out, std::size_t total, bool enabled);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    /// `done` of the `total` steps are done.
    void advance_to(std::size_t done);

private:
    std::ostream& out_;
    std::size_t total_;
    bool enabled_;
    bool shown_ = false;
    int last_percent_ = -1;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace quorva
