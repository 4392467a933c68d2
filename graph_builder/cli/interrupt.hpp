#pragma once
// Interruption of a run by SIGINT or SIGTERM: the signal is noted, the run
// stops at the scan's next question, leaves the previous documents whole, and
// the process then ends as the signal would have ended it.

namespace graph_builder::cli {

// While alive, SIGINT and SIGTERM are noted instead of ending the process; a
// second one ends it at once. The previous handling is restored on
// destruction. One at a time.
class InterruptGuard {
 public:
  InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
  ~InterruptGuard();
};

// The signal noted by an InterruptGuard (of this process, ever), or 0.
int interrupting_signal();

// Ends the process as `signal` does by default.
[[noreturn]] void end_by_signal(int signal);

}  // namespace graph_builder::cli
