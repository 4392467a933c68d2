#pragma once
// Reading back the file nodes of the previous graph document.

#include <string>
#include <string_view>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::documents {

// Parses `bytes` (the previous graph document) into its file nodes, keyed by
// id; a later node with the same id replaces an earlier one. Any failure
// (invalid UTF-8, a byte-order mark, invalid JSON, a top-level value that is
// not an object, a node that is not an object, a file node without "id" or
// with an array or object as id) yields an empty map. Never throws.
graph::PriorNodes parse_previous_graph(std::string_view bytes);

// Reads and parses the document at `path` (following links); empty when it
// does not exist, cannot be read, or is not a regular file (a FIFO or device
// is never read from).
graph::PriorNodes load_previous_graph(const std::string& path);

}  // namespace graph_builder::documents
