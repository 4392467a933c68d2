#pragma once
// A JSON value that keeps what a previous graph document stored, whatever its
// type: number literals keep their text, objects keep their member order. A
// reused file node carries such values into the new document unchanged.
// Writing values out is the business of the serialiser (`json_writer.hpp`,
// internal).

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace graph_builder::graph {

// One JSON value of any type. Built by the reader of the previous graph
// document and by `Node::as_dict`.
class JsonValue {
 public:
  enum class Type { null, boolean, integer, real, string, array, object };
  using Member = std::pair<std::string, JsonValue>;

  JsonValue() = default;
  static JsonValue boolean(bool b);
  static JsonValue integer(std::int64_t v);
  // `digits`: an integer literal as written in JSON (any length).
  static JsonValue integer_text(std::string digits);
  // `literal`: a JSON number literal with a fraction or exponent.
  static JsonValue real_text(std::string literal);
  static JsonValue string(std::string s);
  static JsonValue array(std::vector<JsonValue> items = {});
  static JsonValue object(std::vector<Member> members = {});

  Type type() const { return type_; }
  bool as_bool() const { return bool_; }
  // The string value, or a number's literal text.
  const std::string& text() const { return text_; }
  const std::vector<JsonValue>& items() const { return items_; }
  std::vector<JsonValue>& items() { return items_; }
  const std::vector<Member>& members() const { return members_; }
  std::vector<Member>& members() { return members_; }
  // Member lookup in an object; nullptr when absent or not an object.
  const JsonValue* find(std::string_view key) const;
  // Sets a member: replaces the value of an existing key in place (keeping its
  // position), or appends a new member.
  void set(std::string key, JsonValue value);

  bool operator==(const JsonValue& other) const = default;

 private:
  Type type_ = Type::null;
  bool bool_ = false;
  std::string text_;
  std::vector<JsonValue> items_;
  std::vector<Member> members_;
};

}  // namespace graph_builder::graph
