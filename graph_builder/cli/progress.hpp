#pragma once
// The progress display of a long scan: one line on standard error, only when
// it is a terminal and the scan has run for more than a second.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::cli {

// The line's text for `p` after `seconds` of scanning: files done of files
// found ("+" while the walk goes on) and the rate files are read at, in MB
// (2^20 bytes) per second.
std::string progress_text(const graph::ScanProgress& p, double seconds);

// Draws the line, redrawing it in place at most ten times a second, and
// erases it at the end. Writes nothing at all when not `shown` (standard
// error is not a terminal) or when the scan ends within a second.
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  // `write` receives what to print.
  ProgressLine(bool shown, std::function<void(std::string_view)> write);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  // Erases the line if it is still drawn.
  ~ProgressLine();

  // The scan's progress at `now`; the first call starts the clock.
  void update(const graph::ScanProgress& p, Clock::time_point now);
  // Removes the line (blanks it and returns to the start of the line).
  void erase();

 private:
  bool shown_;
  std::function<void(std::string_view)> write_;
  bool started_ = false;
  Clock::time_point start_;
  Clock::time_point last_draw_;
  std::size_t drawn_ = 0;  // characters of the line on the screen, blanks included
};

}  // namespace graph_builder::cli
