#pragma once
// The one place where the program opens its files: scripts and books are
// read with a reason for any failure, and saved books and tables are written
// whole or not at all, so that a failure never leaves a file half written.

#include <fstream>
#include <string>

namespace quorva {

/// Writes `contents` to a temporary file in the folder of `path`, flushes it
/// to disk and renames it over `path`. On any failure throws QuorvaException
/// "Cannot write file 'PATH': reason" and leaves an existing file at `path`
/// byte for byte as it was.
void write_atomically(const std::string& path, const std::string& contents);

/// Opens `in` on `path` to read it: 0, or the error number of the failure
/// (EISDIR for a folder, which opens but cannot be read).
int open_to_read(std::ifstream& in, const std::string& path);

}  // namespace quorva
