#pragma once
// Searching a multi-line pattern "^W..." only at the line starts where one of
// its first words stands, for the extractors whose declarations begin at the
// first column. Not part of the installed interface.
//
// The plain search tries the pattern at every line start. Top-level
// declarations begin with a keyword ("export", "def", "pub"), so one pass over
// the line feeds keeps the lines that begin with a lower-case letter, and
// each pattern runs, anchored, only where one of its first words stands.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"

namespace graph_builder::symbols {

// Offsets of the line starts ("^" in multi-line mode) of `t` whose first byte
// is a lower-case ASCII letter, in order.
inline std::vector<std::size_t> letter_lines(std::string_view t) {
  std::vector<std::size_t> out;
  auto letter_at = [&t](std::size_t p) { return p < t.size() && t[p] >= 'a' && t[p] <= 'z'; };
  if (letter_at(0)) out.push_back(0);
  regex::for_each_byte(t, '\n', [&](std::size_t lf) {
    if (letter_at(lf + 1)) out.push_back(lf + 1);
  });
  return out;
}

// Visits every match of a multi-line pattern "^..." exactly as its
// `for_each(t, fn)` would, for a pattern whose every match begins at a line
// start with one of `first_words`, each starting with a lower-case letter.
// `lines` is letter_lines(t); `anchored` is the pattern preceded by "\G". The
// pattern runs at those lines in text order, never before the end of the
// previous match, as the plain search goes on. `fn(const Match&)` returns
// true to go on.
template <class Fn>
void for_each_at_letter_lines(std::string_view t, const std::vector<std::size_t>& lines,
                              std::span<const std::string_view> first_words,
                              const regex::Regex& anchored, Fn&& fn) {
  std::size_t pos = 0;  // where the plain search would go on
  for (std::size_t s : lines) {
    if (s < pos) continue;
    const std::string_view rest = t.substr(s);
    if (std::none_of(first_words.begin(), first_words.end(),
                     [&rest](std::string_view w) { return rest.starts_with(w); })) {
      continue;
    }
    if (std::optional<regex::Match> m = anchored.search(t, s)) {
      if (!fn(*m)) return;
      pos = m->end();
    }
  }
}

}  // namespace graph_builder::symbols
