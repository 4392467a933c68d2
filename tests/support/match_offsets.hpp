#pragma once
// Helpers the differential tests of the symbol extractors share: a match as
// comparable offsets, and a text made readable in a failure message.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::testing {

// A match's start and end, then the start and end of each of groups 1 to
// `Groups` (npos for a group that did not take part).
template <int Groups>
using MatchOffsets = std::array<std::size_t, 2 + 2 * Groups>;

template <int Groups>
MatchOffsets<Groups> match_offsets(const regex::Match& m) {
  MatchOffsets<Groups> o{};
  o[0] = m.start();
  o[1] = m.end();
  for (int g = 1; g <= Groups; ++g) {
    const auto i = static_cast<std::size_t>(2 * g);
    o[i] = m.has(g) ? m.group_start(g) : std::string_view::npos;
    o[i + 1] = m.has(g) ? m.group_start(g) + m.group(g).size() : std::string_view::npos;
  }
  return o;
}

// `s` with line feeds and tabs written as \n and \t.
inline std::string escaped_lines(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace graph_builder::testing
