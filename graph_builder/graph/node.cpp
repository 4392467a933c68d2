#include "graph_builder/graph/node.hpp"

#include <string_view>

#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/graph/node_members.hpp"
#include "graph_builder/graph/node_writer.hpp"

namespace graph_builder::graph {
namespace {

// Builds the members of `as_dict`.
class DictBuilder {
 public:
  void string(const char* key, const std::string& v, const JsonValue* stored) {
    add(key, stored, [&] { return JsonValue::string(v); });
  }
  void long_text(const char* key, const std::string& v, const JsonValue* stored) {
    string(key, v, stored);
  }
  void integer(const char* key, std::int64_t v, const JsonValue* stored) {
    add(key, stored, [&] { return JsonValue::integer(v); });
  }
  void boolean(const char* key, bool v) { members_.emplace_back(key, JsonValue::boolean(v)); }
  void strings(const char* key, const std::vector<std::string>& v, const JsonValue* stored) {
    add(key, stored, [&] {
      std::vector<JsonValue> items;
      items.reserve(v.size());
      for (const std::string& item : v) items.push_back(JsonValue::string(item));
      return JsonValue::array(std::move(items));
    });
  }
  std::vector<JsonValue::Member> take() { return std::move(members_); }

 private:
  template <class Make>
  void add(const char* key, const JsonValue* stored, Make&& make) {
    members_.emplace_back(key, stored != nullptr ? *stored : make());
  }
  std::vector<JsonValue::Member> members_;
};

// The line starts of a record at a nesting level and of its members and list
// items: fixed for the documents, where they are then copied with moves of a
// size known at compile time, or for any level.
template <int kLevel>
struct FixedLevel {
  static constexpr int level = kLevel;
  static constexpr std::string_view record = line_start(kLevel);
  static constexpr std::string_view first_member = line_start(kLevel + 1);
  static constexpr std::string_view next_member = comma_line_start(kLevel + 1);
  static constexpr std::string_view item = line_start(kLevel + 2);
};
struct AnyLevel {
  explicit AnyLevel(int at)
      : level(at),
        record(line_start(at)),
        first_member(line_start(at + 1)),
        next_member(comma_line_start(at + 1)),
        item(line_start(at + 2)) {}
  int level;
  std::string_view record;
  std::string_view first_member;
  std::string_view next_member;
  std::string_view item;
};

// Turns the members into pieces for a record sink (see `append_record`), in
// the indented layout with the node at nesting `level`. Its calls are
// inlined into `visit_members`, so that each member name has a size known at
// compile time and is copied with plain moves.
template <class Sink, class Level>
class MemberPieces {
 public:
  MemberPieces(Sink& sink, Level level) : sink_(sink), level_(level) {}

  [[gnu::always_inline]] void string(std::string_view key, const std::string& v,
                                     const JsonValue* stored) {
    name(key);
    if (stored != nullptr) {
      sink_.json(*stored, level_.level + 1);
    } else {
      sink_.quoted(v);
    }
  }
  [[gnu::always_inline]] void long_text(std::string_view key, const std::string& v,
                                        const JsonValue* stored) {
    name(key);
    if (stored != nullptr) {
      sink_.json(*stored, level_.level + 1);
    } else {
      sink_.long_text(v);
    }
  }
  [[gnu::always_inline]] void integer(std::string_view key, std::int64_t v,
                                      const JsonValue* stored) {
    name(key);
    if (stored != nullptr) {
      sink_.json(*stored, level_.level + 1);
    } else {
      sink_.integer(v);
    }
  }
  [[gnu::always_inline]] void boolean(std::string_view key, bool v) {
    name(key);
    sink_.text(v ? "true" : "false");
  }
  [[gnu::always_inline]] void strings(std::string_view key, const std::vector<std::string>& v,
                                      const JsonValue* stored) {
    name(key);
    if (stored != nullptr) {
      sink_.json(*stored, level_.level + 1);
      return;
    }
    if (v.empty()) {
      sink_.text("[]");
      return;
    }
    sink_.text("[");
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (i > 0) sink_.text(",");
      sink_.text(level_.item);
      sink_.quoted(v[i]);
    }
    sink_.text(level_.first_member);
    sink_.text("]");
  }

 private:
  [[gnu::always_inline]] void name(std::string_view key) {
    if (first_) {
      sink_.text(level_.first_member);
      first_ = false;
    } else {
      sink_.text(level_.next_member);
    }
    sink_.text("\"");
    sink_.text(key);
    sink_.text("\": ");
  }

  Sink& sink_;
  Level level_;
  bool first_ = true;
};

// The record lambdas are inlined where `append_record` calls them, so that
// its sinks live in registers: otherwise every byte the copying sink stores
// might alias its own write position, which then goes through memory.
template <class Level>
void write_node(std::string& out, const Node& node, Level level) {
  append_record(
      out, [&](auto& sink) __attribute__((always_inline)) {
        sink.text("{");
        MemberPieces pieces(sink, level);
        visit_members(node, pieces);
        sink.text(level.record);
        sink.text("}");
      });
}

template <class Level>
void write_edge(std::string& out, const Edge& edge, Level level) {
  append_record(
      out, [&](auto& sink) __attribute__((always_inline)) {
        sink.text("{");
        sink.text(level.first_member);
        sink.text("\"from\": ");
        sink.quoted(edge.from);
        sink.text(level.next_member);
        sink.text("\"to\": ");
        sink.quoted(edge.to);
        sink.text(level.next_member);
        sink.text("\"rel\": ");
        sink.quoted(edge.rel);
        sink.text(level.record);
        sink.text("}");
      });
}

}  // namespace

JsonValue Node::as_dict() const {
  DictBuilder dict;
  visit_members(*this, dict);
  return JsonValue::object(dict.take());
}

void append_node_json(std::string& out, const Node& node, int level) {
  if (level == kDocumentRecordLevel) {
    write_node(out, node, FixedLevel<kDocumentRecordLevel>{});
  } else {
    write_node(out, node, AnyLevel(level));
  }
}

void append_edge_json(std::string& out, const Edge& edge, int level) {
  if (level == kDocumentRecordLevel) {
    write_edge(out, edge, FixedLevel<kDocumentRecordLevel>{});
  } else {
    write_edge(out, edge, AnyLevel(level));
  }
}

}  // namespace graph_builder::graph
