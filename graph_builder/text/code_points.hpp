#pragma once
// Small steps over valid UTF-8 text shared by the hand-written scans that
// stand in for patterns: what a code point is to \s and \w, where the one
// before an offset starts, where the next line starts. Not installed.

#include <cstddef>
#include <string_view>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {

// One code point of a text and the pattern classes the scans ask about.
struct CodePoint {
  std::size_t size;  // bytes
  bool space;        // \s
  bool word;         // \w (Unicode letters, digits, underscore, ...)
};

// The code point at byte `pos` (a code-point boundary inside `t`).
inline CodePoint classify(std::string_view t, std::size_t pos) {
  const auto c = static_cast<unsigned char>(t[pos]);
  if (c < 0x80) {
    const bool space = (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20);
    const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                      (c >= 'a' && c <= 'z') || c == '_';
    return {1, space, word};
  }
  // Outside ASCII the engine decides what \w is, so scans and patterns agree
  // by construction.
  static const regex::Regex kWordChar(R"(\w)");
  std::size_t end = pos;
  const char32_t cp = next_code_point(t, end);
  return {end - pos, is_space(cp), kWordChar.match_start(t.substr(pos, end - pos)).has_value()};
}

// Start of the code point that ends at byte `pos` (pos > 0).
inline std::size_t previous_start(std::string_view t, std::size_t pos) {
  do {
    --pos;
  } while (pos > 0 && (static_cast<unsigned char>(t[pos]) & 0xC0) == 0x80);
  return pos;
}

// The first line start at or after `p` ("^" in multi-line mode), or npos.
inline std::size_t next_line_start(std::string_view t, std::size_t p) {
  if (p == 0 || (p <= t.size() && t[p - 1] == '\n')) return p;
  const std::size_t lf = t.find('\n', p);
  return lf == std::string_view::npos ? std::string_view::npos : lf + 1;
}

}  // namespace graph_builder::text
