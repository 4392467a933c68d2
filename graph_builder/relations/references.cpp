#include "graph_builder/relations/references.hpp"

#include <array>
#include <cstdint>

#include "graph_builder/regex/find.hpp"

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

// For each byte, the extensions that begin with it (bit i: kExtensions[i]).
constexpr std::array<std::uint32_t, 256> kByFirstByte = [] {
  std::array<std::uint32_t, 256> t{};
  for (std::size_t i = 0; i < kExtensions.size(); ++i) {
    t[static_cast<unsigned char>(kExtensions[i].front())] |= std::uint32_t{1} << i;
  }
  return t;
}();

// Length of the longest listed extension that `rest` starts with, or 0. Most
// dots in code start no extension, so the first byte decides most cases;
// the others are tried longest first, as listed.
std::size_t extension_length(std::string_view rest) {
  if (rest.empty()) return 0;
  for (std::uint32_t m = kByFirstByte[static_cast<unsigned char>(rest.front())]; m != 0;
       m &= m - 1) {
    const std::string_view ext = kExtensions[static_cast<std::size_t>(__builtin_ctz(m))];
    if (rest.starts_with(ext)) return ext.size();
  }
  return 0;
}

// Calls `fn(const FileMention&)` for each mention, left to right.
//
// Every mention ends in ".ext", so the scan goes from dot to dot (memchr)
// instead of byte by byte. Runs hold no dot, so the run before a dot starts
// after the previous dot at the earliest, and the mention there starts at the
// first run character after both that dot and the resume point of the last
// mention (a search resumes right after an extension, even inside a word:
// "y.pyc"). Each byte is read backwards at most once.
template <class Fn>
void for_each_mention(std::string_view text, Fn&& fn) {
  std::size_t resume = 0;
  regex::for_each_byte(text, '.', [&](std::size_t dot) {
    if (dot > resume && is_run_char(text[dot - 1])) {
      const std::size_t ext_len = extension_length(text.substr(dot + 1));
      if (ext_len != 0) {
        std::size_t start = dot - 1;
        while (start > resume && is_run_char(text[start - 1])) --start;
        const std::size_t end = dot + 1 + ext_len;
        fn(FileMention{start, text.substr(start, end - start)});
        resume = end;
      }
    }
  });
}

}  // namespace

std::vector<FileMention> find_file_mentions(std::string_view text) {
  std::vector<FileMention> out;
  for_each_mention(text, [&](const FileMention& m) { out.push_back(m); });
  return out;
}

void append_reference_relations(std::string_view text, std::vector<Relation>& out) {
  for_each_mention(text, [&](const FileMention& m) {
    if (m.text.find('/') != std::string_view::npos) {
      out.push_back({std::string(m.text), RelationKind::reference});
    }
  });
}

}  // namespace graph_builder::relations
