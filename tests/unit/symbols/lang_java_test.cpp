#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "graph_builder/symbols/extractors.hpp"
#include "graph_builder/text/short_hash.hpp"
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

}  // namespace
}  // namespace graph_builder::symbols
