#pragma once
// The scan driver: turns a project root into the graph. Owns the per-file
// pipeline (read, hash, reuse or analyse, relations, symbols) and edge
// de-duplication. Per-file trouble (unreadable, vanished, too large) skips the
// file silently; nothing per-file throws out of a scan.

#include <cstddef>
#include <cstdint>
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

// How far a scan has come, as given to ScanOptions::on_progress.
struct ScanProgress {
  std::size_t files_found = 0;   // files the walk has listed so far
  bool walk_done = false;        // true once `files_found` is final
  std::size_t files_done = 0;    // files read and analysed, or passed over
  std::uint64_t bytes_done = 0;  // bytes of the files read so far
};

// How a scan runs; the defaults give the documented result with nothing
// reported. The graph is the same, byte for byte, whatever the options.
struct ScanOptions {
  // Called for each file or directory passed over for trouble (over the size
  // limit, unreadable, a linked directory outside the root, a link loop), on
  // the thread that called scan, in walk order. Empty: nothing is reported.
  discovery::SkipObserver on_skip;
  // Asked on the thread that called scan, often: before each directory is
  // listed, before each file is analysed (one job) or each time a batch of
  // files is done and while waiting for one (more jobs). When it returns true
  // the workers stop after the file at hand and the scan throws
  // graph_builder::Cancelled. Empty: the scan runs to the end.
  std::function<bool()> cancelled;
  // Threads that read and analyse files: 0 takes the number of cores this
  // process may use (its CPU affinity and cgroup CPU quota); 1 runs the whole
  // scan on the calling thread and starts no thread.
  unsigned jobs = 0;
  // Called on the thread that called scan as the scan goes on (as often as
  // `cancelled`). Empty: nothing is reported.
  std::function<void(const ScanProgress&)> on_progress;
};

// Scans the project under `root` (the command line passes it absolute with
// links resolved). A file present in `existing_nodes` with the same
// "file_hash" keeps its stored summary, keywords and other stored values;
// relations and symbols are always recomputed. Files are read and analysed
// by `options.jobs` threads and their nodes and edges put in walk order, so
// the graph does not depend on the number of jobs. Never prints; reads
// nothing outside the walked files. Throws graph_builder::Cancelled when
// `options.cancelled` says so; an exception on any thread of the scan ends
// the scan and is thrown on to the caller.
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
