#include "files/AtomicFile.h"

#include "foundation/QuorvaException.h"
#include "terminal/TextFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quorva {

namespace {

/// Links followed before giving up, as the system does.
const int MAX_LINKS = 40;
/// Hidden names of new files, followed by the id of the process and "-".
const std::string HIDDEN_PREFIX = ".quorva-";

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
    throw QuorvaException("Cannot write file '" + echoed_path(path) + "': " + reason);
}

[[noreturn]] void fail(const std::string& path, int error) { fail(path, std::strerror(error)); }

/// The permissions of a file created now: those the umask allows.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

/// The file that `path` names once its symbolic links are followed (which
/// may not exist yet).
std::string link_target(const std::string& path) {
    std::string target = path;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return target;
        if (links == MAX_LINKS) fail(path, ELOOP);
        std::vector<char> text(PATH_MAX);
        const ssize_t n = readlink(target.c_str(), text.data(), text.size());
        if (n < 0) fail(path, errno);
        const std::string link(text.data(), static_cast<std::size_t>(n));
        const std::size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
}

std::string folder_of(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

/// Removes the hidden files that runs killed (kill -9) between naming a new
/// file and putting it in place left in `folder`: those of processes that
/// no longer exist.
void remove_left_behind(const std::string& folder) {
    DIR* entries = opendir(folder.c_str());
    if (entries == nullptr) return;
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name.compare(0, HIDDEN_PREFIX.size(), HIDDEN_PREFIX) != 0) continue;
        const long pid = std::strtol(name.c_str() + HIDDEN_PREFIX.size(), nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            unlink((folder + "/" + name).c_str());
        }
    }
    closedir(entries);
}

/// Holds SIGINT, SIGTERM and SIGHUP back for its life; they arrive after.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
        sigprocmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t before_;
};

/// The new file while it is written: unnamed where the system allows, else a
/// hidden name in the same folder, removed on every way out unless it was
/// put in place.
class Temporary {
public:
    Temporary(const std::string& path, const std::string& folder) : path_(path), folder_(folder) {
        fd_ = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return;
        std::string pattern = folder + "/" + HIDDEN_PREFIX + std::to_string(getpid()) + "-XXXXXX";
        fd_ = mkostemp(&pattern[0], O_CLOEXEC);
        if (fd_ >= 0) name_ = pattern;
    }
    ~Temporary() {
        if (fd_ >= 0) close(fd_);
        if (!name_.empty()) unlink(name_.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    int fd() const { return fd_; }

    /// Closes the file and puts it at `target`, over any file there.
    void put_in_place(const std::string& target) {
        if (name_.empty()) name_in(target);
        const int closed = close(fd_);
        fd_ = -1;
        if (closed != 0) fail(path_, errno);
        if (std::rename(name_.c_str(), target.c_str()) != 0) fail(path_, errno);
        name_.clear();
    }

private:
    /// Gives the unnamed file a hidden name beside the target; with no file
    /// at the target yet, the target's name itself, so that nothing else is
    /// ever named.
    void name_in(const std::string& target) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            name_ = target;
            return;
        }
        for (unsigned attempt = 0; errno == EEXIST && attempt < 100; ++attempt) {
            const std::string hidden =
                folder_ + "/" + HIDDEN_PREFIX + std::to_string(getpid()) + "-" + std::to_string(attempt);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                name_ = hidden;
                return;
            }
        }
        fail(path_, errno);
    }

    std::string path_;
    std::string folder_;
    std::string name_;
    int fd_;
};

void write_all(const std::string& path, int fd, const std::string& contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(path, errno);
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace

void write_atomically(const std::string& path, const std::string& contents) {
    const std::string target = link_target(path);
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) fail(path, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) fail(path, "Not a regular file");
    // A file marked read-only stays as it is, even for a user who could
    // replace it.
    const bool read_only = exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (read_only || (exists && access(target.c_str(), W_OK) != 0)) fail(path, EACCES);

    const SignalsHeld held;
    const std::string folder = folder_of(target);
    Temporary temporary(path, folder);
    if (temporary.fd() < 0) fail(path, errno);
    if (fchmod(temporary.fd(), exists ? existing.st_mode & 07777 : new_file_mode()) != 0) fail(path, errno);
    // Only root can give a file away; it keeps the owner of the file it replaces.
    if (exists && geteuid() == 0 && fchown(temporary.fd(), existing.st_uid, existing.st_gid) != 0) {
        fail(path, errno);
    }
    write_all(path, temporary.fd(), contents);
    if (fsync(temporary.fd()) != 0) fail(path, errno);
    temporary.put_in_place(target);
    remove_left_behind(folder);
    const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
}

}  // namespace quorva
