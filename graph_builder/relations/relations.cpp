#include "graph_builder/relations/relations.hpp"

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/imports.hpp"
#include "graph_builder/relations/references.hpp"

namespace graph_builder::relations {

std::vector<Relation> find_relations(std::string_view text, const languages::Profile& profile) {
  std::vector<Relation> found;
  append_statement_relations(text, profile.imports, found);
  append_reference_relations(text, found);
  return found;
}

}  // namespace graph_builder::relations
