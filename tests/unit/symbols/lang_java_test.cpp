#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_java_internal.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/differential.hpp"
#include "support/symbol_rows.hpp"

namespace graph_builder::symbols {
namespace {

using test_support::summarize;
using test_support::Want;

struct Case {
  const char* label;
  std::string content;
  std::vector<Want> want;
};

void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(summarize(extract_symbols_java(c.content, "A.java")), c.want) << c.label;
  }
}

std::string repeat(std::string_view piece, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += piece;
  return s;
}

TEST(LangJava, TypeLineIsWhereItsLeadingWhiteSpaceStarts) {
  check({
      {"empty text", "", {}},
      {"blank lines are absorbed up to the last non-blank line",
       "package a;\nimport b.C;\nimport d.E;\n\n\nclass Foo {\n}\n",
       {{"Foo", "model", 2, 6, false}}},
      {"directly below a non-blank line",
       "a;\nb;\nc;\nd;\ne;\nclass Foo {}\n",
       {{"Foo", "model", 4, 5, false}}},
      {"a modifier outside the class is not part of the match",
       "package a;\n\npublic final class Ledger {}\n",
       {{"Ledger", "model", 2, 2, false}}},
      {"Kotlin and Scala type words",
       "package k\n\ndata class Entry(val a: Int)\nobject Registry\nsealed class Event\n"
       "abstract class Base\n@interface Marker {}\n",
       {{"Entry", "model", 0, 6, false},
        {"Registry", "model", 2, 6, false},
        {"Event", "model", 3, 6, false},
        {"Base", "model", 4, 6, false},
        {"Marker", "model", 5, 6, false}}},
      {"a type word at the very start or ending a longer word is not matched",
       "class First {}\nsubclass Second {}\n",
       {}},
  });
}

TEST(LangJava, PublicCountsOnlyWithinTwentyCodePoints) {
  check({
      {"directly after the line break", "x;\npublic class A {}\n", {{"A", "model", 0, 1, true}}},
      // The match starts at the line break: 1 + 13 white-space characters + "public" = 20.
      {"public ending at the 20th character",
       "x;\n" + repeat(" ", 13) + "public class B {}",
       {{"B", "model", 0, 1, true}}},
      {"public ending at the 21st character",
       "x;\n" + repeat(" ", 14) + "public class C {}",
       {{"C", "model", 0, 1, false}}},
      // Ideographic spaces take three bytes each; the window counts characters.
      {"multi-byte white space counts once",
       "x;\n" + repeat("\u3000", 13) + "public class D {}",
       {{"D", "model", 0, 1, true}}},
  });
}

TEST(LangJava, MethodsWithModifiers) {
  check({
      {"main, a private getter, a constructor and names not starting lower-case",
       "public class App {\n"
       "    public App(int x) {}\n"
       "    public static void main(String[] args) {}\n"
       "    private int getX() { return x; }\n"
       "    public void Run() {}\n"
       "    public void _run() {}\n"
       "}\n",
       {{"App", "model", 0, 6, true},
        {"main", "use_case", 2, 6, true},
        {"getX", "use_case", 3, 6, false}}},
      {"public within the 30 characters of a method match",
       "class T {\n"
       "    private static void publicMethod() {}\n"
       "    private static final synchronized void publicOther() {}\n"
       "}\n",
       {{"publicMethod", "use_case", 1, 3, true}, {"publicOther", "use_case", 2, 3, false}}},
      {"generic return type",
       "class R {\n  public Map<String, Long> totals(int a) {}\n}\n",
       {{"totals", "use_case", 1, 2, true}}},
      // H's 20 characters reach into its body: "\nclass H {\n  public".
      {"a type name wins over a later method of the same name",
       "x;\nclass run {}\nclass H {\n  public void run() {}\n}\n",
       {{"run", "model", 0, 4, false}, {"H", "model", 1, 4, true}}},
  });
}

TEST(LangJava, IndentedMethodsWithoutModifier) {
  check({
      {"package-private method",
       "class A {\n    int size() { return 0; }\n}\n",
       {{"size", "use_case", 1, 2, true}}},
      {"Kotlin fun: indented, after a blank line, and at a line start below code",
       "package k\n\nfun top() {}\nfun hidden() {}\nclass K {\n    fun add(x: Int) {}\n}\n",
       {{"K", "model", 3, 6, false},
        {"top", "use_case", 1, 6, true},
        {"add", "use_case", 5, 6, true}}},
      {"else if is recorded once as \"if\"",
       "class A {\n  void f() {\n    if (a) {\n    }\n    else if (b) {\n    }\n"
       "    else if (c) {\n    }\n  }\n}\n",
       {{"f", "use_case", 1, 9, true}, {"if", "use_case", 4, 9, true}}},
  });
}

