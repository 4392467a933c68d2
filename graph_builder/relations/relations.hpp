#pragma once
// Edges from a file to the modules, headers, packages and paths its text names.
// Targets are the text as written: nothing is resolved or checked against the
// graph, no file is read, and duplicates are left for the scan to remove.
// Statement rows live in imports.*, the file-mention scanner in references.*.

#include <filesystem>
#include <string_view>
#include <vector>

#include "graph_builder/graph/node.hpp"

namespace graph_builder::relations {

// The "imports", "requires", "includes" and "references" edges of `text`, in
// the order found, duplicates kept. "from" is rel(path, root); language steps
// are chosen by the extension of `path` with its case kept. Touches the file
// system only to resolve `path` for its id; never fails.
std::vector<graph::Edge> parse_relations(const std::filesystem::path& path, std::string_view text,
                                         const std::filesystem::path& root);

// The same edges for a file whose id is already known (what the scan uses).
std::vector<graph::Edge> parse_relations_for_id(std::string_view file_id, std::string_view file_name,
                                                std::string_view text);

}  // namespace graph_builder::relations
