#pragma once
// Helpers the differential tests of the hand-written scans share: matches
// (regex::Spans, the form scans and Match::spans() give) printed readably in
// failure messages, and a text made readable too.

#include <ostream>
#include <string>
#include <string_view>

#include "graph_builder/regex/span.hpp"

namespace graph_builder::regex {

// "[begin,end)", or "-" for an absent group.
inline void PrintTo(const Span& s, std::ostream* os) {
  if (!s.present()) {
    *os << '-';
    return;
  }
  *os << '[' << s.begin << ',' << s.end << ')';
}

// "[start,end) g1 [b,e) g2 - ...".
inline void PrintTo(const Spans& m, std::ostream* os) {
  PrintTo(m.whole, os);
  for (int g = 1; g <= kSpanGroups; ++g) {
    *os << " g" << g << ' ';
    PrintTo(m.group(g), os);
  }
}

}  // namespace graph_builder::regex

namespace graph_builder::testing {

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
