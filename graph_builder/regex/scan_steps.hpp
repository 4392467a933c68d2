#pragma once
// The small steps that hand-written scans take over valid UTF-8 text in place
// of a pattern part: a run of one character class read forwards or
// backwards, fixed words at an offset. Each says which pattern part it reads
// exactly as the engine would, with the classes of char_class.hpp.

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/span.hpp"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace graph_builder::regex {

// The offset after the run of white space (\s) that starts at `pos`.
inline std::size_t skip_spaces(std::string_view t, std::size_t pos);

// The offset after the run of word characters (\w) that starts at `pos`.
inline std::size_t skip_word(std::string_view t, std::size_t pos);

// Start of the run of white space (\s) that ends at `end`; the run never
// reaches below `floor`, a code-point boundary.
inline std::size_t space_run_start(std::string_view t, std::size_t end, std::size_t floor);

// The offset `n` code points before `end`, or npos when fewer than `n` code
// points lie between `floor` and `end`.
inline std::size_t code_points_back(std::string_view t, std::size_t end, std::size_t n,
                                    std::size_t floor);

// The first offset at or after `pos` outside the declarator class [\w:*&<>\s]
// of the C-family function patterns, or the text size. Most of a C file is in
// the class (every run crosses names, spaces and line feeds), so ASCII bytes
// are tested sixteen at a time or by one table lookup, and only the rest get
// a full classification.
inline std::size_t end_of_declarator_run(std::string_view t, std::size_t pos);

// The name of "[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\(" for a declarator run that
// starts at `lo` and ends at the "(" at `paren`: the "(" is the first
// character outside the class, so the greedy name can only be the whole word
// before the white space in front of the "(", \s+ must end right at it, and
// the lazy run needs one character before that white space. Absent when the
// run has no such name.
inline Span declarator_name_before(std::string_view t, std::size_t lo, std::size_t paren);

// Where a backward read from `end` of white space and whole `words` stops,
// one token at a time and never below `floor` (a code-point boundary): a
// code point for which `is_space` holds is taken first, else the first of
// `words` that ends at the read position. When no word is a suffix of
// another and none begins with white space the read has one way back, so
// where it stops is the leftmost start of a run "(?:W1|...|Wn|\s)*" that ends
// at `end` (`is_space` being the \s set).
template <class Words, class IsSpace>
std::size_t spaces_and_words_back(std::string_view t, std::size_t end, std::size_t floor,
                                  const Words& words, IsSpace&& is_space);

// The length of the first of `words` that begins at `pos`, or 0.
inline std::size_t word_at(std::string_view t, std::size_t pos,
                           std::initializer_list<std::string_view> words);

// True when `s` equals one of `words`.
constexpr bool is_one_of(std::string_view s, std::initializer_list<std::string_view> words);

// True when `s` equals one of `words` (lower case) with ASCII letters
// compared regardless of case.
constexpr bool is_one_of_caseless(std::string_view s,
                                  std::initializer_list<std::string_view> words);

namespace scan_steps_detail {

// The ASCII members of the declarator class [\w:*&<>\s], by byte.
inline constexpr std::array<bool, 128> kDeclaratorAscii = [] {
  std::array<bool, 128> in{};
  for (int c = 0; c < 128; ++c) {
    const auto b = static_cast<unsigned char>(c);
    in[b] = is_ascii_word(b) || is_ascii_space(b) || b == ':' || b == '*' || b == '&' || b == '<' ||
            b == '>';
  }
  return in;
}();

#ifdef __SSE2__
// Bit i set when byte i of the sixteen at `p` is not an ASCII member of the
// declarator class (non-ASCII bytes included: those need a classification).
inline unsigned outside_declarator_ascii(const char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Signed compares: bytes of 0x80 and above are negative, below every range.
  auto in_range = [](__m128i x, char lo, char hi) {
    return _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(lo - 1))),
                         _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(hi + 1))));
  };
  auto eq = [&v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
  // Digits, ':', '<' and '>' lie in '0'..'>' with ';' and '=' the only others.
  const __m128i digits_colon_angles =
      _mm_andnot_si128(_mm_or_si128(eq(';'), eq('=')), in_range(v, '0', '>'));
  const __m128i letters = in_range(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 'z');
  const __m128i space = _mm_or_si128(in_range(v, 0x09, 0x0D), in_range(v, 0x1C, 0x20));
  const __m128i other = _mm_or_si128(_mm_or_si128(eq('_'), eq('*')), eq('&'));
  const __m128i in =
      _mm_or_si128(_mm_or_si128(digits_colon_angles, letters), _mm_or_si128(space, other));
  return ~static_cast<unsigned>(_mm_movemask_epi8(in)) & 0xFFFFU;
}
#endif

}  // namespace scan_steps_detail

