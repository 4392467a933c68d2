#pragma once
// Writing nodes and edges in the graph document's layout. Internal: not
// installed; the documents layer uses it.

#include <string>

#include "graph_builder/graph/node.hpp"

namespace graph_builder::graph {

// The nesting level of nodes and edges in the graph document (inside the
// top-level object's "nodes" and "edges" arrays).
inline constexpr int kDocumentRecordLevel = 2;

// Appends `node` in the graph document's indented layout at nesting `level`;
// byte-identical to serialising `node.as_dict()`, without building it.
void append_node_json(std::string& out, const Node& node, int level);
// Appends `edge` in the indented layout at nesting `level`.
void append_edge_json(std::string& out, const Edge& edge, int level);

}  // namespace graph_builder::graph
