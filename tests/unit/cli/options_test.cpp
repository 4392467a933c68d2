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
    bool verbose = false;
  };
  const std::vector<Case> cases{
      {{}, ParseOutcome::run, ".", "mirelane-dashboard/data/info_graph.json"},
      {{"--root", "src", "--out", "o.json"}, ParseOutcome::run, "src", "o.json"},
      {{"--root=src", "--out=a=b.json"}, ParseOutcome::run, "src", "a=b.json"},
      {{"--ro", "r", "--o=x"}, ParseOutcome::run, "r", "x"},
      {{"--root", "a", "--root", "b"},
       ParseOutcome::run,
       "b",
       "mirelane-dashboard/data/info_graph.json"},
      {{"--root", "-"}, ParseOutcome::run, "-", "mirelane-dashboard/data/info_graph.json"},
      {{"-h"}, ParseOutcome::help, ".", "mirelane-dashboard/data/info_graph.json"},
      {{"--root", "x", "--help"},
       ParseOutcome::help,
       "x",
       "mirelane-dashboard/data/info_graph.json"},
      {{"-v", "--root", "r"},
       ParseOutcome::run,
       "r",
       "mirelane-dashboard/data/info_graph.json",
       true},
      {{"--verbose"}, ParseOutcome::run, ".", "mirelane-dashboard/data/info_graph.json", true},
      {{"--verb"}, ParseOutcome::run, ".", "mirelane-dashboard/data/info_graph.json", true},
      {{"--version"}, ParseOutcome::version, "", ""},
      {{"--vers", "--bogus"}, ParseOutcome::version, "", ""},
      {{"--ver"}, ParseOutcome::usage_error, "", ""},
      {{"--verbose=yes"}, ParseOutcome::usage_error, "", ""},
      {{"--root"}, ParseOutcome::usage_error, "", ""},
      {{"--root", "--out", "x"}, ParseOutcome::usage_error, "", ""},
      {{"--root=", "--out", "x"}, ParseOutcome::usage_error, "", ""},
      {{"--root", "", "--out", "x"}, ParseOutcome::usage_error, "", ""},
      {{"--out="}, ParseOutcome::usage_error, "", ""},
      {{"--bogus"}, ParseOutcome::usage_error, "", ""},
      {{"-vh"}, ParseOutcome::usage_error, "", ""},
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
      EXPECT_EQ(r.options.verbose, c.verbose) << joined;
    }
    if (c.outcome == ParseOutcome::usage_error) {
      EXPECT_FALSE(r.error.empty()) << joined;
    }
  }
}

TEST(Options, JobsInEveryFormAndOnlyPositiveWholeNumbers) {
  struct Case {
    std::vector<std::string> args;
    ParseOutcome outcome;
    unsigned jobs;
  };
  const std::vector<Case> cases{
      {{}, ParseOutcome::run, 0},
      {{"--jobs", "4"}, ParseOutcome::run, 4},
      {{"--jobs=3"}, ParseOutcome::run, 3},
      {{"--jo", "2"}, ParseOutcome::run, 2},
      {{"-j", "8"}, ParseOutcome::run, 8},
      {{"-j16"}, ParseOutcome::run, 16},
      {{"-j", "1", "--root", "r"}, ParseOutcome::run, 1},
      {{"-j2", "--jobs", "5"}, ParseOutcome::run, 5},
      {{"--jobs", "1000000"}, ParseOutcome::run, 1000000},
      {{"-j"}, ParseOutcome::usage_error, 0},
      {{"--jobs"}, ParseOutcome::usage_error, 0},
      {{"--jobs", "0"}, ParseOutcome::usage_error, 0},
      {{"--jobs", "-2"}, ParseOutcome::usage_error, 0},
      {{"-j", "two"}, ParseOutcome::usage_error, 0},
      {{"-j2x"}, ParseOutcome::usage_error, 0},
      {{"--jobs="}, ParseOutcome::usage_error, 0},
      {{"--jobs", "1000001"}, ParseOutcome::usage_error, 0},
      {{"--jobs", "99999999999999999999"}, ParseOutcome::usage_error, 0},
      {{"--j", "2"}, ParseOutcome::run, 2},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    const ParseResult r = parse_options(c.args);
    EXPECT_EQ(r.outcome, c.outcome) << joined;
    if (c.outcome == ParseOutcome::run) {
      EXPECT_EQ(r.options.jobs, c.jobs) << joined;
    } else {
      EXPECT_NE(r.error.find("arg"), std::string::npos) << joined << r.error;
    }
  }
}

TEST(Options, HelpNamesDescriptionEachOptionAndTheDefaults) {
  std::string h = help_text("graph_builder");
  EXPECT_NE(h.find("Scan project and build information graph JSON."), std::string::npos);
  EXPECT_NE(h.find("Project root to scan. (default: .)\n"), std::string::npos);
  EXPECT_NE(h.find("Output JSON path. (default: mirelane-dashboard/data/info_graph.json)\n"),
            std::string::npos);
  for (const char* option : {"-h, --help", "--version", "-v, --verbose", "-j N, --jobs N"}) {
    EXPECT_NE(h.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  }
  EXPECT_EQ(
      h.rfind("usage: graph_builder [-h] [--version] [-v] [--root ROOT] [--out OUT] [-j N]\n", 0),
      0U);
}

}  // namespace
}  // namespace graph_builder::cli