inline std::size_t skip_spaces(std::string_view t, std::size_t pos) {
  while (pos < t.size()) {
    const CodePoint c = classify(t, pos);
    if (!c.space) break;
    pos += c.size;
  }
  return pos;
}

inline std::size_t skip_word(std::string_view t, std::size_t pos) {
  while (pos < t.size()) {
    const CodePoint c = classify(t, pos);
    if (!c.word) break;
    pos += c.size;
  }
  return pos;
}

inline std::size_t space_run_start(std::string_view t, std::size_t end, std::size_t floor) {
  std::size_t s = end;
  while (s > floor) {
    std::size_t cp = s - 1;
    const auto last = static_cast<unsigned char>(t[cp]);
    if (last < 0x80) {
      if (!is_ascii_space(last)) break;
    } else {
      while (cp > floor && (static_cast<unsigned char>(t[cp]) & 0xC0) == 0x80) --cp;
      std::size_t p = cp;
      if (!is_space(next_code_point(t, p))) break;
    }
    s = cp;
  }
  return s;
}

inline std::size_t code_points_back(std::string_view t, std::size_t end, std::size_t n,
                                    std::size_t floor) {
  std::size_t s = end;
  for (; n > 0; --n) {
    if (s <= floor) return std::string_view::npos;
    --s;
    while (s > floor && (static_cast<unsigned char>(t[s]) & 0xC0) == 0x80) --s;
  }
  return s;
}

inline std::size_t end_of_declarator_run(std::string_view t, std::size_t pos) {
  const std::size_t n = t.size();
  while (pos < n) {
#ifdef __SSE2__
    for (; pos + 16 <= n; pos += 16) {
      const unsigned out = scan_steps_detail::outside_declarator_ascii(t.data() + pos);
      if (out != 0) {
        pos += static_cast<std::size_t>(__builtin_ctz(out));
        break;
      }
    }
    if (pos == n) break;
#endif
    const auto b = static_cast<unsigned char>(t[pos]);
    if (b < 0x80) {
      if (!scan_steps_detail::kDeclaratorAscii[b]) break;
      ++pos;
      continue;
    }
    const CodePoint c = classify(t, pos);
    if (!c.space && !c.word) break;
    pos += c.size;
  }
  return pos;
}

inline Span declarator_name_before(std::string_view t, std::size_t lo, std::size_t paren) {
  std::size_t end = paren;
  while (end > lo && classify(t, previous_start(t, end)).space) end = previous_start(t, end);
  std::size_t begin = end;
  while (begin > lo && classify(t, previous_start(t, begin)).word) {
    begin = previous_start(t, begin);
  }
  if (begin == end || begin == lo) return {};
  if (!is_ascii_name_start(static_cast<unsigned char>(t[begin]))) return {};
  const std::size_t space_before = previous_start(t, begin);
  if (space_before == lo || !classify(t, space_before).space) return {};
  return {begin, end};
}

template <class Words, class IsSpace>
std::size_t spaces_and_words_back(std::string_view t, std::size_t end, std::size_t floor,
                                  const Words& words, IsSpace&& is_space) {
  std::size_t s = end;
  while (s > floor) {
    std::size_t cp = s - 1;
    while (cp > floor && (static_cast<unsigned char>(t[cp]) & 0xC0) == 0x80) --cp;
    std::size_t after = cp;
    if (is_space(next_code_point(t, after))) {
      s = cp;
      continue;
    }
    bool took = false;
    for (std::string_view w : words) {
      if (s >= floor + w.size() && t.substr(s - w.size(), w.size()) == w) {
        s -= w.size();
        took = true;
        break;
      }
    }
    if (!took) break;
  }
  return s;
}

inline std::size_t word_at(std::string_view t, std::size_t pos,
                           std::initializer_list<std::string_view> words) {
  if (pos >= t.size()) return 0;
  // Most offsets begin with none of them: the first byte rules out most words.
  const char first = t[pos];
  for (std::string_view w : words) {
    if (!w.empty() && w[0] != first) continue;
    if (t.substr(pos, w.size()) == w) return w.size();
  }
  return 0;
}

constexpr bool is_one_of(std::string_view s, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words) {
    if (s == w) return true;
  }
  return false;
}

constexpr bool is_one_of_caseless(std::string_view s,
                                  std::initializer_list<std::string_view> words) {
  for (std::string_view w : words) {
    if (w.size() != s.size()) continue;
    std::size_t i = 0;
    while (i < s.size() &&
           fold_ascii(static_cast<unsigned char>(s[i])) == static_cast<unsigned char>(w[i])) {
      ++i;
    }
    if (i == s.size()) return true;
  }
  return false;
}

}  // namespace graph_builder::regex
