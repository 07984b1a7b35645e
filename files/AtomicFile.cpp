#include "files/AtomicFile.h"

#include "foundation/QuorvaException.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quorva {

namespace {

[[noreturn]] void fail(const std::string& path, int error) {
    throw QuorvaException("Cannot write file '" + path + "': " + std::strerror(error));
}

/// The permissions of a file created now: those the umask allows.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

/// A new file beside the target, removed on every way out unless kept.
class Temporary {
public:
    explicit Temporary(const std::string& target) {
        std::vector<char> pattern(target.begin(), target.end());
        const std::string suffix = ".XXXXXX";
        pattern.insert(pattern.end(), suffix.begin(), suffix.end());
        pattern.push_back('\0');
        fd_ = mkstemp(pattern.data());
        created_ = fd_ >= 0;
        name_ = pattern.data();
    }
    ~Temporary() {
        if (fd_ >= 0) close(fd_);
        if (created_ && !kept_) unlink(name_.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    /// 0, or the error number of the close.
    int close_file() {
        const int result = close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }
    void keep() { kept_ = true; }

private:
    std::string name_;
    int fd_;
    bool created_;
    bool kept_ = false;
};

}  // namespace

void write_atomically(const std::string& path, const std::string& contents) {
    // A file marked read-only stays as it is, even for a user who could
    // replace it; a new file keeps the permissions of the one it replaces.
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    const bool read_only = exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (read_only || (exists && access(path.c_str(), W_OK) != 0)) fail(path, EACCES);

    Temporary temporary(path);
    if (temporary.fd() < 0) fail(path, errno);
    if (fchmod(temporary.fd(), exists ? existing.st_mode & 07777 : new_file_mode()) != 0) fail(path, errno);
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = write(temporary.fd(), contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(path, errno);
        written += static_cast<std::size_t>(n);
    }
    if (fsync(temporary.fd()) != 0) fail(path, errno);
    if (const int error = temporary.close_file()) fail(path, error);
    if (std::rename(temporary.name().c_str(), path.c_str()) != 0) fail(path, errno);
    temporary.keep();
}

int open_to_read(std::ifstream& in, const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return EISDIR;
    in.open(path);
    return in.is_open() ? 0 : errno;
}

}  // namespace quorva
