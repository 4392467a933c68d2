#pragma once
// Lines that open with modifier words and a keyword, then a name: the
// multi-line pattern
//   "^(?:(?:M1|...|Mj)\s+)*(?:K1|...|Kn)\s+([A-Za-z_]\w*)"
// (optionally "^\s*" first) matched by one pass over the line starts, where
// the engine is quadratic on long runs of modifiers and white space.

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/regex/span.hpp"

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace graph_builder::regex {

// Whether the pattern begins "^\s*" (white space before the first word).
enum class LeadingSpace { no, yes };

// Every match of the pattern above for `modifiers` M and `keywords` K, with
// its group 1, when no word of either list begins another: then at most one
// word fits at any offset, white space cannot begin a word, and a keyword is
// no modifier, so the pattern has a single way through a line and
// backtracking never finds another. The modifiers and their white space may
// run over several lines ("public\npublic\n..."), and a line start inside
// that run reads the rest of the same run, so it fails where the first one
// failed: the next try is after the run, which keeps the scan linear where
// the pattern is quadratic. With `LeadingSpace::yes` the pattern begins
// "^\s*": white space first, which can only be read whole (a word cannot
// begin with white space), so the same holds.
inline std::vector<Spans> keyword_line_matches(std::string_view text,
                                               std::initializer_list<std::string_view> modifiers,
                                               std::initializer_list<std::string_view> keywords,
                                               LeadingSpace leading = LeadingSpace::no) {
  std::vector<Spans> out;
  std::size_t p = 0;
  for (;;) {
    const std::size_t s = next_line_start(text, p);
    if (s == std::string_view::npos || s >= text.size()) break;
    std::size_t at = leading == LeadingSpace::yes ? skip_spaces(text, s) : s;
    while (const std::size_t n = word_at(text, at, modifiers)) {
      const std::size_t after = skip_spaces(text, at + n);
      if (after == at + n) break;
      at = after;
    }
    p = at + 1;
    const std::size_t n = word_at(text, at, keywords);
    if (n == 0) continue;
    at += n;
    const std::size_t name = skip_spaces(text, at);
    if (name == at || name == text.size()) continue;
    if (!is_ascii_name_start(static_cast<unsigned char>(text[name]))) continue;
    const std::size_t end = skip_word(text, name + 1);
    out.push_back({{s, end}, {Span{name, end}}});
    p = end;
  }
  return out;
}

}  // namespace graph_builder::regex
