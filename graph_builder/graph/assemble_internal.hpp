#pragma once
// Making edges from plain records, for the scan; not part of the installed
// interface.

#include <string>
#include <vector>

#include "graph_builder/graph/node.hpp"
#include "graph_builder/relations/relations.hpp"

namespace graph_builder::graph {

// Appends one edge from `file_id` per relation, in order; the targets are
// moved out of `found`.
void append_relation_edges(std::vector<Edge>& edges, const std::string& file_id,
                           std::vector<relations::Relation>& found);

}  // namespace graph_builder::graph
