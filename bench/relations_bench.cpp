// Cost of relation extraction per megabyte of decoded text.
//
//   relations_bench FILE...      (or a list of paths on stdin when none given)
//
// Files over 300000 bytes are skipped, as the scan does. Reports MB/s for the
// whole of find_relations, for the file-mention scanner alone, and for
// the single-pattern form of the same rule, on the given files and on two
// synthetic 300000-byte worst cases.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/relations/references.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/text/unicode.hpp"

namespace gb = graph_builder;

namespace {

struct Input {
  std::string name;
  std::string text;
};

template <class Fn>
double mb_per_s(const std::vector<Input>& inputs, int reps, Fn&& fn) {
  std::size_t bytes = 0;
  std::size_t sink = 0;
  auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < reps; ++r) {
    for (const Input& in : inputs) {
      sink += fn(in);
      bytes += in.text.size();
    }
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (sink == static_cast<std::size_t>(-1)) std::puts("");  // keeps the work observable
  return static_cast<double>(bytes) / 1e6 / secs;
}

void report(const char* label, const std::vector<Input>& inputs, int reps) {
  static const gb::regex::Regex kPattern(gb::relations::kFileMentionPattern);
  std::size_t total = 0;
  for (const Input& in : inputs) total += in.text.size();
  std::printf("%s: %zu files, %.2f MB\n", label, inputs.size(), static_cast<double>(total) / 1e6);
  std::printf("  find_relations          %8.1f MB/s\n", mb_per_s(inputs, reps, [](const Input& in) {
                const gb::languages::Profile& profile =
                    gb::languages::profile(gb::languages::extension_of(in.name));
                return gb::relations::find_relations(in.text, profile).size();
              }));
  std::printf("  file-mention scanner    %8.1f MB/s\n", mb_per_s(inputs, reps, [](const Input& in) {
                return gb::relations::find_file_mentions(in.text).size();
              }));
  std::printf("  file-mention pattern    %8.1f MB/s\n", mb_per_s(inputs, reps, [](const Input& in) {
                return kPattern.for_each(in.text, [](const gb::regex::Match&) { return true; });
              }));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) paths.emplace_back(argv[i]);
  if (paths.empty()) {
    for (std::string line; std::getline(std::cin, line);) paths.push_back(line);
  }
  std::vector<Input> inputs;
  for (const std::string& p : paths) {
    std::ifstream f(p, std::ios::binary);
    if (!f) continue;
    std::ostringstream ss;
    ss << f.rdbuf();
    std::string bytes = ss.str();
    if (bytes.size() > 300000) continue;
    Input in{std::string(gb::languages::base_name(p)), {}};
    gb::text::decode_text(bytes, in.text);
    inputs.push_back(std::move(in));
  }
  if (!inputs.empty()) report("files", inputs, 3);

  // One 300000-byte run ending in a dot that starts no extension: a pattern
  // retries the whole run from every start inside it.
  report("synthetic: one long run, then \".txt\"", {{"a.md", std::string(299996, 'a') + ".txt"}},
         1);
  // Many 1000-byte runs, each ending in a dot that starts no extension.
  std::string runs;
  while (runs.size() < 300000) runs += std::string(999, 'a') + ".";
  report("synthetic: 1000-byte runs between dots", {{"a.md", runs}}, 1);
  // A long line of import-like text without a "from".
  std::string imports;
  while (imports.size() < 300000) imports += "import a b c ";
  report("synthetic: one long import line", {{"a.ts", imports}}, 1);
  return 0;
}
