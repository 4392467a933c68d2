#include "graph_builder/symbols/block_end.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace graph_builder::symbols {
namespace {

struct Case {
  const char* what;
  std::vector<std::string_view> lines;
  std::int64_t start;
  std::int64_t want;
};

// `count` lines of filler, optionally with `last` appended.
std::vector<std::string_view> filler(std::string_view first, std::size_t count,
                                     std::string_view last = {}) {
  std::vector<std::string_view> lines{first};
  lines.resize(count, "  x = 1;");
  if (!last.empty()) lines.push_back(last);
  return lines;
}

TEST(BlockEndTs, BraceCounting) {
  const std::vector<Case> cases = {
      {"one-line block", {"function f() {}", "g();"}, 0, 0},
      {"nested blocks", {"function f() {", "  if (x) {", "  }", "}", "after();"}, 0, 3},
      {"closing line holds several braces", {"f() {", "  a({ b: { c } }) }", "z"}, 0, 1},
      {"no brace on the declaration line runs to the next closing block",
       {"type A = string;", "function g() {", "}", "h();"},
       0,
       2},
      {"escaped closing brace does not close",
       {"function f() {", R"(  const s = '\}';)", "  g();", "}"},
       0,
       3},
      {"escaped opening brace does not open",
       {R"(const re = /\{/;)", "function g() {", "}", "h();", "i();"},
       0,
       2},
      {"escaped pair inside a block", {"function f() {", R"(  re = /\{x\}/;)", "}", "}"}, 0, 2},
      {"negative depth before the first opening brace is kept", {"}", "x {", "  y", "}"}, 0, 1},
      {"block at the end of the file", {"a();", "function f() {", "  b();", "}"}, 1, 3},
      {"start in the middle", {"{", "}", "function f() {", "}", "{"}, 2, 3},
      {"empty closing block braces on one line", {"class A {", "  m() { }", "}"}, 0, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(_find_block_end_ts(c.lines, c.start), c.want) << c.what;
  }
}

TEST(BlockEndTs, ScansFourHundredLinesThenFallsBackToOneHundred) {
  // Closing brace on the 400th line (index 399) is still found.
  EXPECT_EQ(_find_block_end_ts(filler("function f() {", 399, "}"), 0), 399);
  // One line later it is past the scan: fallback start + 100.
  EXPECT_EQ(_find_block_end_ts(filler("function f() {", 400, "}"), 0), 100);
  // The scan window starts at the declaration, not at the top of the file.
  EXPECT_EQ(_find_block_end_ts(filler("a", 410, "}"), 10), 110);
  // Never closed, file shorter than the fallback: the last line.
  EXPECT_EQ(_find_block_end_ts(filler("function f() {", 50), 0), 49);
  EXPECT_EQ(_find_block_end_ts(filler("function f() {", 150), 60), 149);
  // No brace at all in the rest of the file gets the same fallback.
  EXPECT_EQ(_find_block_end_ts({"type A = B;", "x", "y"}, 0), 2);
}

TEST(BlockEndPy, IndentationTracking) {
  const std::vector<Case> cases = {
      {"declaration on the last line", {"x = 1", "def f(): pass"}, 1, 1},
      {"next def ends the block, blank lines excluded",
       {"def f():", "    return 1", "", "   ", "def g():", "    pass"},
       0,
       1},
      {"trailing blank lines at the end of the file", {"def f():", "    return 1", "", "\t"}, 0, 1},
      {"module-level statement is taken into the block",
       {"def f():", "    pass", "", "if __name__ == '__main__':", "    f()", ""},
       0,
       4},
      {"first-column comment does not end the block",
       {"def f():", "    a = 1", "# note", "    b = 2", "def g():"},
       0,
       3},
      {"decorator ends the block", {"def f():", "    pass", "", "@app.get('/')", "def g():"}, 0, 1},
      {"class ends the block", {"class A:", "    x = 1", "class B:"}, 0, 1},
      {"async def ends the block", {"def f():", "    pass", "async  def g():"}, 0, 1},
      {"nested def stays inside",
       {"def f():", "    def inner():", "        pass", "    return inner", "def g():"},
       0,
       3},
      {"method block ends at the next method",
       {"class A:", "    def m(self):", "        pass", "", "    def n(self):"},
       1,
       2},
      // Only a decorator in the first column ends a block; an indented one
      // is taken into the preceding method.
      {"indented decorator joins the preceding method",
       {"class A:", "    def m(self):", "        pass", "    @property", "    def n(self):"},
       1,
       3},
      {"indented class does not end a method block",
       {"    def m(self):", "        pass", "    class Inner:", "        pass"},
       0,
       3},
      {"names that only begin with a keyword do not end it",
       {"def f():", "    pass", "define = 1", "classic()", "async_def = 2", "def g():"},
       0,
       4},
      {"def without white space after it does not end it",
       {"def f():", "    pass", "def(x)", "def g():"},
       0,
       2},
      {"a line of Unicode white space is blank",
       {"def f():", "    pass", "\u3000\u00a0", "def g():"},
       0,
       1},
      {"form feed line is blank", {"def f():", "    pass", "\f", "def g():"}, 0, 1},
      // One ideographic space (3 bytes) is one column: two ASCII spaces are deeper.
      {"indentation counts code points, not bytes",
       {"\u3000def f():", "\u3000\u3000x = 1", "  def g():", "\u3000def h():"},
       0,
       2},
      {"a tab counts as one column", {"\tdef f():", "\t\tx = 1", "  def g():", "\tdef h():"}, 0, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(_find_block_end_py(c.lines, c.start), c.want) << c.what;
  }
}

}  // namespace
}  // namespace graph_builder::symbols
