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

#include "graph_builder/regex/closing_paren.hpp"
#include "graph_builder/regex/regex.hpp"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace graph_builder::symbols {

// Offsets of the line starts ("^" in multi-line mode) of `t` whose first byte
// is a lower-case ASCII letter, in order. Sixteen positions at a time: most
// lines of code are indented or blank, so most line feeds are passed over
// without a look at each.
inline std::vector<std::size_t> letter_lines(std::string_view t) {
  std::vector<std::size_t> out;
  const std::size_t n = t.size();
  auto letter_at = [&t, n](std::size_t p) { return p < n && t[p] >= 'a' && t[p] <= 'z'; };
  if (letter_at(0)) out.push_back(0);
  std::size_t i = 0;  // candidate line feed
#ifdef __SSE2__
  const char* p = t.data();
  const __m128i lf = _mm_set1_epi8('\n');
  // Signed compares: bytes of 0x80 and above are negative, never letters.
  const __m128i before_a = _mm_set1_epi8('a' - 1);
  const __m128i after_z = _mm_set1_epi8('z' + 1);
  for (; i + 17 <= n; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    const __m128i letter =
        _mm_and_si128(_mm_cmpgt_epi8(next, before_a), _mm_cmplt_epi8(next, after_z));
    auto mask =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, lf), letter)));
    for (; mask != 0; mask &= mask - 1) {
      out.push_back(i + static_cast<std::size_t>(__builtin_ctz(mask)) + 1);
    }
  }
#endif
  for (; i < n; ++i) {
    if (t[i] == '\n' && letter_at(i + 1)) out.push_back(i + 1);
  }
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

// for_each_at_letter_lines, trying the pattern only at lines where
// `paren.may_match(line)`.
template <class Fn>
void for_each_at_letter_lines(std::string_view t, const std::vector<std::size_t>& lines,
                              std::span<const std::string_view> first_words,
                              const regex::Regex& anchored, regex::ClosingParen& paren, Fn&& fn) {
  std::size_t pos = 0;
  for (std::size_t s : lines) {
    if (s < pos) continue;
    const std::string_view rest = t.substr(s);
    if (std::none_of(first_words.begin(), first_words.end(),
                     [&rest](std::string_view w) { return rest.starts_with(w); })) {
      continue;
    }
    if (!paren.may_match(s)) continue;
    if (std::optional<regex::Match> m = anchored.search(t, s)) {
      if (!fn(*m)) return;
      pos = m->end();
    }
  }
}

}  // namespace graph_builder::symbols
