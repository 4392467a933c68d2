#pragma once
// Linear-time matching for patterns that begin with a long repetition.
//
// A pattern such as "(?:public|private|\s)+(?:class|interface)\s+(\w+)" is
// quadratic under a plain search: on a long run of blank lines every start
// position eats to the end of the run again before failing. When the pattern
// is RUN TAIL, where
//   - `run` is RUN made possessive (its leftmost match is the maximal run), and
//   - TAIL can never begin where RUN could go on (no match of TAIL starts with
//     a character that starts a RUN token), and no RUN token starts inside
//     another token,
// then every start inside one maximal run reaches the same run end, and TAIL
// either matches there or nowhere in that run. So one test of TAIL at the run
// end decides the whole run, and the full pattern runs only from a run start
// where it will match: exactly the plain search's matches, in linear time.
// `tail` must start with "\G" (anchored where the search starts; unlike an
// anchored-at-match-time search it keeps the compiled machine code).

#include <algorithm>
#include <optional>
#include <string_view>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::regex {

template <class Fn>
void for_each_by_runs(std::string_view text, const Regex& run, const Regex& tail,
                      const Regex& full, Fn&& fn) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::optional<Match> r = run.search(text, pos);
    if (!r) return;
    pos = r->end();
    if (!tail.search(text, r->end())) continue;
    std::optional<Match> m = full.search(text, r->start());
    if (!m) return;
    if (!fn(*m)) return;
    pos = std::max(pos, m->end());
  }
}

// Visits every match of `full` exactly as `full.for_each(text, fn)` would, for
// a pattern whose every match ends at the first `last` character it reaches
// and otherwise holds only bytes for which `inside(byte)` is true (`inside`
// must accept every byte of 0x80 and above: those may be word or white-space
// characters). A match then lies between two `last` characters and starts
// inside the stretch of `inside` bytes right before its `last`, so only that
// stretch is searched. A plain search would try every position of the text,
// which for "(?:public|\s)+...\(" means every white-space character.
template <class Inside, class Fn>
void for_each_before(std::string_view text, char last, const Regex& full, Inside&& inside,
                     Fn&& fn) {
  std::size_t pos = 0;     // where the plain search would go on
  std::size_t window = 0;  // first byte after the previous `last`
  while (window < text.size()) {
    const std::size_t q = text.find(last, window);
    if (q == std::string_view::npos) return;
    std::size_t from = q;
    while (from > window && inside(static_cast<unsigned char>(text[from - 1]))) --from;
    from = std::max(from, pos);
    if (std::optional<Match> m = full.search(text.substr(0, q + 1), from)) {
      if (!fn(*m)) return;
      pos = m->end();
    }
    window = q + 1;
  }
}

}  // namespace graph_builder::regex
