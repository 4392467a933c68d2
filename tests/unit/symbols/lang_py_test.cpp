#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_py_internal.hpp"
#include "graph_builder/symbols/line_starts_internal.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "support/differential.hpp"
#include "support/match_offsets.hpp"

namespace graph_builder::symbols {
namespace {

// The parts of a record a table row states (confidence is always "high").
struct Row {
  std::string name;
  std::string type;
  bool exported;
  std::int64_t start;
  std::int64_t end;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.name << ", " << r.type << ", " << (r.exported ? "exported" : "private")
            << ", " << r.start << ".." << r.end << "}";
}

std::vector<Row> rows(std::string_view content) {
  std::vector<Row> out;
  for (const Symbol& s : extract_symbols_py(content, "app/x.py")) {
    EXPECT_EQ(s.confidence, "high") << s.name;
    out.push_back({s.name, s.symbol_type, s.exported, s.line_start, s.line_end});
  }
  return out;
}

TEST(ExtractSymbolsPy, WhichDeclarationsAreSymbols) {
  struct Case {
    std::string_view text;
    std::vector<Row> want;
  };
  const std::vector<Case> cases = {
      {"def _private():\n    pass\n", {}},
      {"def __init__(self):\n    pass\n", {}},
      {"def test_login():\n    pass\n", {}},
      {"def Test_login():\n    pass\n", {{"Test_login", "use_case", true, 0, 1}}},
      {"def testing():\n    pass\n", {{"testing", "use_case", true, 0, 1}}},
      {"x = 1\nasync def handler():\n    pass\n", {{"handler", "use_case", true, 1, 2}}},
      {"class _Cache:\n    pass\n", {{"_Cache", "model", false, 0, 1}}},
      {"class Foo(Base):\n    pass\n", {{"Foo", "model", true, 0, 1}}},
      {"class __Meta:\n    pass\n", {{"__Meta", "model", false, 0, 1}}},
      {"class A:\n    def method(self):\n        pass\n", {{"A", "model", true, 0, 2}}},
      {"if x:\n    def nested():\n        pass\n", {}},
      {" class Indented:\n    pass\n", {}},
      {"def\tspaced (a):\n    pass\n", {{"spaced", "use_case", true, 0, 1}}},
      {"define(x)\nclassify = 1\n", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rows(c.text), c.want) << c.text;
  }
}

TEST(ExtractSymbolsPy, RouteDecorators) {
  struct Case {
    std::string_view what;
    std::string_view text;
    std::string_view want_type;  // type of the function "items"
  };
  const std::vector<Case> cases = {
      {"directly above", "@router.post('/items')\ndef items():\n    pass\n", "api_route"},
      {"async def", "@app.get(\"/items\")\nasync def items(req):\n    pass\n", "api_route"},
      {"blueprint delete", "@blueprint.delete('/x')\ndef items():\n    pass\n", "api_route"},
      {"space before the arguments", "@app.put ('/x')\ndef items():\n    pass\n", "api_route"},
      {"one decorator between", "@router.get('/items')\n@requires_auth\ndef items():\n    pass\n",
       "api_route"},
      {"indented decorator between",
       "@router.get('/items')\n  @cache(60)\ndef items():\n    pass\n", "api_route"},
      {"two decorators between", "@router.get('/items')\n@a\n@b\ndef items():\n    pass\n",
       "use_case"},
      {"space after the closing parenthesis", "@router.get('/items') \ndef items():\n    pass\n",
       "use_case"},
      {"comment after the closing parenthesis",
       "@router.get('/items')  # list\ndef items():\n    pass\n", "use_case"},
      {"parenthesis inside the arguments", "@router.get(path('/items'))\ndef items():\n    pass\n",
       "use_case"},
      {"blank line before the def", "@router.get('/items')\n\ndef items():\n    pass\n",
       "use_case"},
      {"case is ignored", "@APP.GET('/x')\nDEF items():\n    pass\ndef items():\n    pass\n",
       "api_route"},
      {"method not in the list", "@app.options('/x')\ndef items():\n    pass\n", "use_case"},
      {"other object", "@api.get('/x')\ndef items():\n    pass\n", "use_case"},
      {"decorated method names a top-level function",
       "class V:\n    @app.get('/x')\n    def items(self):\n        pass\n\ndef items():\n    "
       "pass\n",
       "api_route"},
  };
  for (const Case& c : cases) {
    std::string type = "(none)";
    for (const Symbol& s : extract_symbols_py(c.text, "x.py")) {
      if (s.name == "items") type = s.symbol_type;
    }
    EXPECT_EQ(type, c.want_type) << c.what;
  }
}

TEST(ExtractSymbolsPy, BlockRanges) {
  const std::string text =
      "import os\n"                   // 0
      "\n"                            // 1
      "@app.get('/a')\n"              // 2
      "def first():\n"                // 3
      "    return 1\n"                // 4
      "\n"                            // 5
      "\n"                            // 6
      "def second(x):\n"              // 7
      "    if x:\n"                   // 8
      "        return 2\n"            // 9
      "# module comment\n"            // 10
      "    return 3\n"                // 11
      "\n"                            // 12
      "@decorator\n"                  // 13
      "class Model:\n"                // 14
      "    def method(self):\n"       // 15
      "        pass\n"                // 16
      "\n"                            // 17
      "def third():\n"                // 18
      "    pass\n"                    // 19
      "\n"                            // 20
      "if __name__ == '__main__':\n"  // 21
      "    third()\n"                 // 22
      "\n"                            // 23
      "def last(): return 4";         // 24: one-line def on the last line
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"first", "api_route", true, 3, 4},
                            {"second", "use_case", true, 7, 11},
                            {"third", "use_case", true, 18, 22},
                            {"last", "use_case", true, 24, 24},
                            {"Model", "model", true, 14, 16},
                        }));
}

