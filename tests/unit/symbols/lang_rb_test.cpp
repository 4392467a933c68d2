#include "graph_builder/symbols/symbols.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_rb_internal.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/unicode.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>
#include "support/differential.hpp"
#include "support/match_offsets.hpp"
#include "support/symbol_rows.hpp"

namespace graph_builder::symbols {
namespace {

using test_support::Row;
using test_support::rows;

struct Case {
  const char* label;
  std::string content;
  std::vector<Row> expected;
};

TEST(LangRb, RecordsMethodsThenTypesAtTheirMatchLines) {
  const std::vector<Case> cases = {
      {"empty", "", {}},
      // Blank lines above a declaration are absorbed by "^\s*"; the receiver of
      // "def self.build" is skipped; "total?" loses its "?".
      {"shop",
       "require 'json'\n\nmodule Shop\n  class Cart < Base\n    def self.build\n    end\n\n"
       "    def total?\n",
       {{"build", "use_case", 4, 7},
        {"total", "use_case", 6, 7},
        {"Shop", "model", 1, 7},
        {"Cart", "model", 3, 7}}},
      {"underscore names are skipped",
       "def _internal\nend\ndef run\nend\n",
       {{"run", "use_case", 2, 3}}},
      {"singleton class is not a type",
       "class << self\n  def x\n  end\nend\n",
       {{"x", "use_case", 1, 3}}},
      {"namespaced class records its first part once",
       "module Shop\n  class Shop::Item\n  end\nend\n",
       {{"Shop", "model", 0, 3}}},
      {"a method wins over a class of the same name",
       "class Report\nend\ndef Report\nend\n",
       {{"Report", "use_case", 2, 3}}},
      {"first definition wins", "def a\nend\ndef a\nend\ndef self.a\n", {{"a", "use_case", 0, 4}}},
      {"self without a dot is a method name", "def self\nend\n", {{"self", "use_case", 0, 1}}},
      {"needs white space after def", "define_method(:x)\ndefx\n", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rows(extract_symbols_rb(c.content, "lib/x.rb")), c.expected) << c.label;
  }
}

TEST(LangRb, WindowIsFortyLinesClampedToTheLastLine) {
  std::string text = "def first\n";
  for (int i = 1; i < 100; ++i) text += i == 70 ? "def late\n" : "  x\n";
  const auto got = rows(extract_symbols_rb(text, "a.rb"));
  EXPECT_EQ(got, (std::vector<Row>{{"first", "use_case", 0, 40}, {"late", "use_case", 70, 99}}));
}

TEST(LangRb, RecordCarriesIdHashKeywordsAndIsAlwaysExported) {
  const std::string text = "module Billing\n  def self.charge_card(x)\n    x\n  end\nend\n";
  const auto syms = extract_symbols_rb(text, "lib/billing.rb");
  ASSERT_EQ(syms.size(), 2U);
  const Symbol& m = syms[0];
  EXPECT_EQ(m.id, "lib/billing.rb::charge_card");
  EXPECT_EQ(m.confidence, "high");
  EXPECT_TRUE(m.exported);
  EXPECT_TRUE(syms[1].exported);
  EXPECT_EQ(m.keywords, text::name_keywords("charge_card"));
  EXPECT_EQ(m.line_end, 4);
  EXPECT_EQ(m.body_hash, body_hash(text::split_lines_lf(text), 1, 4));
  EXPECT_NE(m.body_hash, body_hash(text::split_lines_lf(text), 0, 4));
}

TEST(LangRb, KeywordSearchesAgreeWithThePlainPatternsOnRandomInputs) {
  static const regex::Regex kPlainMethod(R"(^\s*def\s+(?:self\.)?([A-Za-z_]\w*))",
                                         regex::Flags::multiline);
  static const regex::Regex kPlainType(R"(^\s*(?:class|module)\s+([A-Za-z_]\w*))",
                                       regex::Flags::multiline);
  // Definitions slot by slot, each slot sometimes filled with what breaks the
  // pattern: indentation of every kind of white space (line feeds, no-break
  // and ideographic spaces, line separators), text before the keyword, a cut
  // or upper-case keyword, "self." and its near misses, a digit or non-ASCII
  // first letter.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "  ", "\n", "\n\n  ", "\t", "\xC2\xA0", "\xE3\x80\x80", "\xE2\x80\xA8", "x ", "#",
       "undef", "\xC3\xA9"},
      {"def ", "def ", "class ", "module ", "def", "class\t", "defs ", "Def ", "module\n", "de ",
       "class << ", "def\xC2\xA0"},
      {"", "", "self.", "self", "self.\n", "Self."},
      {"total", "Cart", "_x", "1x", "\xC3\xA9", "a\xCC\x81", "A\xC3\xA9", "", "def", "class"},
      {"", "?", "(items)", " < Base", "\n", "!"},
      {"", "\n", "\n  end\n"},
  };
  // The same texts for both.
  {
    SCOPED_TRACE("def");
    testing::compare_on_random_texts(
        {.seed = 1995, .count = 150000, .with_results_above = 5000},
        testing::shapes_of(slots, {1, 4}),
        [](std::string_view t) { return testing::plain_matches(kPlainMethod, t); },
        [](std::string_view t) {
          return testing::spans_found([&](auto visit) { rb_internal::for_each_method(t, visit); });
        });
  }
  {
    SCOPED_TRACE("class");
    testing::compare_on_random_texts(
        {.seed = 1995, .count = 150000, .with_results_above = 5000},
        testing::shapes_of(slots, {1, 4}),
        [](std::string_view t) { return testing::plain_matches(kPlainType, t); },
        [](std::string_view t) {
          return testing::spans_found([&](auto visit) { rb_internal::for_each_type(t, visit); });
        });
  }
}

}  // namespace
}  // namespace graph_builder::symbols
