#include "graph_builder/documents/paths.hpp"

#include <gtest/gtest.h>

namespace graph_builder::documents {
namespace {

TEST(Paths, NormalisedPrintedPaths) {
  struct Case {
    const char* in;
    const char* norm;
    const char* index;
  };
  const Case cases[] = {
      {"out.json", "out.json", "symbol_index.json"},
      {"./out.json", "out.json", "symbol_index.json"},
      {"a//b/./c.json", "a/b/c.json", "a/b/symbol_index.json"},
      {"a/b/", "a/b", "a/symbol_index.json"},
      {"../x/g.json", "../x/g.json", "../x/symbol_index.json"},
      {"/abs/g.json", "/abs/g.json", "/abs/symbol_index.json"},
      {"/g.json", "/g.json", "/symbol_index.json"},
      {"///g.json", "/g.json", "/symbol_index.json"},
      {"//net/g.json", "//net/g.json", "//net/symbol_index.json"},
      {".", ".", "symbol_index.json"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(normalize_path(c.in), c.norm) << c.in;
    EXPECT_EQ(sibling_path(c.in, "symbol_index.json"), c.index) << c.in;
  }
}

}  // namespace
}  // namespace graph_builder::documents
