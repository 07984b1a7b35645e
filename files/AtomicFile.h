#pragma once
// Saved books and tables are written whole or not at all: a failure, a
// signal or a crash never leaves a file half written, nor a temporary file
// beside it.

#include <string>

namespace quorva {

/// Writes `contents` to a new unnamed file in the folder of `path` (a named
/// hidden one where the system has no unnamed files), flushes it to disk and
/// only then puts it in place of `path`, with the permissions and owner of
/// the file it replaces. A symbolic link is written through to its target.
/// SIGINT, SIGTERM and SIGHUP wait until the file is in place or removed;
/// hidden files that runs killed in between left in the folder are removed.
/// On any failure throws QuorvaException "Cannot write file 'PATH': reason"
/// (reason "Not a regular file" for a device, FIFO or socket) and leaves an
/// existing file at `path` byte for byte as it was.
void write_atomically(const std::string& path, const std::string& contents);

}  // namespace quorva
