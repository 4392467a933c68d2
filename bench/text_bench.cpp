// Measures `make_summary` + `extract_keywords` over real files.
// Usage: text_bench FILE_LIST  (one path per line; files over 300000 bytes are skipped)
// Prints the throughput per phase (best of three runs per file) and the
// slowest files.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

std::string extension_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return {};
  return graph_builder::text::to_lower(name.substr(dot));
}

struct Timing {
  std::string path;
  double summary_s;
  double keywords_s;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: text_bench FILE_LIST\n");
    return 2;
  }
  std::ifstream list(argv[1]);
  std::vector<Timing> timings;
  std::size_t bytes = 0;
  std::size_t sink = 0;
  std::string raw;
  std::string content;
  for (std::string path; std::getline(list, path);) {
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    raw.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (raw.size() > 300000) continue;
    graph_builder::text::decode_text(raw, content);
    const std::string ext = extension_of(path);
    bytes += content.size();

    // The best of kRuns per file: the machine is shared, and a preempted run
    // would otherwise show up as the slowest file.
    double summary_s = 1e9;
    double keywords_s = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      auto t0 = Clock::now();
      sink += graph_builder::text::make_summary(content, path, ext).size();
      summary_s = std::min(summary_s, seconds_since(t0));
      t0 = Clock::now();
      sink += graph_builder::text::extract_keywords(content, ext).size();
      keywords_s = std::min(keywords_s, seconds_since(t0));
    }
    timings.push_back({path, summary_s, keywords_s});
  }
  double summary_total = 0;
  double keywords_total = 0;
  for (const auto& t : timings) {
    summary_total += t.summary_s;
    keywords_total += t.keywords_s;
  }
  const double mb = static_cast<double>(bytes) / 1e6;
  std::printf("files %zu, %.1f MB (sink %zu)\n", timings.size(), mb, sink);
  std::printf("summary  %.3f s  %.1f MB/s\n", summary_total, mb / summary_total);
  std::printf("keywords %.3f s  %.1f MB/s\n", keywords_total, mb / keywords_total);
  std::printf("both     %.3f s  %.1f MB/s\n", summary_total + keywords_total,
              mb / (summary_total + keywords_total));
  std::sort(timings.begin(), timings.end(), [](const Timing& a, const Timing& b) {
    return a.summary_s + a.keywords_s > b.summary_s + b.keywords_s;
  });
  for (std::size_t i = 0; i < timings.size() && i < 8; ++i) {
    std::printf("slow: %.2f ms (summary %.2f, keywords %.2f) %s\n",
                1e3 * (timings[i].summary_s + timings[i].keywords_s), 1e3 * timings[i].summary_s,
                1e3 * timings[i].keywords_s, timings[i].path.c_str());
  }
  return 0;
}
