#pragma once
// The lines typed at the prompt, kept across runs: the last MAX_LINES in a
// plain text file, one per line, each appended as it is entered so that a
// crash loses nothing. A file that cannot be read or written is passed over.

#include <string>
#include <vector>

namespace quorva {

class HistoryFile {
public:
    static constexpr std::size_t MAX_LINES = 1000;

    /// QUORVA_HISTORY when it is set ("" when it is set and empty: no
    /// history), otherwise $HOME/.quorva_history, or "" without a HOME.
    static std::string path_from_environment();

    /// "" keeps no history.
    explicit HistoryFile(std::string path);

    /// The kept lines, oldest first; trims the file to them.
    std::vector<std::string> load() const;
    void append(const std::string& line) const;

private:
    std::string path_;
};

}  // namespace quorva
