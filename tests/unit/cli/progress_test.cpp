#include "graph_builder/cli/progress.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace graph_builder::cli {
namespace {

using std::chrono::milliseconds;

graph::ScanProgress progress(std::size_t done, std::size_t found, std::uint64_t bytes,
                             bool walk_done = true) {
  graph::ScanProgress p;
  p.files_done = done;
  p.files_found = found;
  p.bytes_done = bytes;
  p.walk_done = walk_done;
  return p;
}

TEST(ProgressLine, TextSaysFilesDoneOfFoundAndTheRate) {
  EXPECT_EQ(progress_text(progress(1200, 46322, 3 * 1048576), 2.0),
            "graph_builder: 1200 of 46322 files, 1.5 MB/s");
  EXPECT_EQ(progress_text(progress(5, 90, 0, false), 1.5),
            "graph_builder: 5 of 90+ files, 0.0 MB/s");
  EXPECT_EQ(progress_text(progress(0, 0, 100, true), 0.0), "graph_builder: 0 of 0 files, 0.0 MB/s");
}

// Nothing in the first second; then the line, redrawn at most every tenth of
// a second over what it showed before, and blanked at the end.
TEST(ProgressLine, DrawnAfterASecondRedrawnInPlaceAndErased) {
  std::vector<std::string> written;
  const auto t0 = ProgressLine::Clock::now();
  {
    ProgressLine line(true, [&](std::string_view s) { written.emplace_back(s); });
    line.update(progress(0, 10, 0, false), t0);
    line.update(progress(5, 100, 1048576, false), t0 + milliseconds(900));
    EXPECT_TRUE(written.empty());
    line.update(progress(50, 100000, 2 * 1048576, false), t0 + milliseconds(1000));
    EXPECT_TRUE(written.empty());
    line.update(progress(60, 100000, 2 * 1048576, false), t0 + milliseconds(2000));
    ASSERT_EQ(written.size(), 1U);
    EXPECT_EQ(written[0], "\rgraph_builder: 60 of 100000+ files, 1.0 MB/s");
    line.update(progress(70, 100000, 2 * 1048576), t0 + milliseconds(2050));
    EXPECT_EQ(written.size(), 1U);
    line.update(progress(99, 100, 4 * 1048576), t0 + milliseconds(4000));
    ASSERT_EQ(written.size(), 2U);
    // Shorter than before: blanks cover the rest.
    std::string redrawn = "\rgraph_builder: 99 of 100 files, 1.0 MB/s";
    redrawn.append(written[0].size() - redrawn.size(), ' ');
    EXPECT_EQ(written[1], redrawn);
  }
  ASSERT_EQ(written.size(), 3U);
  std::string blank(written[0].size() + 1, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  EXPECT_EQ(written[2], blank);
}

TEST(ProgressLine, NothingWhenNotATerminalOrWhenQuick) {
  std::vector<std::string> written;
  const auto t0 = ProgressLine::Clock::now();
  {
    ProgressLine hidden(false, [&](std::string_view s) { written.emplace_back(s); });
    hidden.update(progress(0, 10, 0), t0);
    hidden.update(progress(5, 10, 10), t0 + std::chrono::seconds(5));
    hidden.erase();
  }
  {
    ProgressLine quick(true, [&](std::string_view s) { written.emplace_back(s); });
    quick.update(progress(0, 10, 0), t0);
    quick.update(progress(10, 10, 10), t0 + milliseconds(999));
  }
  EXPECT_TRUE(written.empty());
}

}  // namespace
}  // namespace graph_builder::cli
