#include "graph_builder/symbols/symbols.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_php_internal.hpp"
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

using Row = test_support::Want;
using test_support::summarize;
using testing::compare_on_random_texts;

struct Case {
  const char* label;
  std::string content;
  std::vector<Row> expected;
};

TEST(LangPhp, LinesAndBlockEnds) {
  const std::vector<Case> cases = {
      {"empty", "", {}},
      // A function at column 0 is matched from the line break above it, and the
      // brace count starts there.
      {"top-level functions",
       "<?php\nfunction first() {\n    return 1;\n}\nfunction second() {\n    return 2;\n}\n",
       {{"first", "use_case", 0, 3, true}, {"second", "use_case", 3, 4, true}}},
      {"keyword at the very start is not matched", "function f() {\n}\n", {}},
      {"indented method and its class",
       "<?php\nclass A {\n    public function bar() {\n        return 1;\n    }\n}\n",
       {{"bar", "use_case", 2, 4, true}, {"A", "model", 1, 5, true}}},
      // A body-less declaration runs to where the next braced block closes.
      {"abstract method ends with the next body",
       "<?php\nabstract class B {\n    abstract public function a();\n    public function b() {\n"
       "        return 1;\n    }\n}\n",
       {{"a", "use_case", 2, 5, true}, {"b", "use_case", 3, 5, true}, {"B", "model", 1, 6, true}}},
      {"escaped braces do not count",
       "<?php\n  function f() {\n  $re = '\\{';\n  }\n",
       {{"f", "use_case", 1, 3, true}}},
      {"anonymous functions are not recorded",
       "<?php\n$f = function () {};\n$g = static function () {};\n",
       {}},
      {"comments are searched like code",
       "<?php\n// the function that formats\n// this class handles it\n$x = Foo::class;\n",
       {{"that", "use_case", 1, 3, true}, {"handles", "model", 2, 3, true}}},
      {"a function wins over a class of the same name; a class is recorded once",
       "<?php\nclass Tool {}\ninterface Tool {}\nfunction Tool() {}\n",
       {{"Tool", "use_case", 2, 2, true}}},
      {"class keyword inside a longer word",
       "<?php\n$subclass Item = 1;\n",
       {{"Item", "model", 1, 1, true}}},
      {"traits and enums",
       "<?php\ntrait T {}\nenum Role: string {}\n",
       {{"T", "model", 1, 1, true}, {"Role", "model", 2, 2, true}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(summarize(extract_symbols_php(c.content, "src/x.php")), c.expected) << c.label;
  }
}

TEST(LangPhp, WithoutAClosingLineTheBlockEndsAHundredLinesOnClampedToTheFile) {
  std::string text = "<?php\nfunction f();\n";
  for (int i = 0; i < 200; ++i) text += "x\n";
  text += "function g();\n";
  for (int i = 0; i < 30; ++i) text += "y\n";
  EXPECT_EQ(summarize(extract_symbols_php(text, "a.php")),
            (std::vector<Row>{{"f", "use_case", 0, 100, true}, {"g", "use_case", 201, 232, true}}));
}

TEST(LangPhp, BraceScanCoversFourHundredLinesFromTheMatchLine) {
  // The match starts on line 0; the closing brace stands on line 2 + gap.
  auto text_with_gap = [](int gap) {
    std::string text = "<?php\nfunction f() {\n";
    for (int i = 0; i < gap; ++i) text += "x\n";
    return text + "}\n";
  };
  EXPECT_EQ(summarize(extract_symbols_php(text_with_gap(397), "a.php")),
            (std::vector<Row>{{"f", "use_case", 0, 399, true}}));
  EXPECT_EQ(summarize(extract_symbols_php(text_with_gap(398), "a.php")),
            (std::vector<Row>{{"f", "use_case", 0, 100, true}}));
}

TEST(LangPhp, ExportedUnlessPrivateOrProtectedStandsBeforeTheKeyword) {
  struct Form {
    const char* declaration;  // one line inside a class body
    bool exported;
  };
  const std::vector<Form> forms = {
      {"function noVisibility() {}", true},
      {"public function pub() {}", true},
      {"public static function pubStatic() {}", true},
      {"final public function finalPublic() {}", true},
      {"abstract public function abstractPublic();", true},
      {"static function bareStatic() {}", true},
      {"private function priv() {}", false},
      {"protected function prot() {}", false},
      {"protected static function protStatic() {}", false},
      {"static private function staticPrivate() {}", false},
      {"final protected function finalProt() {}", false},
      {"abstract protected function absProt();", false},
      {"private\n    function privateAbove() {}", false},
      {"private /* c */ function commentBetween() {}", true},
      {"private $x; public function afterField() {}", true},
      {"private $x; function afterFieldNoVisibility() {}", true},
      {"/* private */ public function afterComment() {}", true},
      {"#[Access('private')] public function afterAttribute() {}", true},
      {"notprivate function wordBefore() {}", true},
      {"\xC3\xA9private function unicodeWordBefore() {}", true},
      // The walk does not know about comments: "private" still stands before it.
      {"// the private function formatter", false},
      {"// a function helper", true},
  };
  for (const Form& f : forms) {
    const std::string text = std::string("<?php\nclass K {\n    ") + f.declaration + "\n}\n";
    const auto syms = extract_symbols_php(text, "k.php");
    ASSERT_GE(syms.size(), 2U) << f.declaration;
    EXPECT_EQ(syms[0].exported, f.exported) << f.declaration;
    EXPECT_EQ(syms.back().name, "K");
    EXPECT_TRUE(syms.back().exported);
  }
}

TEST(LangPhp, TopLevelFunctionRecordCarriesIdAndHash) {
  const std::string text = "<?php\n\nfunction send_mail($to) {\n  return $to;\n}\n";
  const auto syms = extract_symbols_php(text, "src/mail.php");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].id, "src/mail.php::send_mail");
  EXPECT_EQ(syms[0].confidence, "high");
  EXPECT_EQ(syms[0].line_start, 1);
  EXPECT_EQ(syms[0].line_end, 4);
  EXPECT_EQ(syms[0].body_hash, body_hash(text::split_lines_lf(text), 1, 4));
}

