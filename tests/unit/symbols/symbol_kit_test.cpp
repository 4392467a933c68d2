// Runs the symbol extractors on every kit case whose extension has one and
// compares the symbol nodes (every field, in order) and the "contains" edges
// with the expected fragments, naming each differing field.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/graph/node.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "support/conformance.hpp"

namespace graph_builder::symbols {
namespace {

using nlohmann::ordered_json;
using testing::KitCase;

ordered_json to_json(const graph::Node& node) {
  std::string out;
  graph::append_json(out, node.as_dict(), graph::Layout::indented);
  return ordered_json::parse(out);
}

// One line per differing or missing field, so a failure names what is wrong.
std::string field_diff(const ordered_json& actual, const ordered_json& expected) {
  std::string out;
  for (const auto& [key, value] : expected.items()) {
    if (!actual.contains(key)) {
      out += "  missing \"" + key + "\"\n";
    } else if (actual[key] != value) {
      out += "  \"" + key + "\": got " + actual[key].dump() + ", want " + value.dump() + "\n";
    }
  }
  for (const auto& [key, value] : actual.items()) {
    if (!expected.contains(key)) out += "  extra \"" + key + "\"\n";
  }
  if (out.empty() && actual != expected) out = "  same fields, different order\n";
  return out;
}

TEST(SymbolKit, EverySymbolNodeAndContainsEdgeMatches) {
  if (!testing::conformance_dir()) GTEST_SKIP() << "conformance kit not found";
  int cases = 0;
  int matched = 0;
  std::size_t symbols = 0;
  for (const KitCase& c : testing::kit_cases()) {
    const std::string ext = testing::case_ext(c);
    if (!languages::profile(ext).has_symbols()) continue;
    ++cases;
    SCOPED_TRACE(c.file_id);
    const ordered_json fragment = testing::load_fragment(c);

    std::vector<graph::Node> nodes;
    std::vector<graph::Edge> edges;
    graph::append_symbol_nodes(nodes, edges,
                               extract_symbols_for_file(testing::decoded_input(c), c.file_id, ext),
                               c.file_id, ext);

    const auto& want_nodes = fragment.at("nodes");
    const std::size_t want_symbols = want_nodes.size() - 1;
    symbols += want_symbols;
    bool ok = true;
    if (nodes.size() != want_symbols) {
      ok = false;
      std::string got_names;
      for (const auto& n : nodes) got_names += " " + n.name;
      std::string want_names;
      for (std::size_t i = 1; i < want_nodes.size(); ++i) {
        want_names += " " + want_nodes[i].at("name").get<std::string>();
      }
      ADD_FAILURE() << c.file_id << ": " << nodes.size() << " symbols, want " << want_symbols
                    << "\n  got: " << got_names << "\n  want:" << want_names;
    }
    for (std::size_t i = 0; i < std::min(nodes.size(), want_symbols); ++i) {
      const ordered_json got = to_json(nodes[i]);
      const ordered_json& want = want_nodes[i + 1];
      if (got != want) {
        ok = false;
        ADD_FAILURE() << c.file_id << " symbol #" << i << " (" << want.value("name", "?") << "):\n"
                      << field_diff(got, want);
      }
    }

    std::vector<graph::Edge> want_edges;
    for (const auto& e : fragment.at("edges")) {
      if (e.at("rel") == "contains") {
        want_edges.push_back({e.at("from").get<std::string>(), e.at("to").get<std::string>(),
                              e.at("rel").get<std::string>()});
      }
    }
    if (edges != want_edges) {
      ok = false;
      std::string got_to;
      for (const auto& e : edges) got_to += " " + e.to;
      std::string want_to;
      for (const auto& e : want_edges) want_to += " " + e.to;
      ADD_FAILURE() << c.file_id << ": contains edges differ\n  got: " << got_to
                    << "\n  want:" << want_to;
    }
    if (ok) ++matched;
  }
  // 53 of the kit's 68 files have a symbol extension (LegacyImporter.JAVA
  // included: its extension is lower-cased first).
  EXPECT_EQ(cases, 53) << "kit cases with a symbol extension";
  EXPECT_EQ(symbols, 289U) << "symbol nodes the kit expects";
  std::printf("[ kit ] symbol cases matched: %d of %d (%zu symbols)\n", matched, cases, symbols);
}

}  // namespace
}  // namespace graph_builder::symbols
