// The declaration scans that search a pattern only where its leading words
// stand, against the plain patterns searched from every position: the same
// matches with the same groups, and the same stop when the visitor says so,
// on random texts made of the characters that decide a match.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/routes.hpp"
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

// One match: the whole match and groups 1 to 4.
using Found = regex::Spans;

Found found(const Match& m) { return m.spans(); }

// The matches a visitor sees before it asks to stop after `stop_after`
// matches (0: never).
std::vector<Found> plain(const Regex& re, std::string_view text, std::size_t stop_after) {
  std::vector<Found> out;
  re.for_each(text, [&](const Match& m) {
    out.push_back(found(m));
    return out.size() != stop_after;
  });
  return out;
}

using Scan = void (*)(std::string_view, const regex::MatchVisitor&);

std::vector<Found> scanned(Scan scan, std::string_view text, std::size_t stop_after) {
  std::vector<Found> out;
  scan(text, [&](const Match& m) {
    out.push_back(found(m));
    return out.size() != stop_after;
  });
  return out;
}

std::string escaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F || c == '"' || c == '\\') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
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

// Compares `scan` with `plain_re` on `iterations` random texts of pieces
// (plus kCommon), each text once with every stop point from "never" to 3;
// returns how many texts had a match.
int agreeing_texts(const Regex& plain_re, Scan scan, std::vector<std::string> pieces,
                   std::uint32_t seed, int iterations = 40000) {
  pieces.insert(pieces.end(), kCommon.begin(), kCommon.end());
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, 18);
  int with_matches = 0;
  for (int i = 0; i < iterations; ++i) {
    std::string text;
    for (int n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    for (std::size_t stop = 0; stop <= 3; ++stop) {
      const std::vector<Found> expected = plain(plain_re, text, stop);
      if (stop == 0 && !expected.empty()) ++with_matches;
      const std::vector<Found> got = scanned(scan, text, stop);
      EXPECT_EQ(got, expected) << "stop after " << stop << ", input: \"" << escaped(text) << "\"";
      if (got != expected) return with_matches;
    }
  }
  return with_matches;
}

TEST(DeclarationScans, DecoratorRoutesAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(@\w+\.(get|post|put|delete|patch)\s*\(\s*[\'\"]([^\'\"]+)[\'\"])re", Flags::caseless);
  // Caseless: U+017F is a caseless "s" (not in these verbs), U+212A a
  // caseless "k" (not in them either); upper-case verbs match.
  const int with_matches = agreeing_texts(kPlain, for_each_decorator_route,
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
                                          20261214);
  EXPECT_GT(with_matches, 6000);
}

TEST(DeclarationScans, RustFunctionsAgreeWithThePattern) {
  static const Regex kPlain(R"re(^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*))re",
                            Flags::multiline);
  const int with_matches =
      agreeing_texts(kPlain, for_each_rust_function,
                     {"pub",    "pub ",      "pub(crate) ", "pub (super)", "fn", "fn ",   "fn main",
                      "\nfn ",  "\npub fn ", "pu",          "f",           "n",  "fnx",   "pubfn",
                      "async ", "\npub(",    "\npub (",     "pub(",        ")",  ") fn ", "\n)\n"},
                     20261208);
  EXPECT_GT(with_matches, 10000);
}

TEST(DeclarationScans, GoFunctionsAgreeWithThePattern) {
  static const Regex kPlain(R"re(^func\s+(?:\([^)]+\)\s+)?([A-Z]\w*))re", Flags::multiline);
  const int with_matches =
      agreeing_texts(kPlain, for_each_go_function,
                     {"func", "func ",  "func (", "\nfunc ",   "\nfunc (",  "func(",
                      "fun",  "Handle", "Start",  "s *S",      "()",        ") ",
                      ")\n",  ") Run",  ") run",  "(s S) Get", "\nfunc Do", "\nfunc (r R) Go",
                      "A",    "b"},
                     20261209);
  EXPECT_GT(with_matches, 6000);
}

TEST(DeclarationScans, RustTypesAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(^(?:pub\s+)?(?:struct|enum|trait|impl(?:\s+\w+\s+for)?)\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  const int with_matches = agreeing_texts(
      kPlain, for_each_rust_type,
      {"pub", "pub ", "struct", "struct ", "enum ", "trait ", "impl", "impl ", "impl<T> ", " for ",
       "for", "\npub struct ", "\nimpl Display for ", "Display", "pubstruct", "enu", "tr"},
      20261209);
  EXPECT_GT(with_matches, 10000);
}

TEST(DeclarationScans, PythonDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(R"re(^(?:async\s+)?def\s+([A-Za-z_]\w*)|^class\s+([A-Za-z_]\w*))re",
                            Flags::multiline);
  const int with_matches = agreeing_texts(
      kPlain, for_each_python_declaration,
      {"async", "async ", "def", "def ", "class", "class ", "\ndef load", "\nclass Store",
       "\nasync def ", "asyncdef ", "de", "clas", "Class ", "_helper"},
      20261210);
  EXPECT_GT(with_matches, 10000);
}

TEST(DeclarationScans, RubyDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(^\s*(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  const int with_matches = agreeing_texts(
      kPlain, for_each_ruby_declaration,
      {"def", "def ", "def self.", "self.", "self", "class", "class ", "module", "module ",
       "\n  def build", "\nclass Shop", "\n\t module Billing", "de", "modul", "defclass "},
      20261211);
  EXPECT_GT(with_matches, 10000);
}

TEST(DeclarationScans, RustDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(
      R"re(^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)|^(?:pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  const int with_matches =
      agreeing_texts(kPlain, for_each_rust_declaration,
                     {"pub",           "pub ",      "pub(crate) ", "pub (super)", "fn",    "fn ",
                      "\nfn main",     "\npub fn ", "struct",      "struct ",     "enum ", "trait ",
                      "\npub struct ", "impl ",     "pu",          "fnx",         "pubfn", "\npub(",
                      "pub (",         ")",         ") fn ",       ")\n"},
                     20261212);
  EXPECT_GT(with_matches, 10000);
}

TEST(DeclarationScans, PhpDeclarationsAgreeWithThePattern) {
  static const Regex kPlain(
      R"re((?:function\s+([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|interface\s+([A-Za-z_]\w*)|trait\s+([A-Za-z_]\w*)))re");
  const int with_matches = agreeing_texts(
      kPlain, for_each_php_declaration,
      {"function", "function ", "class", "class ", "interface", "interface ", "trait", "trait ",
       "functio", "classfunction ", "Trait ", "inter", "face ", "$this", "\\"},
      20261213);
  EXPECT_GT(with_matches, 10000);
}

}  // namespace
}  // namespace graph_builder::text
