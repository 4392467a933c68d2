// Per-file analysis of one text under every extension the program knows:
// summary, keywords, relations and symbols must never crash, hang or produce
// out-of-range line positions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "graph_builder/check.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"

namespace {
constexpr std::string_view kExts[] = {".go",    ".py",   ".js",   ".jsx", ".ts",  ".tsx",  ".swift",
                                      ".rs",    ".java", ".cs",   ".rb",  ".php", ".kt",   ".kts",
                                      ".scala", ".c",    ".cpp",  ".h",   ".hpp", ".json", ".yaml",
                                      ".yml",   ".md",   ".xaml", ""};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 300000) return 0;
  std::string text;
  graph_builder::text::decode_text(std::string_view(reinterpret_cast<const char*>(data), size),
                                   text);
  const auto lines = graph_builder::text::split_lines_lf(text);
  for (std::string_view ext : kExts) {
    std::string name = "f" + std::string(ext);
    std::string id = "dir/" + name;
    (void)graph_builder::text::make_summary(text, id, ext);
    auto kws = graph_builder::text::extract_keywords(text, ext);
    GB_CHECK(kws.size() <= 80);
    for (const auto& r :
         graph_builder::relations::find_relations(text, graph_builder::languages::profile(ext))) {
      GB_CHECK(!r.target.empty());
    }
    for (const auto& s : graph_builder::symbols::extract_symbols_for_file(text, id, ext)) {
      GB_CHECK(!s.name.empty());
      GB_CHECK(s.line_start >= 0 && s.line_end >= s.line_start);
      GB_CHECK(s.line_start <= static_cast<std::int64_t>(lines.size()));
      GB_CHECK(s.keywords.size() <= 10);
    }
  }
  return 0;
}
