#include "graph_builder/documents/documents.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_builder/graph/json_writer.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::documents {
namespace {

using testing::read_file;
using testing::TempTree;

graph::Node symbol(const std::string& id, std::int64_t start, const std::string& hash) {
  graph::Node n;
  n.id = id;
  n.kind = "symbol";
  n.path = id.substr(0, id.find("::"));
  n.line_start = start;
  n.line_end = start + 1;
  n.body_hash = hash;
  n.confidence = "high";
  return n;
}

// A symbol id met again (a file reached twice through a linked directory)
// keeps the place of its first node and takes the values of its last; file
// nodes are not members.
TEST(SymbolIndex, FirstPlaceLastValue) {
  graph::Graph g;
  graph::Node file;
  file.id = "a.py";
  file.kind = "file";
  g.nodes = {symbol("a.py::f", 1, "aaaaaaaa"), file, symbol("a.py::g", 5, "bbbbbbbb"),
             symbol("a.py::f", 9, "cccccccc")};
  g.symbol_count = 3;
  std::size_t members = 0;
  EXPECT_EQ(symbol_index_document(g, &members),
            R"({"a.py::f": {"line_start": 9, "line_end": 10, "body_hash": "cccccccc", )"
            R"("confidence": "high", "path": "a.py"}, )"
            R"("a.py::g": {"line_start": 5, "line_end": 6, "body_hash": "bbbbbbbb", )"
            R"("confidence": "high", "path": "a.py"}})");
  EXPECT_EQ(members, 2U);
}

// Entries whose strings need escapes are laid out like any other JSON.
TEST(SymbolIndex, EscapedValuesMatchTheGenericLayout) {
  const std::vector<std::string> awkward{"plain", "q\"", "l\nf", "\xC3\xA9", "\x7f", ""};
  using Field = std::string graph::Node::*;
  for (Field f :
       {&graph::Node::id, &graph::Node::body_hash, &graph::Node::confidence, &graph::Node::path}) {
    for (const std::string& value : awkward) {
      graph::Graph g;
      g.nodes = {symbol("a.py::f", 1, "aaaaaaaa"), symbol("b.py::g", -2, "bbbbbbbb")};
      g.nodes[1].*f = value;
      g.symbol_count = 2;
      graph::JsonValue expected = graph::JsonValue::object();
      for (const graph::Node& n : g.nodes) {
        expected.set(n.id, graph::JsonValue::object({
                               {"line_start", graph::JsonValue::integer(n.line_start)},
                               {"line_end", graph::JsonValue::integer(n.line_end)},
                               {"body_hash", graph::JsonValue::string(n.body_hash)},
                               {"confidence", graph::JsonValue::string(n.confidence)},
                               {"path", graph::JsonValue::string(n.path)},
                           }));
      }
      std::string want;
      graph::append_json(want, expected, graph::Layout::single_line);
      ASSERT_EQ(symbol_index_document(g, nullptr), want) << want;
    }
  }
}

}  // namespace
}  // namespace graph_builder::documents
