#pragma once
// Searching a caseless pattern WORDS \s* TAIL from a rare anchor character
// instead of from every position a word may begin at.
//
// Patterns such as "(?:app|router|r|mux|api)\s*[.\@]\s*(get|post|...)\s*\(..."
// make a plain search try every letter a word may begin with (every "r" and
// "a" of a text), while the anchor ("." or "@" here) is rare and most
// occurrences stand between characters that rule a match out. The scan below
// tests sixteen anchors at a time against their neighbouring bytes, reads the
// few survivors backwards to the word before them, and runs the tail only
// where a word stands: exactly the plain search's matches.

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/regex/span.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace graph_builder::regex {

// Anchor bytes (`x` or `y`) whose neighbours could let a match through:
// `next(from)` is the first at or after `from` whose byte before is ASCII
// white space, 0x80 or above, or one of `before`, and whose byte after is
// ASCII white space, 0x80 or above, or one of `after` (letters compared with
// ASCII case folded), or npos. Sixteen anchors are tested at a time; the
// first and last bytes of the text, which lack a neighbour, are always
// given. Every anchor that passes the cheap tests of anchored_matches passes
// these (they are looser), so only anchors that could never start a match
// are skipped. `before` and `after` hold lower-case letters or non-letters.
template <std::size_t NB, std::size_t NA>
class AnchorCandidates {
 public:
  AnchorCandidates(std::string_view t, char x, char y, std::array<char, NB> before,
                   std::array<char, NA> after)
      : t_(t), x_(x), y_(y), before_(before), after_(after) {}

  std::size_t next(std::size_t from) const;

 private:
#ifdef __SSE2__
  static __m128i load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }

  // Per byte: all ones when it is ASCII white space, 0x80 or above, or one of
  // `set` after folding.
  template <std::size_t N>
  static __m128i neighbour_ok(__m128i v, const std::array<char, N>& set);
#endif

  std::string_view t_;
  char x_;
  char y_;
  std::array<char, NB> before_;
  std::array<char, NA> after_;
};

// Every match of a caseless pattern WORDS \s* TAIL, where WORDS is a choice
// of fixed `words` and TAIL begins with an anchor character that no word
// contains and that is not white space, so a match's anchor is the first
// character after its word and the white space behind it. Where a plain
// search tries every start (every letter a word may begin with), this scan
// starts from the anchors, which are rarer:
//   - `next_anchor(from)` is the first anchor at or after `from` (or npos);
//   - `may_end_word(byte)` and `may_follow_anchor(byte)` are cheap necessary
//     conditions on the byte before the white space in front of the anchor
//     and on the first byte after the ASCII white space behind it (both must
//     accept every byte of 0x80 and above);
//   - `words` are in lower case, and `lengths` are their lengths in code
//     points, longest first;
//   - `head` is "\G" WORDS \s* [anchors], and `tail` is "\G" TAIL.
// Each match comes with TAIL's groups 1 and 2 as its groups 1 and 2.
// A start s matches the words part up to the anchor exactly when the text
// from s to the white space before the anchor is one of the words. On ASCII
// text that is a caseless ASCII comparison (no character outside ASCII
// matches an ASCII letter of these words but U+017F for "s" and U+212A for
// "k", and those are not ASCII); elsewhere `head` decides. The rest of the
// match is TAIL's match at the anchor, which does not depend on the start.
// The anchors are taken in order, and the candidate starts before an anchor
// lie after every earlier anchor, so the first anchor with a start at or
// after the resume point and a matching tail gives the next match, from its
// leftmost such start, as the plain search would. The tail runs only after
// a start is found: TAIL may run far (a path up to the next quote), and a
// text of many anchors without a start must not pay for it at each.
template <class NextAnchor, class EndsWord, class FollowsAnchor>
std::vector<Spans> anchored_matches(std::string_view t, NextAnchor&& next_anchor,
                                    EndsWord&& may_end_word, FollowsAnchor&& may_follow_anchor,
                                    std::initializer_list<std::string_view> words,
                                    std::initializer_list<std::size_t> lengths, const Regex& head,
                                    const Regex& tail);

