#include "terminal/HistoryFile.h"

#include "files/AtomicFile.h"
#include "foundation/Exception.h"

#include <cstdlib>
#include <fstream>

namespace quorva {

std::string HistoryFile::path_from_environment() {
    if (const char* named = std::getenv("QUORVA_HISTORY")) return named;
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + "/.quorva_history" : std::string();
}

HistoryFile::HistoryFile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> HistoryFile::load() const {
    std::vector<std::string> lines;
    if (path_.empty()) return lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    if (lines.size() <= MAX_LINES) return lines;
    lines.erase(lines.begin(), lines.end() - MAX_LINES);
    std::string kept;
    for (const std::string& line : lines) kept += line + "\n";
    try {
        write_atomically(path_, kept);
    } catch (const usr::Exception&) {
        // An unwritable history only keeps its older lines too.
    }
    return lines;
}

void HistoryFile::append(const std::string& line) const {
    if (path_.empty() || line.find('\n') != std::string::npos) return;
    std::ofstream out(path_, std::ios::app);
    out << line << "\n";
}

}  // namespace quorva
