#include "graph_builder/graph/node.hpp"

#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/graph/node_writer.hpp"

namespace graph_builder::graph {
namespace {

JsonValue string_list(const std::vector<std::string>& items) {
  std::vector<JsonValue> out;
  out.reserve(items.size());
  for (const std::string& s : items) out.push_back(JsonValue::string(s));
  return JsonValue::array(std::move(out));
}

template <class Fallback>
JsonValue stored_or(const std::optional<JsonValue>* stored, Fallback&& fallback) {
  if (stored != nullptr && stored->has_value()) return **stored;
  return fallback();
}

}  // namespace

JsonValue Node::as_dict() const {
  const StoredFields* s = stored.get();
  std::vector<JsonValue::Member> m;
  m.reserve(13);
  m.emplace_back("id", JsonValue::string(id));
  m.emplace_back("kind", JsonValue::string(kind));
  m.emplace_back("path", stored_or(s ? &s->path : nullptr, [&] { return JsonValue::string(path); }));
  m.emplace_back("ext", stored_or(s ? &s->ext : nullptr, [&] { return JsonValue::string(ext); }));
  m.emplace_back("size", stored_or(s ? &s->size : nullptr, [&] { return JsonValue::integer(size); }));
  m.emplace_back("keywords",
                 stored_or(s ? &s->keywords : nullptr, [&] { return string_list(keywords); }));
  if (kind == "file") {
    m.emplace_back("content",
                   stored_or(s ? &s->content : nullptr, [&] { return JsonValue::string(content); }));
    m.emplace_back("summary",
                   stored_or(s ? &s->summary : nullptr, [&] { return JsonValue::string(summary); }));
    m.emplace_back("file_hash", JsonValue::string(file_hash));
  } else {
    m.emplace_back("symbol_type", JsonValue::string(symbol_type));
    m.emplace_back("name", JsonValue::string(name));
    m.emplace_back("line_start", JsonValue::integer(line_start));
    m.emplace_back("line_end", JsonValue::integer(line_end));
    m.emplace_back("body_hash", JsonValue::string(body_hash));
    m.emplace_back("confidence", JsonValue::string(confidence));
    m.emplace_back("exported", JsonValue::boolean(exported));
  }
  return JsonValue::object(std::move(m));
}

namespace {

// Writes `"key": ` at the start of a member line. Keys are plain ASCII names
// that need no escaping.
void member(std::string& out, const char* key, int level, bool first) {
  if (!first) out += ',';
  append_newline_indent(out, level);
  out += '"';
  out += key;
  out += "\": ";
}

void string_member(std::string& out, const char* key, const std::string& v, int level) {
  member(out, key, level, false);
  append_json_string(out, v);
}

void int_member(std::string& out, const char* key, std::int64_t v, int level) {
  member(out, key, level, false);
  append_integer(out, v);
}

// The members both kinds of node begin with, from the opening brace up to
// the keywords' closing bracket, as the indented layout writes them at the
// documents' node level.
template <class Sink>
void common_members(Sink& sink, const Node& node) {
  sink.text("{\n      \"id\": ");
  sink.quoted(node.id);
  sink.text(",\n      \"kind\": ");
  sink.quoted(node.kind);
  sink.text(",\n      \"path\": ");
  sink.quoted(node.path);
  sink.text(",\n      \"ext\": ");
  sink.quoted(node.ext);
  sink.text(",\n      \"size\": ");
  sink.integer(node.size);
  sink.text(",\n      \"keywords\": ");
  if (node.keywords.empty()) {
    sink.text("[]");
    return;
  }
  bool first = true;
  for (const std::string& k : node.keywords) {
    sink.text(first ? "[\n        " : ",\n        ");
    first = false;
    sink.quoted(k);
  }
  sink.text("\n      ]");
}

// Writes `node` at the documents' node level when none of its members is
// stored and no string of it but a file's content and summary needs an
// escape: one growth of `out` per stretch of plain members. Returns false,
// having written nothing, otherwise.
bool append_plain_node(std::string& out, const Node& node) {
  if (node.stored != nullptr) return false;
  if (!is_plain_json(node.id) || !is_plain_json(node.kind) || !is_plain_json(node.path) ||
      !is_plain_json(node.ext)) {
    return false;
  }
  for (const std::string& k : node.keywords) {
    if (!is_plain_json(k)) return false;
  }
  if (node.kind == "file") {
    if (!is_plain_json(node.file_hash)) return false;
    append_plain_record(out, [&](auto& sink) {
      common_members(sink, node);
      sink.text(",\n      \"content\": ");
    });
    append_json_string(out, node.content);
    out += ",\n      \"summary\": ";
    append_json_string(out, node.summary);
    append_plain_record(out, [&](auto& sink) {
      sink.text(",\n      \"file_hash\": ");
      sink.quoted(node.file_hash);
      sink.text("\n    }");
    });
    return true;
  }
  if (!is_plain_json(node.symbol_type) || !is_plain_json(node.name) ||
      !is_plain_json(node.body_hash) || !is_plain_json(node.confidence)) {
    return false;
  }
  append_plain_record(out, [&](auto& sink) {
    common_members(sink, node);
    sink.text(",\n      \"symbol_type\": ");
    sink.quoted(node.symbol_type);
    sink.text(",\n      \"name\": ");
    sink.quoted(node.name);
    sink.text(",\n      \"line_start\": ");
    sink.integer(node.line_start);
    sink.text(",\n      \"line_end\": ");
    sink.integer(node.line_end);
    sink.text(",\n      \"body_hash\": ");
    sink.quoted(node.body_hash);
    sink.text(",\n      \"confidence\": ");
    sink.quoted(node.confidence);
    sink.text(node.exported ? ",\n      \"exported\": true\n    }"
                            : ",\n      \"exported\": false\n    }");
  });
  return true;
}

}  // namespace

void append_node_json(std::string& out, const Node& node, int level) {
  // The documents write nodes at level 2; that layout has a direct path.
  if (level == 2 && append_plain_node(out, node)) return;
  const StoredFields* s = node.stored.get();
  const int inner = level + 1;
  out += '{';
  member(out, "id", inner, true);
  append_json_string(out, node.id);
  string_member(out, "kind", node.kind, inner);
  auto stored_member = [&](const char* key, const std::optional<JsonValue>* v, auto&& write) {
    member(out, key, inner, false);
    if (v != nullptr && v->has_value()) {
      append_json(out, **v, Layout::indented, inner);
    } else {
      write();
    }
  };
  stored_member("path", s ? &s->path : nullptr, [&] { append_json_string(out, node.path); });
  stored_member("ext", s ? &s->ext : nullptr, [&] { append_json_string(out, node.ext); });
  stored_member("size", s ? &s->size : nullptr, [&] { append_integer(out, node.size); });
  stored_member("keywords", s ? &s->keywords : nullptr, [&] {
    if (node.keywords.empty()) {
      out += "[]";
      return;
    }
    out += '[';
    bool first = true;
    for (const std::string& k : node.keywords) {
      if (!first) out += ',';
      first = false;
      append_newline_indent(out, inner + 1);
      append_json_string(out, k);
    }
    append_newline_indent(out, inner);
    out += ']';
  });
  if (node.kind == "file") {
    stored_member("content", s ? &s->content : nullptr,
                  [&] { append_json_string(out, node.content); });
    stored_member("summary", s ? &s->summary : nullptr,
                  [&] { append_json_string(out, node.summary); });
    string_member(out, "file_hash", node.file_hash, inner);
  } else {
    string_member(out, "symbol_type", node.symbol_type, inner);
    string_member(out, "name", node.name, inner);
    int_member(out, "line_start", node.line_start, inner);
    int_member(out, "line_end", node.line_end, inner);
    string_member(out, "body_hash", node.body_hash, inner);
    string_member(out, "confidence", node.confidence, inner);
    member(out, "exported", inner, false);
    out += node.exported ? "true" : "false";
  }
  append_newline_indent(out, level);
  out += '}';
}

void append_edge_json(std::string& out, const Edge& edge, int level) {
  if (level == 2 && is_plain_json(edge.from) && is_plain_json(edge.to) &&
      is_plain_json(edge.rel)) {
    append_plain_record(out, [&](auto& sink) {
      sink.text("{\n      \"from\": ");
      sink.quoted(edge.from);
      sink.text(",\n      \"to\": ");
      sink.quoted(edge.to);
      sink.text(",\n      \"rel\": ");
      sink.quoted(edge.rel);
      sink.text("\n    }");
    });
    return;
  }
  out += '{';
  member(out, "from", level + 1, true);
  append_json_string(out, edge.from);
  string_member(out, "to", edge.to, level + 1);
  string_member(out, "rel", edge.rel, level + 1);
  append_newline_indent(out, level);
  out += '}';
}

}  // namespace graph_builder::graph
