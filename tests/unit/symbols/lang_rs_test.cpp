#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_rs_internal.hpp"
#include "graph_builder/symbols/line_starts_internal.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "support/differential.hpp"
#include "support/match_offsets.hpp"
#include "support/symbol_rows.hpp"

namespace graph_builder::symbols {
namespace {

using test_support::summarize;
using test_support::Want;

std::string numbered_lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "// line " + std::to_string(i) + "\n";
  return s;
}

struct Case {
  const char* label;
  std::string content;
  std::vector<Want> want;
};

TEST(LangRs, DeclarationsByPatternThenPosition) {
  const std::vector<Case> cases = {
      {"empty text", "", {}},
      {"only line-start public functions and line-start types",
       "pub fn a() {}\n"
       "pub(crate) fn b() {}\n"
       "pub async fn c() {}\n"
       "impl X {\n"
       "    pub fn inner() {}\n"
       "}\n"
       "fn plain() {}\n"
       "pub const fn k() {}\n"
       "pub unsafe fn u() {}\n"
       "struct S;\n"
       "pub struct U;\n"
       "pub enum V {}\n"
       "trait W {}\n"
       "pub(crate) struct T;\n",
       {{"a", "use_case", 0, 13, true},
        {"b", "use_case", 1, 13, true},
        {"c", "use_case", 2, 13, true},
        {"S", "model", 9, 13, false},
        {"U", "model", 10, 13, true},
        {"V", "model", 11, 13, true},
        {"W", "model", 12, 13, false}}},
      {"a function and a type of one name: the function pass wins",
       "pub struct Store;\npub fn Store() {}\n",
       {{"Store", "use_case", 1, 1, true}}},
      {"a redeclaration keeps the first line",
       "pub fn a() {}\n\npub fn a() {}\n",
       {{"a", "use_case", 0, 2, true}}},
      {"white space after pub may span lines",
       "pub\n\nfn split() {}\n",
       {{"split", "use_case", 0, 2, true}}},
      {"window of 50 lines",
       numbered_lines(3) + "pub fn f() {}\n" + numbered_lines(196),
       {{"f", "use_case", 3, 53, true}}},
      {"a match on the last line ends there",
       numbered_lines(4) + "pub struct Last;",
       {{"Last", "model", 4, 4, true}}},
      {"a form feed is not a line break",
       "pub struct A;\f\npub struct B;\n",
       {{"A", "model", 0, 1, true}, {"B", "model", 1, 1, true}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(summarize(extract_symbols_rs(c.content, "src/lib.rs")), c.want) << c.label;
  }
}

TEST(LangRs, RecordCarriesIdHashAndKeywords) {
  const auto syms = extract_symbols_rs("// head\npub fn load_config() {\n    1\n}\n", "src/cfg.rs");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].id, "src/cfg.rs::load_config");
  EXPECT_EQ(syms[0].confidence, "high");
  EXPECT_EQ(syms[0].body_hash, text::short_hash("pub fn load_config() {\n    1\n}"));
  EXPECT_EQ(syms[0].keywords, (std::vector<std::string>{"load_config", "load", "config"}));
}

TEST(LangRs, TypeSearchAgreesWithThePlainPatternOnRandomInputs) {
  static const regex::Regex kPlainType(R"(^(?P<pub>pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*))",
                                       regex::Flags::multiline);
  // Declarations slot by slot, each slot sometimes filled with what breaks
  // the pattern (a cut or upper-case keyword, a digit or non-ASCII first
  // letter, no white space, a visibility the pattern does not take), several
  // to a text.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "", " ", "\n", "x", "\t", "\xC2\xA0", "}\n"},
      {"", "pub ", "pub ", "pub(crate) ", "pub\n", "pub\xE3\x80\x80", "Pub ", "pubs ", "pub"},
      {"struct ", "enum ", "trait ", "struct", "struct\t", "structs ", "enum\n", "fn ", "Trait ",
       "enum\xE2\x80\xA8"},
      {"", "", " ", "\n"},
      {"Store", "Mode", "_x", "1x", "\xC3\xA9", "a\xCC\x81", "A\xC3\xA9", "(", ""},
      {"", "<T>", " {", ";", "\n", "(u8);"},
  };
  testing::compare_on_random_texts(
      {.seed = 1015, .count = 150000, .with_results_above = 20000},
      testing::shapes_of(slots, {1, 4}),
      [](std::string_view t) { return testing::plain_matches(kPlainType, t); },
      [](std::string_view t) {
        return testing::spans_found(
            [&](auto visit) { rs_internal::for_each_type(t, letter_lines(t), visit); });
      });
}

// The public-function search, which looks for the ")" of "pub(" once per
// ")", against the plain pattern: scopes closed on the same line, lines
// below or never, several "pub(" lines sharing one ")", and what follows the
// ")" right or wrong.
TEST(LangRs, PublicFunctionSearchAgreesWithThePlainPatternOnRandomInputs) {
  static const regex::Regex kPlainPubFn(
      R"(^pub(?:\s*\([^)]*\))?\s+(?:async\s+)?fn\s+([A-Za-z_]\w*))", regex::Flags::multiline);
  const std::vector<std::string> pieces = {
      "pub",  "pub",    "pub ",  "pub(",     "pub (",        "pub\n(",   "(",
      "(",    ")",      ")",     "crate",    "in a::b",      " ",        " ",
      "\n",   "\n",     "\t",    "\xC2\xA0", "\xE3\x80\x80", "fn",       "fn ",
      " fn ", "async ", "async", "open",     "_x",           "\xC3\xA9", "1",
      ";",    "{",      "Pub",   "pubfn",    ") fn a",       ")\nfn b"};
  testing::compare_on_random_texts(
      {.seed = 4096, .count = 100000, .with_results_above = 3000},
      testing::texts_of(pieces, {0, 24}),
      [](std::string_view t) { return testing::plain_matches(kPlainPubFn, t); },
      [](std::string_view t) {
        return testing::spans_found(
            [&](auto visit) { rs_internal::for_each_pub_function(t, letter_lines(t), visit); });
      });
}

}  // namespace
}  // namespace graph_builder::symbols
