#include "graph_builder/cli/progress.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace graph_builder::cli {
namespace {

constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

}  // namespace

std::string progress_text(const graph::ScanProgress& p, double seconds) {
  const double mb = static_cast<double>(p.bytes_done) / 1048576.0;
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.1f", seconds > 0 ? mb / seconds : 0.0);
  std::string s = "graph_builder: ";
  s.append(std::to_string(p.files_done)).append(" of ").append(std::to_string(p.files_found));
  if (!p.walk_done) s += '+';
  s.append(" files, ").append(rate).append(" MB/s");
  return s;
}

ProgressLine::ProgressLine(bool shown, std::function<void(std::string_view)> write)
    : shown_(shown), write_(std::move(write)) {}

ProgressLine::~ProgressLine() { erase(); }

void ProgressLine::update(const graph::ScanProgress& p, Clock::time_point now) {
  if (!shown_) return;
  if (!started_) {
    started_ = true;
    start_ = now;
    return;
  }
  if (now - start_ <= kQuietFor || (drawn_ > 0 && now - last_draw_ < kRedrawEvery)) return;
  last_draw_ = now;
  const std::string text = progress_text(p, std::chrono::duration<double>(now - start_).count());
  // Drawn over the previous line from its start; blanks cover what was longer.
  std::string line(1, '\r');
  line.append(text);
  if (text.size() < drawn_) line.append(drawn_ - text.size(), ' ');
  drawn_ = std::max(drawn_, text.size());
  write_(line);
}

void ProgressLine::erase() {
  if (drawn_ == 0) return;
  std::string blank(drawn_ + 2, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  write_(blank);
  drawn_ = 0;
}

}  // namespace graph_builder::cli
