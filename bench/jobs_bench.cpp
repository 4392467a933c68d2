// The serial share of a run and what it predicts for more cores. In one
// process, on one tree (warm cache), best of REPEAT interleaved rounds, for
// each job count:
//   scan    wall time, the calling thread's CPU time (the walk, putting
//           finished batches into the graph in walk order, reports) and the
//           whole process's CPU time;
//   write   writing both documents (flushed to the disk): wall time and the
//           calling thread's CPU time (handing the bytes to the kernel);
// and, once per round, the walk alone and reading the graph document back
// (what a re-run does before its scan).
// The serial part is what stays on one thread whatever the job count: the
// calling thread's CPU time in the scan and in the writing with several jobs,
// and the wait for the disk (the writing's wall time less its CPU time with
// one job). Its share s of the one-job run (scan + write) gives Amdahl's
// prediction for more cores: speed-up 1 / (s + (1 - s) / n). On a busy
// machine wall times include waits for a processor: compare runs taken
// under the same load only.
//
// Build: the `jobs_bench` target (-DGB_BUILD_BENCH=ON, see bench/README.md).
// Run:   REPEAT=5 build-bench/bench/jobs_bench bench/corpus-data 1 2
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/documents/documents.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/graph/scan.hpp"

namespace {

namespace gb = graph_builder;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

double cpu_seconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Wall time, the calling thread's CPU time and the process's CPU time of
// one step, best (lowest) of the rounds, each kept on its own.
struct Times {
  double wall = 1e9;
  double calling_cpu = 1e9;
  double process_cpu = 1e9;
};

template <class Step>
void timed(Times& t, Step&& step) {
  const double calling0 = cpu_seconds(CLOCK_THREAD_CPUTIME_ID);
  const double process0 = cpu_seconds(CLOCK_PROCESS_CPUTIME_ID);
  const auto t0 = Clock::now();
  step();
  t.wall = std::min(t.wall, seconds_since(t0));
  t.calling_cpu = std::min(t.calling_cpu, cpu_seconds(CLOCK_THREAD_CPUTIME_ID) - calling0);
  t.process_cpu = std::min(t.process_cpu, cpu_seconds(CLOCK_PROCESS_CPUTIME_ID) - process0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: jobs_bench DIR [JOBS...]\n");
    return 2;
  }
  const std::string root = gb::discovery::resolve_path(argv[1]);
  std::vector<unsigned> jobs;
  for (int a = 2; a < argc; ++a) jobs.push_back(static_cast<unsigned>(std::atoi(argv[a])));
  if (jobs.empty()) jobs = {1, 2};
  std::sort(jobs.begin(), jobs.end());
  const char* repeat_env = std::getenv("REPEAT");
  const int repeat = repeat_env != nullptr ? std::max(1, std::atoi(repeat_env)) : 3;
  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("jobs_bench_" + std::to_string(::getpid()));
  const std::string out_path = (out / "g.json").string();

  Times walk;
  Times previous;
  std::map<unsigned, Times> scans;
  std::map<unsigned, Times> writes;
  std::size_t files = 0;
  for (int round = 0; round < repeat; ++round) {
    timed(walk, [&] { files = gb::discovery::walk_files_resolved(root).size(); });
    for (unsigned j : jobs) {
      gb::graph::ScanOptions options;
      options.jobs = j;
      gb::graph::Graph g;
      timed(scans[j], [&] { g = gb::graph::scan(root, nullptr, options); });
      timed(writes[j], [&] { (void)gb::documents::write_documents(g, out_path, j); });
    }
    timed(previous, [&] { (void)gb::documents::load_previous_graph(out_path); });
  }
  std::error_code ec;
  std::filesystem::remove_all(out, ec);

  char load[128] = "?";
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fgets(load, sizeof load, f) == nullptr) load[0] = '\0';
    std::fclose(f);
  }
  std::printf("tree %s: %zu files; best of %d rounds; /proc/loadavg after: %s", root.c_str(), files,
              repeat, load);
  std::printf("walk alone           %7.3f s\n", walk.wall);
  std::printf("read previous graph  %7.3f s\n", previous.wall);
  std::printf("%-5s %8s %12s %12s %8s %12s %8s %8s\n", "jobs", "scan_s", "scan_calling", "scan_cpu",
              "write_s", "write_calling", "total_s", "speedup");
  const unsigned first = jobs.front();
  const double total_first = scans[first].wall + writes[first].wall;
  for (unsigned j : jobs) {
    const double total = scans[j].wall + writes[j].wall;
    std::printf("%-5u %8.3f %12.3f %12.3f %8.3f %12.3f %8.3f %8.2f\n", j, scans[j].wall,
                scans[j].calling_cpu, scans[j].process_cpu, writes[j].wall, writes[j].calling_cpu,
                total, total_first / total);
  }
  if (first != 1 || jobs.size() < 2) return 0;

  // The serial part, from the runs with several jobs.
  double scan_calling = 1e9;
  double write_calling = 1e9;
  for (unsigned j : jobs) {
    if (j == 1) continue;
    scan_calling = std::min(scan_calling, scans[j].calling_cpu);
    write_calling = std::min(write_calling, writes[j].calling_cpu);
  }
  const double disk_wait = std::max(0.0, writes[1].wall - writes[1].calling_cpu);
  const double serial = scan_calling + write_calling + disk_wait;
  const double share = serial / total_first;
  std::printf("\none job: scan + write = %.3f s\n", total_first);
  std::printf(
      "serial: scan's calling thread %.3f s + writing's calling thread %.3f s + waiting for\n"
      "        the disk %.3f s = %.3f s; share s = %.3f\n",
      scan_calling, write_calling, disk_wait, serial, share);
  std::printf(
      "(the walk, %.3f s alone, is part of the scan's calling thread and overlaps the\n"
      " workers; a re-run first reads the previous graph, %.3f s, on one thread)\n",
      walk.wall, previous.wall);
  std::printf("%-6s %10s %12s\n", "cores", "amdahl_x", "predicted_s");
  for (int n : {2, 8, 16, 64}) {
    const double speedup = 1.0 / (share + (1.0 - share) / n);
    std::printf("%-6d %10.2f %12.3f\n", n, speedup, total_first / speedup);
  }
  return 0;
}
