// Runs the Ruby, PHP and C/C++ extractors on every kit case of those
// languages and compares the symbol nodes and "contains" edges with the
// expected fragments, field by field.

#include "graph_builder/graph/node.hpp"
#include "graph_builder/symbols/dispatch.hpp"
#include "support/conformance.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace graph_builder::symbols {
namespace {

using nlohmann::ordered_json;

ordered_json to_nlohmann(const graph::JsonValue& v) {
  using T = graph::JsonValue::Type;
  switch (v.type()) {
    case T::null:
      return nullptr;
    case T::boolean:
      return v.as_bool();
    case T::integer:
      return std::stoll(v.text());
    case T::real:
      return std::stod(v.text());
    case T::string:
      return v.text();
    case T::array: {
      ordered_json a = ordered_json::array();
      for (const auto& item : v.items()) a.push_back(to_nlohmann(item));
      return a;
    }
    case T::object: {
      ordered_json o = ordered_json::object();
      for (const auto& [k, item] : v.members()) o[k] = to_nlohmann(item);
      return o;
    }
  }
  return nullptr;
}

// "key: expected <e> got <a>" for every differing or missing key, in the
// expected node's order; also the key order when the values agree.
std::string node_diff(const ordered_json& expected, const ordered_json& actual) {
  std::ostringstream out;
  for (const auto& [key, value] : expected.items()) {
    if (!actual.contains(key)) {
      out << "  " << key << ": missing\n";
    } else if (actual[key] != value) {
      out << "  " << key << ": expected " << value.dump() << " got " << actual[key].dump()
          << "\n";
    }
  }
  for (const auto& [key, value] : actual.items()) {
    if (!expected.contains(key)) out << "  " << key << ": unexpected " << value.dump() << "\n";
  }
  if (out.str().empty() && expected != actual) out << "  key order differs\n";
  return out.str();
}

TEST(SymbolKitRbPhpC, EverySymbolNodeAndContainsEdgeMatches) {
  if (!testing::conformance_dir()) GTEST_SKIP() << "conformance kit not found";
  const std::set<std::string> exts{".rb", ".php", ".c", ".cpp", ".h", ".hpp"};
  int checked = 0;
  for (const auto& c : testing::kit_cases()) {
    const std::string ext = testing::case_ext(c);
    if (exts.count(ext) == 0) continue;
    ++checked;
    SCOPED_TRACE(c.file_id);
    const ordered_json fragment = testing::load_fragment(c);

    std::vector<graph::Node> nodes;
    std::vector<graph::Edge> edges;
    _append_symbol_nodes(nodes, edges,
                         _extract_symbols_for_file(testing::decoded_input(c), c.file_id, ext),
                         c.file_id, ext);

    const auto& expected_nodes = fragment["nodes"];
    ASSERT_GE(expected_nodes.size(), 1U);
    std::vector<std::string> expected_names;
    for (std::size_t i = 1; i < expected_nodes.size(); ++i) {
      expected_names.push_back(expected_nodes[i]["name"].get<std::string>());
    }
    std::vector<std::string> actual_names;
    for (const auto& n : nodes) actual_names.push_back(n.name);
    EXPECT_EQ(actual_names, expected_names) << c.file_id << ": symbol names in order";

    const std::size_t common = std::min(nodes.size(), expected_nodes.size() - 1);
    for (std::size_t i = 0; i < common; ++i) {
      const ordered_json actual = to_nlohmann(nodes[i].as_dict());
      const ordered_json& expected = expected_nodes[i + 1];
      EXPECT_EQ(actual, expected) << c.file_id << " symbol " << expected["name"] << ":\n"
                                  << node_diff(expected, actual);
    }

    ordered_json expected_contains = ordered_json::array();
    for (const auto& e : fragment["edges"]) {
      if (e["rel"] == "contains") expected_contains.push_back(e);
    }
    ordered_json actual_contains = ordered_json::array();
    for (const auto& e : edges) {
      actual_contains.push_back(ordered_json{{"from", e.from}, {"to", e.to}, {"rel", e.rel}});
    }
    EXPECT_EQ(actual_contains, expected_contains)
        << c.file_id << ": contains edges\nexpected " << expected_contains.dump(2) << "\ngot "
        << actual_contains.dump(2);
  }
  EXPECT_GT(checked, 0) << "no Ruby, PHP or C/C++ case in the kit";
  std::cout << "[kit] Ruby/PHP/C/C++ cases checked: " << checked << "\n";
}

}  // namespace
}  // namespace graph_builder::symbols
