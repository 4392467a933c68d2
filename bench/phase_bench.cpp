// Cost of each per-file phase, per megabyte, on real files: read, decode and
// hash; summary; keywords; relations; symbols. Shows each phase's share of the
// whole per-file work, grouped by extension.
//
// Build: the `phase_bench` target (-DGB_BUILD_BENCH=ON, see bench/README.md).
// Run on the files a scan would read (a directory is walked like the scan does):
//   build-bench/bench/phase_bench /usr/lib/python3.11 bench/corpus-data/ts
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/platform/read_file.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kPhases[] = {"read+decode+hash", "summary", "keywords", "relations",
                                   "symbols"};

struct Totals {
  std::size_t files = 0;
  std::size_t bytes = 0;
  double seconds[5] = {0, 0, 0, 0, 0};
};

template <class Fn>
void timed(double& slot, Fn&& fn) {
  auto t0 = Clock::now();
  fn();
  slot += std::chrono::duration<double>(Clock::now() - t0).count();
}

void print(const std::string& label, const Totals& t) {
  double total = 0;
  for (double s : t.seconds) total += s;
  const double mb = static_cast<double>(t.bytes) / 1048576.0;
  std::printf("%-8s %6zu files %7.1f MB  total %6.2f s  %6.1f MB/s\n", label.c_str(), t.files, mb,
              total, total > 0 ? mb / total : 0.0);
  for (int i = 0; i < 5; ++i) {
    std::printf("    %-17s %7.3f s  %8.1f MB/s  %5.1f%%\n", kPhases[i], t.seconds[i],
                t.seconds[i] > 0 ? mb / t.seconds[i] : 0.0,
                total > 0 ? 100.0 * t.seconds[i] / total : 0.0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  namespace gb = graph_builder;
  std::map<std::string, Totals> by_ext;
  Totals all;
  std::string bytes;
  std::string text;
  for (int a = 1; a < argc; ++a) {
    const std::string root = gb::discovery::resolve_path(argv[a]);
    for (const std::string& path : gb::discovery::walk_files(root)) {
      const std::string ext =
          gb::text::to_lower(gb::languages::extension_of(gb::languages::base_name(path)));
      const std::string id = gb::discovery::relative_id(gb::discovery::resolve_path(path), root);
      double s[5] = {0, 0, 0, 0, 0};
      bool ok = true;
      timed(s[0], [&] {
        ok = gb::platform::read_file(path.c_str(), bytes, gb::graph::MAX_FILE_BYTES) ==
             gb::platform::ReadStatus::ok;
        if (!ok) return;
        gb::text::decode_text(bytes, text);
        (void)gb::text::short_hash(text);
      });
      if (!ok) continue;
      timed(s[1], [&] { (void)gb::text::make_summary(text, id, ext); });
      timed(s[2], [&] { (void)gb::text::extract_keywords(text, ext); });
      timed(s[3], [&] {
        const std::string_view raw_ext =
            gb::languages::extension_of(gb::languages::base_name(path));
        (void)gb::relations::find_relations(text, gb::languages::profile(raw_ext));
      });
      timed(s[4], [&] { (void)gb::symbols::extract_symbols_for_file(text, id, ext); });
      for (Totals* t : {&by_ext[ext], &all}) {
        ++t->files;
        t->bytes += bytes.size();
        for (int i = 0; i < 5; ++i) t->seconds[i] += s[i];
      }
    }
  }
  for (const auto& [ext, t] : by_ext) {
    if (t.bytes >= 100000) print(ext.empty() ? "(none)" : ext, t);
  }
  print("all", all);
  return 0;
}
