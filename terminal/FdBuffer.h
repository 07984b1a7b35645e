#pragma once
// Stream buffers over a file descriptor that never hide a failure: a read
// error or Ctrl-C during a read is thrown, and the first failed write is kept
// for the caller to report.

#include <streambuf>
#include <string>
#include <vector>

namespace quorva {

/// Reads from a descriptor. A read error throws QuorvaException "Cannot read
/// WHAT: reason"; Ctrl-C pressed while a read waits throws "Interrupted".
class FdReadBuffer : public std::streambuf {
public:
    /// `what` names the source in errors ("file 'F'", "standard input");
    /// `owned` closes the descriptor with the buffer.
    FdReadBuffer(int fd, std::string what, bool owned);
    ~FdReadBuffer() override;
    FdReadBuffer(const FdReadBuffer&) = delete;
    FdReadBuffer& operator=(const FdReadBuffer&) = delete;

protected:
    int_type underflow() override;

private:
    int fd_;
    std::string what_;
    bool owned_;
    std::vector<char> buffer_;
};

/// Writes to a descriptor through a buffer. Once a write fails, later output
/// is dropped and error() gives the reason.
class FdWriteBuffer : public std::streambuf {
public:
    explicit FdWriteBuffer(int fd);
    ~FdWriteBuffer() override;
    FdWriteBuffer(const FdWriteBuffer&) = delete;
    FdWriteBuffer& operator=(const FdWriteBuffer&) = delete;

    /// 0, or the error number of the first failed write.
    int error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    /// Writes what is buffered; false once a write has failed.
    bool drain();

    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

}  // namespace quorva