TEST(LangJava, BlockCommentsDoNotMoveLines) {
  check({
      // The match starts at the line break before the comment.
      {"one-line comment above a type",
       "package a;\n/* note */\nclass Foo {}\n",
       {{"Foo", "model", 0, 2, false}}},
      // The match starts exactly where the comment was cut out: the line
      // break after "*/", on line 2 of the file.
      {"licence header at the start, match at the cut",
       "/**\n * doc\n */\npublic class Foo {}\n",
       {{"Foo", "model", 2, 3, true}}},
      {"Javadoc of several lines above a method",
       "x;\nclass A {\n  /**\n   * Doc.\n   */\n  public void run() {}\n}\n",
       {{"A", "model", 0, 6, false}, {"run", "use_case", 5, 6, true}}},
      {"several comments before one match",
       "/* a */ /* b\n */\n/* c\n\n*/ public int count() {}\n",
       {{"count", "use_case", 4, 4, true}}},
      {"comment on the declaration's own line",
       "x;\nclass A {\n    /* getter */ public int getX() { return x; }\n}\n",
       {{"A", "model", 0, 3, false}, {"getX", "use_case", 2, 3, true}}},
      // "one": the indented-method match starts at the line of "    /*", its
      // white space running through the removed comment.
      {"multi-line comments above and between methods",
       "/*\n * Licence.\n */\npackage a;\n\n/**\n * Type.\n */\nclass B {\n    /*\n     * one\n    "
       " */\n"
       "    int one() { return 1; }\n\n    /* two */\n    int two() { return 2; }\n}\n",
       {{"B", "model", 3, 16, false},
        {"one", "use_case", 9, 16, true},
        {"two", "use_case", 13, 16, true}}},
      {"a declaration inside a comment is not reported, one in a line comment is",
       "/* class Hidden {} */\n// class Visible\n",
       {{"Visible", "model", 1, 1, false}}},
  });
}

// The comment scan finds exactly the matches of the plain pattern, on texts
// where openers, closers, "/*/" and "*/*" overlap in every way.
TEST(LangJava, BlockCommentScanEqualsThePattern) {
  const regex::Regex plain(R"(/\*.*?\*/)", regex::Flags::dotall);
  using Comments = std::vector<std::pair<std::size_t, std::size_t>>;
  testing::compare_on_random_texts(
      {.seed = 41, .count = 30000},
      testing::texts_of({"/*", "*/", "/", "*", "a", "\n", " ", "/*/", "*/*", "\xC3\xA9"}, {0, 15}),
      [&](std::string_view t) {
        Comments expected;
        plain.for_each(t, [&](const regex::Match& m) {
          expected.emplace_back(m.start(), m.end());
          return true;
        });
        return expected;
      },
      [](std::string_view t) {
        Comments got;
        java_internal::for_each_block_comment(
            t, [&](std::size_t start, std::size_t end) { got.emplace_back(start, end); });
        return got;
      });
}

TEST(LangJava, BodyHashCoversTheFileLinesFromTheMappedLine) {
  const std::string content = "/*\n * Licence.\n */\nclass A {\n  int x;\n}";
  const auto syms = extract_symbols_java(content, "src/A.java");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].id, "src/A.java::A");
  EXPECT_EQ(syms[0].line_start, 2);
  EXPECT_EQ(syms[0].line_end, 5);
  EXPECT_EQ(syms[0].body_hash, text::short_hash(" */\nclass A {\n  int x;\n}"));
}

TEST(LangJava, LongWhiteSpaceAndWordRunsGiveSaneResults) {
  const std::string blank = repeat("\n", 150000) + repeat(" ", 149000);
  EXPECT_TRUE(extract_symbols_java(blank, "A.java").empty());
  EXPECT_TRUE(extract_symbols_java(repeat("public ", 43000), "A.java").empty());

  std::string words;
  const char* vocab[] = {"public", "static", "foo", "Bar", "int", "else", "if", "data", "fun"};
  for (int i = 0; words.size() < 300000; ++i) {
    words += vocab[(i * 7) % 9];
    words += (i % 5 == 0) ? "\n\n   " : " ";
  }
  EXPECT_TRUE(extract_symbols_java(words, "A.java").empty());

  // A declaration after the long run is still found; the type's match starts
  // at the first character of the run.
  const std::string tail = "\npublic class Foo {\n  int size() { return 0; }\n}\n";
  const auto syms = summarize(extract_symbols_java(blank + tail, "A.java"));
  const std::int64_t size_line = 150000 + 2;
  EXPECT_EQ(syms, (std::vector<Want>{{"Foo", "model", 0, 60, false},
                                     {"size", "use_case", size_line, size_line + 1, true}}));
}

