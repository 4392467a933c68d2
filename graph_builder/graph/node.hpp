#pragma once
// The records of the graph: nodes and edges, and the stored values a reused
// file node carries over. Records only; they are written out by the internal
// node writer (`node_writer.hpp`).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graph_builder/graph/json.hpp"

namespace graph_builder::graph {

// A directed edge; two edges are the same when all three texts are equal.
struct Edge {
  std::string from;
  std::string to;
  std::string rel;  // "contains", "imports", "requires", "includes", "references"
  bool operator==(const Edge&) const = default;
};

// Values a reused file node carries over from the previous graph document,
// verbatim and whatever their JSON type. An absent member falls back to the
// value computed from the current text.
struct StoredFields {
  std::optional<JsonValue> path;
  std::optional<JsonValue> ext;
  std::optional<JsonValue> size;
  std::optional<JsonValue> keywords;
  std::optional<JsonValue> content;
  std::optional<JsonValue> summary;
};

// A graph node: a file (kind "file") or a symbol (kind "symbol").
struct Node {
  std::string id;
  std::string kind;
  std::string path;
  std::string ext;
  std::int64_t size = 0;  // bytes for a file, lines for a symbol
  std::vector<std::string> keywords;
  std::string content;
  std::string summary;
  std::string file_hash;
  std::string symbol_type;
  std::string name;
  std::int64_t line_start = 0;
  std::int64_t line_end = 0;
  std::string body_hash;
  std::string confidence;
  bool exported = false;
  // Set only on a file node reused from the previous graph.
  std::shared_ptr<const StoredFields> stored;

  // The serialised form: "id", "kind", "path", "ext", "size", "keywords", then
  // for kind "file" "content", "summary", "file_hash", for any other kind
  // "symbol_type", "name", "line_start", "line_end", "body_hash",
  // "confidence", "exported".
  JsonValue as_dict() const;
};

}  // namespace graph_builder::graph
