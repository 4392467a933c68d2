#pragma once
// How the number of usable cores is worked out, in steps that tests can feed
// with the text of the files involved. Internal: not installed.

#include <optional>
#include <string>
#include <string_view>

namespace graph_builder::platform {

// Where the process's CPU controller lives, from /proc/self/cgroup: the
// unified hierarchy's path (the "0::" line) and the path of the version-1
// hierarchy that holds the "cpu" controller. Either is empty when absent.
struct CgroupPaths {
  std::string unified;
  std::string cpu_v1;
};
CgroupPaths parse_proc_cgroup(std::string_view text);

// The cores a "cpu.max" file allows ("150000 100000" -> 1.5); nothing for
// "max ..." (no limit) or text that is not two positive numbers.
std::optional<double> cpu_max_quota(std::string_view text);

// The cores a version-1 quota allows from cpu.cfs_quota_us and
// cpu.cfs_period_us; nothing for a quota of -1 (no limit) or unreadable text.
std::optional<double> cfs_quota(std::string_view quota_us, std::string_view period_us);

// The cores to use: `affinity` lowered to `quota` rounded up, at least 1.
unsigned cores_within(unsigned affinity, std::optional<double> quota);

}  // namespace graph_builder::platform
