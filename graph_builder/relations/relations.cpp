#include "graph_builder/relations/relations.hpp"

#include "graph_builder/discovery/file_id.hpp"

namespace graph_builder::relations {

std::vector<graph::Edge> parse_relations(const std::filesystem::path& path, std::string_view text,
                                         const std::filesystem::path& root) {
  std::string id = discovery::rel(path, root);
  std::string name = path.filename().string();
  return parse_relations_for_id(id, name, text);
}

// Placeholder until relation extraction lands.
std::vector<graph::Edge> parse_relations_for_id(std::string_view /*file_id*/,
                                                std::string_view /*file_name*/,
                                                std::string_view /*text*/) {
  return {};
}

}  // namespace graph_builder::relations
