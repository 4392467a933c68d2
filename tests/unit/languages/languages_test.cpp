#include "graph_builder/languages/languages.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

namespace graph_builder::languages {
namespace {

std::set<std::string_view> as_set(std::span<const std::string_view> s) {
  return {s.begin(), s.end()};
}

// The two extension sets callers rely on, as sets: which files are scanned and
// which get symbols.
TEST(Languages, ScannedAndSymbolExtensions) {
  EXPECT_EQ(as_set(scanned_extensions()),
            (std::set<std::string_view>{".go",    ".py",   ".js",    ".jsx", ".ts",  ".tsx",
                                        ".swift", ".rs",   ".java",  ".cs",  ".rb",  ".php",
                                        ".kt",    ".kts",  ".scala", ".c",   ".cpp", ".h",
                                        ".hpp",   ".json", ".yaml",  ".yml", ".md",  ".xaml"}));
  EXPECT_EQ(scanned_extensions().size(), 24U);
  EXPECT_EQ(
      as_set(symbol_extensions()),
      (std::set<std::string_view>{".ts", ".tsx", ".js", ".jsx", ".py", ".rs", ".java", ".cs", ".rb",
                                  ".php", ".kt", ".kts", ".scala", ".c", ".cpp", ".h", ".hpp"}));
  EXPECT_EQ(symbol_extensions().size(), 17U);
}

// Lookups are exact: case, a missing dot or a longer text find nothing.
TEST(Languages, LookupIsExactAndCaseSensitive) {
  struct Row {
    std::string_view ext;
    bool scanned;
  };
  for (const Row& r : {Row{".py", true}, Row{".PY", false}, Row{"py", false}, Row{".pyx", false},
                       Row{"", false}, Row{".", false}, Row{".tsx", true}, Row{".Tsx", false},
                       Row{".h", true}, Row{".hh", false}, Row{".md", true}, Row{".txt", false}}) {
    EXPECT_EQ(profile(r.ext).scanned(), r.scanned) << r.ext;
    if (r.scanned) {
      EXPECT_EQ(profile(r.ext).ext, r.ext);
    }
  }
  EXPECT_EQ(&profile(".nope"), &kNotScanned);
  EXPECT_FALSE(kNotScanned.has_symbols());
}

// The choices whose quirks are easy to lose in a refactoring.
TEST(Languages, ProfilesKeepTheirQuirks) {
  EXPECT_EQ(profile(".kt").symbols, SymbolExtractor::java);
  EXPECT_EQ(profile(".kt").keywords, KeywordScan::kotlin);
  EXPECT_EQ(profile(".kt").summary, SummaryScan::java);
  for (std::string_view ext : {".kts", ".scala"}) {
    EXPECT_EQ(profile(ext).symbols, SymbolExtractor::java) << ext;
    EXPECT_EQ(profile(ext).keywords, KeywordScan::none) << ext;
    EXPECT_EQ(profile(ext).summary, SummaryScan::none) << ext;
    EXPECT_EQ(profile(ext).imports, ImportRows::java) << ext;
  }
  EXPECT_EQ(profile(".go").symbols, SymbolExtractor::none);
  EXPECT_EQ(profile(".go").keywords, KeywordScan::go);
  EXPECT_EQ(profile(".py").lead, SummaryLead::docstring);
  EXPECT_EQ(profile(".jsx").lead, SummaryLead::block_comment);
  EXPECT_EQ(profile(".rb").window, 40);
  EXPECT_EQ(profile(".cs").window, 60);
  EXPECT_EQ(profile(".php").block, BlockRule::braces);
  EXPECT_EQ(profile(".py").block, BlockRule::indentation);
}

TEST(Languages, ExtensionOfAName) {
  struct Row {
    std::string_view name;
    std::string_view ext;
  };
  for (const Row& r :
       {Row{"a.ts", ".ts"}, Row{"a.tar.gz", ".gz"}, Row{".env", ""}, Row{"Makefile", ""},
        Row{"name.", ""}, Row{"A.TSX", ".TSX"}, Row{"..", ""}, Row{"x..y", ".y"}, Row{"", ""}}) {
    EXPECT_EQ(extension_of(r.name), r.ext) << r.name;
  }
  EXPECT_EQ(base_name("src/a/b.ts"), "b.ts");
  EXPECT_EQ(base_name("b.ts"), "b.ts");
  EXPECT_EQ(base_name("src/"), "");
}

}  // namespace
}  // namespace graph_builder::languages
