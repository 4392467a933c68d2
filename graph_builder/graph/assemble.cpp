#include "graph_builder/graph/assemble.hpp"

#include <string>
#include <utility>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/languages/languages.hpp"

namespace graph_builder::graph {

void append_relation_edges(std::vector<Edge>& edges, const std::string& file_id,
                           std::vector<relations::Relation>& found) {
  for (relations::Relation& r : found) {
    edges.push_back(Edge{file_id, std::move(r.target), std::string(relations::rel_name(r.kind))});
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
