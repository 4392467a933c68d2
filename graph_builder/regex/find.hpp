#pragma once
// Fast literal search: the cheap first step of most pattern passes (is the
// keyword there at all, where is the next one).
//
// A plain substring search stops at every occurrence of the first byte of the
// literal; for words that begin with common letters ("import", "class") that
// is most of the text. This one tests sixteen positions at a time for the
// first and the last byte of the literal together and compares the rest only
// where both agree.

#include <cstddef>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace graph_builder::regex {

// Offset of the first occurrence of `literal` in `text` at or after `from`,
// or npos: the same result as text.find(literal, from).
inline std::size_t find_literal(std::string_view text, std::string_view literal,
                                std::size_t from = 0) {
  const std::size_t n = text.size();
  const std::size_t k = literal.size();
  if (k < 2 || from > n) return text.find(literal, from);
#ifdef __SSE2__
  const char* t = text.data();
  const __m128i first = _mm_set1_epi8(literal[0]);
  const __m128i last = _mm_set1_epi8(literal[k - 1]);
  std::size_t i = from;
  for (; i + k - 1 + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + k - 1));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
      if (std::memcmp(t + at + 1, literal.data() + 1, k - 2) == 0) return at;
      mask &= mask - 1;
    }
  }
  return text.find(literal, i);
#else
  return text.find(literal, from);
#endif
}

// Offset of the first byte at or after `from` that is `a` or `b`, or npos:
// the same result as text.find_first_of of the two, which tests the set once
// per byte of the text.
inline std::size_t find_either(std::string_view text, char a, char b, std::size_t from = 0) {
  const std::size_t n = text.size();
  std::size_t i = from;
#ifdef __SSE2__
  const char* t = text.data();
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < n; ++i) {
    if (text[i] == a || text[i] == b) return i;
  }
  return std::string_view::npos;
}

// Calls fn(offset) for every occurrence of the byte `c` in `text`, in order.
// For bytes that occur every few dozen bytes (line feeds, dots in code), a
// library search per occurrence costs more in starting than in searching.
template <class Fn>
inline void for_each_byte(std::string_view text, char c, Fn&& fn) {
  const char* t = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#ifdef __SSE2__
  const __m128i vc = _mm_set1_epi8(c);
  for (; i + 16 <= n; i += 16) {
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i)), vc)));
    while (mask != 0) {
      fn(i + static_cast<std::size_t>(__builtin_ctz(mask)));
      mask &= mask - 1;
    }
  }
#endif
  for (; i < n; ++i) {
    if (t[i] == c) fn(i);
  }
}

}  // namespace graph_builder::regex
