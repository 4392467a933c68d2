#include "graph_builder/documents/documents.hpp"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/documents/atomic_file.hpp"
#include "graph_builder/documents/paths.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/index_table.hpp"
#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/graph/node_writer.hpp"

namespace graph_builder::documents {
namespace {

constexpr std::size_t kFlushBytes = 1U << 20;

using Flush = std::function<void(std::string&)>;

// Records are written in list order, but the strings they hold lie
// wherever they were allocated: their first bytes are fetched a few records
// ahead, so that the writer does not wait on each.
constexpr std::size_t kAhead = 8;

void prefetch_strings(const graph::Node& n) {
  __builtin_prefetch(n.id.data());
  __builtin_prefetch(n.path.data());
  __builtin_prefetch(n.keywords.data());
  __builtin_prefetch(n.content.data());
}

// Appends the graph document to `out` and calls `flush(out)` whenever it
// holds kFlushBytes or more, and once at the end; `flush` consumes (clears)
// what it is given. Memory stays flat however large the graph.
void write_graph_document(const graph::Graph& g, std::string& out, const Flush& flush) {
  auto maybe_flush = [&] {
    if (out.size() >= kFlushBytes) flush(out);
  };
  out += '{';
  graph::append_newline_indent(out, 1);
  out += "\"root\": ";
  graph::append_json_string(out, g.root);
  auto count = [&](const char* key, std::size_t v) {
    out += ',';
    graph::append_newline_indent(out, 1);
    out += '"';
    out += key;
    out += "\": ";
    graph::append_integer(out, static_cast<std::int64_t>(v));
  };
  count("node_count", g.node_count());
  count("edge_count", g.edge_count());
  count("file_count", g.file_count());
  count("symbol_count", g.symbol_count);
  out += ',';
  graph::append_newline_indent(out, 1);
  out += "\"nodes\": ";
  if (g.nodes.empty()) {
    out += "[]";
  } else {
    out += '[';
    for (std::size_t i = 0; i < g.nodes.size(); ++i) {
      if (i + kAhead < g.nodes.size()) prefetch_strings(g.nodes[i + kAhead]);
      if (i > 0) out += ',';
      graph::append_newline_indent(out, graph::kDocumentRecordLevel);
      graph::append_node_json(out, g.nodes[i], graph::kDocumentRecordLevel);
      maybe_flush();
    }
    graph::append_newline_indent(out, 1);
    out += ']';
  }
  out += ',';
  graph::append_newline_indent(out, 1);
  out += "\"edges\": ";
  if (g.edges.empty()) {
    out += "[]";
  } else {
    out += '[';
    for (std::size_t i = 0; i < g.edges.size(); ++i) {
      if (i + kAhead < g.edges.size()) {
        __builtin_prefetch(g.edges[i + kAhead].from.data());
        __builtin_prefetch(g.edges[i + kAhead].to.data());
      }
      if (i > 0) out += ',';
      graph::append_newline_indent(out, graph::kDocumentRecordLevel);
      graph::append_edge_json(out, g.edges[i], graph::kDocumentRecordLevel);
      maybe_flush();
    }
    graph::append_newline_indent(out, 1);
    out += ']';
  }
  out += "\n}";
  flush(out);
}

// Streams the symbol index document like write_graph_document streams the
// graph; stores its number of members in `members` when given.
void write_symbol_index_document(const graph::Graph& g, std::string& out, const Flush& flush,
                                 std::size_t* members) {
  // Position of each id's first node, value from its last.
  std::vector<const graph::Node*> order;
  order.reserve(g.symbol_count);
  graph::IndexTable first(g.symbol_count);
  const std::hash<std::string_view> hash;
  for (std::size_t k = 0; k < g.nodes.size(); ++k) {
    if (k + kAhead < g.nodes.size()) __builtin_prefetch(g.nodes[k + kAhead].id.data());
    const graph::Node& n = g.nodes[k];
    if (n.kind != "symbol") continue;
    const std::size_t slot =
        first.first(hash(n.id), order.size(), [&](std::size_t i) { return order[i]->id == n.id; });
    if (slot == order.size()) {
      order.push_back(&n);
    } else {
      order[slot] = &n;
    }
  }
  if (members != nullptr) *members = order.size();
  out += '{';
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i + kAhead < order.size()) {
      __builtin_prefetch(order[i + kAhead]->id.data());
      __builtin_prefetch(order[i + kAhead]->path.data());
    }
    const graph::Node& n = *order[i];
    // Inlined, like the node writer's records (see there).
    graph::append_record(
        out, [&](auto& sink) __attribute__((always_inline)) {
          if (i > 0) sink.text(", ");
          sink.quoted(n.id);
          sink.text(": {\"line_start\": ");
          sink.integer(n.line_start);
          sink.text(", \"line_end\": ");
          sink.integer(n.line_end);
          sink.text(", \"body_hash\": ");
          sink.quoted(n.body_hash);
          sink.text(", \"confidence\": ");
          sink.quoted(n.confidence);
          sink.text(", \"path\": ");
          sink.quoted(n.path);
          sink.text("}");
        });
    if (out.size() >= kFlushBytes) flush(out);
  }
  out += '}';
  flush(out);
}

