#include "graph_builder/relations/relations.hpp"
#include "graph_builder/languages/languages.hpp"

#include <string>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/relations/imports.hpp"
#include "graph_builder/relations/references.hpp"

namespace graph_builder::relations {

std::vector<graph::Edge> parse_relations(const std::filesystem::path& path, std::string_view text,
                                         const std::filesystem::path& root) {
  std::string id = discovery::rel(path, root);
  std::string name = path.filename().string();
  return parse_relations_for_id(id, name, text);
}

std::vector<graph::Edge> parse_relations_for_id(std::string_view file_id,
                                                std::string_view file_name,
                                                std::string_view text) {
  const std::string from(file_id);
  std::vector<graph::Edge> edges;
  append_statement_edges(from, languages::extension_of(file_name), text, edges);
  append_reference_edges(from, text, edges);
  return edges;
}

}  // namespace graph_builder::relations
