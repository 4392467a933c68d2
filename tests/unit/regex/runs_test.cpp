// The run-wise and before-a-character searches must give exactly the plain
// search's matches; compared over many random texts built from the pieces
// those patterns care about.

#include "graph_builder/regex/runs.hpp"

#include <gtest/gtest.h>

#include "graph_builder/text/unicode.hpp"
#include "support/differential.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace graph_builder::regex {
namespace {

using testing::compare_on_random_texts;
using testing::texts_of;

using Found = std::vector<std::tuple<std::size_t, std::size_t, std::string>>;

template <class Search>
Found collect(Search&& search) {
  Found out;
  search([&](const Match& m) {
    out.emplace_back(m.start(), m.end(), std::string(m.group(1)));
    return true;
  });
  return out;
}

// Modifiers, type keywords, names, white space of one and several bytes,
// line feeds and the punctuation around declarations.
const testing::Pieces kPieces = {"public",
                                 "private",
                                 "protected",
                                 "static",
                                 "final",
                                 "class",
                                 "interface",
                                 "record",
                                 "enum",
                                 "if",
                                 "return",
                                 "int",
                                 "List<String>",
                                 "x",
                                 "foo",
                                 "Bar",
                                 "_t",
                                 " ",
                                 " ",
                                 "  ",
                                 "\n",
                                 "\n\n",
                                 "\t",
                                 "(",
                                 "(",
                                 ")",
                                 ";",
                                 "{",
                                 "<",
                                 ">",
                                 "[]",
                                 "\xC3\xA9",
                                 "\x1c",
                                 "1",
                                 "publicclass",
                                 ".",
                                 "\xC2\xA0",
                                 "\xE3\x80\x80",
                                 "subclass",
                                 "finalinterface"};

bool method_char(unsigned char c) {
  return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '<' || c == '>' || c == '[' || c == ']' || (c >= 0x09 && c <= 0x0D) ||
         (c >= 0x1C && c <= 0x20);
}

TEST(RegexRuns, RunWiseSearchEqualsPlainSearch) {
  const Regex full(
      R"((?:public|private|protected|static|final|\s)+(?:class|interface|enum|record)\s+([A-Za-z_]\w*))");
  const Regex run(R"((?:public|private|protected|static|final|\s)++)");
  const Regex tail(R"(\G(?:class|interface|enum|record)\s+([A-Za-z_]\w*))");
  compare_on_random_texts(
      {.seed = 20261208, .count = 20000, .with_results_above = 1000}, texts_of(kPieces, {0, 40}),
      [&](std::string_view t) { return collect([&](auto fn) { full.for_each(t, fn); }); },
      [&](std::string_view t) {
        return collect([&](auto fn) { for_each_by_runs(t, run, tail, full, fn); });
      });
}

TEST(RegexRuns, BackwardRunFromEachKeywordEqualsPlainSearch) {
  struct Shape {
    const char* full;
    const char* keyword;
    const char* tail;
    std::initializer_list<std::string_view> words;
  };
  const Shape shapes[] = {
      {R"((?:public|private|protected|static|final|\s)+(?:class|interface|enum|record)\s+([A-Za-z_]\w*))",
       R"(class|interface|enum|record)",
       R"(\G(?:class|interface|enum|record)\s+([A-Za-z_]\w*))",
       {"public", "private", "protected", "static", "final"}},
      {R"((?:public|private|protected|\s)+(?:class|interface|enum|record|object|data\s+class|sealed\s+class|abstract\s+class|@interface)\s+([A-Za-z_]\w*))",
       R"(class|interface|enum|record|object|data|sealed|abstract|@interface)",
       R"(\G(?:class|interface|enum|record|object|data\s+class|sealed\s+class|abstract\s+class|@interface)\s+([A-Za-z_]\w*))",
       {"public", "private", "protected"}},
  };
  std::uint32_t seed = 99;
  for (const Shape& shape : shapes) {
    const Regex full(shape.full);
    const Regex keyword(shape.keyword);
    const Regex tail(shape.tail);
    compare_on_random_texts(
        {.seed = seed++, .count = 20000, .with_results_above = 1000},
        [](testing::RandomText& random) {
          std::string t = random.text(kPieces, {0, 40});
          // Sprinkle the second shape's keywords and non-ASCII white space too.
          if (random.one_in(3)) t += " sealed  class\xC2\xA0Q data\nclass R @interface S";
          return t;
        },
        [&](std::string_view t) { return collect([&](auto fn) { full.for_each(t, fn); }); },
        [&](std::string_view t) {
          return collect([&](auto fn) {
            for_each_by_keywords(t, shape.words, text::is_space, keyword, tail, full, fn);
          });
        });
  }
}

TEST(RegexRuns, SearchBeforeEachCharacterEqualsPlainSearch) {
  const Regex full(
      R"((?:public|private|protected|static|final|\s)+(?!class|if|for|while|return)\w[\w<>\[\]]*\s+([A-Za-z_]\w*)\s*\()");
  compare_on_random_texts(
      {.seed = 7, .count = 20000, .with_results_above = 1000}, texts_of(kPieces, {0, 40}),
      [&](std::string_view t) { return collect([&](auto fn) { full.for_each(t, fn); }); },
      [&](std::string_view t) {
        return collect([&](auto fn) { for_each_before(t, '(', full, method_char, fn); });
      });
}

// Texts of import statements: keywords, dotted names, and white space of every
// kind around line feeds (NEL and U+3000 are white space, U+2028 is not).
const testing::Pieces kImportPieces = {"import",
                                       "import",
                                       "from",
                                       "from",
                                       "imp",
                                       "ort",
                                       "fro",
                                       "m",
                                       "os",
                                       "a.b",
                                       "_x9",
                                       ".",
                                       ".",
                                       "é",
                                       "#",
                                       "'",
                                       "(",
                                       ",",
                                       "reimport",
                                       " ",
                                       " ",
                                       "  ",
                                       "\t",
                                       "\n",
                                       "\n",
                                       "\n\n",
                                       "\r",
                                       "\x1c",
                                       "\xC2\xA0",
                                       "\xC2\x85",
                                       "\xE3\x80\x80",
                                       "\xE2\x80\xA8",
                                       "\n import",
                                       "\nfrom ",
                                       "\nimport os",
                                       "\nfrom a import ",
                                       "from .m import x\n",
                                       " import\n",
                                       "\n\t",
                                       "class",
                                       "struct",
                                       "union",
                                       "namespace",
                                       "enum",
                                       "enum class ",
                                       "\nstruct ",
                                       "X_API ",
                                       "MY_API",
                                       "_API",
                                       "union_",
                                       "subclass",
                                       "Q"};

TEST(RegexRuns, SearchFromEachKeywordToItsLineStartEqualsPlainSearch) {
  struct Shape {
    const char* full;
    const char* keyword;
    const char* tail;
  };
  const Shape shapes[] = {
      {R"(^\s*import\s+([a-zA-Z0-9_\.]+))", "import", R"(\Gimport\s+([a-zA-Z0-9_\.]+))"},
      {R"(^\s*from\s+([a-zA-Z0-9_\.]+)\s+import\s+)", "from",
       R"(\Gfrom\s+([a-zA-Z0-9_\.]+)\s+import\s+)"},
  };
  std::uint32_t seed = 31337;
  for (const Shape& shape : shapes) {
    const Regex full(shape.full, Flags::multiline);
    const Regex tail(shape.tail);
    std::size_t with_several = 0;
    compare_on_random_texts(
        {.seed = seed++, .count = 60000, .with_results_above = 15000},
        texts_of(kImportPieces, {0, 30}),
        [&](std::string_view t) {
          Found plain = collect([&](auto fn) { full.for_each(t, fn); });
          with_several += plain.size() > 1;
          return plain;
        },
        [&](std::string_view t) {
          return collect([&](auto fn) {
            for_each_from_line_start(t, shape.keyword, text::is_space, tail, full, fn);
          });
        });
    EXPECT_GT(with_several, 3000U) << shape.full;
  }
}

TEST(RegexRuns, SearchFromEachOfSeveralKeywordsToItsLineStartEqualsPlainSearch) {
  const Regex full(
      R"(^\s*(?:class|struct|union|namespace)\s+(?:\w+_API\s+)?([A-Za-z_]\w*)|^\s*enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*))",
      Flags::multiline);
  const Regex tail(
      R"(\G(?:(?:class|struct|union|namespace)\s+(?:\w+_API\s+)?([A-Za-z_]\w*)|enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*)))");
  const WordFinder words{"class", "struct", "union", "namespace", "enum"};
  // Both groups, since either alternative may match.
  auto both = [](auto&& search) {
    std::vector<std::tuple<std::size_t, std::size_t, std::string, std::string>> out;
    search([&](const Match& m) {
      out.emplace_back(m.start(), m.end(), std::string(m.group(1)), std::string(m.group(2)));
      return true;
    });
    return out;
  };
  std::size_t with_several = 0;
  std::size_t with_enum = 0;
  compare_on_random_texts(
      {.seed = 2718, .count = 60000, .with_results_above = 8000}, texts_of(kImportPieces, {0, 30}),
      [&](std::string_view t) {
        const auto plain = both([&](auto fn) { full.for_each(t, fn); });
        with_several += plain.size() > 1;
        for (const auto& match : plain) with_enum += !std::get<3>(match).empty();
        return plain;
      },
      [&](std::string_view t) {
        return both([&](auto fn) {
          for_each_from_line_start_found(
              t, [&](std::size_t from) { return words.find(t, from); }, text::is_space,
              [&](std::size_t at) { return tail.search(t, at).has_value(); }, full, fn);
        });
      });
  EXPECT_GT(with_several, 1500U);
  EXPECT_GT(with_enum, 1500U);
}

// An alphabet where the words, their prefixes and their overlaps
// ("@interface" holds "interface") are frequent.
const testing::Pieces kWordPieces = {
    "class", "interface", "enum", "record",   "object", "data", "sealed", "abstract", "@interface",
    "@",     "cl",        "cla",  "in",       "int",    "en",   "re",     "rec",      "ob",
    "da",    "dat",       "se",   "sea",      "ab",     "abs",  "a",      "s",        "e",
    "c",     "l",         "i",    "\xC3\xA9", " ",      "\n"};

// (offset, find(offset)) for each offset of `t` a search may start from:
// every character boundary and the end.
template <class Find>
auto from_each_start(std::string_view t, Find&& find) {
  std::vector<std::pair<std::size_t, decltype(find(std::size_t{0}))>> out;
  for (std::size_t from = 0; from <= t.size(); ++from) {
    if (from == t.size() || (static_cast<unsigned char>(t[from]) & 0xC0) != 0x80) {
      out.emplace_back(from, find(from));
    }
  }
  return out;
}

TEST(RegexRuns, WordFinderFindsWhereTheAlternationStarts) {
  struct Set {
    const char* alternation;
    std::initializer_list<std::string_view> words;
  };
  const Set sets[] = {
      {"class|interface|enum|record|object|data|sealed|abstract|@interface",
       {"class", "interface", "enum", "record", "object", "data", "sealed", "abstract",
        "@interface"}},
      // Words sharing leading bytes, one inside another.
      {"abs|absa|sea|seal|eae|cla", {"abs", "absa", "sea", "seal", "eae", "cla"}},
  };
  std::uint32_t seed = 4242;
  for (const Set& set : sets) {
    const Regex alternation(set.alternation);
    const WordFinder finder(set.words);
    std::size_t found = 0;
    // From every start offset: the searches begin after earlier keywords.
    compare_on_random_texts(
        {.seed = seed++, .count = 30000}, texts_of(kWordPieces, {0, 20}),
        [&](std::string_view t) {
          return from_each_start(t, [&](std::size_t from) {
            const std::optional<Match> m = alternation.search(t, from);
            found += m.has_value();
            return m ? m->start() : std::string_view::npos;
          });
        },
        [&](std::string_view t) {
          return from_each_start(t, [&](std::size_t from) { return finder.find(t, from); });
        });
    EXPECT_GT(found, 100000U) << set.alternation;
  }
}

TEST(RegexRuns, LineStartSpaceRunIsTheFirstMatchOfThePattern) {
  const Regex run(R"(^\s+)", Flags::multiline);
  using Run = std::optional<std::pair<std::size_t, std::size_t>>;
  std::size_t found = 0;
  compare_on_random_texts(
      {.seed = 515, .count = 30000}, texts_of(kImportPieces, {0, 30}),
      [&](std::string_view t) {
        return from_each_start(t, [&](std::size_t from) -> Run {
          const std::optional<Match> m = run.search(t, from);
          if (!m) return std::nullopt;
          ++found;
          return std::pair{m->start(), m->end()};
        });
      },
      [&](std::string_view t) {
        return from_each_start(t, [&](std::size_t from) {
          return find_line_start_space_run(t, from, text::is_space);
        });
      });
  EXPECT_GT(found, 100000U);
}

}  // namespace
}  // namespace graph_builder::regex
