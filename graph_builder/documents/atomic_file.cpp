#include "graph_builder/documents/atomic_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "graph_builder/error.hpp"

namespace graph_builder::documents {
namespace {

using platform::UniqueFd;

// Writeback is started each time this much more has been written.
constexpr off_t kStartWriteback = off_t{8} << 20;

// Temporary files are this prefix and six letters or digits, as mkstemp makes
// them; the names are fixed so that a later run can find abandoned ones.
constexpr std::string_view kTemporaryPrefix = ".graph_builder.tmp.";
constexpr std::size_t kTemporaryLetters = 6;

// Links followed from the path before giving up, as the kernel does.
constexpr int kMaxLinks = 40;

// The directory part of `path`: "." when it has none.
std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join(const std::string& directory, std::string_view name) {
  std::string out = directory;
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

// `path` with the links it names followed until it names something that is
// not a link (or nothing): the path a rename must replace for every link on
// the way to stay a link. Sets `err` to ELOOP when the links do not end.
std::string follow_links(std::string path, int& err) {
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::error_code ec;
    const std::string target = std::filesystem::read_symlink(path, ec).string();
    if (ec || target.empty()) return path;
    // A relative target is read from the link's own directory.
    path = target.front() == '/' ? target : join(directory_of(path), target);
  }
  err = ELOOP;
  return path;
}

// True when a name is one this file gives its temporaries.
bool is_temporary_name(std::string_view name) {
  return name.size() == kTemporaryPrefix.size() + kTemporaryLetters &&
         name.starts_with(kTemporaryPrefix);
}

// Removes from `directory` the temporary files of writers that died before
// their commit: a writer holds its temporary locked from its creation to
// its rename, so a temporary nobody holds is abandoned. Best effort: any
// failure leaves the entry alone.
void remove_abandoned_temporaries(const std::string& directory) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return;
  const int dir_fd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (!is_temporary_name(entry->d_name)) continue;
    const UniqueFd fd(
        ::openat(dir_fd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) continue;
    struct stat held {};
    struct stat named {};
    if (::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
    // The name may have been given to another file since it was opened.
    if (::fstatat(dir_fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_ino != held.st_ino || named.st_dev != held.st_dev) {
      continue;
    }
    (void)::unlinkat(dir_fd, entry->d_name, 0);
  }
  ::closedir(dir);
}

// A fresh temporary name in `directory` (not created).
std::string random_temporary_name(const std::string& directory) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kTemporaryLetters] = {};
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    // Without random bytes, the clock and the process still make a name that
    // another writer is unlikely to pick; a taken one is tried again anyway.
    const auto seed = static_cast<unsigned long>(::getpid()) * 2654435761UL ^
                      static_cast<unsigned long>(::clock());
    for (std::size_t i = 0; i < kTemporaryLetters; ++i) {
      random[i] = static_cast<unsigned char>(seed >> (i * 5));
    }
  }
  std::string name(kTemporaryPrefix);
  for (unsigned char r : random) name += kLetters[r % (sizeof kLetters - 1)];
  return join(directory, name);
}

// A stream connection to the listening socket at `path`, or -1 with errno set.
int connect_socket(const std::string& path) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket) return -1;
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return -1;
  }
  return socket.release();
}

// True when SIGPIPE is pending for the calling thread or the process.
bool sigpipe_pending() {
  sigset_t pending;
  return ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

// write(2) to a FIFO or socket whose reader may have gone: that gives EPIPE
// instead of ending the process with SIGPIPE. The signal is blocked for the
// call, and one the call raised is taken back before it is unblocked (the
// kernel raises it also for a write that got some bytes through before the
// reader left).
ssize_t write_to_pipe(int fd, const char* data, std::size_t size) {
  sigset_t pipe_only;
  sigset_t old_mask;
  sigemptyset(&pipe_only);
  sigaddset(&pipe_only, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipe_only, &old_mask);
  const bool was_pending = sigpipe_pending();
  const ssize_t n = ::write(fd, data, size);
  const int err = errno;
  if (!was_pending && sigpipe_pending()) {
    const timespec no_wait{};
    (void)::sigtimedwait(&pipe_only, nullptr, &no_wait);
  }
  ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  errno = err;
  return n;
}

}  // namespace

AtomicFile::AtomicFile(std::string path, Temporary temporary) : path_(std::move(path)) {
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) fail(EISDIR);
    if (!S_ISREG(st.st_mode)) {
      open_in_place(st.st_mode & S_IFMT);
      return;
    }
  } else if (errno != ENOENT) {
    fail(errno);
  }
  int err = 0;
  target_ = follow_links(path_, err);
  if (err != 0) fail(err);
  directory_ = directory_of(target_);
  open_temporary(temporary);
}

