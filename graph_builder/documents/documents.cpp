#include "graph_builder/documents/documents.hpp"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
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
#include "graph_builder/platform/cpu.hpp"

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

// Appends nodes [begin, end) of `nodes` as the graph document lists them:
// each after its indent, and after a comma but for the first of the list.
// Calls `flush(out)` whenever `out` holds kFlushBytes or more, when given.
void append_nodes(std::string& out, const std::vector<graph::Node>& nodes, std::size_t begin,
                  std::size_t end, const Flush* flush) {
  for (std::size_t i = begin; i < end; ++i) {
    if (i + kAhead < end) prefetch_strings(nodes[i + kAhead]);
    if (i > 0) out += ',';
    graph::append_newline_indent(out, graph::kDocumentRecordLevel);
    graph::append_node_json(out, nodes[i], graph::kDocumentRecordLevel);
    if (flush != nullptr && out.size() >= kFlushBytes) (*flush)(out);
  }
}

// The same for edges.
void append_edges(std::string& out, const std::vector<graph::Edge>& edges, std::size_t begin,
                  std::size_t end, const Flush* flush) {
  for (std::size_t i = begin; i < end; ++i) {
    if (i + kAhead < end) {
      __builtin_prefetch(edges[i + kAhead].from.data());
      __builtin_prefetch(edges[i + kAhead].to.data());
    }
    if (i > 0) out += ',';
    graph::append_newline_indent(out, graph::kDocumentRecordLevel);
    graph::append_edge_json(out, edges[i], graph::kDocumentRecordLevel);
    if (flush != nullptr && out.size() >= kFlushBytes) (*flush)(out);
  }
}

// The bytes of a stretch of records made by one helper thread at a time,
// about: enough to make the hand-over rare, few enough that the stretches
// waiting to be written take little memory.
constexpr std::size_t kStretchBytes = std::size_t{1} << 20;

// Where stretches of about kStretchBytes of written records begin and end,
// from `estimate(record)`, the bytes a record takes about: the first record,
// each record that begins a new stretch, and the end of the list.
template <class Record, class Estimate>
std::vector<std::size_t> stretch_bounds(const std::vector<Record>& records, Estimate&& estimate) {
  std::vector<std::size_t> bounds{0};
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    bytes += estimate(records[i]);
    if (bytes >= kStretchBytes && i + 1 < records.size()) {
      bounds.push_back(i + 1);
      bytes = 0;
    }
  }
  bounds.push_back(records.size());
  return bounds;
}

