#pragma once
// The one place where the console writes files (saved books, tables):
// whole or not at all, so that a failure never leaves a file half written.

#include <string>

namespace quorva {

/// Writes `contents` to a temporary file in the folder of `path`, flushes it
/// to disk and renames it over `path`. On any failure throws QuorvaException
/// "Cannot write file 'PATH': reason" and leaves an existing file at `path`
/// byte for byte as it was.
void write_atomically(const std::string& path, const std::string& contents);

}  // namespace quorva
