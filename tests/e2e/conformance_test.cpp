// Runs the program on the conformance kit and compares every file's nodes and
// edges, and the whole documents of the kit's small trees, with the expected
// results.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "support/conformance.hpp"
#include "support/run_cli.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

using Json = nlohmann::ordered_json;

// Output of one run over the kit's cases, shared by all fragment tests.
struct KitRun {
  std::map<std::string, Json> fragments;  // file id -> {"nodes", "edges"}
  std::string error;
};

const KitRun& kit_run() {
  static const KitRun run = [] {
    KitRun r;
    auto dir = conformance_dir();
    if (!dir) return r;
    TempTree out;
    CliResult res = run_cli(
        {"--root", (*dir / "cases").string(), "--out", out.path("info_graph.json").string()});
    if (res.status != 0) {
      r.error = "exit " + std::to_string(res.status) + ": " + res.err;
      return r;
    }
    Json g = Json::parse(read_file(out.path("info_graph.json")));
    std::string current;
    for (const Json& n : g["nodes"]) {
      if (n["kind"] == "file") {
        current = n["id"].get<std::string>();
        if (r.fragments.count(current) != 0) r.error = "file id twice: " + current;
        r.fragments[current] = Json{{"nodes", Json::array()}, {"edges", Json::array()}};
      }
      r.fragments[current]["nodes"].push_back(n);
    }
    for (const Json& e : g["edges"]) {
      auto from = e["from"].get<std::string>();
      if (r.fragments.count(from) == 0) {
        r.error = "edge from unknown file " + from;
        continue;
      }
      r.fragments[from]["edges"].push_back(e);
    }
    return r;
  }();
  return run;
}

TEST(ConformanceKit, ScansExactlyTheExpectedFiles) {
  if (!conformance_dir()) GTEST_SKIP() << "conformance kit not found";
  const KitRun& run = kit_run();
  ASSERT_EQ(run.error, "");
  std::set<std::string> expected;
  for (const KitCase& c : kit_cases()) expected.insert(c.file_id);
  std::set<std::string> actual;
  for (const auto& [id, frag] : run.fragments) actual.insert(id);
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(expected.size(), 68U);
}

class KitFragment : public ::testing::TestWithParam<KitCase> {};

TEST_P(KitFragment, MatchesExpectedNodesAndEdges) {
  const KitCase& c = GetParam();
  const KitRun& run = kit_run();
  ASSERT_EQ(run.error, "");
  auto it = run.fragments.find(c.file_id);
  ASSERT_NE(it, run.fragments.end()) << c.file_id << " was not scanned";
  const Json expected = load_fragment(c);
  const Json& actual = it->second;
  ASSERT_EQ(actual["nodes"].size(), expected["nodes"].size()) << c.file_id;
  for (std::size_t i = 0; i < expected["nodes"].size(); ++i) {
    EXPECT_EQ(actual["nodes"][i].dump(2), expected["nodes"][i].dump(2))
        << c.file_id << " node " << i;
  }
  EXPECT_EQ(actual["edges"].dump(2), expected["edges"].dump(2)) << c.file_id;
}

std::string case_name(const ::testing::TestParamInfo<KitCase>& info) {
  std::string name;
  for (char ch : info.param.file_id) {
    name += (std::isalnum(static_cast<unsigned char>(ch)) != 0) ? ch : '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, KitFragment, ::testing::ValuesIn(kit_cases()), case_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(KitFragment);

class KitTree : public ::testing::TestWithParam<std::string> {};

TEST_P(KitTree, DocumentsMatchByteForByte) {
  auto dir = conformance_dir();
  if (!dir) GTEST_SKIP() << "conformance kit not found";
  const auto tree = *dir / "trees" / GetParam();
  TempTree out;
  auto root = std::filesystem::canonical(tree / "tree");
  CliResult res = run_cli({"--root", root.string(), "--out", out.path("info_graph.json").string()});
  ASSERT_EQ(res.status, 0) << res.err;
  std::string expected_graph = read_file(tree / "expected" / "info_graph.json");
  const std::string marker = "\"<ROOT>\"";
  auto at = expected_graph.find(marker);
  ASSERT_NE(at, std::string::npos);
  expected_graph.replace(at, marker.size(), json_literal(root.string()));
  EXPECT_EQ(read_file(out.path("info_graph.json")), expected_graph);
  EXPECT_EQ(read_file(out.path("symbol_index.json")),
            read_file(tree / "expected" / "symbol_index.json"));
}

INSTANTIATE_TEST_SUITE_P(Trees, KitTree, ::testing::ValuesIn(kKitTrees),
                         [](const ::testing::TestParamInfo<std::string>& tree_info) {
                           return kit_tree_test_name(tree_info.param);
                         });

}  // namespace
}  // namespace graph_builder::testing
