#include "graph_builder/relations/references.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "support/differential.hpp"

namespace graph_builder::relations {
namespace {

using Spans = std::vector<std::pair<std::size_t, std::string>>;

Spans scanned(std::string_view text) {
  Spans out;
  for (const FileMention& m : find_file_mentions(text)) out.emplace_back(m.start, m.text);
  return out;
}

Spans by_pattern(std::string_view text) {
  static const regex::Regex kRe(kFileMentionPattern);
  Spans out;
  kRe.for_each(text, [&](const regex::Match& m) {
    out.emplace_back(m.start(), m.text());
    return true;
  });
  return out;
}

TEST(FileMentions, StartsLeftmostAndTakesTheLongestExtension) {
  const std::pair<std::string_view, Spans> cases[] = {
      {"app.ts", {{0, "app.ts"}}},
      {"src/app.test.ts", {{8, "test.ts"}}},
      {"./src/app.ts", {{1, "/src/app.ts"}}},
      {"x.tsx x.ts x.jsx x.json x.js x.cpp x.c x.hpp x.h x.kts x.kt x.yaml x.yml",
       {{0, "x.tsx"},
        {6, "x.ts"},
        {11, "x.jsx"},
        {17, "x.json"},
        {24, "x.js"},
        {29, "x.cpp"},
        {35, "x.c"},
        {39, "x.hpp"},
        {45, "x.h"},
        {49, "x.kts"},
        {55, "x.kt"},
        {60, "x.yaml"},
        {67, "x.yml"}}},
      // After a match the search resumes right behind the extension.
      {"a/b.pyc/d.go", {{0, "a/b.py"}, {6, "c/d.go"}}},
      {"a.b.c", {{2, "b.c"}}},
      // The next mention may start right at the resume point, or not at all
      // when a dot is there.
      {"x.goy.go x.go.go", {{0, "x.go"}, {4, "y.go"}, {9, "x.go"}}},
      {"a.c.h/b.h", {{0, "a.c"}, {4, "h/b.h"}}},
      {"v1.2.go", {{3, "2.go"}}},
      {"..go .go -_/.md", {{9, "-_/.md"}}},
      {"x.txt x.PY x.", {}},
      {"é.py éx.py", {{8, "x.py"}}},  // é is two bytes
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(scanned(text), expected) << text;
  }
}

TEST(FileMentions, ReferencesNeedASlash) {
  std::vector<Relation> found{{"kept", RelationKind::import}};
  append_reference_relations("a.go b/c.go util.h /d.rs", found);
  EXPECT_EQ(found, (std::vector<Relation>{{"kept", RelationKind::import},
                                          {"b/c.go", RelationKind::reference},
                                          {"/d.rs", RelationKind::reference}}));
}

// The hand-written scanner and the single pattern agree on random texts made
// of the characters that decide a match.
TEST(FileMentions, ScannerAgreesWithThePattern) {
  const testing::Pieces pieces{
      "s", "w",   "i",    "f",  "t",      "c",  "a",   "l",   "j",    "v",     "o",  "n",
      "y", "m",   "x",    "k",  "p",      "r",  "h",   "g",   "b",    "d",     "e",  "A",
      "Z", "0",   "9",    "_",  "-",      "/",  ".",   ".",   ".",    " ",     "\n", ":",
      "é", ".ts", "json", ".c", "\u00a0", "\t", ".go", ".py", "yaml", "\u3000"};
  // The generator must actually produce mentions for the comparison to mean much.
  testing::compare_on_random_texts({.seed = 20240531, .count = 60000, .with_results_above = 6000},
                                   testing::texts_of(pieces, {0, 24}), by_pattern, scanned);
}

}  // namespace
}  // namespace graph_builder::relations
