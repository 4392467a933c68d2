#pragma once
// Graph records from one file's analysis. The analysis layers (symbols/,
// relations/) return plain records; only graph/ makes nodes and edges, and
// every edge a file has starts at its file id. Never prints or fails.

#include <filesystem>
#include <string_view>
#include <vector>

#include "graph_builder/graph/node.hpp"

namespace graph_builder::graph {

// The "imports", "requires", "includes" and "references" edges of `text`, in
// the order found, duplicates kept. "from" is discovery::rel(path, root);
// the language's statement rows are chosen by the extension of `path` with
// its case kept. Touches the file system only to resolve `path` for its id.
std::vector<Edge> parse_relations(const std::filesystem::path& path, std::string_view text,
                                  const std::filesystem::path& root);

}  // namespace graph_builder::graph
