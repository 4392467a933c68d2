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
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, lf), letter)));
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

// For a multi-line pattern whose one costly part is a parenthesised run
// "\([^)]*\)": that run reads up to the first ")" after its "(", past any
// number of lines, so a text of lines that open one and never close it (or
// close it far below) costs the rest of the text per line. `head` is the
// pattern up to and including that "(" and `after` what must follow its ")"
// for a match, both "(*NO_START_OPT)\G"-led. Where `head` matches at a line,
// the pattern can match there only through that "(", hence only when `after`
// matches right after the first ")" that follows; the ")" is found, and
// `after` tried, once per ")" for lines taken in text order. Where `head`
// does not match, the run is never entered and the pattern costs its line.
class ClosingParen {
 public:
  ClosingParen(std::string_view t, const regex::Regex& head, const regex::Regex& after)
      : t_(t), head_(head), after_(after) {}

  // False when the pattern cannot match at `line`.
  bool may_match(std::size_t line) {
    const std::optional<regex::Match> h = head_.search(t_, line);
    if (!h) return true;
    const std::size_t from = h->end();
    if (close_from_ == kNone || from < close_from_ || (close_ != kNone && from > close_)) {
      close_from_ = from;
      close_ = t_.find(')', from);
    }
    if (close_ == kNone) return false;
    if (checked_ != close_) {
      checked_ = close_;
      after_ok_ = after_.search(t_, close_ + 1).has_value();
    }
    return after_ok_;
  }

 private:
  static constexpr std::size_t kNone = std::string_view::npos;
  std::string_view t_;
  const regex::Regex& head_;
  const regex::Regex& after_;
  std::size_t close_from_ = kNone;
  std::size_t close_ = kNone;
  std::size_t checked_ = kNone;
  bool after_ok_ = false;
};

// for_each_at_letter_lines, trying the pattern only at lines where
// `paren.may_match(line)`.
template <class Fn>
void for_each_at_letter_lines(std::string_view t, const std::vector<std::size_t>& lines,
                              std::span<const std::string_view> first_words,
                              const regex::Regex& anchored, ClosingParen& paren, Fn&& fn) {
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
