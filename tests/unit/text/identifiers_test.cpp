// Identifier splitting and the keyword admission rule (text/keywords.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/differential.hpp"

namespace graph_builder::text {
namespace {

using Words = std::vector<std::string>;

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
const testing::Pieces kNamePieces = {
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
  // The same names for both.
  int with_words = 0;
  testing::compare_on_random_texts(
      {.seed = 20240614, .count = 200000}, testing::texts_of(kNamePieces, {0, 10}),
      [&](std::string_view name) {
        Words expected = split_camel_by_patterns(name);
        if (expected.size() >= 2) ++with_words;
        return expected;
      },
      split_camel);
  EXPECT_GT(with_words, 20000);
  testing::compare_on_random_texts({.seed = 20240614, .count = 200000},
                                   testing::texts_of(kNamePieces, {0, 10}), name_keywords_by_rule,
                                   name_keywords);
}

TEST(Identifiers, KeywordListAdmitsLikeASetOnLongRandomSequences) {
  // Long enough sequences to pass from the linear search to the hash index
  // and to grow it, over words that often repeat up to case and underscores.
  testing::RandomText random(99);
  const testing::Pieces parts = {"ab", "AB",       "c",        "_",        "__",
                                 "x",  "\xC4\xB0", "\xCE\xA3", "\xC5\xBF", "0"};
  std::size_t longest = 0;
  for (int round = 0; round < 300; ++round) {
    // Caps below, around and above the list lengths reached.
    const auto cap = static_cast<std::size_t>(round % 160);
    KeywordList list(cap);
    ReferenceList reference;
    for (std::size_t w = random.number(0, 400); w > 0; --w) {
      const std::string word = random.text(parts, {1, 4});
      const std::size_t before = reference.tokens.size();
      reference.add(word);
      ASSERT_EQ(list.add(word), reference.tokens.size() > before) << testing::escaped(word);
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
