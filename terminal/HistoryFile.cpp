#include "terminal/HistoryFile.h"

#include "terminal/FdBuffer.h"
#include "terminal/TextFile.h"
#include "foundation/Exception.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <istream>

namespace quorva {

namespace {

/// Writes all of `text` at `offset`; false on a failure.
bool write_all(int fd, const std::string& text, off_t offset) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = pwrite(fd, text.data() + done, text.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string HistoryFile::path_from_environment() {
    if (const char* named = std::getenv("QUORVA_HISTORY")) return named;
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + "/.quorva_history" : std::string();
}

HistoryFile::HistoryFile(std::string path) : path_(std::move(path)) {}

int HistoryFile::open_locked(int flags) const {
    if (path_.empty()) return -1;
    // O_NONBLOCK: a FIFO must not hold up the start.
    const int fd = open(path_.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flock(fd, LOCK_EX) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::vector<std::string> HistoryFile::trim() const {
    int fd = open_locked(O_RDWR);
    const bool writable = fd >= 0;
    if (!writable) fd = open_locked(O_RDONLY);
    if (fd < 0) return {};
    std::deque<std::string> kept;
    std::size_t lines = 0;
    bool ended = true;
    bool whole = true;
    {
        FdReadBuffer buffer(fd, "file", false);
        std::istream in(&buffer);
        try {
            for (std::string line; read_text_line(in, line, false); ++lines) {
                ended = !in.eof();
                if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
                kept.push_back(line);
                if (kept.size() > MAX_LINES) kept.pop_front();
            }
        } catch (const usr::Exception&) {
            // What could not be read is left as it is.
            whole = false;
        }
    }
    if (writable && whole && (lines != kept.size() || !ended)) {
        std::string text;
        for (const std::string& line : kept) text += line + "\n";
        if (write_all(fd, text, 0)) static_cast<void>(ftruncate(fd, static_cast<off_t>(text.size())));
    }
    close(fd);
    return std::vector<std::string>(kept.begin(), kept.end());
}

void HistoryFile::append(const std::string& line) const {
    if (line.find('\n') != std::string::npos) return;
    const int fd = open_locked(O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0) return;
    write_all(fd, line + "\n", 0);
    close(fd);
}

}  // namespace quorva
