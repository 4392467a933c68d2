#pragma once
// Making edges from plain records, for the scan; not part of the installed
// interface.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/graph/node.hpp"
#include "graph_builder/relations/relations.hpp"
#include "graph_builder/symbols/find_symbols.hpp"

namespace graph_builder::graph {

// Appends one edge from `file_id` per relation, in order; the targets are
// moved out of `found`.
void append_relation_edges(std::vector<Edge>& edges, const std::string& file_id,
                           std::vector<relations::Relation>& found);

// append_symbol_nodes() for plain records: ids are `file_id` + "::" + name,
// and body_hashes[i] (moved) is the hash of records[i]'s body. The records'
// strings are moved out.
void append_symbol_records(std::vector<Node>& nodes, std::vector<Edge>& edges,
                           std::vector<symbols::SymbolRecord>& records,
                           std::span<std::string> body_hashes, const std::string& file_id,
                           std::string_view ext);

}  // namespace graph_builder::graph
