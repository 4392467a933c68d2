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

#include <charconv>
#include <cstdint>
#include <cstring>
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
// True when no byte of `s` needs an escape: its literal is `s` in quotes.
bool is_plain_json(std::string_view s);
// Appends a number literal in output form (see above).
void append_json_number(std::string& out, const JsonValue& number);

// Appends a record made of literal text, strings that need no escape (see
// is_plain_json) and integers, with one growth of `out`: `emit(sink)` calls
// sink.text(s), sink.quoted(s) and sink.integer(v) for the pieces in order,
// and is called twice, to measure and to write.
template <class Emit>
void append_plain_record(std::string& out, Emit&& emit) {
  struct Measure {
    std::size_t size = 0;
    void text(std::string_view s) { size += s.size(); }
    void quoted(std::string_view s) { size += s.size() + 2; }
    void integer(std::int64_t v) {
      char digits[24];
      const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
      size += static_cast<std::size_t>(end - digits);
    }
  };
  struct Put {
    char* w;
    void text(std::string_view s) {
      if (!s.empty()) std::memcpy(w, s.data(), s.size());
      w += s.size();
    }
    void quoted(std::string_view s) {
      *w++ = '"';
      text(s);
      *w++ = '"';
    }
    void integer(std::int64_t v) { w = std::to_chars(w, w + 24, v).ptr; }
  };
  Measure measure;
  emit(measure);
  const std::size_t old = out.size();
  out.resize(old + measure.size);
  Put put{out.data() + old};
  emit(put);
}

enum class Layout { indented, single_line };
// Appends `v` serialised. Indented: two spaces per level, "," line ends and
// ": " after names; `level` is the nesting level of `v` itself. Single line:
// ", " and ": " separators.
void append_json(std::string& out, const JsonValue& v, Layout layout, int level = 0);
// Appends a newline and the indentation of `level`.
void append_newline_indent(std::string& out, int level);

}  // namespace graph_builder::graph
