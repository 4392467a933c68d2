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
#include <initializer_list>
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

// For a pattern (?:W1|...|Wn|\s)+ TAIL, where every match of TAIL begins with
// a match of `keyword`, no keyword match begins with a white-space character
// or a word Wi, and no Wi is a suffix of another: the run before a TAIL can
// be read backwards one token at a time without ambiguity, so the leftmost
// start of a match ending in that TAIL is where the backward read stops. Each
// keyword costs one short backward read and one anchored test of `tail`
// (which starts with "\G"); the full pattern runs only where it matches.
// `is_space(code point)` must be the white-space set of the patterns' \s.
template <class IsSpace, class Fn>
void for_each_by_keywords(std::string_view text, std::initializer_list<std::string_view> words,
                          IsSpace&& is_space, const Regex& keyword, const Regex& tail,
                          const Regex& full, Fn&& fn) {
  std::size_t pos = 0;     // where the plain search would go on
  std::size_t from = 0;    // where the next keyword is looked for
  while (from < text.size()) {
    std::optional<Match> k = keyword.search(text, from);
    if (!k) return;
    const std::size_t e = k->start();
    from = e + 1;
    // Read the run backwards from e, never past pos.
    std::size_t s = e;
    while (s > pos) {
      std::size_t cp_start = s - 1;
      while (cp_start > pos && (static_cast<unsigned char>(text[cp_start]) & 0xC0) == 0x80) {
        --cp_start;
      }
      const std::size_t at = cp_start;
      char32_t cp = 0;
      {
        // Decode the code point that ends at s (the text is valid UTF-8).
        const auto b0 = static_cast<unsigned char>(text[at]);
        if (b0 < 0x80) {
          cp = b0;
        } else if (b0 < 0xE0) {
          cp = ((b0 & 0x1FU) << 6) | (static_cast<unsigned char>(text[at + 1]) & 0x3FU);
        } else if (b0 < 0xF0) {
          cp = ((b0 & 0x0FU) << 12) | ((static_cast<unsigned char>(text[at + 1]) & 0x3FU) << 6) |
               (static_cast<unsigned char>(text[at + 2]) & 0x3FU);
        } else {
          cp = 0x10000;  // no white space lies above U+FFFF
        }
      }
      if (is_space(cp)) {
        s = cp_start;
        continue;
      }
      bool took = false;
      for (std::string_view w : words) {
        if (s >= pos + w.size() && text.substr(s - w.size(), w.size()) == w) {
          s -= w.size();
          took = true;
          break;
        }
      }
      if (!took) break;
    }
    if (s == e || !tail.search(text, e)) continue;
    std::optional<Match> m = full.search(text, s);
    if (!m) return;
    if (!fn(*m)) return;
    pos = m->end();
    from = std::max(from, pos);
  }
}

// For a multi-line pattern "^\s*TAIL", where every match of TAIL begins with
// `keyword` (whose first character is not white space): "\s*" can only stop
// where TAIL begins, so a match that starts at a line start s has its keyword
// at the end of the white space run from s, and TAIL decides the match alone.
// The plain search tries every line start; this one finds each `keyword`,
// tests `tail` (which starts with "\G") there, and reads the white space
// before it backwards, never past where the plain search goes on, to the
// earliest line start in it (\s crosses line feeds, so a match may begin at
// the first line of a blank stretch). The full pattern runs only from there,
// where it matches. `is_space(code point)` must be the white-space set of \s.
template <class IsSpace, class Fn>
void for_each_from_line_start(std::string_view text, std::string_view keyword,
                              IsSpace&& is_space, const Regex& tail, const Regex& full,
                              Fn&& fn) {
  constexpr std::size_t kNone = std::string_view::npos;
  auto line_start = [&](std::size_t p) { return p == 0 || text[p - 1] == '\n'; };
  std::size_t pos = 0;   // where the plain search would go on
  std::size_t from = 0;  // where the next keyword is looked for
  while (from < text.size()) {
    const std::size_t k = text.find(keyword, from);
    if (k == kNone) return;
    from = k + 1;
    std::size_t start = line_start(k) ? k : kNone;
    for (std::size_t p = k; p > pos;) {
      std::size_t at = p - 1;
      while (at > pos && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
      // Decode the code point that ends at p (the text is valid UTF-8).
      const auto b0 = static_cast<unsigned char>(text[at]);
      char32_t cp = b0;
      if (b0 >= 0xF0) {
        cp = 0x10000;  // no white space lies above U+FFFF
      } else if (b0 >= 0xE0) {
        cp = ((b0 & 0x0FU) << 12) | ((static_cast<unsigned char>(text[at + 1]) & 0x3FU) << 6) |
             (static_cast<unsigned char>(text[at + 2]) & 0x3FU);
      } else if (b0 >= 0x80) {
        cp = ((b0 & 0x1FU) << 6) | (static_cast<unsigned char>(text[at + 1]) & 0x3FU);
      }
      if (!is_space(cp)) break;
      p = at;
      if (line_start(p)) start = p;
    }
    if (start == kNone || !tail.search(text, k)) continue;
    std::optional<Match> m = full.search(text, start);
    if (!m) return;
    if (!fn(*m)) return;
    pos = m->end();
    from = std::max(from, pos);
  }
}

}  // namespace graph_builder::regex
