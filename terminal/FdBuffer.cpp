#include "terminal/FdBuffer.h"

#include "terminal/Interrupt.h"
#include "foundation/QuorvaException.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorva {

namespace {

const std::size_t BUFFER_BYTES = 1 << 16;

}  // namespace

FdReadBuffer::FdReadBuffer(int fd, std::string what, bool owned)
    : fd_(fd), what_(std::move(what)), owned_(owned), buffer_(BUFFER_BYTES) {
    setg(buffer_.data(), buffer_.data(), buffer_.data());
}

FdReadBuffer::~FdReadBuffer() {
    if (owned_) close(fd_);
}

FdReadBuffer::int_type FdReadBuffer::underflow() {
    for (;;) {
        const ssize_t n = read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
            setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
            return traits_type::to_int_type(buffer_[0]);
        }
        if (n == 0) return traits_type::eof();
        if (errno != EINTR) throw QuorvaException("Cannot read " + what_ + ": " + std::strerror(errno));
        Interrupt::check();
    }
}

FdWriteBuffer::FdWriteBuffer(int fd) : fd_(fd), buffer_(BUFFER_BYTES) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdWriteBuffer::~FdWriteBuffer() { drain(); }

bool FdWriteBuffer::drain() {
    const char* next = pbase();
    while (error_ == 0 && next < pptr()) {
        const ssize_t n = write(fd_, next, static_cast<std::size_t>(pptr() - next));
        if (n >= 0) {
            next += n;
        } else if (errno != EINTR) {
            error_ = errno;
        }
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0;
}

FdWriteBuffer::int_type FdWriteBuffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

int FdWriteBuffer::sync() { return drain() ? 0 : -1; }

}  // namespace quorva
