#pragma once
// The exact serialiser both documents are written with. Internal: not
// installed; the documents layer and the node writers use it.
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

#include "graph_builder/graph/json.hpp"

namespace graph_builder::graph {

// Appends `s` (valid UTF-8) as a JSON string literal, quotes included.
void append_json_string(std::string& out, std::string_view s);
// True when no byte of `s` needs an escape: its literal is `s` in quotes.
bool is_plain_json(std::string_view s);
// Appends a number literal in output form (see above).
void append_json_number(std::string& out, const JsonValue& number);
// Appends `v` in decimal.
void append_integer(std::string& out, std::int64_t v);

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