// Asked between the stretches of a document; true stops the writing.
using StopWriting = std::function<bool()>;

// Writes to `path` (replacing it whole) what `stream(buffer, flush)` streams.
// When `stop` is set and says so, throws Cancelled and leaves `path` as it was.
template <class Stream>
void write_document(const std::string& path, Stream&& stream, const StopWriting& stop = {}) {
  AtomicFile file(path);
  std::string buffer;
  buffer.reserve(kFlushBytes + (64U << 10));
  try {
    stream(buffer, [&](std::string& b) {
      if (stop && stop()) throw Cancelled();
      file.write(b);
      b.clear();
    });
  } catch (const FatalError&) {
    throw;
  } catch (...) {
    // Anything else that stops the document half-way (memory running out)
    // is a failed write like any other: reported for this path, the
    // temporary file removed.
    file.fail(EIO);
  }
  file.commit();
}

// Creates the directory `out_path` is to be written in, with its missing
// ancestors.
void create_output_directory(const std::string& out_path) {
  const std::filesystem::path parent = std::filesystem::path(out_path).parent_path();
  if (parent.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(parent, ec);
  if (ec) throw FatalError("cannot create directory " + parent.string() + ": " + ec.message());
}

}  // namespace

std::string graph_document(const graph::Graph& g) {
  std::string out;
  std::size_t estimate = 256;
  for (const graph::Node& n : g.nodes) estimate += n.content.size() + 512;
  out.reserve(estimate + g.edges.size() * 96);
  write_graph_document(g, out, [](std::string&) {});
  return out;
}

std::string symbol_index_document(const graph::Graph& g, std::size_t* members) {
  std::string out;
  write_symbol_index_document(
      g, out, [](std::string&) {}, members);
  return out;
}

namespace {

// write_documents(); `stop` is asked while the graph document is written (a
// stop leaves both documents as they were). Once the graph document is in
// place the index follows it whatever `stop` says, so that the two agree.
WrittenDocuments write_both(const graph::Graph& g, const std::string& out_path,
                            const StopWriting& stop) {
  create_output_directory(out_path);
  WrittenDocuments written;
  written.graph_path = normalize_path(out_path);
  written.index_path = sibling_path(out_path, kSymbolIndexName);
  write_document(
      out_path,
      [&](std::string& buffer, const Flush& flush) { write_graph_document(g, buffer, flush); },
      stop);
  write_document(written.index_path, [&](std::string& buffer, const Flush& flush) {
    write_symbol_index_document(g, buffer, flush, &written.index_members);
  });
  return written;
}

}  // namespace

WrittenDocuments write_documents(const graph::Graph& g, const std::string& out_path) {
  return write_both(g, out_path, {});
}

Built build(const std::string& root, const std::string& out_path,
            const graph::ScanOptions& options) {
  Built built;
  const std::string resolved_root = discovery::resolve_path(root);
  // The directory comes first, before anything is read or scanned.
  create_output_directory(out_path);
  std::error_code ec;
  if (std::filesystem::exists(out_path, ec)) built.previous = load_previous_graph(out_path);
  built.graph = graph::scan(resolved_root, std::move(built.previous), options);
  built.written = write_both(built.graph, out_path, options.cancelled);
  return built;
}

}  // namespace graph_builder::documents
