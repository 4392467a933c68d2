#include "graph_builder/cli/options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace graph_builder::cli {
namespace {

TEST(Options, ParsesBothFormsDefaultsAndErrors) {
  struct Case {
    std::vector<std::string> args;
    ParseOutcome outcome;
    std::string root;
    std::string out;
  };
  const std::vector<Case> cases{
      {{}, ParseOutcome::run, ".", "mirelane-dashboard/data/info_graph.json"},
      {{"--root", "src", "--out", "o.json"}, ParseOutcome::run, "src", "o.json"},
      {{"--root=src", "--out=a=b.json"}, ParseOutcome::run, "src", "a=b.json"},
      {{"--root=", "--out", "x"}, ParseOutcome::run, "", "x"},
      {{"--ro", "r", "--o=x"}, ParseOutcome::run, "r", "x"},
      {{"--root", "a", "--root", "b"}, ParseOutcome::run, "b", "mirelane-dashboard/data/info_graph.json"},
      {{"--root", "-"}, ParseOutcome::run, "-", "mirelane-dashboard/data/info_graph.json"},
      {{"-h"}, ParseOutcome::help, ".", "mirelane-dashboard/data/info_graph.json"},
      {{"--root", "x", "--help"}, ParseOutcome::help, "x", "mirelane-dashboard/data/info_graph.json"},
      {{"--root"}, ParseOutcome::usage_error, "", ""},
      {{"--root", "--out", "x"}, ParseOutcome::usage_error, "", ""},
      {{"--verbose"}, ParseOutcome::usage_error, "", ""},
      {{"stray"}, ParseOutcome::usage_error, "", ""},
      {{"--"}, ParseOutcome::usage_error, "", ""},
      {{"-x"}, ParseOutcome::usage_error, "", ""},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    ParseResult r = parse_options(c.args);
    EXPECT_EQ(r.outcome, c.outcome) << joined;
    if (c.outcome == ParseOutcome::run) {
      EXPECT_EQ(r.options.root, c.root) << joined;
      EXPECT_EQ(r.options.out, c.out) << joined;
    }
    if (c.outcome == ParseOutcome::usage_error) {
      EXPECT_FALSE(r.error.empty()) << joined;
    }
  }
}

TEST(Options, HelpNamesDescriptionAndBothOptions) {
  std::string h = help_text("graph_builder");
  EXPECT_NE(h.find("Scan project and build information graph JSON."), std::string::npos);
  EXPECT_NE(h.find("Project root to scan."), std::string::npos);
  EXPECT_NE(h.find("Output JSON path."), std::string::npos);
  EXPECT_EQ(h.rfind("usage: graph_builder", 0), 0U);
}

TEST(Options, NormalisedPrintedPaths) {
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
}  // namespace graph_builder::cli
