#pragma once
// Crash-safe writing of one document. Internal: not installed.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "graph_builder/platform/fd.hpp"

namespace graph_builder::documents {

// A file written whole and then put in place, so that its path holds either
// its old or its new content, never a mix: the bytes go to a temporary file in
// the same directory, which `commit` flushes to the disk and renames over the
// path. A file not committed (a failure, an exception on the way) is removed
// and leaves the path as it was. Every failure throws FatalError("cannot write
// <path>: <reason>").
//
// How the document is replaced is decided here alone: a caller only writes
// and commits.
class AtomicFile {
 public:
  // Creates the temporary file (readable as the umask allows, like any file
  // the program creates).
  explicit AtomicFile(std::string path);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Appends `bytes`. Written data is handed to the disk every few megabytes
  // as the document grows, so that the disk works while the rest is still
  // being produced and the flush in `commit` waits for the last stretch only.
  void write(std::string_view bytes);
  // Flushes the data to the disk, then renames the temporary file over the
  // path. Call once, after the last write.
  void commit();
  // Throws the FatalError of a failure with error number `err`.
  [[noreturn]] void fail(int err) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string temporary_;  // removed on destruction unless committed
  platform::UniqueFd fd_;
  off_t written_ = 0;
  off_t handed_ = 0;  // bytes already handed to the disk
};

}  // namespace graph_builder::documents
