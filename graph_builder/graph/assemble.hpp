#pragma once
// Graph records from one file's analysis. The analysis layers (symbols/,
// relations/) return plain records; only graph/ makes nodes and edges, and
// every edge a file has starts at its file id. Never prints or fails.

#include <filesystem>
#include <string_view>
#include <vector>

#include "graph_builder/graph/node.hpp"
#include "graph_builder/symbols/symbols.hpp"

namespace graph_builder::graph {

// The "imports", "requires", "includes" and "references" edges of `text`, in
// the order found, duplicates kept. "from" is discovery::rel(path, root);
// the language's statement rows are chosen by the extension of `path` with
// its case kept. Touches the file system only to resolve `path` for its id.
std::vector<Edge> parse_relations(const std::filesystem::path& path, std::string_view text,
                                  const std::filesystem::path& root);

// Appends one symbol node and then its "contains" edge (from `file_id` to the
// symbol's id) per symbol, in order; a symbol node's "size" is its number of
// lines. Changes nothing for an empty list.
void append_symbol_nodes(std::vector<Node>& nodes, std::vector<Edge>& edges,
                         std::vector<symbols::Symbol> syms, std::string_view file_id,
                         std::string_view ext);

}  // namespace graph_builder::graph
