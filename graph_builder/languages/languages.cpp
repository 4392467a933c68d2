#include "graph_builder/languages/languages.hpp"

#include <algorithm>
#include <array>

namespace graph_builder::languages {
namespace {

using B = BlockRule;
using I = ImportRows;
using K = KeywordScan;
using L = SummaryLead;
using S = SummaryScan;
using X = SymbolExtractor;

// The language table. Row order is the order of scanned_extensions().
// Quirks worth knowing, all kept on purpose: ".kts" and ".scala" get the Java
// symbols and imports but no keyword or summary declarations; ".kt" runs the
// Java keyword scans and then its own; ".go" and ".swift" get keywords but no
// symbols; the data and document formats get a file node only.
constexpr Profile kLanguages[] = {
    // clang-format off
 //ext       name          symbols   block           window keywords   summary  lead              imports
  {".go",    "Go",         X::none,  B::none,        0,  K::go,     S::none, L::first_line,    I::none},
  {".py",    "Python",     X::py,    B::indentation, 0,  K::py,     S::py,   L::docstring,     I::none},
  {".js",    "JavaScript", X::ts,    B::braces,      0,  K::ts,     S::ts,   L::block_comment, I::none},
  {".jsx",   "JavaScript", X::ts,    B::braces,      0,  K::ts,     S::ts,   L::block_comment, I::none},
  {".ts",    "TypeScript", X::ts,    B::braces,      0,  K::ts,     S::ts,   L::block_comment, I::none},
  {".tsx",   "TypeScript", X::ts,    B::braces,      0,  K::ts,     S::ts,   L::block_comment, I::none},
  {".swift", "Swift",      X::none,  B::none,        0,  K::swift,  S::none, L::first_line,    I::swift},
  {".rs",    "Rust",       X::rs,    B::window,      50, K::rs,     S::rs,   L::first_line,    I::rust},
  {".java",  "Java",       X::java,  B::window,      60, K::java,   S::java, L::first_line,    I::java},
  {".cs",    "C#",         X::cs,    B::window,      60, K::cs,     S::cs,   L::first_line,    I::csharp},
  {".rb",    "Ruby",       X::rb,    B::window,      40, K::rb,     S::rb,   L::first_line,    I::ruby},
  {".php",   "PHP",        X::php,   B::braces,      0,  K::php,    S::php,  L::first_line,    I::php},
  {".kt",    "Kotlin",     X::java,  B::window,      60, K::kotlin, S::java, L::first_line,    I::java},
  {".kts",   "Kotlin",     X::java,  B::window,      60, K::none,   S::none, L::first_line,    I::java},
  {".scala", "Scala",      X::java,  B::window,      60, K::none,   S::none, L::first_line,    I::java},
  {".c",     "C",          X::c_cpp, B::window,      50, K::c,      S::c,    L::first_line,    I::c},
  {".cpp",   "C++",        X::c_cpp, B::window,      50, K::c,      S::c,    L::first_line,    I::c},
  {".h",     "C",          X::c_cpp, B::window,      50, K::c,      S::c,    L::first_line,    I::c},
  {".hpp",   "C++",        X::c_cpp, B::window,      50, K::c,      S::c,    L::first_line,    I::c},
  {".json",  "JSON",       X::none,  B::none,        0,  K::none,   S::none, L::first_line,    I::none},
  {".yaml",  "YAML",       X::none,  B::none,        0,  K::none,   S::none, L::first_line,    I::none},
  {".yml",   "YAML",       X::none,  B::none,        0,  K::none,   S::none, L::first_line,    I::none},
  {".md",    "Markdown",   X::none,  B::none,        0,  K::none,   S::none, L::first_line,    I::none},
  {".xaml",  "XAML",       X::none,  B::none,        0,  K::xaml,   S::xaml, L::first_line,    I::xaml},
    // clang-format on
};

constexpr bool consistent() {
  for (const Profile& p : kLanguages) {
    // A key is a lower-case extension as extension_of() would cut it: one
    // dot, in front.
    if (p.ext.size() < 2 || p.ext[0] != '.' || p.ext.rfind('.') != 0) return false;
    for (char c : p.ext) {
      if (c >= 'A' && c <= 'Z') return false;
    }
    // An extractor always comes with the rule that ends its symbols.
    if (p.has_symbols() != (p.block != BlockRule::none)) return false;
    if ((p.block == BlockRule::window) != (p.window > 0)) return false;
  }
  for (std::size_t i = 0; i < std::size(kLanguages); ++i) {
    for (std::size_t j = i + 1; j < std::size(kLanguages); ++j) {
      if (kLanguages[i].ext == kLanguages[j].ext) return false;
    }
  }
  return true;
}
static_assert(consistent(),
              "every row: a distinct lower-case extension, extractor and block rule together");

constexpr std::size_t count_with_symbols() {
  std::size_t n = 0;
  for (const Profile& p : kLanguages) n += p.has_symbols() ? 1 : 0;
  return n;
}

constexpr auto kScanned = [] {
  std::array<std::string_view, std::size(kLanguages)> out{};
  for (std::size_t i = 0; i < std::size(kLanguages); ++i) out[i] = kLanguages[i].ext;
  return out;
}();

constexpr auto kWithSymbols = [] {
  std::array<std::string_view, count_with_symbols()> out{};
  std::size_t n = 0;
  for (const Profile& p : kLanguages) {
    if (p.has_symbols()) out[n++] = p.ext;
  }
  return out;
}();

}  // namespace

const Profile& profile(std::string_view ext) {
  // Called once per file: a scan of 24 short keys costs less than hashing.
  for (const Profile& p : kLanguages) {
    if (p.ext == ext) return p;
  }
  return kNotScanned;
}

std::span<const Profile> all_profiles() { return kLanguages; }
std::span<const std::string_view> scanned_extensions() { return kScanned; }
std::span<const std::string_view> symbol_extensions() { return kWithSymbols; }

}  // namespace graph_builder::languages
