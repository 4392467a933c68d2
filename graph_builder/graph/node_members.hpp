#pragma once
// The one list of a node's serialised members, in document order. Internal:
// not installed; `Node::as_dict`, the node writer and the Python module visit
// it.

#include <optional>

#include "graph_builder/graph/json.hpp"
#include "graph_builder/graph/node.hpp"

namespace graph_builder::graph {

// The value a reused node stored for a member, or nullptr.
inline const JsonValue* stored_value(const StoredFields* stored,
                                     std::optional<JsonValue> StoredFields::*member) {
  if (stored == nullptr || !(stored->*member).has_value()) return nullptr;
  return &*(stored->*member);
}

// Calls `visit` once per member of the serialised node, in document order:
// the one list of a node's members, which `as_dict`, the writer and the
// Python module's node dictionaries follow. A non-null `stored` is what a
// reused node carries over for that member and replaces the field's value.
template <class Visit>
[[gnu::always_inline]] inline void visit_members(const Node& node, Visit& visit) {
  const StoredFields* s = node.stored.get();
  visit.string("id", node.id, nullptr);
  visit.string("kind", node.kind, nullptr);
  visit.string("path", node.path, stored_value(s, &StoredFields::path));
  visit.string("ext", node.ext, stored_value(s, &StoredFields::ext));
  visit.integer("size", node.size, stored_value(s, &StoredFields::size));
  visit.strings("keywords", node.keywords, stored_value(s, &StoredFields::keywords));
  if (node.kind == "file") {
    visit.long_text("content", node.content, stored_value(s, &StoredFields::content));
    visit.long_text("summary", node.summary, stored_value(s, &StoredFields::summary));
    visit.string("file_hash", node.file_hash, nullptr);
  } else {
    visit.string("symbol_type", node.symbol_type, nullptr);
    visit.string("name", node.name, nullptr);
    visit.integer("line_start", node.line_start, nullptr);
    visit.integer("line_end", node.line_end, nullptr);
    visit.string("body_hash", node.body_hash, nullptr);
    visit.string("confidence", node.confidence, nullptr);
    visit.boolean("exported", node.exported);
  }
}

}  // namespace graph_builder::graph
