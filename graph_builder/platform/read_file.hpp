#pragma once
// Reading a file whole into a reused buffer.

#include <cstddef>
#include <string>

namespace graph_builder::platform {

// Files are per-file data: a file that cannot be read is an outcome, not an
// error.
enum class ReadStatus { ok, unreadable, too_large };

// No limit on the size read.
inline constexpr std::size_t kNoSizeLimit = static_cast<std::size_t>(-1);

// Reads the file at `path` (following links) into `out` as raw bytes, reusing
// its capacity; `size`, when given, receives the size the file system reports.
// A file larger than `max_bytes` is not read. On anything but ok, `out` is
// empty. Never throws.
[[nodiscard]] ReadStatus read_file(const char* path, std::string& out, std::size_t max_bytes,
                                   std::size_t* size = nullptr);
// The same for the file `name` of the directory open as `dir_fd` (AT_FDCWD:
// `name` is a path like read_file's).
[[nodiscard]] ReadStatus read_file_at(int dir_fd, const char* name, std::string& out,
                                      std::size_t max_bytes, std::size_t* size = nullptr);

}  // namespace graph_builder::platform
