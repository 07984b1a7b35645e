#include "terminal/TextFile.h"

#include "terminal/Interrupt.h"
#include "foundation/QuorvaException.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quorva {

namespace {

const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";
const std::size_t ECHOED_CHARACTERS = 60;

/// A descriptor open to read `path`, waiting as long as a FIFO needs a writer.
int open_file(const std::string& path) {
    for (;;) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const int error = errno;
        if (fd >= 0) {
            struct stat status {};
            if (fstat(fd, &status) == 0 && !S_ISDIR(status.st_mode)) return fd;
            close(fd);
            throw QuorvaException("Cannot read file '" + echoed_path(path) + "': " + std::strerror(EISDIR));
        }
        if (error != EINTR) {
            throw QuorvaException("Cannot read file '" + echoed_path(path) + "': " + std::strerror(error));
        }
        Interrupt::check();
    }
}

/// The length of the UTF-8 character that starts `text` at `at`, or 0 when
/// the bytes there are not one.
std::size_t utf8_length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
    for (std::size_t i = at + 1; i < at + length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

/// `typed` with what does not print escaped, cut after `limit` characters.
std::string shown_escaped(const std::string& typed, std::size_t limit) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < typed.size(); ++characters) {
        if (characters == limit) return shown + "...";
        const unsigned char c = static_cast<unsigned char>(typed[at]);
        const std::size_t length = c >= 0x80 ? utf8_length(typed, at) : (c >= 0x20 && c < 0x7F) ? 1 : 0;
        if (length == 0) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            shown += escape;
            ++at;
        } else {
            shown.append(typed, at, length);
            at += length;
        }
    }
    return shown;
}

}  // namespace

bool read_text_line(std::istream& in, std::string& line, bool first) {
    using Traits = std::char_traits<char>;
    std::streambuf& buffer = *in.rdbuf();
    line.clear();
    if (Traits::eq_int_type(buffer.sgetc(), Traits::eof())) {
        in.setstate(std::ios::eofbit);
        return false;
    }
    for (int c = buffer.sbumpc(); c != '\n'; c = buffer.sbumpc()) {
        if (Traits::eq_int_type(c, Traits::eof())) {
            // The last line has no end: eof() tells.
            in.setstate(std::ios::eofbit);
            break;
        }
        if (line.size() == MAX_LINE_BYTES) throw LineTooLong();
        line += Traits::to_char_type(c);
    }
    if (first && line.compare(0, 3, BYTE_ORDER_MARK) == 0) line.erase(0, 3);
    return true;
}

TextFile::TextFile(const std::string& path)
    : buffer_(open_file(path), "file '" + echoed_path(path) + "'", true), in_(&buffer_) {}

LineTooLong::LineTooLong() : QuorvaException("Line too long") {}

bool TextFile::next(std::string& line) {
    ++number_;
    if (read_text_line(in_, line, number_ == 1)) return true;
    --number_;
    return false;
}

std::string echoed(const std::string& typed) { return shown_escaped(typed, ECHOED_CHARACTERS); }

std::string echoed_path(const std::string& path) { return shown_escaped(path, PATH_MAX); }

}  // namespace quorva
