#pragma once
// A JSON value that keeps what a previous graph document stored, whatever its
// type, and the exact serialiser both documents are written with.
//
// Output rules: ASCII only; non-ASCII as \u escapes with lower-case hex
// (astral characters as surrogate pairs); quote, backslash, \b \f \n \r \t as
// two-character escapes; other controls and U+007F as \u escapes; the solidus
// unescaped. Integers are written exactly as stored; other numbers in the
// shortest form that reads back to the same double, with ".0" or an exponent
// as a Python-style float repr would have them.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace graph_builder::graph {

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

// Appends `s` (valid UTF-8) as a JSON string literal, quotes included.
void append_json_string(std::string& out, std::string_view s);
// Appends a number literal in output form (see above).
void append_json_number(std::string& out, const JsonValue& number);

enum class Layout { indented, single_line };
// Appends `v` serialised. Indented: two spaces per level, "," line ends and
// ": " after names; `level` is the nesting level of `v` itself. Single line:
// ", " and ": " separators.
void append_json(std::string& out, const JsonValue& v, Layout layout, int level = 0);
// Appends a newline and the indentation of `level`.
void append_newline_indent(std::string& out, int level);

}  // namespace graph_builder::graph