// The extractor's three passes written with the plain patterns only, each a
// plain search over the whole text, for texts without block comments.
std::vector<Want> extract_with_plain_patterns(std::string_view text) {
  static const regex::Regex kType(
      R"((?:public|private|protected|\s)+(?:class|interface|enum|record|object|data\s+class|sealed\s+class|abstract\s+class|@interface)\s+([A-Za-z_]\w*))");
  static const regex::Regex kModifierMethod(
      R"((?:public|private|protected)\s+(?:static\s+)?(?:final\s+)?(?:default\s+)?(?:synchronized\s+)?(?!class|if|for|while|return|new)(?:\w[\w<>\[\]]*|(?:\w+\s*<[^;{(]*?>))\s+([A-Za-z_]\w*)\s*\()");
  static const regex::Regex kIndentedMethod(
      R"(^\s+(?!public|private|protected|static|final|default|class|if|for|while|return|new|@)([A-Za-z]\w*(?:<[^;{]*?>)?(?:\[\])?)\s+([a-z]\w*)\s*\()",
      regex::Flags::multiline);
  const auto last_line = static_cast<std::int64_t>(text::split_lines_lf(text).size()) - 1;
  std::set<std::string, std::less<>> seen;
  std::vector<Want> out;
  auto add = [&](std::string_view name, std::size_t at, const char* type, bool exported) {
    if (name.empty() || seen.count(name) != 0) return true;
    seen.emplace(name);
    const auto line = static_cast<std::int64_t>(std::count(text.begin(), text.begin() + at, '\n'));
    out.push_back({std::string(name), type, line, std::min(line + 60, last_line), exported});
    return true;
  };
  auto public_within = [&](std::size_t at, std::size_t n) {
    return text::prefix(text.substr(at), n).find("public") != std::string_view::npos;
  };
  kType.for_each(text, [&](const regex::Match& m) {
    return add(m.group(1), m.start(), "model", public_within(m.start(), 20));
  });
  kModifierMethod.for_each(text, [&](const regex::Match& m) {
    const std::string_view name = m.group(1);
    if (name.empty() || name.front() < 'a' || name.front() > 'z') return true;
    return add(name, m.start(), "use_case", public_within(m.start(), 30));
  });
  kIndentedMethod.for_each(
      text, [&](const regex::Match& m) { return add(m.group(2), m.start(), "use_case", true); });
  return out;
}

// The keyword, run and tail searches that stand in for plain searches give
// the same symbols as the plain patterns on random Java-like texts.
TEST(LangJava, SameSymbolsAsThePlainPatterns) {
  const testing::Pieces pieces = {
      "public ", "private ", "protected", "static ", "final ", "class", "interface", "enum",
      "record", "object", "data", "sealed", "abstract", "@interface", "@Override", "fun", "int",
      "void", "String", "List<String>", "Map<K, V>", "[]", "foo", "Bar", "size", "if", "else",
      "return", "new", "default", "for", "x", "_y", "9", "ñame", "(", ")", "{", "}", ";", "=", ".",
      ",", "<", ">", " ", " ", "  ", "\t", "\n", "\n", "\n    ", "\n\n  ", "\u00a0", "\u3000",
      "\u2028", "\x1c",
      // Whole phrases, so that many texts hold declarations.
      "\npublic class A", " class B", "\n  data class D", "\n\tsealed\u00a0class E",
      "\n    void run(", "\n  int size(", "\n    fun add(", "\n  List<String> get(",
      "\n    else if (", "\n  Map<K, V> totals(", " public static void main(",
      "\n\u3000String[] names(", "\n  private int count(", "\n  static long n(",
      // Type arguments whose ">" comes lines later, or never, or is followed
      // by what a method needs only after spaces.
      "\n  Map<", "\n  List<x", "> x (", ">[] y(", "> z\u00a0(", ">>", " (\n"};
  std::size_t models = 0;
  std::size_t methods = 0;
  testing::compare_on_random_texts(
      {.seed = 1208, .count = 40000}, testing::texts_of(pieces, {0, 40}),
      [&](std::string_view t) {
        std::vector<Want> plain = extract_with_plain_patterns(t);
        for (const Want& w : plain) ++(w.type == "model" ? models : methods);
        return plain;
      },
      [](std::string_view t) { return summarize(extract_symbols_java(t, "A.java")); });
  EXPECT_GT(models, 20000U);
  EXPECT_GT(methods, 40000U);
}

}  // namespace
}  // namespace graph_builder::symbols
