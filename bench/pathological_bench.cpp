// Worst-case time per file: every hostile input of tests/support/pathological.hpp
// through the whole per-file analysis (decode, hash, summary, keywords,
// relations, symbols) under every extension the program knows.
//
// Build and run: the `pathological_bench` target (-DGB_BUILD_BENCH=ON, see
// bench/README.md), e.g. build-bench/bench/pathological_bench
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/pathological.hpp"

namespace {

// Runs `fn` and adds its wall time to `slot`.
template <class Fn>
void timed(double& slot, Fn&& fn) {
  auto t0 = std::chrono::steady_clock::now();
  fn();
  slot += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Optional filter: only inputs whose name contains argv[1].
  const std::string only = argc > 1 ? argv[1] : "";
  double worst = 0;
  std::string worst_name;
  auto inputs = graph_builder::testing::pathological_inputs();
  // "soupN" as the filter runs N random token soups instead.
  if (only.rfind("soup", 0) == 0) {
    inputs.clear();
    const unsigned n = static_cast<unsigned>(std::stoul(only.substr(4)));
    for (unsigned seed = 1; seed <= n; ++seed) {
      inputs.emplace_back("soup" + std::to_string(seed), graph_builder::testing::token_soup(seed));
    }
  }
  for (const auto& input : inputs) {
    // Named references: a lambda cannot capture a structured binding in clang 14.
    const std::string& name = input.first;
    const std::string& bytes = input.second;
    if (!only.empty() && only.rfind("soup", 0) != 0 && name.find(only) == std::string::npos)
      continue;
    std::string text;
    double input_worst = 0;
    std::string input_worst_ext;
    for (std::string_view ext : graph_builder::languages::scanned_extensions()) {
      std::string id = "f";
      id += ext;
      double phase[5] = {0, 0, 0, 0, 0};
      timed(phase[0], [&] {
        graph_builder::text::decode_text(bytes, text);
        (void)graph_builder::text::short_hash(text);
      });
      timed(phase[1], [&] { (void)graph_builder::text::make_summary(text, id, ext); });
      timed(phase[2], [&] { (void)graph_builder::text::extract_keywords(text, ext); });
      timed(phase[3], [&] {
        (void)graph_builder::relations::find_relations(text,
                                                       graph_builder::languages::profile(ext));
      });
      timed(phase[4],
            [&] { (void)graph_builder::symbols::extract_symbols_for_file(text, id, ext); });
      const double s = phase[0] + phase[1] + phase[2] + phase[3] + phase[4];
      if (s > 0.25) {
        std::printf(
            "  slow: %s %s %.3f s (decode %.3f summary %.3f keywords %.3f relations %.3f symbols "
            "%.3f)\n",
            name.c_str(), std::string(ext).c_str(), s, phase[0], phase[1], phase[2], phase[3],
            phase[4]);
      }
      if (s > input_worst) {
        input_worst = s;
        input_worst_ext = std::string(ext);
      }
    }
    std::printf("%-24s worst %.3f s (%s)\n", name.c_str(), input_worst, input_worst_ext.c_str());
    if (input_worst > worst) {
      worst = input_worst;
      worst_name = name + " " + input_worst_ext;
    }
  }
  std::printf("worst file overall: %.3f s (%s)\n", worst, worst_name.c_str());
  return 0;
}
