#pragma once
// Crash-safe writing of one document. Internal: not installed.

#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "graph_builder/platform/fd.hpp"

namespace graph_builder::documents {

// How the new content of a regular file is held until it is put in place.
enum class Temporary {
  // An unnamed file (O_TMPFILE) that gets a name only once it is complete,
  // just before the rename; a named one where the file system or the system
  // has no unnamed files.
  unnamed_when_supported,
  // A file named ".graph_builder.tmp.XXXXXX" from the start.
  named,
};

// One document written at a path, treated as what the path names:
// - a regular file, or nothing yet: replaced whole, so that the path holds
//   either its old or its new content, never a mix. The bytes go to a
//   temporary file in the same directory, which `commit` flushes to the disk
//   and renames over the path. An unnamed temporary gets its name only in
//   `prepare`, a few calls before the rename, so a run killed while the
//   document is produced or written leaves nothing behind. A named one (from
//   the start, or in those few calls) stays behind when the process dies
//   before the rename, and the next document written in that directory
//   removes it (a temporary in use is locked; only unlocked ones go).
// - a symbolic link: the file it finally points to (every link followed) is
//   replaced as above; the link stays a link.
// - anything else that is not a directory (a character or block device, a
//   FIFO, a socket): written straight into as the bytes come; nothing is
//   replaced or renamed, and a write error fails at once. A FIFO is opened
//   as a shell redirection would, waiting for a reader.
// - a directory: fails.
// A file not committed (a failure, an exception on the way) leaves a replaced
// path as it was and no temporary file. Every failure throws
// FatalError("cannot write <path>: <reason>").
//
// How a document replaces the old one is decided here alone: a caller only
// writes and commits.
class AtomicFile {
 public:
  // Opens the temporary file (readable as the umask allows, like any file the
  // program creates) or the path itself.
  explicit AtomicFile(std::string path, Temporary temporary = Temporary::unnamed_when_supported);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Appends `bytes`. Written data is handed to the disk every few megabytes
  // as the document grows, so that the disk works while the rest is still
  // being produced and the flush before the rename waits for the last
  // stretch only.
  void write(std::string_view bytes);
  // Flushes a replacing document to the disk. Call after the last write;
  // `prepare` calls it when it was not.
  void flush();
  // Readies a replacing document without touching the path: flushed, named
  // in its directory, and the path checked to be replaceable (not a
  // directory). Nothing to do for a document written straight into. Call
  // after the last write; `commit` calls it when it was not.
  void prepare();
  // Puts the document in place (the rename), or closes the path written
  // straight into.
  void commit();
  // Throws the FatalError of a failure with error number `err`.
  [[noreturn]] void fail(int err) const;

  // The path as given.
  const std::string& path() const { return path_; }
  // True when the path is written straight into instead of replaced.
  bool in_place() const { return in_place_; }

 private:
  void open_in_place(mode_t type);
  void open_temporary(Temporary temporary);
  void name_temporary();

  std::string path_;
  std::string target_;     // what the rename replaces: `path_` with its links followed
  std::string directory_;  // the directory of `target_`, where the temporary lives
  std::string temporary_;  // the temporary's name once it has one; removed unless committed
  platform::UniqueFd fd_;
  platform::UniqueFd replaced_;  // the file the rename replaces, freed only when this goes
  bool in_place_ = false;
  bool pipe_like_ = false;  // a FIFO or a socket: a reader that goes away fails the write
  bool flushed_ = false;
  bool prepared_ = false;
  off_t written_ = 0;
  off_t handed_ = 0;  // bytes already handed to the disk
};

// Commits `files` together: every one is prepared (complete, on the disk,
// its path checked) before the first is put in place, so a failure on the
// way leaves every path as it was. Only a crash between the renames, or a
// rename failing after its path was checked, leaves some replaced and others
// not. All are flushed before any is named, so that the named temporaries
// exist only for the few calls up to the renames.
void commit_together(std::initializer_list<AtomicFile*> files);

}  // namespace graph_builder::documents
