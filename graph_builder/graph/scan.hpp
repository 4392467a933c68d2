#pragma once
// The scan driver: turns a project root into the graph. Owns the per-file
// pipeline (read, hash, reuse or analyse, relations, symbols) and edge
// de-duplication. Per-file trouble (unreadable, vanished, too large) skips the
// file silently; nothing per-file throws out of a scan.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/graph/json.hpp"
#include "graph_builder/graph/node.hpp"

namespace graph_builder::graph {

// A file whose size in bytes exceeds this is not scanned.
inline constexpr std::size_t MAX_FILE_BYTES = 300000;
// Code points of text kept in a file node's "content".
inline constexpr std::size_t MAX_CONTENT_CHARS = 24000;

// File nodes of a previous graph document: file id -> the stored node object.
using PriorNodes = std::unordered_map<std::string, JsonValue>;

// The result of a scan. Counts follow from the lists: node_count =
// nodes.size(), edge_count = edges.size(), file_count = node_count -
// symbol_count.
struct Graph {
  std::string root;
  std::vector<Node> nodes;
  std::vector<Edge> edges;  // de-duplicated, in production order
  std::size_t symbol_count = 0;
  std::size_t node_count() const { return nodes.size(); }
  std::size_t edge_count() const { return edges.size(); }
  std::size_t file_count() const { return nodes.size() - symbol_count; }
};

// How a scan runs; the defaults give the documented result with nothing
// reported.
struct ScanOptions {
  // Called for each file or directory passed over for trouble (over the size
  // limit, unreadable, a linked directory outside the root, a link loop), on
  // the thread that called scan, in walk order. Empty: nothing is reported.
  discovery::SkipObserver on_skip;
  // Asked on the thread that called scan before each file is analysed; when
  // it returns true the scan stops and throws graph_builder::Cancelled.
  // Empty: the scan runs to the end.
  std::function<bool()> cancelled;
};

// Scans the project under `root` (the command line passes it absolute with
// links resolved). A file present in `existing_nodes` with the same
// "file_hash" keeps its stored summary, keywords and other stored values;
// relations and symbols are always recomputed. Never prints; reads nothing
// outside the walked files.
Graph scan(const std::string& root, const PriorNodes* existing_nodes = nullptr,
           const ScanOptions& options = {});
// The same, taking the previous nodes over: stored values are moved into the
// graph instead of copied, which halves the memory of a re-run.
Graph scan(const std::string& root, PriorNodes&& existing_nodes, const ScanOptions& options = {});

// The first edge of every group of equal edges, in input order.
std::vector<Edge> dedupe_edges(const std::vector<Edge>& edges);
// The same, consuming its input.
std::vector<Edge> dedupe_edges(std::vector<Edge>&& edges);

}  // namespace graph_builder::graph
