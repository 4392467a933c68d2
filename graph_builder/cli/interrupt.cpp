#include "graph_builder/cli/interrupt.hpp"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace graph_builder::cli {
namespace {

// Set by the handler on whichever thread takes the signal, read by the
// calling thread of the scan.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction g_previous_int {};
struct sigaction g_previous_term {};

void on_signal(int signal) {
  if (g_signal.load() != 0) {
    // Asked twice: no more waiting.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  g_signal.store(signal);
}

}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls restart: the scan notices the signal when it
  // next asks, not through a failed read.
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, &g_previous_int);
  ::sigaction(SIGTERM, &action, &g_previous_term);
}

InterruptGuard::~InterruptGuard() {
  ::sigaction(SIGINT, &g_previous_int, nullptr);
  ::sigaction(SIGTERM, &g_previous_term, nullptr);
}

int interrupting_signal() { return g_signal.load(); }

void end_by_signal(int signal) {
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  // Only if the signal is blocked.
  std::_Exit(128 + signal);
}

}  // namespace graph_builder::cli
