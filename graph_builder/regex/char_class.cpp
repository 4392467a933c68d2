#include "graph_builder/regex/char_class.hpp"

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::regex::char_class_detail {

CodePoint classify_non_ascii(std::string_view t, std::size_t pos) {
  // The engine decides what \w is outside ASCII, so scans and patterns agree
  // by construction.
  static const Regex kWordChar(R"(\w)");
  std::size_t end = pos;
  const char32_t cp = next_code_point(t, end);
  return {end - pos, is_space(cp), kWordChar.match_start(t.substr(pos, end - pos)).has_value()};
}

}  // namespace graph_builder::regex::char_class_detail
