// Files under faults: saves that replace only regular files, whole, with
// their permissions and through their links; a history that stays trimmed
// and loses no line to a second run; files read with their mark and errors.

#include "InFolder.h"
#include "files/AtomicFile.h"
#include "terminal/HistoryFile.h"
#include "terminal/TextFile.h"
#include "foundation/Exception.h"
#include "tests/calendar/ThrowsWith.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

namespace {

using gnuplot::test::read_all;
namespace fs = boost::filesystem;

class Files : public InFolder {
protected:
    mode_t mode(const std::string& name) const {
        struct stat status {};
        lstat(path(name).c_str(), &status);
        return status.st_mode;
    }
};

TEST_F(Files, SavesReplaceOnlyRegularFilesWholeAndKeepTheirPermissions) {
    write("private.txt", "old\n");
    chmod(path("private.txt").c_str(), 0600);
    // Run as root, the file also keeps its owner.
    const uid_t owner = geteuid() == 0 ? 65534 : geteuid();
    ASSERT_EQ(0, chown(path("private.txt").c_str(), owner, static_cast<gid_t>(-1)));
    write("target.txt", "old\n");
    ASSERT_EQ(0, symlink("target.txt", path("link.txt").c_str()));
    ASSERT_EQ(0, symlink("absent.txt", path("dangling.txt").c_str()));
    ASSERT_EQ(0, mkdir(path("folder").c_str(), 0700));
    ASSERT_EQ(0, mkfifo(path("fifo").c_str(), 0600));
    ASSERT_EQ(0, symlink("/dev/null", path("device.txt").c_str()));
    const std::string longest(255, 'n');
    // Left by a run that was killed, and by one that still runs.
    const std::string alive = ".quorva-" + std::to_string(getpid()) + "-0";
    write(".quorva-999999999-0", "killed\n");
    write(alive, "running\n");
    const struct {
        std::string name;
        std::string error;
    } cases[] = {
        {"private.txt", ""},
        {"link.txt", ""},
        {"dangling.txt", ""},
        {longest, ""},
        {"folder", "Is a directory"},
        {"fifo", "Not a regular file"},
        {"device.txt", "Not a regular file"},
        {longest + "n", "File name too long"},
        {"missing/book.txt", "No such file or directory"},
    };
    for (const auto& c : cases) {
        const std::string expected = c.error.empty() ? "" : "Cannot write file '" + path(c.name) + "': " + c.error;
        std::string error;
        try {
            quorva::write_atomically(path(c.name), "new\n");
        } catch (const usr::Exception& e) {
            error = e.message();
        }
        EXPECT_EQ(expected, error) << c.name.substr(0, 20);
    }
    EXPECT_EQ(0600u, mode("private.txt") & 07777);
    struct stat replaced {};
    stat(path("private.txt").c_str(), &replaced);
    EXPECT_EQ(owner, replaced.st_uid);
    EXPECT_EQ("new\n", read_all(path("private.txt")));
    // Links are written through and stay links.
    EXPECT_TRUE(S_ISLNK(mode("link.txt")) && S_ISLNK(mode("dangling.txt")));
    EXPECT_EQ("new\n", read_all(path("target.txt")));
    EXPECT_EQ("new\n", read_all(path("absent.txt")));
    EXPECT_TRUE(S_ISDIR(mode("folder")) && S_ISFIFO(mode("fifo")));
    EXPECT_TRUE(fs::is_empty(path("folder")));
    // Nothing else is left beside them.
    std::set<std::string> names;
    for (fs::directory_iterator file(dir.path()), end; file != end; ++file) names.insert(file->path().filename().native());
    EXPECT_EQ((std::set<std::string>{"private.txt", "target.txt", "link.txt", "dangling.txt", "absent.txt",
                                     longest, "folder", "fifo", "device.txt", "bin", alive}),
              names);
}

/// `count` numbered lines "PREFIX N".
std::string numbered(const std::string& prefix, int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i) text += prefix + " " + std::to_string(i) + "\n";
    return text;
}

TEST_F(Files, HistoryKeepsItsNewestNonBlankLinesInTheFileItself) {
    const std::size_t kept = quorva::HistoryFile::MAX_LINES;
    write("lines", numbered("old", 0, 700) + "\n  \n" + numbered("old", 700, 800) + "last without end");
    ASSERT_EQ(0, symlink("lines", path("history").c_str()));
    const quorva::HistoryFile history(path("history"));
    const std::vector<std::string> lines = history.load();
    ASSERT_EQ(kept, lines.size());
    EXPECT_EQ("old 501", lines.front());
    EXPECT_EQ("last without end", lines.back());
    const std::string trimmed = numbered("old", 501, 999) + "last without end\n";
    EXPECT_EQ(trimmed, read_all(path("lines")));
    EXPECT_TRUE(S_ISLNK(mode("history")));

    history.append("market");
    EXPECT_EQ(trimmed + "market\n", read_all(path("lines")));
    history.trim();
    EXPECT_EQ(numbered("old", 502, 998) + "last without end\nmarket\n", read_all(path("lines")));

    // A FIFO holds nothing up and is left alone.
    ASSERT_EQ(0, mkfifo(path("fifo").c_str(), 0600));
    const quorva::HistoryFile fifo(path("fifo"));
    EXPECT_TRUE(fifo.load().empty());
    fifo.append("market");
    EXPECT_TRUE(S_ISFIFO(mode("fifo")));
}

TEST_F(Files, RunsAppendingAndTrimmingAtOnceLoseNoLine) {
    write("history", numbered("old", 0, 990));
    const quorva::HistoryFile history(path("history"));
    const int runs = 4;
    const int lines = 150;
    std::vector<pid_t> children;
    for (int run = 0; run < runs; ++run) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0; i < lines; ++i) {
                history.append("run" + std::to_string(run) + " " + std::to_string(i));
                history.trim();
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) waitpid(child, nullptr, 0);
    const std::vector<std::string> kept = history.load();
    ASSERT_EQ(quorva::HistoryFile::MAX_LINES, kept.size());
    const std::set<std::string> present(kept.begin(), kept.end());
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < lines; ++i) {
            EXPECT_EQ(1u, present.count("run" + std::to_string(run) + " " + std::to_string(i))) << run << " " << i;
        }
    }
}

TEST_F(Files, TextFilesSkipTheirMarkAndFailOnReadErrors) {
    write("marked.txt", "\xEF\xBB\xBFset level 90\n\xEF\xBB\xBFmarket\r\nlast");
    quorva::TextFile marked(path("marked.txt"));
    std::vector<std::string> lines;
    for (std::string line; marked.next(line);) lines.push_back(line);
    EXPECT_EQ((std::vector<std::string>{"set level 90", "\xEF\xBB\xBFmarket\r", "last"}), lines);
    EXPECT_EQ(3u, marked.line_number());

    quorva::TextFile unreadable("/proc/self/mem");
    std::string line;
    EXPECT_TRUE(throws_with<usr::Exception>("Cannot read file '/proc/self/mem': Input/output error",
                                            [&] { unreadable.next(line); }));
}

}  // namespace
