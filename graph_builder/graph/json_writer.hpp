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

#include "graph_builder/check.hpp"
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

// Records (nodes, edges, symbol index entries) are described once, as a
// sequence of pieces given to a sink: `emit(sink)` calls, in order,
//   sink.text(s)          layout text (separators, member names), never escaped;
//   sink.quoted(s)        a string value (valid UTF-8), escaped as needed;
//   sink.integer(v)       an integer value;
//   sink.long_text(s)     a string value that most likely needs escapes
//                         (a file's content or summary);
//   sink.json(v, level)   any stored value, in the indented layout at `level`.
// `append_record(out, emit)` appends the record. `emit` is called several
// times (to measure, then to write) and must emit the same pieces each time.
// A record whose pieces need no escape but in its long texts (most nodes,
// edges and index entries) is measured and copied into place, a stretch
// between long texts at a time, with one growth of `out` per stretch. Hot
// callers mark `emit` always_inline: the copying sink then stays in
// registers.
template <class Emit>
void append_record(std::string& out, Emit&& emit);

// The text that begins a line at nesting `level` (0 to kMaxLineLevel): a
// newline and two spaces per level. comma_line_start puts the comma that ends
// the previous line in front. Views of static storage.
inline constexpr int kMaxLineLevel = 32;
constexpr std::string_view line_start(int level);
constexpr std::string_view comma_line_start(int level);

enum class Layout { indented, single_line };
// Appends `v` serialised. Indented: two spaces per level, "," line ends and
// ": " after names; `level` is the nesting level of `v` itself. Single line:
// ", " and ": " separators.
void append_json(std::string& out, const JsonValue& v, Layout layout, int level = 0);
// Appends a newline and the indentation of `level`.
void append_newline_indent(std::string& out, int level);

// ---------------------------------------------------------------------------

namespace record_internal {

// A record with more long texts than this is written through EscapingSink.
inline constexpr int kMaxLongTexts = 4;

// Counts the bytes of the record's stretches (the pieces between long
// texts) and whether every piece can be copied as it is.
struct MeasuringSink {
  std::size_t sizes[kMaxLongTexts + 1] = {};
  int long_texts = 0;
  bool plain = true;
  void text(std::string_view s) { sizes[long_texts] += s.size(); }
  void quoted(std::string_view s) {
    sizes[long_texts] += s.size() + 2;
    if (plain && !is_plain_json(s)) plain = false;
  }
  void integer(std::int64_t v) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    sizes[long_texts] += static_cast<std::size_t>(end - digits);
  }
  void long_text(std::string_view) {
    if (long_texts == kMaxLongTexts) {
      plain = false;
    } else {
      ++long_texts;
    }
  }
  void json(const JsonValue&, int) { plain = false; }
};

// Copies the pieces into room measured for them, one stretch at a time:
// at a long text, the stretch before it is complete, and the text is escaped
// onto the end of `out` before room is made for the next stretch.
struct CopyingSink {
  std::string& out;
  const std::size_t* sizes;
  char* w = nullptr;
  int stretch = 0;
  void start() { w = grow(sizes[0]); }
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
  void long_text(std::string_view s) {
    append_json_string(out, s);
    w = grow(sizes[++stretch]);
  }
  void json(const JsonValue&, int) {}  // a record holding one is not copied
  char* grow(std::size_t n) {
    const std::size_t old = out.size();
    out.resize(old + n);
    return out.data() + old;
  }
};

// Writes every piece through the general serialiser.
struct EscapingSink {
  std::string& out;
  void text(std::string_view s) { out.append(s); }
  void quoted(std::string_view s) { append_json_string(out, s); }
  void integer(std::int64_t v) { append_integer(out, v); }
  void long_text(std::string_view s) { append_json_string(out, s); }
  void json(const JsonValue& v, int level) { append_json(out, v, Layout::indented, level); }
};

// ",\n" and the spaces of the deepest line start.
inline constexpr std::string_view kLineStarts =
    ",\n                                                                ";
static_assert(kLineStarts.size() == 2 + 2 * kMaxLineLevel);

}  // namespace record_internal

constexpr std::string_view line_start(int level) {
  GB_CHECK(level >= 0 && level <= kMaxLineLevel);
  return record_internal::kLineStarts.substr(1, 1 + 2 * static_cast<std::size_t>(level));
}

constexpr std::string_view comma_line_start(int level) {
  GB_CHECK(level >= 0 && level <= kMaxLineLevel);
  return record_internal::kLineStarts.substr(0, 2 + 2 * static_cast<std::size_t>(level));
}

template <class Emit>
void append_record(std::string& out, Emit&& emit) {
  // Most records need no escape but in their long texts: each stretch
  // between long texts is then measured and copied with one growth of `out`.
  record_internal::MeasuringSink measure;
  emit(measure);
  if (!measure.plain) {
    record_internal::EscapingSink escaping{out};
    emit(escaping);
    return;
  }
  record_internal::CopyingSink copy{out, measure.sizes};
  copy.start();
  emit(copy);
}

}  // namespace graph_builder::graph
