#pragma once
// The language table: the one place that says what each file extension gets.
// A row maps an extension to its profile, which names, for every pass, the
// code that applies: the symbol extractor and its block-end rule, the
// declaration scans of keywords and summaries, the lead comment a summary
// reads, and the import statements relations look for. The passes resolve a
// file's profile once and switch on its fields; none of them tests an
// extension itself. Owns no code of the passes and includes nothing of ours.
//
// Adding a language: add a row to kLanguages (languages.cpp); where it needs
// a scan that no language has yet, add an enumerator here and its scan in the
// pass (the compiler then lists every switch that must handle it).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace graph_builder::languages {

// Which symbol extractor reads the file (symbols/lang_<family>.cpp).
enum class SymbolExtractor : std::uint8_t { none, ts, py, rs, java, cs, rb, php, c_cpp };

// How the extractor finds the last line of a symbol's body.
enum class BlockRule : std::uint8_t {
  none,
  braces,       // the line where the first "{" opened from the declaration closes
  indentation,  // the last line indented deeper than the declaration
  window,       // a fixed number of lines after the declaration (Profile::window)
};

// The declaration scan whose names become file keywords (text/decl_*.cpp).
enum class KeywordScan : std::uint8_t {
  none,
  ts,
  py,
  go,
  swift,
  rs,
  cs,
  xaml,
  rb,
  php,
  c,
  java,
  kotlin
};

// The declaration scan whose names a file summary lists.
enum class SummaryScan : std::uint8_t { none, ts, py, rs, java, cs, xaml, rb, php, c };

// The documentation comment a summary takes its lead sentence from, when the
// file opens with one (otherwise the first long line).
enum class SummaryLead : std::uint8_t { first_line, docstring, block_comment };

// The language's own import statements, looked for beside the statements
// every file is searched for (relations/imports.cpp).
enum class ImportRows : std::uint8_t { none, swift, rust, java, csharp, xaml, ruby, php, c };

// What every pass does with one extension.
struct Profile {
  std::string_view ext;   // lower case, with its dot; empty for kNotScanned
  std::string_view name;  // human-readable language name
  SymbolExtractor symbols = SymbolExtractor::none;
  BlockRule block = BlockRule::none;
  std::int64_t window = 0;  // lines after the declaration, for BlockRule::window
  KeywordScan keywords = KeywordScan::none;
  SummaryScan summary = SummaryScan::none;
  SummaryLead lead = SummaryLead::first_line;
  ImportRows imports = ImportRows::none;

  // True for the extensions whose files are scanned at all.
  constexpr bool scanned() const { return !ext.empty(); }
  constexpr bool has_symbols() const { return symbols != SymbolExtractor::none; }
};

// The profile of an extension that no row names: not scanned, nothing applies.
inline constexpr Profile kNotScanned{};

// The profile of `ext`, compared exactly and case-sensitively (pass the
// lower-cased extension for the scan's passes, or the extension with its case
// kept where a rule says so); kNotScanned for any other text. The returned
// profile lives for the whole program.
const Profile& profile(std::string_view ext);

// Every row, in table order.
std::span<const Profile> all_profiles();

// The extensions whose files are scanned, and those that get symbols, in table
// order (each with its dot, lower case).
std::span<const std::string_view> scanned_extensions();
std::span<const std::string_view> symbol_extensions();

// The extension of a file name: from its last "." to the end, dot included,
// when that dot is neither the first nor the last character; otherwise empty.
// Case kept.
constexpr std::string_view extension_of(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return {};
  return name.substr(dot);
}

// The last component of a "/"-separated path.
constexpr std::string_view base_name(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace graph_builder::languages
