#pragma once
// The documents layer: the two output documents of a scan, the graph
// (indented JSON) and the symbol index (one line beside it), their
// crash-safe writing, and `build`, which does what the command line does.
// Reading documents back is in `previous_graph.hpp` and `symbol_index.hpp`.
// Nothing here prints or exits; run-level failures throw FatalError.

#include <cstddef>
#include <string>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::documents {

// The name of the symbol index document, written beside the graph document.
inline constexpr const char* kSymbolIndexName = "symbol_index.json";

// The graph document of `g`, byte for byte (no trailing newline).
std::string graph_document(const graph::Graph& g);

// The symbol index document of `g`: one member per distinct symbol id, at
// the position of its first node, valued from its last. Stores its number of
// members in `members` when given.
std::string symbol_index_document(const graph::Graph& g, std::size_t* members = nullptr);

// Where `write_documents` put the documents.
struct WrittenDocuments {
  std::string graph_path;         // the output path, normalised as the tally prints it
  std::string index_path;         // the symbol index beside it, normalised
  std::size_t index_members = 0;  // distinct symbol ids in the index
};

// Writes the graph document of `g` to `out_path` and the symbol index beside
// it, creating the output directory when missing. A regular file (or a link
// to one, which stays a link) is replaced whole; a device, FIFO or socket is
// written straight into. Both documents are written and both paths checked
// before either replaces the old one, so a failure replaces neither (only a
// crash between the two renames can leave one replaced). Throws FatalError
// when a document cannot be written. `jobs` threads make the bytes (0: the
// cores the process may use, as for the scan; 1: the calling thread alone);
// the documents are the same for every count.
WrittenDocuments write_documents(const graph::Graph& g, const std::string& out_path,
                                 unsigned jobs = 0);

// What `build` made and wrote.
struct Built {
  graph::Graph graph;  // the scan; its counts are the tally's first line
  WrittenDocuments written;
  // The file nodes read back from the previous graph document, as the scan
  // left them (reused values moved out). Kept here so that a caller about to
  // exit need not spend time freeing them.
  graph::PriorNodes previous;
};

// Does what the command line does: resolves `root` (absolute, links
// resolved), creates the output directory of `out_path`, reads back the file
// nodes of the graph document at `out_path` when it is a regular file (an
// unreadable one is ignored), scans, and writes both documents. Prints
// nothing; throws FatalError on a run-level failure: a `root` that does not
// exist or is not a directory, or an `out_path` that names a directory (both
// refused before anything is created), or an output directory or a document
// that cannot be written. `options` go to the scan, `options.jobs` also to
// the writing of the documents; `options.cancelled` is also asked while the
// graph document is written, and a stop throws graph_builder::Cancelled with
// the previous documents left as they were.
Built build(const std::string& root, const std::string& out_path,
            const graph::ScanOptions& options = {});

}  // namespace graph_builder::documents
