#include "graph_builder/relations/references.hpp"

#include <array>

namespace graph_builder::relations {
namespace {

constexpr std::array<bool, 256> make_run_table() {
  std::array<bool, 256> t{};
  for (int c = 'A'; c <= 'Z'; ++c) t[static_cast<std::size_t>(c)] = true;
  for (int c = 'a'; c <= 'z'; ++c) t[static_cast<std::size_t>(c)] = true;
  for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = true;
  t['_'] = t['-'] = t['/'] = true;
  return t;
}
// Bytes of a non-ASCII character are never in the set, so byte-wise scanning
// of UTF-8 text is exact.
constexpr std::array<bool, 256> kRunChar = make_run_table();

bool is_run_char(char c) { return kRunChar[static_cast<unsigned char>(c)]; }

// Longest first, so the first one found is the longest that fits ("tsx"
// before "ts", "json" before "js", "cpp" before "c").
constexpr std::array<std::string_view, 23> kExtensions{
    "swift", "scala", "java", "json", "yaml", "tsx", "jsx", "kts", "cpp", "hpp", "php", "yml",
    "go",    "py",    "ts",   "js",   "rs",   "cs",  "rb",  "kt",  "md",  "c",   "h"};

// Length of the longest listed extension that `rest` starts with, or 0.
std::size_t extension_length(std::string_view rest) {
  for (std::string_view ext : kExtensions) {
    if (rest.starts_with(ext)) return ext.size();
  }
  return 0;
}

}  // namespace

std::vector<FileMention> find_file_mentions(std::string_view text) {
  std::vector<FileMention> out;
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    if (!is_run_char(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < n && is_run_char(text[i])) ++i;
    // The run holds no dot, so from any start inside it the only dot that can
    // follow is the one at its end: either the earliest start succeeds or no
    // start in this run does.
    if (i < n && text[i] == '.') {
      std::size_t ext_len = extension_length(text.substr(i + 1));
      if (ext_len != 0) {
        const std::size_t end = i + 1 + ext_len;
        out.push_back({start, text.substr(start, end - start)});
        // Resume right after the extension, even inside a word ("y.pyc").
        i = end;
      }
    }
  }
  return out;
}

void append_reference_edges(const std::string& file_id, std::string_view text,
                            std::vector<graph::Edge>& out) {
  for (const FileMention& m : find_file_mentions(text)) {
    if (m.text.find('/') == std::string_view::npos) continue;
    out.push_back({file_id, std::string(m.text), "references"});
  }
}

}  // namespace graph_builder::relations
