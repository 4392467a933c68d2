#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "graph_builder/platform/cpu.hpp"
#include "graph_builder/platform/fd.hpp"
#include "graph_builder/platform/memory.hpp"
#include "graph_builder/platform/read_file.hpp"

namespace graph_builder::platform {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

int UniqueFd::close() {
  if (fd_ < 0) return 0;
  return ::close(std::exchange(fd_, -1));
}

ReadStatus read_file(const char* path, std::string& out, std::size_t max_bytes, std::size_t* size) {
  return read_file_at(AT_FDCWD, path, out, max_bytes, size);
}

ReadStatus read_file_at(int dir_fd, const char* name, std::string& out, std::size_t max_bytes,
                        std::size_t* size) {
  out.clear();
  const UniqueFd fd(::openat(dir_fd, name, O_RDONLY | O_CLOEXEC));
  if (!fd) return ReadStatus::unreadable;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return ReadStatus::unreadable;
  const auto file_size = static_cast<std::size_t>(st.st_size);
  if (size != nullptr) *size = file_size;
  if (file_size > max_bytes) return ReadStatus::too_large;
  // One byte more than the size asked for, so that a file that grew since
  // the stat is read to its end too.
  out.resize(file_size + 1);
  std::size_t got = 0;
  while (true) {
    if (got == out.size()) out.resize(out.size() * 2 + 4096);
    const ssize_t n = ::read(fd.get(), out.data() + got, out.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      out.clear();
      return ReadStatus::unreadable;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
    // Stopped exactly at the size the file had, short of the extra byte asked
    // for: that is its end, and one more read would only say so.
    if (got == file_size && got < out.size()) break;
  }
  out.resize(got);
  return ReadStatus::ok;
}

void prefer_huge_pages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t from = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t to = (begin + bytes) & ~(kHuge - 1);
  if (to > from) (void)::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

bool has_avx512_hashing() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool available = __builtin_cpu_supports("avx512f");
  return available;
#else
  return false;
#endif
}

bool has_avx512_escaping() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool available =
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
      __builtin_cpu_supports("bmi2");
  return available;
#else
  return false;
#endif
}

}  // namespace graph_builder::platform
