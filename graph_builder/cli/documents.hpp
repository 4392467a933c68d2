#pragma once
// The two output documents: the graph (indented JSON) and the symbol index
// (one line), and their crash-safe writing.

#include <cstddef>
#include <string>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::cli {

// The graph document, byte for byte (no trailing newline).
std::string graph_document(const graph::Graph& g);

// The symbol index document and its number of members. One member per
// distinct symbol id, at the position of its first node, valued from its
// last.
std::string symbol_index_document(const graph::Graph& g, std::size_t* members = nullptr);

// Writes `bytes` to `path` through a temporary file in the same directory that
// is renamed over it, so `path` holds either its old or its new content, never
// a mix. Throws FatalError on failure (the temporary file is removed).
void write_file_atomic(const std::string& path, const std::string& bytes);

}  // namespace graph_builder::cli
