// Hostile texts of up to 300000 bytes (long runs of white space or words,
// deep nesting, one huge line, NUL and undecodable bytes, unclosed comments)
// go through every analysis without crashing or stopping early, and give
// results that stay within their bounds. How long they take is measured in
// bench/pathological_bench.cpp, not here.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/pathological.hpp"
#include "support/run_cli.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

// One extension per family of patterns.
constexpr std::string_view kExts[] = {".ts",  ".py", ".rs", ".java",  ".kt",   ".cs", ".rb",
                                      ".php", ".c",  ".go", ".swift", ".xaml", ".md"};

TEST(Pathological, EveryAnalysisStaysWithinItsBounds) {
  auto inputs = pathological_inputs();
  inputs.emplace_back("soup", token_soup(7));
  for (const auto& [name, bytes] : inputs) {
    std::string text;
    text::decode_text(bytes, text);
    ASSERT_TRUE(text::is_valid_utf8(text)) << name;
    const auto line_count = static_cast<std::int64_t>(text::split_lines_lf(text).size());
    for (std::string_view ext : kExts) {
      const std::string id = "dir/file" + std::string(ext);
      std::string summary = text::make_summary(text, id, ext);
      EXPECT_LE(text::length(summary), 250U) << name << ext;
      EXPECT_LE(text::extract_keywords(text, ext).size(), 80U) << name << ext;
      for (const relations::Relation& r :
           relations::find_relations(text, languages::profile(ext))) {
        EXPECT_FALSE(r.target.empty()) << name << ext;
      }
      for (const symbols::Symbol& s : symbols::extract_symbols_for_file(text, id, ext)) {
        EXPECT_FALSE(s.name.empty()) << name << ext;
        EXPECT_GE(s.line_end, s.line_start) << name << ext << " " << s.name;
        EXPECT_LT(s.line_start, std::max<std::int64_t>(line_count, 1)) << name << ext;
      }
    }
  }
}

TEST(Pathological, ScanOfHostileFilesCoversEveryFile) {
  TempTree t;
  int written = 0;
  for (const auto& [name, bytes] : pathological_inputs()) {
    t.write("p/" + name + ".c", bytes);
    ++written;
  }
  t.write("p/zz_last.py", "def still_seen():\n    return 1\n");
  CliResult r = run_cli({"--root", t.path("p").string(), "--out", t.path("o/g.json").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Scanned: " + std::to_string(written + 1) + " files, ", 0), 0U) << r.out;
  EXPECT_NE(read_file(t.path("o/symbol_index.json")).find("zz_last.py::still_seen"),
            std::string::npos);
}

}  // namespace
}  // namespace graph_builder::testing