TEST(ExtractSymbolsPy, FunctionsFirstThenClassesFirstNameWins) {
  const std::string text =
      "class Thing:\n"  // 0
      "    pass\n"      // 1
      "def Thing():\n"  // 2: recorded, the class of the same name is dropped
      "    pass\n"      // 3
      "def build():\n"  // 4
      "    pass\n"      // 5
      "def build():\n"  // 6: redeclaration dropped
      "    return 2\n"  // 7
      "class Alpha:\n"  // 8
      "    pass\n";     // 9
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"Thing", "use_case", true, 2, 3},
                            {"build", "use_case", true, 4, 5},
                            {"Alpha", "model", true, 8, 9},
                        }));
}

TEST(ExtractSymbolsPy, IdKeywordsAndBodyHash) {
  const auto syms =
      extract_symbols_py("def load_user_profile(uid):\n    return uid\n\n", "svc/users.py");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].id, "svc/users.py::load_user_profile");
  EXPECT_EQ(syms[0].keywords,
            (std::vector<std::string>{"load_user_profile", "load", "user", "profile"}));
  EXPECT_EQ(syms[0].body_hash, text::short_hash("def load_user_profile(uid):\n    return uid"));
}

TEST(ExtractSymbolsPy, CrLfInputGivesTheSameRangesAndHashes) {
  const std::string lf = "def a():\n    one()\n\n\nclass B:\n    x = 1\n    y = 2\n";
  std::string crlf;
  for (char ch : lf) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  const auto want = extract_symbols_py(lf, "f.py");
  ASSERT_EQ(want.size(), 2U);
  EXPECT_EQ(want[0].line_end, 1);
  EXPECT_EQ(want[1].line_start, 4);
  EXPECT_EQ(want[1].line_end, 6);
  EXPECT_EQ(extract_symbols_py(crlf, "f.py"), want);
}