template <std::size_t NB, std::size_t NA>
std::size_t AnchorCandidates<NB, NA>::next(std::size_t from) const {
  const std::size_t n = t_.size();
  std::size_t i = from;
  if (i == 0) {
    if (n == 0) return std::string_view::npos;
    if (t_[0] == x_ || t_[0] == y_) return 0;
    i = 1;
  }
#ifdef __SSE2__
  const char* p = t_.data();
  const __m128i vx = _mm_set1_epi8(x_);
  const __m128i vy = _mm_set1_epi8(y_);
  for (; i + 17 <= n; i += 16) {
    const __m128i v = load(p + i);
    const __m128i anchors = _mm_or_si128(_mm_cmpeq_epi8(v, vx), _mm_cmpeq_epi8(v, vy));
    if (_mm_movemask_epi8(anchors) == 0) continue;
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(anchors, _mm_and_si128(neighbour_ok(load(p + i - 1), before_),
                                             neighbour_ok(load(p + i + 1), after_)))));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < n; ++i) {
    if (t_[i] == x_ || t_[i] == y_) return i;
  }
  return std::string_view::npos;
}

#ifdef __SSE2__
template <std::size_t NB, std::size_t NA>
template <std::size_t N>
__m128i AnchorCandidates<NB, NA>::neighbour_ok(__m128i v, const std::array<char, N>& set) {
  // As signed bytes, 0x80 and above are negative.
  __m128i ok = _mm_cmplt_epi8(v, _mm_setzero_si128());
  ok = _mm_or_si128(ok, _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x08)),
                                      _mm_cmplt_epi8(v, _mm_set1_epi8(0x0E))));
  ok = _mm_or_si128(ok, _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x1B)),
                                      _mm_cmplt_epi8(v, _mm_set1_epi8(0x21))));
  // Setting bit 5 turns upper-case letters into lower case; other bytes
  // may then equal a member too, which only lets more anchors through.
  const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
  for (char c : set) ok = _mm_or_si128(ok, _mm_cmpeq_epi8(folded, _mm_set1_epi8(c)));
  return ok;
}
#endif

template <class NextAnchor, class EndsWord, class FollowsAnchor>
std::vector<Spans> anchored_matches(std::string_view t, NextAnchor&& next_anchor,
                                    EndsWord&& may_end_word, FollowsAnchor&& may_follow_anchor,
                                    std::initializer_list<std::string_view> words,
                                    std::initializer_list<std::size_t> lengths, const Regex& head,
                                    const Regex& tail) {
  constexpr std::size_t kNone = std::string_view::npos;
  // The first byte after the ASCII white space at `at`, or 0 at the end.
  auto first_after_spaces = [&t](std::size_t at) -> unsigned char {
    while (at < t.size() && is_ascii_space(static_cast<unsigned char>(t[at]))) ++at;
    return at < t.size() ? static_cast<unsigned char>(t[at]) : 0;
  };
  std::vector<Spans> out;
  std::size_t pos = 0;   // where the plain search would go on
  std::size_t from = 0;  // where the next anchor is looked for
  while (from < t.size()) {
    const std::size_t a = next_anchor(from);
    if (a == kNone) break;
    from = a + 1;
    const std::size_t w = space_run_start(t, a, pos);
    if (w == pos || !may_end_word(static_cast<unsigned char>(t[w - 1]))) continue;
    if (!may_follow_anchor(first_after_spaces(a + 1))) continue;
    for (std::size_t n : lengths) {
      const std::size_t s = code_points_back(t, w, n, pos);
      if (s == kNone) continue;
      const std::string_view word = t.substr(s, w - s);
      if (is_ascii(word)) {
        if (!is_one_of_caseless(word, words)) continue;
      } else {
        const std::optional<Match> h = head.search(t, s);
        if (!h || h->end() != a + 1) continue;
      }
      const std::optional<Match> rest = tail.search(t, a);
      if (!rest) break;
      out.push_back({{s, rest->end()}, {rest->span(1), rest->span(2)}});
      pos = rest->end();
      from = std::max(from, pos);
      break;
    }
  }
  return out;
}

}  // namespace graph_builder::regex
