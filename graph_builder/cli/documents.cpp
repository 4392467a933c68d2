#include "graph_builder/cli/documents.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "graph_builder/error.hpp"

namespace graph_builder::cli {

std::string graph_document(const graph::Graph& g) {
  std::string out;
  std::size_t estimate = 256;
  for (const graph::Node& n : g.nodes) estimate += n.content.size() + 512;
  out.reserve(estimate + g.edges.size() * 96);
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
    out += std::to_string(v);
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
      if (i > 0) out += ',';
      graph::append_newline_indent(out, 2);
      graph::append_node_json(out, g.nodes[i], 2);
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
      if (i > 0) out += ',';
      graph::append_newline_indent(out, 2);
      graph::append_edge_json(out, g.edges[i], 2);
    }
    graph::append_newline_indent(out, 1);
    out += ']';
  }
  out += "\n}";
  return out;
}

std::string symbol_index_document(const graph::Graph& g, std::size_t* members) {
  // Position of each id's first node, value from its last.
  std::vector<const graph::Node*> order;
  std::unordered_map<std::string_view, std::size_t> slot;
  for (const graph::Node& n : g.nodes) {
    if (n.kind != "symbol") continue;
    auto [it, inserted] = slot.emplace(n.id, order.size());
    if (inserted) {
      order.push_back(&n);
    } else {
      order[it->second] = &n;
    }
  }
  if (members != nullptr) *members = order.size();
  std::string out = "{";
  for (std::size_t i = 0; i < order.size(); ++i) {
    const graph::Node& n = *order[i];
    if (i > 0) out += ", ";
    graph::append_json_string(out, n.id);
    out += ": {\"line_start\": ";
    out += std::to_string(n.line_start);
    out += ", \"line_end\": ";
    out += std::to_string(n.line_end);
    out += ", \"body_hash\": ";
    graph::append_json_string(out, n.body_hash);
    out += ", \"confidence\": ";
    graph::append_json_string(out, n.confidence);
    out += ", \"path\": ";
    graph::append_json_string(out, n.path);
    out += '}';
  }
  out += '}';
  return out;
}

void write_file_atomic(const std::string& path, const std::string& bytes) {
  std::string dir = ".";
  std::size_t slash = path.rfind('/');
  if (slash != std::string::npos) dir = slash == 0 ? "/" : path.substr(0, slash);
  std::string tmpl = (dir == "/" ? std::string("/") : dir + "/") + ".graph_builder.tmp.XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) throw FatalError("cannot write " + path + ": " + std::strerror(errno));
  std::string tmp(name.data());
  auto fail = [&](const char* what) {
    int err = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    throw FatalError(std::string(what) + " " + path + ": " + std::strerror(err));
  };
  // mkstemp creates 0600; documents are ordinary files readable as umask allows.
  mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0) fail("cannot write");
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("cannot write");
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) fail("cannot write");
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    throw FatalError("cannot write " + path + ": " + std::strerror(err));
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    throw FatalError("cannot write " + path + ": " + std::strerror(err));
  }
}

}  // namespace graph_builder::cli
