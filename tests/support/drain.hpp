#pragma once
// Reading what a writer under test sends into a FIFO or a socket, on another
// thread and with a deadline: a writer that never connects (it replaced the
// FIFO instead, or waits on something else) fails the test instead of
// hanging it.

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace graph_builder::testing {

class Drain {
 public:
  // How long the reader waits for a connection or for more bytes.
  static constexpr int kPatienceMs = 60000;

  // Reads the FIFO at `fifo`. It is opened for reading at once (without
  // waiting), so that a writer opening it finds a reader.
  static Drain fifo(const std::filesystem::path& fifo, std::size_t stop_after = kAll) {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return Drain([fd] { return fd; }, stop_after);
  }
  // Reads the first connection made to the listening socket `listener`.
  static Drain first_connection(int listener, std::size_t stop_after = kAll) {
    return Drain(
        [listener] {
          if (!readable(listener)) return -1;
          return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        },
        stop_after);
  }

  Drain(Drain&&) = delete;
  ~Drain() {
    if (thread_.joinable()) thread_.join();
  }

  // Waits for the reader: what came, until the writer closed, `stop_after`
  // bytes were read (the reader then closes its end), or nothing came for
  // kPatienceMs.
  std::string join() {
    thread_.join();
    return got_;
  }
  // True when the reader gave up waiting.
  bool timed_out() const { return timed_out_; }

  static constexpr std::size_t kAll = std::string::npos;

 private:
  Drain(std::function<int()> open_fd, std::size_t stop_after)
      : thread_([this, open_fd = std::move(open_fd), stop_after] {
          const int fd = open_fd();
          if (fd < 0) {
            timed_out_ = true;
            return;
          }
          char piece[65536];
          while (got_.size() < stop_after) {
            // A FIFO reports no hang-up before its first writer came, so
            // this waits for the writer to connect as well.
            if (!readable(fd)) {
              timed_out_ = true;
              break;
            }
            const ssize_t n = ::read(fd, piece, sizeof piece);
            if (n > 0) {
              got_.append(piece, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
              break;
            }
          }
          ::close(fd);
        }) {}

  static bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, kPatienceMs) == 1;
  }

  std::string got_;
  bool timed_out_ = false;
  std::thread thread_;
};

}  // namespace graph_builder::testing
