#include "graph_builder/cli/documents.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <string_view>
#include <vector>

#include "graph_builder/cli/options.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/index_table.hpp"
#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/graph/node_writer.hpp"

namespace graph_builder::cli {

namespace {

constexpr std::size_t kFlushBytes = 1U << 20;

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

}  // namespace

std::string graph_document(const graph::Graph& g) {
  std::string out;
  std::size_t estimate = 256;
  for (const graph::Node& n : g.nodes) estimate += n.content.size() + 512;
  out.reserve(estimate + g.edges.size() * 96);
  write_graph_document(g, out, [](std::string&) {});
  return out;
}

void write_graph_document(const graph::Graph& g, std::string& out,
                          const std::function<void(std::string&)>& flush) {
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

std::string symbol_index_document(const graph::Graph& g, std::size_t* members) {
  std::string out;
  write_symbol_index_document(g, out, [](std::string&) {}, members);
  return out;
}

void write_symbol_index_document(const graph::Graph& g, std::string& out,
                                 const std::function<void(std::string&)>& flush,
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
    const std::size_t slot = first.first(hash(n.id), order.size(),
                                         [&](std::size_t i) { return order[i]->id == n.id; });
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
    graph::append_record(out, [&](auto& sink) __attribute__((always_inline)) {
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

void write_file_atomic(const std::string& path, const std::string& bytes) {
  write_file_atomic(path,
                    [&](const std::function<void(std::string_view)>& write) { write(bytes); });
}

void write_file_atomic(
    const std::string& path,
    const std::function<void(const std::function<void(std::string_view)>&)>& produce) {
  std::string dir = ".";
  std::size_t slash = path.rfind('/');
  if (slash != std::string::npos) dir = slash == 0 ? "/" : path.substr(0, slash);
  std::string tmpl = (dir == "/" ? std::string("/") : dir + "/") + ".graph_builder.tmp.XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw FatalError("cannot write " + path + ": " + std::strerror(errno));
  const std::string tmp(name.data());
  auto fail = [&](int err) {
    if (fd >= 0) ::close(fd);
    ::unlink(tmp.c_str());
    throw FatalError("cannot write " + path + ": " + std::strerror(err));
  };
  // mkstemp creates 0600; documents are ordinary files readable as umask allows.
  mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0) fail(errno);
  // Written data is handed to the disk every few megabytes as the document
  // grows, so that the disk works while the rest is still being produced and
  // the final fsync waits only for the last stretch.
  constexpr off_t kStartWriteback = off_t{8} << 20;
  off_t written = 0;
  off_t handed = 0;
  try {
    produce([&](std::string_view bytes) {
      std::size_t done = 0;
      while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
          if (errno == EINTR) continue;
          fail(errno);
        }
        done += static_cast<std::size_t>(n);
        written += static_cast<off_t>(n);
      }
      if (written - handed >= kStartWriteback) {
        // Only starts the writing; failures show in the fsync below.
        (void)::sync_file_range(fd, handed, written - handed, SYNC_FILE_RANGE_WRITE);
        handed = written;
      }
    });
  } catch (const FatalError&) {
    throw;
  } catch (...) {
    fail(EIO);
  }
  // The data reaches the disk before the rename makes it visible.
  if (::fsync(fd) != 0) fail(errno);
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) fail(errno);
  if (::rename(tmp.c_str(), path.c_str()) != 0) fail(errno);
}

std::string write_documents(const graph::Graph& g, const std::string& out_path,
                            std::size_t* members) {
  const std::filesystem::path parent = std::filesystem::path(out_path).parent_path();
  if (!parent.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec) throw FatalError("cannot create directory " + parent.string() + ": " + ec.message());
  }
  write_file_atomic(out_path, [&](const std::function<void(std::string_view)>& write) {
    std::string buffer;
    buffer.reserve(kFlushBytes + (64U << 10));
    write_graph_document(g, buffer, [&](std::string& b) {
      write(b);
      b.clear();
    });
  });
  std::string index_path = sibling_path(out_path, "symbol_index.json");
  write_file_atomic(index_path, [&](const std::function<void(std::string_view)>& write) {
    std::string buffer;
    buffer.reserve(kFlushBytes + (64U << 10));
    write_symbol_index_document(
        g, buffer,
        [&](std::string& b) {
          write(b);
          b.clear();
        },
        members);
  });
  return index_path;
}

}  // namespace graph_builder::cli
