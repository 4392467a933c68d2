// Identifier splitting and the keyword admission rule (text/keywords.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {
namespace {

using Words = std::vector<std::string>;

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

// The camel split as two substitutions, a white-space split, the length rule
// and lower-casing.
Words split_camel_by_patterns(std::string_view name) {
  static const regex::Regex kLowerUpper("([a-z0-9])([A-Z])");
  static const regex::Regex kCapitalRun("([A-Z]+)([A-Z][a-z])");
  const std::string spaced =
      kCapitalRun.replace_all(kLowerUpper.replace_all(name, "\\1 \\2"), "\\1 \\2");
  Words out;
  for (std::string_view piece : split_whitespace(spaced)) {
    if (length(piece) >= 3) out.push_back(to_lower(piece));
  }
  return out;
}

// The admission rule with a plain set, for comparison with KeywordList.
struct ReferenceList {
  Words tokens;
  std::unordered_set<std::string> seen;
  void add(std::string_view word) {
    const std::string w = to_lower(word);
    const std::string_view stripped = strip_chars(w, "_");
    if (length(stripped) < 3) return;
    if (seen.insert(std::string(stripped)).second) tokens.emplace_back(stripped);
  }
};

Words name_keywords_by_rule(std::string_view name) {
  ReferenceList list;
  list.add(name);
  for (const std::string& p : split_camel_by_patterns(name)) list.add(p);
  std::size_t start = 0;
  while (true) {
    const std::size_t us = name.find('_', start);
    list.add(
        name.substr(start, us == std::string_view::npos ? std::string_view::npos : us - start));
    if (us == std::string_view::npos) break;
    start = us + 1;
  }
  if (list.tokens.size() > 10) list.tokens.resize(10);
  return list.tokens;
}

// Letters of both cases, digits, underscores and hyphens, ASCII and
// multi-byte white space, and non-ASCII letters whose lower case differs in
// length (U+0130), depends on context (final sigma) or is a caseless twin of
// an ASCII letter (U+017F, U+212A).
const std::vector<std::string> kNamePieces = {
    "a",
    "b",
    "z",
    "x",
    "A",
    "B",
    "Z",
    "X",
    "0",
    "9",
    "_",
    "-",
    "ab",
    "AB",
    "Ab",
    "aB",
    "HTML",
    "Parser",
    "load",
    "XML",
    "json2",
    " ",
    "\t",
    "\n",
    "\xC2\xA0",      // no-break space
    "\xE3\x80\x80",  // ideographic space
    "\xC3\xA9",      // é
    "\xC3\x89",      // É
    "\xC4\xB0",      // İ
    "\xCE\xA3",      // Σ
    "\xC5\xBF",      // ſ
    "\xE2\x84\xAA",  // Kelvin sign
};

std::string random_name(std::mt19937& rng) {
  std::uniform_int_distribution<std::size_t> pick(0, kNamePieces.size() - 1);
  std::string t;
  for (int n = std::uniform_int_distribution<int>(0, 10)(rng); n > 0; --n) {
    t += kNamePieces[pick(rng)];
  }
  return t;
}

TEST(Identifiers, SplitCamelAndNameKeywords) {
  const struct {
    const char* name;
    Words split;
    Words keywords;
  } cases[] = {
      {"loadXMLDocument",
       {"load", "xml", "document"},
       {"loadxmldocument", "load", "xml", "document"}},
      {"parseJSON2XML", {"parse", "json2", "xml"}, {"parsejson2xml", "parse", "json2", "xml"}},
      {"HTMLParser", {"html", "parser"}, {"htmlparser", "html", "parser"}},
      {"my_var_name", {"my_var_name"}, {"my_var_name", "var", "name"}},
      {"_private_cache", {"_private_cache"}, {"private_cache", "private", "cache"}},
      {"MAX_FILE_BYTES", {"max_file_bytes"}, {"max_file_bytes", "max", "file", "bytes"}},
      {"__init__", {"__init__"}, {"init"}},
      {"IO", {}, {}},
      {"userUser", {"user", "user"}, {"useruser", "user"}},
      {"ImplV2", {"impl"}, {"implv2", "impl"}},
      {"a_b_c", {"a_b_c"}, {"a_b_c"}},
      {"\xC3\x89T\xC3\x89Value", {"\xC3\xA9t\xC3\xA9value"}, {"\xC3\xA9t\xC3\xA9value"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_camel(c.name), c.split) << c.name;
    EXPECT_EQ(name_keywords(c.name), c.keywords) << c.name;
  }
}

TEST(Identifiers, NameKeywordsStopAtTenWithTheWholeNameFirst) {
  const Words got = name_keywords("OneTwoSixTenAbcDefGhiJklMnoPqrStu");
  ASSERT_EQ(got.size(), 10U);
  EXPECT_EQ(got.front(), "onetwosixtenabcdefghijklmnopqrstu");
  EXPECT_EQ(got.back(), "mno");
}

TEST(Identifiers, SplitCamelAgreesWithTheSubstitutionsOnRandomNames) {
  std::mt19937 rng(20240614);
  int with_words = 0;
  for (int i = 0; i < 200000; ++i) {
    const std::string name = random_name(rng);
    const Words expected = split_camel_by_patterns(name);
    if (expected.size() >= 2) ++with_words;
    ASSERT_EQ(split_camel(name), expected) << "name: \"" << escaped(name) << "\"";
    ASSERT_EQ(name_keywords(name), name_keywords_by_rule(name))
        << "name: \"" << escaped(name) << "\"";
  }
  EXPECT_GT(with_words, 20000);
}

TEST(Identifiers, KeywordListAdmitsLikeASetOnLongRandomSequences) {
  // Long enough sequences to pass from the linear search to the hash index
  // and to grow it, over words that often repeat up to case and underscores.
  std::mt19937 rng(99);
  const std::vector<std::string> parts = {"ab", "AB",       "c",        "_",        "__",
                                          "x",  "\xC4\xB0", "\xCE\xA3", "\xC5\xBF", "0"};
  std::uniform_int_distribution<std::size_t> pick(0, parts.size() - 1);
  std::size_t longest = 0;
  for (int round = 0; round < 300; ++round) {
    // Caps below, around and above the list lengths reached.
    const auto cap = static_cast<std::size_t>(round % 160);
    KeywordList list(cap);
    ReferenceList reference;
    const int words = std::uniform_int_distribution<int>(0, 400)(rng);
    for (int w = 0; w < words; ++w) {
      std::string word;
      for (int n = std::uniform_int_distribution<int>(1, 4)(rng); n > 0; --n) {
        word += parts[pick(rng)];
      }
      const std::size_t before = reference.tokens.size();
      reference.add(word);
      ASSERT_EQ(list.add(word), reference.tokens.size() > before) << escaped(word);
      ASSERT_EQ(list.full(), reference.tokens.size() >= cap);
    }
    ASSERT_EQ(list.tokens(), reference.tokens);
    const std::size_t kept = std::min(cap, reference.tokens.size());
    EXPECT_EQ(list.take(), Words(reference.tokens.begin(),
                                 reference.tokens.begin() + static_cast<std::ptrdiff_t>(kept)));
    longest = std::max(longest, reference.tokens.size());
  }
  EXPECT_GT(longest, 100U);
}

}  // namespace
}  // namespace graph_builder::text
