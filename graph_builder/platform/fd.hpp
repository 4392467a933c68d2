#pragma once
// Operating-system facilities shared by the walk, the scan and the documents:
// an owned file descriptor, reading a file whole, and what the processor
// offers. The only code of ours below it is none; it prints nothing and
// throws nothing.

#include <utility>

namespace graph_builder::platform {

// Owns one file descriptor and closes it when destroyed (an invalid one is -1).
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  explicit operator bool() const { return valid(); }
  // Gives up ownership without closing.
  int release() { return std::exchange(fd_, -1); }
  // Closes the descriptor held (if any) and takes `fd`.
  void reset(int fd = -1);
  // Closes now; the result of close(2) (0, or -1 with errno set), 0 when
  // nothing was held. For writers, where a failing close can mean lost data.
  int close();

 private:
  int fd_ = -1;
};

}  // namespace graph_builder::platform
