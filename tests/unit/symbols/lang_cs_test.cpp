#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "support/symbol_rows.hpp"

namespace graph_builder::symbols {
namespace {

using test_support::summarize;
using test_support::Want;

std::string repeat(std::string_view piece, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += piece;
  return s;
}

struct Case {
  const char* label;
  std::string content;
  std::vector<Want> want;
};

TEST(LangCs, TypesAndMethods) {
  const std::vector<Case> cases = {
      {"empty text", "", {}},
      {"types need an access modifier; constructors are not methods",
       "namespace Shop;\n"
       "\n"
       "internal sealed class Repo\n"
       "{\n"
       "    public Repo(int size) { }\n"
       "    public async Task<Order> PlaceAsync(Order o) { }\n"
       "    private static int Count(string s) { }\n"
       "    protected override void OnLoad() { }\n"
       "}\n"
       "class NoModifier { }\n"
       "public static partial class Ext { }\n",
       {{"Repo", "model", 2, 10, false},
        {"Ext", "model", 10, 10, true},
        {"PlaceAsync", "use_case", 5, 10, true},
        {"Count", "use_case", 6, 10, false},
        {"OnLoad", "use_case", 7, 10, false}}},
      {"a statement keyword in the name slot is skipped",
       "public class W {\n    public Foo new() { }\n}\n",
       {{"W", "model", 0, 2, true}}},
      {"public within the first 20 characters of a type match",
       "private class publicX { }\ninternal class publicY { }\n",
       {{"publicX", "model", 0, 1, true}, {"publicY", "model", 1, 1, false}}},
      // U+3000 is one character of three bytes: "private", it, "class ",
      // "public" make exactly 20 characters.
      {"the window counts characters, not bytes",
       "private\u3000class publicZ { }\n",
       {{"publicZ", "model", 0, 0, true}}},
      {"a type and a method of one name: the type pass wins",
       "public class Run { }\nclass H {\n    public void Run() { }\n}\n",
       {{"Run", "model", 0, 3, true}}},
      {"window of 60 lines",
       "x\n\n\npublic enum Mode { A }\n" + repeat("// pad\n", 196),
       {{"Mode", "model", 3, 63, true}}},
      {"a match on the last line ends there",
       "x\n\npublic struct P { }",
       {{"P", "model", 2, 2, true}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(summarize(extract_symbols_cs(c.content, "Repo.cs")), c.want) << c.label;
  }
}

TEST(LangCs, RecordCarriesIdAndBodyHash) {
  const auto syms =
      extract_symbols_cs("using X;\npublic record Line(int Qty);\n// end\n", "Models/Line.cs");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].id, "Models/Line.cs::Line");
  EXPECT_EQ(syms[0].line_start, 1);
  EXPECT_EQ(syms[0].line_end, 2);
  EXPECT_EQ(syms[0].body_hash, text::short_hash("public record Line(int Qty);\n// end"));
}

TEST(LangCs, LongWhiteSpaceAndWordRunsGiveSaneResults) {
  EXPECT_TRUE(extract_symbols_cs(repeat("\n", 150000) + repeat(" ", 150000), "A.cs").empty());
  EXPECT_TRUE(extract_symbols_cs(repeat("public ", 43000), "A.cs").empty());
  const auto syms =
      summarize(extract_symbols_cs(repeat(" \n", 100000) + "public class Late { }\n", "A.cs"));
  EXPECT_EQ(syms, (std::vector<Want>{{"Late", "model", 100000, 100000, true}}));
}

}  // namespace
}  // namespace graph_builder::symbols
