#include "graph_builder/graph/assemble.hpp"

#include <string>
#include <utility>

#include "graph_builder/check.hpp"
#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/languages/languages.hpp"

namespace graph_builder::graph {
namespace {

// Appends the node of one symbol, then its "contains" edge.
void append_symbol(std::vector<Node>& nodes, std::vector<Edge>& edges, std::string id,
                   std::string name, std::string symbol_type, std::int64_t line_start,
                   std::int64_t line_end, std::string body_hash, std::string confidence,
                   bool exported, std::vector<std::string> keywords, std::string_view file_id,
                   std::string_view ext) {
  Node n;
  n.id = id;
  n.kind = "symbol";
  n.path = std::string(file_id);
  n.ext = std::string(ext);
  n.size = line_end - line_start + 1;
  n.keywords = std::move(keywords);
  n.symbol_type = std::move(symbol_type);
  n.name = std::move(name);
  n.line_start = line_start;
  n.line_end = line_end;
  n.body_hash = std::move(body_hash);
  n.confidence = std::move(confidence);
  n.exported = exported;
  nodes.push_back(std::move(n));
  edges.push_back(Edge{std::string(file_id), std::move(id), "contains"});
}

}  // namespace

void append_relation_edges(std::vector<Edge>& edges, const std::string& file_id,
                           std::vector<relations::Relation>& found) {
  for (relations::Relation& r : found) {
    edges.push_back(Edge{file_id, std::move(r.target), std::string(relations::rel_name(r.kind))});
  }
}

void append_symbol_nodes(std::vector<Node>& nodes, std::vector<Edge>& edges,
                         std::vector<symbols::Symbol> syms, std::string_view file_id,
                         std::string_view ext) {
  for (symbols::Symbol& s : syms) {
    append_symbol(nodes, edges, std::move(s.id), std::move(s.name), std::move(s.symbol_type),
                  s.line_start, s.line_end, std::move(s.body_hash), std::move(s.confidence),
                  s.exported, std::move(s.keywords), file_id, ext);
  }
}

void append_symbol_records(std::vector<Node>& nodes, std::vector<Edge>& edges,
                           std::vector<symbols::SymbolRecord>& records,
                           std::span<std::string> body_hashes, const std::string& file_id,
                           std::string_view ext) {
  GB_CHECK(body_hashes.size() == records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    symbols::SymbolRecord& r = records[i];
    std::string id = file_id + "::" + r.name;
    append_symbol(nodes, edges, std::move(id), std::move(r.name), std::move(r.symbol_type),
                  r.line_start, r.line_end, std::move(body_hashes[i]), std::move(r.confidence),
                  r.exported, std::move(r.keywords), file_id, ext);
  }
}

std::vector<Edge> parse_relations(const std::filesystem::path& path, std::string_view text,
                                  const std::filesystem::path& root) {
  const std::string file_id = discovery::rel(path, root);
  const std::string name = path.filename().string();
  std::vector<relations::Relation> found =
      relations::find_relations(text, languages::profile(languages::extension_of(name)));
  std::vector<Edge> edges;
  edges.reserve(found.size());
  append_relation_edges(edges, file_id, found);
  return edges;
}

}  // namespace graph_builder::graph
