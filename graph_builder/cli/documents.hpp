#pragma once
// The two output documents: the graph (indented JSON) and the symbol index
// (one line), and their crash-safe writing.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::cli {

// The graph document, byte for byte (no trailing newline).
std::string graph_document(const graph::Graph& g);

// Streams the graph document: appends to `buffer` and calls `flush(buffer)`
// whenever it holds a megabyte or more, and once at the end; `flush` must
// consume (clear) the buffer. Keeps memory flat for large graphs.
void write_graph_document(const graph::Graph& g, std::string& buffer,
                          const std::function<void(std::string&)>& flush);

// The symbol index document and its number of members. One member per
// distinct symbol id, at the position of its first node, valued from its
// last.
std::string symbol_index_document(const graph::Graph& g, std::size_t* members = nullptr);

// Streams the symbol index document like write_graph_document streams the
// graph; stores its number of members in `members` when given.
void write_symbol_index_document(const graph::Graph& g, std::string& buffer,
                                 const std::function<void(std::string&)>& flush,
                                 std::size_t* members = nullptr);

// Writes `bytes` to `path` through a temporary file in the same directory that
// is renamed over it, so `path` holds either its old or its new content, never
// a mix. Throws FatalError on failure (the temporary file is removed).
void write_file_atomic(const std::string& path, const std::string& bytes);

// The same, for content produced in pieces: `produce(write)` calls `write`
// with successive chunks.
void write_file_atomic(const std::string& path,
                       const std::function<void(const std::function<void(std::string_view)>&)>& produce);

// Writes both documents for `g` (creating the output directory when missing):
// the graph to `out_path`, then the symbol
// index beside it. Returns the symbol index path (normalised) and stores its
// number of members in `members`. Throws FatalError when a document cannot
// be written.
std::string write_documents(const graph::Graph& g, const std::string& out_path,
                            std::size_t* members = nullptr);

}  // namespace graph_builder::cli
