// The C++ side of bench/python_bench.py: the library's work timed in C++, for
// comparison with the same calls made from Python.
//
//   library_bench scan ROOT    one graph::scan of ROOT (no documents written)
//   library_bench texts ROOT   each single-text function called once per file
//                              the scan would read, over all the files
//
// Prints "<name> <user CPU seconds> <wall seconds>" lines. The files of
// `texts` are read and decoded first, outside the timing; then each function
// runs over all of them in turn:
//   _extract_symbols_for_file(content, file id, ext), extract_keywords(content,
//   ext), _make_summary(content, file id, ext), parse_relations(path, content,
//   root), _split_camel(stem), _name_keywords(stem) (stem: the file name
//   without its extension), _body_hash(lines, 0, last line) (lines: the text
//   split at every LF).
//
// Build: the `library_bench` target (-DGB_BUILD_BENCH=ON, see bench/README.md).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/platform/read_file.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"

namespace {

namespace gb = graph_builder;

double user_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_utime.tv_usec) * 1e-6;
}

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs `fn`, then prints its name and user and wall seconds.
template <class Fn>
void timed(const char* name, Fn&& fn) {
  const double u0 = user_seconds();
  const double w0 = wall_seconds();
  fn();
  std::printf("%s %.4f %.4f\n", name, user_seconds() - u0, wall_seconds() - w0);
  std::fflush(stdout);
}

struct File {
  std::string path;
  std::string id;
  std::string ext;
  std::string stem;
  std::string content;
  std::vector<std::string_view> lines;  // views into `content`
};

std::vector<File> load(const std::string& root) {
  std::vector<File> files;
  std::string bytes;
  for (const std::string& path : gb::discovery::walk_files(root)) {
    if (gb::platform::read_file(path.c_str(), bytes, gb::graph::MAX_FILE_BYTES) !=
        gb::platform::ReadStatus::ok) {
      continue;
    }
    File f;
    f.path = path;
    f.id = gb::discovery::rel(path, root);
    const std::string_view name = gb::languages::base_name(path);
    const std::string_view ext = gb::languages::extension_of(name);
    f.ext = gb::text::to_lower(ext);
    f.stem = std::string(name.substr(0, name.size() - ext.size()));
    gb::text::decode_text(bytes, f.content);
    files.push_back(std::move(f));
  }
  for (File& f : files) {
    std::string_view text = f.content;
    for (std::size_t start = 0;;) {
      const std::size_t lf = text.find('\n', start);
      f.lines.push_back(text.substr(start, lf == std::string_view::npos ? lf : lf - start));
      if (lf == std::string_view::npos) break;
      start = lf + 1;
    }
  }
  return files;
}

// Keeps the optimiser from dropping a result.
std::size_t sink = 0;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "scan") != 0 && std::strcmp(argv[1], "texts") != 0)) {
    std::fprintf(stderr, "usage: library_bench scan|texts ROOT\n");
    return 2;
  }
  const std::string root = gb::discovery::resolve_path(argv[2]);
  if (std::strcmp(argv[1], "scan") == 0) {
    timed("scan", [&] { sink += gb::graph::scan(root).node_count(); });
    return sink == 0 ? 1 : 0;
  }
  const std::vector<File> files = load(root);
  std::printf("files %zu\n", files.size());
  timed("_extract_symbols_for_file", [&] {
    for (const File& f : files) {
      sink += gb::symbols::extract_symbols_for_file(f.content, f.id, f.ext).size();
    }
  });
  timed("extract_keywords", [&] {
    for (const File& f : files) sink += gb::text::extract_keywords(f.content, f.ext).size();
  });
  timed("_make_summary", [&] {
    for (const File& f : files) sink += gb::text::make_summary(f.content, f.id, f.ext).size();
  });
  timed("parse_relations", [&] {
    for (const File& f : files) sink += gb::graph::parse_relations(f.path, f.content, root).size();
  });
  timed("_split_camel", [&] {
    for (const File& f : files) sink += gb::text::split_camel(f.stem).size();
  });
  timed("_name_keywords", [&] {
    for (const File& f : files) sink += gb::text::name_keywords(f.stem).size();
  });
  timed("_body_hash", [&] {
    for (const File& f : files) {
      sink +=
          gb::symbols::body_hash(f.lines, 0, static_cast<std::int64_t>(f.lines.size()) - 1).size();
    }
  });
  return sink == 0 ? 1 : 0;
}
