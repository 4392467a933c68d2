#pragma once
// Relations of a file's text: the modules, headers, packages and paths it
// names, as plain records (the target as written, and its kind). Nothing is
// resolved or checked against the graph, no file is read, duplicates are
// left in place, and no graph record is made here: graph/assemble.hpp turns
// relations into edges. Statement rows live in imports.*, the file-mention
// scanner in references.*. Not part of the installed interface.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::languages {
struct Profile;
}  // namespace graph_builder::languages

namespace graph_builder::relations {

// What a relation's target is to the file: an imported module, package or
// namespace; a required module or file; a quoted include; a mentioned path or
// the class a XAML file names.
enum class RelationKind : std::uint8_t { import, require, include, reference };

// The edge "rel" text of `kind`: "imports", "requires", "includes" or
// "references". The view points at a string literal.
constexpr std::string_view rel_name(RelationKind kind) {
  switch (kind) {
    case RelationKind::import:
      return "imports";
    case RelationKind::require:
      return "requires";
    case RelationKind::include:
      return "includes";
    case RelationKind::reference:
      return "references";
  }
  return {};
}

// One thing a text names; `target` is never empty.
struct Relation {
  std::string target;
  RelationKind kind = RelationKind::import;
  bool operator==(const Relation&) const = default;
};

// The relations of `text` in the order found, duplicates kept: the statement
// rows every file gets, those of `profile.imports`, then the file mentions
// holding a "/". Relations choose the profile by the file name's extension
// with its case kept (a name ending in ".JAVA" gets no Java rows). Pure;
// never fails.
std::vector<Relation> find_relations(std::string_view text, const languages::Profile& profile);

}  // namespace graph_builder::relations
