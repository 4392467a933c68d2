#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/error.hpp"
#include "graph_builder/graph/scan.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::graph {
namespace {

using discovery::SkipReason;
using graph_builder::testing::TempTree;
using Report = std::pair<std::string, SkipReason>;

// Everything a scan of `t` reports as passed over, by path below the root,
// sorted (the walk's order is the file system's listing order).
std::vector<Report> reports_of(const TempTree& t) {
  std::vector<Report> got;
  ScanOptions options;
  options.on_skip = [&](const discovery::Skipped& s) {
    const std::string root = t.root().string() + "/";
    EXPECT_EQ(s.path.rfind(root, 0), 0U) << s.path;
    got.emplace_back(s.path.substr(root.size()), s.reason);
  };
  const Graph g = scan(t.root().string(), nullptr, options);
  std::sort(got.begin(), got.end());
  return got;
}

// Files over the size limit, linked directories outside the root and link
// loops are reported once each with their reason; what the skip rules prune
// by name and files at the limit are not trouble and are not reported.
TEST(ScanSkips, EachTroubleReportedOnceWithItsReason) {
  TempTree outside;
  outside.write("shared/util.ts", "");
  TempTree t;
  t.write("big.py", std::string(MAX_FILE_BYTES + 1, 'x'));
  t.write("exact.py", std::string(MAX_FILE_BYTES, 'x'));
  t.write("node_modules/dep.js", "");
  t.write("real/a.py", "def a():\n  pass\n");
  t.symlink((outside.root() / "shared").string(), "ext");
  t.symlink("..", "real/up");
  t.symlink(".", "real/self");
  t.symlink("nowhere", "dangling");
  const std::vector<Report> want{{"big.py", SkipReason::too_large},
                                 {"ext", SkipReason::outside_root},
                                 {"real/self", SkipReason::link_loop},
                                 {"real/up", SkipReason::link_loop}};
  EXPECT_EQ(reports_of(t), want);
  for (const auto& [path, reason] : want) EXPECT_FALSE(discovery::describe(reason).empty());
}

// Without an observer the scan is the same; a directory that cannot be listed
// is reported as unreadable (root reads everything, so only as another user).
TEST(ScanSkips, UnlistableDirectoryIsUnreadable) {
  TempTree t;
  t.write("ok.py", "");
  t.write("locked/secret.py", "");
  ::chmod(t.path("locked").c_str(), 0);
  const std::vector<Report> got = reports_of(t);
  ::chmod(t.path("locked").c_str(), 0700);
  if (::geteuid() == 0) {
    EXPECT_TRUE(got.empty());
  } else {
    EXPECT_EQ(got, (std::vector<Report>{{"locked", SkipReason::unreadable}}));
  }
  EXPECT_EQ(scan(t.root().string()).file_count(), ::geteuid() == 0 ? 2U : 1U);
}

// With one job, a scan asked to stop throws Cancelled instead of returning a
// graph, having asked before the directory and before each file; one never
// asked to stop runs to the end.
TEST(ScanCancel, OneJobStopsWhenAskedAndOnlyThen) {
  TempTree t;
  for (int i = 0; i < 40; ++i) {
    std::string name = std::to_string(i);
    name += ".py";
    t.write(name, "def f():\n  pass\n");
  }
  for (int stop_after : {0, 1, 17}) {
    int asked = 0;
    ScanOptions options;
    options.jobs = 1;
    options.cancelled = [&] { return asked++ == stop_after; };
    EXPECT_THROW(scan(t.root().string(), nullptr, options), Cancelled) << stop_after;
    EXPECT_EQ(asked, stop_after + 1);
  }
  int asked = 0;
  ScanOptions options;
  options.jobs = 1;
  options.cancelled = [&] {
    ++asked;
    return false;
  };
  EXPECT_EQ(scan(t.root().string(), nullptr, options).file_count(), 40U);
  EXPECT_EQ(asked, 41);
}

// Progress, with one job: files found grow during the walk, files done and
// their bytes only grow, and the last report counts every file.
TEST(ScanProgressReports, OneJobReportsEachFile) {
  TempTree t;
  t.write("a.py", "x = 1\n");
  t.write("d/b.md", "hello\n");
  t.write("d/c.md", std::string(MAX_FILE_BYTES + 1, 'c'));
  std::vector<graph::ScanProgress> seen;
  ScanOptions options;
  options.jobs = 1;
  options.on_progress = [&](const graph::ScanProgress& p) { seen.push_back(p); };
  EXPECT_EQ(scan(t.root().string(), nullptr, options).file_count(), 2U);
  ASSERT_FALSE(seen.empty());
  const graph::ScanProgress& last = seen.back();
  EXPECT_TRUE(last.walk_done);
  EXPECT_EQ(last.files_found, 3U);
  EXPECT_EQ(last.files_done, 3U);
  EXPECT_EQ(last.bytes_done, 12U);
  for (std::size_t i = 1; i < seen.size(); ++i) {
    EXPECT_GE(seen[i].files_done, seen[i - 1].files_done);
    EXPECT_GE(seen[i].bytes_done, seen[i - 1].bytes_done);
    EXPECT_LE(seen[i].files_done, seen[i].files_found);
  }
}

}  // namespace
}  // namespace graph_builder::graph
