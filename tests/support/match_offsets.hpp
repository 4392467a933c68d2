#pragma once
// Helpers the differential tests of the hand-written scans share: matches
// in the form scans and Match::spans() give (regex::Spans), collected from a
// pattern or a scan and printed readably in failure messages.

#include <ostream>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"
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

// Every match `search(visit)` hands to `visit`, in order: `search` runs a
// scan or a pattern with the visitor it is given.
template <class Search>
std::vector<regex::Spans> spans_found(Search&& search) {
  std::vector<regex::Spans> out;
  search([&](const regex::Match& m) {
    out.push_back(m.spans());
    return true;
  });
  return out;
}

// Every match of `re` in `text`.
inline std::vector<regex::Spans> plain_matches(const regex::Regex& re, std::string_view text) {
  return spans_found([&](auto visit) { re.for_each(text, visit); });
}

}  // namespace graph_builder::testing