TEST(ExtractSymbolsPy, FormFeedLinesAreBlankAndDoNotShiftLines) {
  const std::string text =
      "\"\"\"Tools\fand\u2028more.\"\"\"\n"  // 0: separators inside a line
      "def f():\n"                           // 1
      "    pass\n"                           // 2
      "\f\n"                                 // 3: blank
      "def g():\n"                           // 4
      "    pass\n";                          // 5
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"f", "use_case", true, 1, 2},
                            {"g", "use_case", true, 4, 5},
                        }));
}

TEST(ExtractSymbolsPy, NonAsciiNamesAndIndentation) {
  const std::string text =
      "# Géographie: 東京\n"  // 0
      "def grüße(名前):\n"    // 1
      "\u3000return 名前\n"   // 2: ideographic-space indentation
      "def Île():\n"          // 3: not a symbol (names begin with ASCII), still ends line 1's block
      "    pass\n"            // 4
      "class Straße:\n"       // 5
      "    pass\n";           // 6
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"grüße", "use_case", true, 1, 2},
                            {"Straße", "model", true, 5, 6},
                        }));
  const auto syms = extract_symbols_py(text, "geo.py");
  ASSERT_EQ(syms.size(), 2U);
  EXPECT_EQ(syms[1].keywords, (std::vector<std::string>{"straße"}));
}

TEST(ExtractSymbolsPy, EmptyAndUnmatchedTextGiveNothing) {
  EXPECT_TRUE(extract_symbols_py("", "f.py").empty());
  EXPECT_TRUE(extract_symbols_py("    def indented():\n        pass\n", "f.py").empty());
}

TEST(ExtractSymbolsPy, FirstColumnSearchesAgreeWithThePlainPatternsOnRandomInputs) {
  static const regex::Regex kPlainFunction(R"(^(?:async\s+)?def\s+([A-Za-z_]\w*)\s*\()",
                                           regex::Flags::multiline);
  static const regex::Regex kPlainClass(R"(^class\s+([A-Za-z_]\w*))", regex::Flags::multiline);
  // Definitions slot by slot, each slot sometimes filled with what breaks the
  // pattern (indentation, a cut or upper-case keyword, a digit or non-ASCII
  // first letter, no white space, no parenthesis), several to a text.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "", " ", "    ", "\n", "x", "\t", "\xC2\xA0", "#"},
      {"", "", "async ", "async\n", "async\xE3\x80\x80", "Async ", "asyncdef "},
      {"def ", "def ", "class ", "class ", "def", "class\t", "defs ", "Def ", "class\n", "de "},
      {"", "", " ", "\n"},
      {"load", "Foo", "_x", "1x", "\xC3\xA9", "a\xCC\x81", "A\xC3\xA9", "(", "", "def"},
      {"", "(", " (", "\n(", ":", "(Base):", "\xC2\xA0("},
      {"", "\n", "):\n    pass\n"},
  };
  // The same texts for both.
  {
    SCOPED_TRACE("def");
    testing::compare_on_random_texts(
        {.seed = 3000, .count = 150000, .with_results_above = 5000},
        testing::shapes_of(slots, {1, 4}),
        [](std::string_view t) { return testing::plain_matches(kPlainFunction, t); },
        [](std::string_view t) {
          return testing::spans_found(
              [&](auto visit) { py_internal::for_each_function(t, letter_lines(t), visit); });
        });
  }
  {
    SCOPED_TRACE("class");
    testing::compare_on_random_texts(
        {.seed = 3000, .count = 150000, .with_results_above = 5000},
        testing::shapes_of(slots, {1, 4}),
        [](std::string_view t) { return testing::plain_matches(kPlainClass, t); },
        [](std::string_view t) {
          return testing::spans_found(
              [&](auto visit) { py_internal::for_each_class(t, letter_lines(t), visit); });
        });
  }
}

}  // namespace
}  // namespace graph_builder::symbols
