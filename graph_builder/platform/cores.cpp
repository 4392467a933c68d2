#include <sched.h>

#include <cerrno>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

#include "graph_builder/platform/cores_internal.hpp"
#include "graph_builder/platform/cpu.hpp"

namespace graph_builder::platform {
namespace {

// A whole number at the start of `text` after blanks; nothing when there is
// none or it is followed by anything but white space.
std::optional<long long> whole_number(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  long long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end == text.data()) return std::nullopt;
  for (const char* p = end; p != text.data() + text.size(); ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\n') return std::nullopt;
  }
  return v;
}

std::string read_small_file(const std::string& path) {
  std::ifstream in(path);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned affinity_cores() {
  // Sets larger than the default mask (over 1024 processors) need a
  // dynamically sized one.
  for (int n = CPU_SETSIZE; n <= (1 << 16); n *= 2) {
    cpu_set_t* set = CPU_ALLOC(n);
    if (set == nullptr) break;
    const std::size_t bytes = CPU_ALLOC_SIZE(n);
    CPU_ZERO_S(bytes, set);
    if (::sched_getaffinity(0, bytes, set) == 0) {
      const int count = CPU_COUNT_S(bytes, set);
      CPU_FREE(set);
      return count > 0 ? static_cast<unsigned>(count) : 1U;
    }
    CPU_FREE(set);
    if (errno != EINVAL) break;
  }
  return 1U;
}

// The smallest quota set on the cgroup at `dir` below `mount` or on any of
// its ancestors up to the mount point: a parent's limit binds its children.
template <class QuotaAt>
std::optional<double> smallest_quota(const std::string& mount, std::string dir,
                                     QuotaAt&& quota_at) {
  std::optional<double> best;
  while (true) {
    if (const std::optional<double> q = quota_at(mount + dir)) {
      best = best ? std::min(*best, *q) : *q;
    }
    if (dir.empty() || dir == "/") break;
    const std::size_t slash = dir.rfind('/');
    dir.resize(slash == std::string::npos ? 0 : slash);
  }
  return best;
}

std::optional<double> cgroup_quota() {
  const CgroupPaths paths = parse_proc_cgroup(read_small_file("/proc/self/cgroup"));
  std::optional<double> quota;
  auto keep_smaller = [&](std::optional<double> q) {
    if (q) quota = quota ? std::min(*quota, *q) : *q;
  };
  if (!paths.unified.empty()) {
    keep_smaller(smallest_quota("/sys/fs/cgroup", paths.unified, [](const std::string& dir) {
      return cpu_max_quota(read_small_file(dir + "/cpu.max"));
    }));
  }
  if (!paths.cpu_v1.empty()) {
    for (const char* mount : {"/sys/fs/cgroup/cpu", "/sys/fs/cgroup/cpu,cpuacct"}) {
      keep_smaller(smallest_quota(mount, paths.cpu_v1, [](const std::string& dir) {
        return cfs_quota(read_small_file(dir + "/cpu.cfs_quota_us"),
                         read_small_file(dir + "/cpu.cfs_period_us"));
      }));
    }
  }
  return quota;
}

}  // namespace

CgroupPaths parse_proc_cgroup(std::string_view text) {
  CgroupPaths out;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    // "hierarchy-id:controller,controller:path"
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
    if (second == std::string_view::npos) continue;
    const std::string_view id = line.substr(0, first);
    const std::string_view controllers = line.substr(first + 1, second - first - 1);
    const std::string_view path = line.substr(second + 1);
    if (id == "0" && controllers.empty()) {
      out.unified = std::string(path);
      continue;
    }
    for (std::string_view rest = controllers; !rest.empty();) {
      const std::size_t comma = rest.find(',');
      if (rest.substr(0, comma) == "cpu") out.cpu_v1 = std::string(path);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
  }
  return out;
}

std::optional<double> cpu_max_quota(std::string_view text) {
  const std::size_t space = text.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  const std::optional<long long> quota = whole_number(text.substr(0, space));
  const std::optional<long long> period = whole_number(text.substr(space + 1));
  if (!quota || !period || *quota <= 0 || *period <= 0) return std::nullopt;
  return static_cast<double>(*quota) / static_cast<double>(*period);
}

std::optional<double> cfs_quota(std::string_view quota_us, std::string_view period_us) {
  const std::optional<long long> quota = whole_number(quota_us);
  const std::optional<long long> period = whole_number(period_us);
  if (!quota || !period || *quota <= 0 || *period <= 0) return std::nullopt;
  return static_cast<double>(*quota) / static_cast<double>(*period);
}

unsigned cores_within(unsigned affinity, std::optional<double> quota) {
  unsigned cores = std::max(affinity, 1U);
  if (quota) {
    const double allowed = std::ceil(*quota);
    if (allowed < static_cast<double>(cores)) cores = static_cast<unsigned>(std::max(allowed, 1.0));
  }
  return cores;
}

unsigned usable_cores() { return cores_within(affinity_cores(), cgroup_quota()); }

}  // namespace graph_builder::platform
