// Searching only where a leading word occurs must give exactly the plain
// search's matches; compared over many random texts built from those words
// and the characters around them.

#include "graph_builder/regex/literals.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "support/differential.hpp"

namespace graph_builder::regex {
namespace {

using Found = std::vector<std::tuple<std::size_t, std::size_t, std::string>>;
using testing::compare_on_random_texts;

// The leading words, cut and glued, names, white space of one and several
// bytes, line feeds and punctuation.
const testing::Pieces kPieces = {
    "class",        "interface", "enum",       "fun",     "record",   "struct",
    "union",        "namespace", "function",   "trait",   "data",     "export",
    "async",        "expo",      "cla",        "enu",     "x",        "Foo",
    "_b1",          "9",         " ",          " ",       "\t",       "\n",
    "\n\n",         "(",         "{",          ".",       "\xC3\xA9", "\xC2\xA0",
    "\xE3\x80\x80", "\x1c",      "classclass", "subclass"};

std::string groups(const Match& m) {
  return std::string(m.group(1)) + "|" + std::string(m.group(2));
}

TEST(RegexLiterals, SearchAtLeadingWordsEqualsPlainSearch) {
  struct Case {
    const char* pattern;
    Flags flags;
    std::initializer_list<std::string_view> literals;
  };
  const Case cases[] = {
      {R"((?:class|interface|enum|fun|record)\s+([A-Za-z_]\w*))",
       Flags::none,
       {"class", "interface", "enum", "fun", "record"}},
      {R"((?:class|interface|enum|struct|record)\s+([A-Za-z_]\w*))",
       Flags::none,
       {"class", "interface", "enum", "struct", "record"}},
      {R"((?:function|class|interface|trait)\s+([A-Za-z_]\w*))",
       Flags::none,
       {"function", "class", "interface", "trait"}},
      {R"(^(?:class|struct|enum|union|namespace)\s+([A-Za-z_]\w*))",
       Flags::multiline,
       {"class", "struct", "enum", "union", "namespace"}},
      // Optional leading words, two alternatives.
      {R"((?:export\s+)?(?:async\s+)?function\s+([A-Za-z_]\w*)|)"
       R"((?:export\s+)?class\s+([A-Za-z_]\w*))",
       Flags::multiline,
       {"export", "async", "function", "class"}},
      // Literals that begin alike and a match that may span several words.
      {R"((?:data\s+class|data|enum\s+class|enum)\s+([A-Za-z_]\w*))",
       Flags::none,
       {"data", "enum"}},
  };
  std::uint32_t seed = 20261208;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    const Regex plain(c.pattern, c.flags);
    const Regex anchored("\\G(?:" + std::string(c.pattern) + ")", c.flags);
    auto found = [](auto&& search) {
      Found out;
      search([&](const Match& m) {
        out.emplace_back(m.start(), m.end(), groups(m));
        return true;
      });
      return out;
    };
    compare_on_random_texts(
        {.seed = seed++, .count = 20000, .with_results_above = 500},
        testing::texts_of(kPieces, {0, 30}),
        [&](std::string_view t) { return found([&](auto visit) { plain.for_each(t, visit); }); },
        [&](std::string_view t) {
          return found([&](auto visit) { for_each_at_literals(t, c.literals, anchored, visit); });
        });
  }
}

TEST(RegexLiterals, StopsWhenTheVisitorSaysSo) {
  const Regex anchored(R"(\G(?:class|enum)\s+(\w+))");
  std::vector<std::string> names;
  for_each_at_literals("enum A class B enum C", {"class", "enum"}, anchored, [&](const Match& m) {
    names.emplace_back(m.group(1));
    return names.size() < 2;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B"}));
}

}  // namespace
}  // namespace graph_builder::regex
