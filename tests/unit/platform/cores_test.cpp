#include <gtest/gtest.h>
#include <sched.h>

#include <optional>
#include <string>
#include <vector>

#include "graph_builder/platform/cores_internal.hpp"
#include "graph_builder/platform/cpu.hpp"

namespace graph_builder::platform {
namespace {

TEST(Cores, CgroupPathsOfBothHierarchies) {
  struct Case {
    const char* text;
    std::string unified;
    std::string cpu_v1;
  };
  const std::vector<Case> cases{
      {"0::/user.slice/app.scope\n", "/user.slice/app.scope", ""},
      {"12:cpu,cpuacct:/docker/abc\n11:memory:/docker/abc\n0::/\n", "/", "/docker/abc"},
      {"3:cpuacct,cpu:/k8s/pod\n", "", "/k8s/pod"},
      {"2:cpuset:/a\n1:cpuacct:/b\n", "", ""},  // "cpuset" and "cpuacct" are not "cpu"
      {"1:name=systemd:/\n4:cpu:/x:y\n", "", "/x:y"},
      {"garbage\n\n0:/no-second-colon", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const CgroupPaths p = parse_proc_cgroup(c.text);
    EXPECT_EQ(p.unified, c.unified) << c.text;
    EXPECT_EQ(p.cpu_v1, c.cpu_v1) << c.text;
  }
}

TEST(Cores, QuotaFilesOfBothHierarchies) {
  struct Case {
    const char* text;
    std::optional<double> cores;
  };
  const std::vector<Case> cpu_max{
      {"max 100000\n", std::nullopt}, {"150000 100000\n", 1.5},
      {"200000 100000", 2.0},         {"50000 100000\n", 0.5},
      {"0 100000\n", std::nullopt},   {"abc 100000\n", std::nullopt},
      {"100000\n", std::nullopt},     {"", std::nullopt},
      {"100000 0\n", std::nullopt},   {"100000 100000 x\n", std::nullopt},
  };
  for (const Case& c : cpu_max) EXPECT_EQ(cpu_max_quota(c.text), c.cores) << c.text;
  EXPECT_EQ(cfs_quota("-1\n", "100000\n"), std::nullopt);
  EXPECT_EQ(cfs_quota("300000\n", "100000\n"), 3.0);
  EXPECT_EQ(cfs_quota("25000", "100000"), 0.25);
  EXPECT_EQ(cfs_quota("", "100000\n"), std::nullopt);
  EXPECT_EQ(cfs_quota("100000\n", ""), std::nullopt);
}

TEST(Cores, AffinityLoweredToTheQuotaRoundedUp) {
  struct Case {
    unsigned affinity;
    std::optional<double> quota;
    unsigned cores;
  };
  const std::vector<Case> cases{
      {8, std::nullopt, 8}, {8, 2.0, 2},          {8, 1.5, 2}, {8, 0.25, 1},
      {2, 16.0, 2},         {0, std::nullopt, 1}, {4, 4.0, 4}, {4, 3.01, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cores_within(c.affinity, c.quota), c.cores)
        << c.affinity << " " << c.quota.value_or(-1);
  }
}

// The count follows the calling thread's affinity: pinned to one processor,
// one core.
TEST(Cores, FollowsTheAffinity) {
  cpu_set_t all;
  ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
  const unsigned allowed = static_cast<unsigned>(CPU_COUNT(&all));
  const unsigned cores = usable_cores();
  EXPECT_GE(cores, 1U);
  EXPECT_LE(cores, allowed);
  int first = 0;
  while (!CPU_ISSET(first, &all)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  EXPECT_EQ(usable_cores(), 1U);
  ASSERT_EQ(::sched_setaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(usable_cores(), cores);
}

}  // namespace
}  // namespace graph_builder::platform