AtomicFile::~AtomicFile() {
  fd_.reset();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  replaced_.reset();
}

void AtomicFile::open_in_place(mode_t type) {
  in_place_ = true;
  pipe_like_ = type == S_IFIFO || type == S_IFSOCK;
  // A FIFO waits here for its reader, as a shell redirection does.
  fd_.reset(::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
  if (!fd_ && errno == ENXIO && type == S_IFSOCK) fd_.reset(connect_socket(path_));
  if (!fd_) fail(errno);
}

void AtomicFile::open_temporary(Temporary temporary) {
  remove_abandoned_temporaries(directory_);
  // The unnamed file is named later through /proc, so both must be there.
  if (temporary == Temporary::unnamed_when_supported && ::access("/proc/self/fd", X_OK) == 0) {
    fd_.reset(::open(directory_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd_) {
      // Locked before it can have a name, so that it is never taken for an
      // abandoned one.
      if (::flock(fd_.get(), LOCK_EX) != 0) fail(errno);
      return;
    }
    // Any failure here (no O_TMPFILE on this file system or kernel) is
    // followed by the named way, which reports a failure of its own.
  }
  std::string pattern = join(directory_, kTemporaryPrefix);
  pattern.append(kTemporaryLetters, 'X');
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_.reset(::mkstemp(name.data()));
  if (!fd_) fail(errno);
  temporary_.assign(name.data());
  // mkstemp creates 0600; documents are ordinary files readable as umask allows.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd_.get(), 0666 & ~mask) != 0 || ::flock(fd_.get(), LOCK_EX) != 0) {
    const int err = errno;
    // The destructor does not run for an object never constructed.
    fd_.reset();
    ::unlink(temporary_.c_str());
    fail(err);
  }
}

void AtomicFile::write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const char* data = bytes.data() + done;
    const std::size_t size = bytes.size() - done;
    const ssize_t n =
        pipe_like_ ? write_to_pipe(fd_.get(), data, size) : ::write(fd_.get(), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<std::size_t>(n);
    written_ += static_cast<off_t>(n);
  }
  if (!in_place_ && written_ - handed_ >= kStartWriteback) {
    // Only starts the writing; failures show in `flush`.
    (void)::sync_file_range(fd_.get(), handed_, written_ - handed_, SYNC_FILE_RANGE_WRITE);
    handed_ = written_;
  }
}

void AtomicFile::name_temporary() {
  const std::string descriptor = "/proc/self/fd/" + std::to_string(fd_.get());
  while (true) {
    std::string name = random_temporary_name(directory_);
    if (::linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporary_ = std::move(name);
      return;
    }
    if (errno != EEXIST) fail(errno);
  }
}

void AtomicFile::flush() {
  if (flushed_ || in_place_) return;
  // The data reaches the disk before the rename makes it visible.
  if (::fsync(fd_.get()) != 0) fail(errno);
  flushed_ = true;
}

void AtomicFile::prepare() {
  if (prepared_ || in_place_) {
    prepared_ = true;
    return;
  }
  flush();
  if (temporary_.empty()) name_temporary();
  // A rename cannot put a file over a directory: found now, before any other
  // document committed with this one is put in place.
  struct stat st {};
  if (::lstat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) fail(EISDIR);
    // Held open until this object goes, so that the rename does not free
    // the old file's blocks: that can take milliseconds for a large graph,
    // and the temporaries of documents committed together keep their
    // names until the last rename.
    if (S_ISREG(st.st_mode)) {
      replaced_.reset(::open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    }
  }
  prepared_ = true;
}

void AtomicFile::commit() {
  prepare();
  if (in_place_) {
    if (fd_.close() != 0) fail(errno);
    return;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(errno);
  temporary_.clear();
  // Closed (and unlocked) only now: until the rename the temporary must not
  // look abandoned. Its data was flushed in `prepare`, which reported any
  // failure to write it.
  fd_.reset();
}

void AtomicFile::fail(int err) const {
  throw FatalError("cannot write " + path_ + ": " + std::strerror(err));
}

void commit_together(std::initializer_list<AtomicFile*> files) {
  for (AtomicFile* f : files) f->flush();
  for (AtomicFile* f : files) f->prepare();
  for (AtomicFile* f : files) f->commit();
}

}  // namespace graph_builder::documents
