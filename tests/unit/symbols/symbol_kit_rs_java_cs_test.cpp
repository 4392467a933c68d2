// Runs the Rust, Java-family and C# extractors on every matching kit case and
// compares the symbol nodes and "contains" edges with the expected fragment.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/graph/json.hpp"
#include "graph_builder/graph/node.hpp"
#include "graph_builder/symbols/dispatch.hpp"
#include "support/conformance.hpp"

namespace graph_builder::symbols {
namespace {

using nlohmann::ordered_json;

constexpr std::array<std::string_view, 6> kExts{".rs", ".java", ".kt", ".kts", ".scala", ".cs"};

ordered_json node_json(const graph::Node& n) {
  std::string out;
  graph::append_json(out, n.as_dict(), graph::Layout::indented);
  return ordered_json::parse(out);
}

TEST(SymbolKitRsJavaCs, EveryCaseMatchesExpectedSymbolsAndContainsEdges) {
  if (!testing::conformance_dir()) GTEST_SKIP() << "conformance kit not found";
  int cases = 0;
  for (const auto& c : testing::kit_cases()) {
    const std::string ext = testing::case_ext(c);
    if (std::find(kExts.begin(), kExts.end(), ext) == kExts.end()) continue;
    ++cases;
    SCOPED_TRACE(c.file_id);
    const ordered_json fragment = testing::load_fragment(c);

    std::vector<graph::Node> nodes;
    std::vector<graph::Edge> edges;
    _append_symbol_nodes(nodes, edges,
                         _extract_symbols_for_file(testing::decoded_input(c), c.file_id, ext),
                         c.file_id, ext);

    const auto& want_nodes = fragment.at("nodes");
    ASSERT_EQ(nodes.size() + 1, want_nodes.size()) << "symbol count differs";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const ordered_json got = node_json(nodes[i]);
      const ordered_json& want = want_nodes[i + 1];
      EXPECT_EQ(got, want) << "symbol node " << i << "\n got: " << got.dump(2)
                           << "\nwant: " << want.dump(2);
    }

    std::vector<ordered_json> want_edges;
    for (const auto& e : fragment.at("edges")) {
      if (e.at("rel") == "contains") want_edges.push_back(e);
    }
    ASSERT_EQ(edges.size(), want_edges.size()) << "contains edge count differs";
    for (std::size_t i = 0; i < edges.size(); ++i) {
      const ordered_json got{{"from", edges[i].from}, {"to", edges[i].to}, {"rel", edges[i].rel}};
      EXPECT_EQ(got, want_edges[i]) << "contains edge " << i;
    }
  }
  EXPECT_EQ(cases, 17) << "kit cases with a Rust, Java-family or C# extension";
}

}  // namespace
}  // namespace graph_builder::symbols
