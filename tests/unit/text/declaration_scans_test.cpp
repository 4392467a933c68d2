// The declaration scans that search a pattern only where its leading words
// stand, against the plain patterns searched from every position: the same
// matches with the same groups, and the same stop when the visitor says so,
// on random texts made of the characters that decide a match.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/routes.hpp"
#include "support/differential.hpp"
#include "support/match_offsets.hpp"

namespace graph_builder::text {
namespace {

using declarations::for_each_go_function;
using declarations::for_each_php_declaration;
using declarations::for_each_python_declaration;
using declarations::for_each_ruby_declaration;
using declarations::for_each_rust_declaration;
using declarations::for_each_rust_function;
using declarations::for_each_rust_type;
using regex::Flags;
using regex::Match;
using regex::Regex;
using routes::for_each_decorator_route;

using Scan = void (*)(std::string_view, const regex::MatchVisitor&);

// The matches `search(visitor)` hands its visitor: once for a visitor that
// never asks to stop (tagged 0), then for visitors that ask to stop after 1,
// 2 and 3 matches (tagged with that number).
template <class Search>
std::vector<std::pair<std::size_t, regex::Spans>> found_with_stops(Search&& search) {
  std::vector<std::pair<std::size_t, regex::Spans>> out;
  for (std::size_t stop = 0; stop <= 3; ++stop) {
    std::size_t seen = 0;
    search([&](const Match& m) {
      out.emplace_back(stop, m.spans());
      return ++seen != stop;
    });
  }
  return out;
}

// White space of one and of several bytes (U+00A0, U+3000, U+2028 are \s),
// a non-ASCII letter, and the characters every language's pieces share.
const std::vector<std::string> kCommon = {" ",
                                          " ",
                                          "\t",
                                          "\n",
                                          "\n",
                                          "\r",
                                          "\xC2\xA0",
                                          "\xE3\x80\x80",
                                          "\xE2\x80\xA8",
                                          "\xC3\xA9",
                                          "x",
                                          "Y",
                                          "_z",
                                          "9",
                                          "(",
                                          ")",
                                          ".",
                                          "{",
                                          ";",
                                          ":"};

// Compares `scan` with `plain_re` on 40000 random texts of 0 to 18 pieces
// (`pieces` and kCommon), each text with every stop point; more than
// `with_matches_above` texts must hold a match.
void expect_same_matches(const Regex& plain_re, Scan scan, testing::Pieces pieces,
                         std::uint32_t seed, int with_matches_above) {
  pieces.insert(pieces.end(), kCommon.begin(), kCommon.end());
  testing::compare_on_random_texts(
      {.seed = seed, .count = 40000, .with_results_above = with_matches_above},
      testing::texts_of(std::move(pieces), {0, 18}),
      [&](std::string_view t) {
        return found_with_stops([&](const regex::MatchVisitor& v) { plain_re.for_each(t, v); });
      },
      [&](std::string_view t) {
        return found_with_stops([&](const regex::MatchVisitor& v) { scan(t, v); });
      });
}

TEST(DeclarationScans, DecoratorRoutesAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(@\w+\.(get|post|put|delete|patch)\s*\(\s*[\'\"]([^\'\"]+)[\'\"])re", Flags::caseless);
  // Caseless: U+017F is a caseless "s" (not in these verbs), U+212A a
  // caseless "k" (not in them either); upper-case verbs match.
  expect_same_matches(kPlain, for_each_decorator_route,
                      {"@",
                       "@",
                       "@router",
                       "@app.",
                       "router",
                       "app",
                       ".get(",
                       ".GET(",
                       ".Post (",
                       ".put",
                       ".delete",
                       "@router.get('/a')",
                       "@APP.PATCH( \"",
                       "@bp.delete(",
                       "@r.put\t(",
                       "/b\"",
                       "/c'",
                       ".patch(",
                       ".pAtch",
                       "get",
                       "post(",
                       "('/items'",
                       "(\"/a\"",
                       "'",
                       "\"",
                       "/x",
                       "{id}",
                       "\xC5\xBF",
                       "\xE2\x84\xAA",
                       "@\xC3\xA9."},
                      20261214, 6000);
}

TEST(DeclarationScans, RustFunctionsAgreeWithThePattern) {
  static const Regex kPlain(R"re(^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*))re",
                            Flags::multiline);
  expect_same_matches(
      kPlain, for_each_rust_function,
      {"pub",    "pub ",      "pub(crate) ", "pub (super)", "fn", "fn ",   "fn main",
       "\nfn ",  "\npub fn ", "pu",          "f",           "n",  "fnx",   "pubfn",
       "async ", "\npub(",    "\npub (",     "pub(",        ")",  ") fn ", "\n)\n"},
      20261208, 10000);
}

TEST(DeclarationScans, GoFunctionsAgreeWithThePattern) {
  static const Regex kPlain(R"re(^func\s+(?:\([^)]+\)\s+)?([A-Z]\w*))re", Flags::multiline);
  expect_same_matches(kPlain, for_each_go_function,
                      {"func", "func ",  "func (", "\nfunc ",   "\nfunc (",  "func(",
                       "fun",  "Handle", "Start",  "s *S",      "()",        ") ",
                       ")\n",  ") Run",  ") run",  "(s S) Get", "\nfunc Do", "\nfunc (r R) Go",
                       "A",    "b"},
                      20261209, 6000);
}

TEST(DeclarationScans, RustTypesAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(^(?:pub\s+)?(?:struct|enum|trait|impl(?:\s+\w+\s+for)?)\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  expect_same_matches(
      kPlain, for_each_rust_type,
      {"pub", "pub ", "struct", "struct ", "enum ", "trait ", "impl", "impl ", "impl<T> ", " for ",
       "for", "\npub struct ", "\nimpl Display for ", "Display", "pubstruct", "enu", "tr"},
      20261209, 10000);
}

TEST(DeclarationScans, PythonDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(R"re(^(?:async\s+)?def\s+([A-Za-z_]\w*)|^class\s+([A-Za-z_]\w*))re",
                            Flags::multiline);
  expect_same_matches(
      kPlain, for_each_python_declaration,
      {"async", "async ", "def", "def ", "class", "class ", "\ndef load", "\nclass Store",
       "\nasync def ", "asyncdef ", "de", "clas", "Class ", "_helper"},
      20261210, 10000);
}

TEST(DeclarationScans, RubyDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(^\s*(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  expect_same_matches(
      kPlain, for_each_ruby_declaration,
      {"def", "def ", "def self.", "self.", "self", "class", "class ", "module", "module ",
       "\n  def build", "\nclass Shop", "\n\t module Billing", "de", "modul", "defclass "},
      20261211, 10000);
}

TEST(DeclarationScans, RustDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)|^(?:pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  expect_same_matches(
      kPlain, for_each_rust_declaration,
      {"pub",           "pub ",      "pub(crate) ", "pub (super)", "fn",    "fn ",
       "\nfn main",     "\npub fn ", "struct",      "struct ",     "enum ", "trait ",
       "\npub struct ", "impl ",     "pu",          "fnx",         "pubfn", "\npub(",
       "pub (",         ")",         ") fn ",       ")\n"},
      20261212, 10000);
}

TEST(DeclarationScans, PhpDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(
      R"re((?:function\s+([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|interface\s+([A-Za-z_]\w*)|trait\s+([A-Za-z_]\w*)))re");
  expect_same_matches(
      kPlain, for_each_php_declaration,
      {"function", "function ", "class", "class ", "interface", "interface ", "trait", "trait ",
       "functio", "classfunction ", "Trait ", "inter", "face ", "$this", "\\"},
      20261213, 10000);
}

}  // namespace
}  // namespace graph_builder::text