// Hands the records of `records` to `flush` in order, as `append(out, begin,
// end)` writes them, the bytes of each stretch [bounds[k], bounds[k + 1])
// made by `threads` helper threads; at most 2 x `threads` finished stretches
// wait. `flush` runs on the calling thread; what it throws ends the helpers
// and goes on to the caller.
template <class Append>
void flush_in_stretches(const std::vector<std::size_t>& bounds, Append&& append, const Flush& flush,
                        unsigned threads) {
  const std::size_t stretches = bounds.size() - 1;
  const std::size_t ahead = 2 * std::size_t{threads};
  std::vector<std::string> made(stretches);
  std::vector<char> done(stretches, 0);
  std::mutex mutex;
  std::condition_variable made_one;
  std::condition_variable room;
  std::size_t next = 0;     // the next stretch to make
  std::size_t flushed = 0;  // stretches handed to `flush`
  bool stop = false;
  std::exception_ptr error;  // what a helper threw
  auto helper = [&] {
    try {
      while (true) {
        std::size_t k = 0;
        {
          std::unique_lock<std::mutex> lock(mutex);
          room.wait(lock, [&] { return stop || next == stretches || next < flushed + ahead; });
          if (stop || next == stretches) return;
          k = next++;
        }
        std::string bytes;
        append(bytes, bounds[k], bounds[k + 1]);
        {
          const std::lock_guard<std::mutex> lock(mutex);
          made[k] = std::move(bytes);
          done[k] = 1;
        }
        made_one.notify_all();
      }
    } catch (...) {
      {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!error) error = std::current_exception();
      }
      made_one.notify_all();
    }
  };
  std::vector<std::thread> helpers;
  auto finish = [&] {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    room.notify_all();
    for (std::thread& t : helpers) t.join();
  };
  try {
    for (unsigned i = 0; i < threads && i < stretches; ++i) helpers.emplace_back(helper);
    for (std::size_t k = 0; k < stretches; ++k) {
      std::string bytes;
      {
        std::unique_lock<std::mutex> lock(mutex);
        made_one.wait(lock, [&] { return done[k] != 0 || error; });
        if (done[k] == 0) std::rethrow_exception(error);
        bytes = std::move(made[k]);
        flushed = k + 1;
      }
      room.notify_all();
      flush(bytes);
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// Appends `,\n  "<key>": [...]` for `items`, each record made by
// `append(bytes, items, begin, end, flush_or_null)`: on the calling thread
// (flushing as it goes), or with `threads` above 1 by helper threads, a
// stretch of about a megabyte of records (by `bytes_of`) at a time.
template <class Item, class BytesOf, class Append>
void append_array(std::string& out, const char* key, const std::vector<Item>& items,
                  BytesOf bytes_of, Append append, const Flush& flush, unsigned threads) {
  out += ',';
  graph::append_newline_indent(out, 1);
  out += '"';
  out += key;
  out += "\": ";
  if (items.empty()) {
    out += "[]";
    return;
  }
  out += '[';
  if (threads > 1) {
    flush(out);
    flush_in_stretches(
        stretch_bounds(items, bytes_of),
        [&](std::string& bytes, std::size_t begin, std::size_t end) {
          append(bytes, items, begin, end, nullptr);
        },
        flush, threads);
  } else {
    append(out, items, 0, items.size(), &flush);
  }
  graph::append_newline_indent(out, 1);
  out += ']';
}

// Appends the graph document to `out` and calls `flush(out)` whenever it
// holds kFlushBytes or more, and once at the end; `flush` consumes (clears)
// what it is given. Memory stays flat however large the graph. With
// `threads` above 1, that many helper threads make the bytes of the records
// (the same bytes), while the calling thread hands them to `flush`.
void write_graph_document(const graph::Graph& g, std::string& out, const Flush& flush,
                          unsigned threads = 1) {
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
  auto node_bytes = [](const graph::Node& n) {
    // A node takes about its texts and a few hundred bytes of names.
    return 256 + n.id.size() + n.path.size() + n.content.size() + n.summary.size() +
           16 * n.keywords.size();
  };
  auto edge_bytes = [](const graph::Edge& e) {
    return 64 + e.from.size() + e.to.size() + e.rel.size();
  };
  append_array(out, "nodes", g.nodes, node_bytes, append_nodes, flush, threads);
  append_array(out, "edges", g.edges, edge_bytes, append_edges, flush, threads);
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

// Writes to `file` what `stream(buffer, flush)` streams, without putting it
// in place. When `stop` is set and says so, throws Cancelled.
template <class Stream>
void write_into(AtomicFile& file, Stream&& stream, const StopWriting& stop = {}) {
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
// stop leaves both documents as they were). With `threads` above 1, the
// graph document's records are made by that many helper threads, and the
// index is made and written to its temporary file meanwhile by a thread of
// its own; both are put in place together once both are complete. The bytes
// and the failure reported (the graph document's first) are those of one
// thread.
WrittenDocuments write_both(const graph::Graph& g, const std::string& out_path,
                            const StopWriting& stop, unsigned threads) {
  create_output_directory(out_path);
  WrittenDocuments written;
  written.graph_path = normalize_path(out_path);
  written.index_path = sibling_path(out_path, kSymbolIndexName);
  auto graph_stream = [&](std::string& buffer, const Flush& flush) {
    write_graph_document(g, buffer, flush, threads);
  };
  auto index_stream = [&](std::string& buffer, const Flush& flush) {
    write_symbol_index_document(g, buffer, flush, &written.index_members);
  };
  // Both documents are complete and their paths checked before either
  // replaces the old one, so that a failure leaves the pair in step.
  AtomicFile graph_file(out_path);
  AtomicFile index_file(written.index_path);
  if (threads <= 1) {
    write_into(graph_file, graph_stream, stop);
    write_into(index_file, index_stream);
  } else {
    std::exception_ptr index_error;
    std::thread index_writer([&] {
      try {
        write_into(index_file, index_stream);
      } catch (...) {
        index_error = std::current_exception();
      }
    });
    try {
      write_into(graph_file, graph_stream, stop);
    } catch (...) {
      index_writer.join();
      throw;
    }
    index_writer.join();
    if (index_error) std::rethrow_exception(index_error);
  }
  commit_together({&graph_file, &index_file});
  return written;
}

}  // namespace

WrittenDocuments write_documents(const graph::Graph& g, const std::string& out_path,
                                 unsigned jobs) {
  return write_both(g, out_path, {}, jobs != 0 ? jobs : platform::usable_cores());
}

Built build(const std::string& root, const std::string& out_path,
            const graph::ScanOptions& options) {
  // Refused before anything is created or read: scanning a root that is not
  // there would put an empty graph in place of the previous one.
  if (const std::string problem = root_problem(root); !problem.empty()) {
    throw FatalError("cannot scan " + root + ": " + problem);
  }
  if (names_a_directory(out_path)) {
    throw FatalError("cannot write " + out_path + ": " + std::strerror(EISDIR));
  }
  Built built;
  const std::string resolved_root = discovery::resolve_path(root);
  // The directory comes first, before anything is read or scanned.
  create_output_directory(out_path);
  built.previous = load_previous_graph(out_path);
  built.graph = graph::scan(resolved_root, std::move(built.previous), options);
  built.written = write_both(built.graph, out_path, options.cancelled,
                             options.jobs != 0 ? options.jobs : platform::usable_cores());
  return built;
}

}  // namespace graph_builder::documents
