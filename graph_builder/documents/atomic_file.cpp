#include "graph_builder/documents/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "graph_builder/error.hpp"

namespace graph_builder::documents {
namespace {

// Writeback is started each time this much more has been written.
constexpr off_t kStartWriteback = off_t{8} << 20;

// The temporary file's name pattern, in the directory of `path`.
std::string temporary_pattern(const std::string& path) {
  std::string dir = ".";
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos) dir = slash == 0 ? "/" : path.substr(0, slash);
  return (dir == "/" ? std::string("/") : dir + "/") + ".graph_builder.tmp.XXXXXX";
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  const std::string pattern = temporary_pattern(path_);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_.reset(::mkstemp(name.data()));
  if (!fd_) fail(errno);
  temporary_.assign(name.data());
  // mkstemp creates 0600; documents are ordinary files readable as umask allows.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd_.get(), 0666 & ~mask) != 0) {
    const int err = errno;
    // The destructor does not run for an object never constructed.
    fd_.reset();
    ::unlink(temporary_.c_str());
    fail(err);
  }
}

AtomicFile::~AtomicFile() {
  fd_.reset();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFile::write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<std::size_t>(n);
    written_ += static_cast<off_t>(n);
  }
  if (written_ - handed_ >= kStartWriteback) {
    // Only starts the writing; failures show in the flush of `commit`.
    (void)::sync_file_range(fd_.get(), handed_, written_ - handed_, SYNC_FILE_RANGE_WRITE);
    handed_ = written_;
  }
}

void AtomicFile::commit() {
  // The data reaches the disk before the rename makes it visible.
  if (::fsync(fd_.get()) != 0) fail(errno);
  if (fd_.close() != 0) fail(errno);
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail(errno);
  temporary_.clear();
}

void AtomicFile::fail(int err) const {
  throw FatalError("cannot write " + path_ + ": " + std::strerror(err));
}

}  // namespace graph_builder::documents
