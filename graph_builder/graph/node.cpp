#include "graph_builder/graph/node.hpp"

#include <charconv>

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

void append_integer(std::string& out, std::int64_t v) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void string_member(std::string& out, const char* key, const std::string& v, int level) {
  member(out, key, level, false);
  append_json_string(out, v);
}

void int_member(std::string& out, const char* key, std::int64_t v, int level) {
  member(out, key, level, false);
  append_integer(out, v);
}

}  // namespace

void append_node_json(std::string& out, const Node& node, int level) {
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
  out += '{';
  member(out, "from", level + 1, true);
  append_json_string(out, edge.from);
  string_member(out, "to", edge.to, level + 1);
  string_member(out, "rel", edge.rel, level + 1);
  append_newline_indent(out, level);
  out += '}';
}

}  // namespace graph_builder::graph