// The hand-written function scan must give exactly the plain pattern's
// matches: the match, the name, and the keyword (the first "function" of the
// match) as group 2.
std::vector<regex::Spans> plain_function_matches(std::string_view t) {
  static const regex::Regex kFunction(
      R"((?:public|private|protected|\s)(?:static\s+)?function\s+([A-Za-z_]\w*))");
  std::vector<regex::Spans> out;
  kFunction.for_each(t, [&](const regex::Match& m) {
    const std::size_t name_end = m.group_start(1) + m.group(1).size();
    EXPECT_EQ(m.end(), name_end);
    regex::Spans spans = m.spans();
    const std::size_t keyword = m.start() + m.text().find("function");
    spans.groups[1] = {keyword, keyword + 8};
    out.push_back(spans);
    return true;
  });
  return out;
}

TEST(LangPhp, FunctionScanAgreesWithThePatternOnRandomInputs) {
  // The keyword and the words around it whole and in pieces, upper case,
  // white space of one to three bytes, name characters (a non-ASCII letter, a
  // combining mark, a digit) and punctuation.
  const std::vector<std::string> pieces = {
      "function",
      "function",
      "function",
      " function ",
      " function\t",
      "func",
      "tion",
      "Function",
      "static",
      "static",
      "stat",
      "static ",
      "public",
      "private",
      "protected",
      "priv",
      "ate",
      "pro",
      "PUBLIC",
      " ",
      " ",
      " ",
      "\n",
      "\n",
      "\t",
      "a",
      "b",
      "_",
      "x1",
      "1",
      "(",
      "$",
      ";",
      "{",
      "/",
      "@",
      "\"",
      "\xC3\xA9",      // é
      "\xCC\x81",      // combining acute accent
      "\xC2\xA0",      // no-break space
      "\xE3\x80\x80",  // ideographic space
      "\xE2\x80\xA8",  // line separator
      "\x0C",
  };
  compare_on_random_texts({.seed = 8086, .count = 200000, .with_results_above = 10000},
                          testing::texts_of(pieces, {0, 14}), plain_function_matches,
                          php_internal::function_matches);
}

TEST(LangPhp, FunctionScanAgreesWithThePatternOnNearMissDeclarations) {
  // Declarations shaped like the pattern, each slot sometimes filled with
  // what breaks it, several to a text so that matches meet and overlap.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", " ", "\n", "x", "public", "\xC2\xA0", "function"},
      {"", "public", "private", "protected", "\t", "static", "publicstatic", "\xC3\xA9"},
      {"", "", " ", "  ", "\n", "\xE3\x80\x80", "x"},
      {"", "static", "static", "Static", "staticstatic", "function"},
      {"", " ", " ", "\n\t", "\xC2\xA0"},
      {"function", "function", "function", "functio", "functions"},
      {" ", " ", "", "\n  ", "\xE2\x80\xA8"},
      {"f", "_g", "run1", "1x", "\xC3\xA9", "a\xCC\x81", "function", "static", ""},
      {"", "(", " (", "()",
       "\xC3\xA9"
       "b"},
  };
  compare_on_random_texts({.seed = 31337, .count = 100000, .with_results_above = 30000},
                          testing::shapes_of(slots, {1, 3}), plain_function_matches,
                          php_internal::function_matches);
}

TEST(LangPhp, TypeSearchAgreesWithThePatternOnRandomInputs) {
  static const regex::Regex kPlainType(R"((?:class|interface|trait|enum)\s+([A-Za-z_]\w*))");
  // The keywords whole, cut, inside longer words and back to back, names
  // that are keywords themselves, white space of one to three bytes, and
  // non-ASCII and digit first letters.
  const std::vector<std::string> pieces = {
      "class",
      "class",
      "interface",
      "trait",
      "enum",
      "enum",
      "clas",
      "subclass",
      "enums",
      "Class",
      "inter",
      "face",
      " ",
      " ",
      " ",
      "\n",
      "\t",
      "\xC2\xA0",
      "\xE3\x80\x80",
      "\xE2\x80\xA8",
      "A",
      "b",
      "_",
      "1",
      "\xC3\xA9",
      "\xCC\x81",
      ":",
      "{",
      "$",
      "/",
      "*",
  };
  compare_on_random_texts(
      {.seed = 640, .count = 200000, .with_results_above = 10000},
      testing::texts_of(pieces, {0, 16}),
      [](std::string_view t) { return testing::plain_matches(kPlainType, t); },
      [](std::string_view t) {
        return testing::spans_found([&](auto visit) { php_internal::for_each_type(t, visit); });
      });
}

TEST(LangPhp, TypeSearchStopsWhenTheCallerSaysSo) {
  std::vector<std::string> names;
  php_internal::for_each_type("class A {}\ntrait B {}\nenum C {}\n", [&](const regex::Match& m) {
    names.emplace_back(m.group(1));
    return names.size() < 2;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B"}));
}

}  // namespace
}  // namespace graph_builder::symbols
