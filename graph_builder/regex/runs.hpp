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

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/scan_steps.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace graph_builder::regex {

// The search described above, with RUN and TAIL given as code: `find_run(pos)`
// returns [start, end) of the leftmost match of RUN at or after `pos` (the
// maximal run), or nothing; `tail_at(end)` whether TAIL matches at `end`. A
// hand-written scan finds some runs faster than a pattern, and a cheap test
// can rule out most tails before the pattern runs.
template <class FindRun, class TailAt, class Fn>
void for_each_by_found_runs(std::string_view text, FindRun&& find_run, TailAt&& tail_at,
                            const Regex& full, Fn&& fn) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::optional<std::pair<std::size_t, std::size_t>> r = find_run(pos);
    if (!r) return;
    pos = r->second;
    if (!tail_at(r->second)) continue;
    std::optional<Match> m = full.search(text, r->first);
    if (!m) return;
    if (!fn(*m)) return;
    pos = std::max(pos, m->end());
  }
}

// The search described above with RUN and TAIL as patterns.
template <class Fn>
void for_each_by_runs(std::string_view text, const Regex& run, const Regex& tail, const Regex& full,
                      Fn&& fn) {
  for_each_by_found_runs(
      text,
      [&](std::size_t pos) -> std::optional<std::pair<std::size_t, std::size_t>> {
        std::optional<Match> r = run.search(text, pos);
        if (!r) return std::nullopt;
        return std::pair{r->start(), r->end()};
      },
      [&](std::size_t at) { return tail.search(text, at).has_value(); }, full, fn);
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
// `find_keyword(from)` returns where the leftmost keyword match at or after
// `from` starts (npos for none), `tail_at(at)` whether TAIL matches at `at`.
template <class IsSpace, class FindKeyword, class TailAt, class Fn>
void for_each_by_found_keywords(std::string_view text,
                                std::initializer_list<std::string_view> words, IsSpace&& is_space,
                                FindKeyword&& find_keyword, TailAt&& tail_at, const Regex& full,
                                Fn&& fn) {
  std::size_t pos = 0;   // where the plain search would go on
  std::size_t from = 0;  // where the next keyword is looked for
  while (from < text.size()) {
    const std::size_t e = find_keyword(from);
    if (e == std::string_view::npos) return;
    from = e + 1;
    // Read the run backwards from e, never past pos.
    const std::size_t s = spaces_and_words_back(text, e, pos, words, is_space);
    if (s == e || !tail_at(e)) continue;
    std::optional<Match> m = full.search(text, s);
    if (!m) return;
    if (!fn(*m)) return;
    pos = m->end();
    from = std::max(from, pos);
  }
}

// The search described above with the keyword and TAIL as patterns.
template <class IsSpace, class Fn>
void for_each_by_keywords(std::string_view text, std::initializer_list<std::string_view> words,
                          IsSpace&& is_space, const Regex& keyword, const Regex& tail,
                          const Regex& full, Fn&& fn) {
  for_each_by_found_keywords(
      text, words, is_space,
      [&](std::size_t from) {
        std::optional<Match> k = keyword.search(text, from);
        return k ? k->start() : std::string_view::npos;
      },
      [&](std::size_t at) { return tail.search(text, at).has_value(); }, full, fn);
}

// For a multi-line pattern "^\s*TAIL", where every match of TAIL begins with
// a keyword (whose first character is not white space): "\s*" can only stop
// where TAIL begins, so a match that starts at a line start s has its keyword
// at the end of the white space run from s, and TAIL decides the match alone.
// The plain search tries every line start; this one finds each keyword
// (`find_keyword(from)` returns where the leftmost one at or after `from`
// starts, npos for none), tests TAIL there (`tail_at(at)`), and reads the
// white space before it backwards, never past where the plain search goes
// on, to the earliest line start in it (\s crosses line feeds, so a match
// may begin at the first line of a blank stretch). The full pattern runs
// only from there, where it matches. `is_space(code point)` must be the
// white-space set of \s.
template <class FindKeyword, class IsSpace, class TailAt, class Fn>
void for_each_from_line_start_found(std::string_view text, FindKeyword&& find_keyword,
                                    IsSpace&& is_space, TailAt&& tail_at, const Regex& full,
                                    Fn&& fn) {
  constexpr std::size_t kNone = std::string_view::npos;
  auto line_start = [&](std::size_t p) { return p == 0 || text[p - 1] == '\n'; };
  std::size_t pos = 0;   // where the plain search would go on
  std::size_t from = 0;  // where the next keyword is looked for
  while (from < text.size()) {
    const std::size_t k = find_keyword(from);
    if (k == kNone) return;
    from = k + 1;
    std::size_t start = line_start(k) ? k : kNone;
    for (std::size_t p = k; p > pos;) {
      std::size_t at = p - 1;
      while (at > pos && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
      std::size_t after = at;
      if (!is_space(next_code_point(text, after))) break;
      p = at;
      if (line_start(p)) start = p;
    }
    if (start == kNone || !tail_at(k)) continue;
    std::optional<Match> m = full.search(text, start);
    if (!m) return;
    if (!fn(*m)) return;
    pos = m->end();
    from = std::max(from, pos);
  }
}

// The search described above for one `keyword`, TAIL as a pattern.
template <class IsSpace, class Fn>
void for_each_from_line_start(std::string_view text, std::string_view keyword, IsSpace&& is_space,
                              const Regex& tail, const Regex& full, Fn&& fn) {
  for_each_from_line_start_found(
      text, [&](std::size_t from) { return find_literal(text, keyword, from); }, is_space,
      [&](std::size_t at) { return tail.search(text, at).has_value(); }, full, fn);
}

// [start, end) of the leftmost match at or after `pos` of the multi-line
// pattern "^\s+": the first line start at or after `pos` that white space
// follows, and the whole white-space run from there (line feeds included),
// or nothing. One memchr per line instead of a pattern search.
// `is_space(code point)` must be the white-space set of \s.
template <class IsSpace>
std::optional<std::pair<std::size_t, std::size_t>> find_line_start_space_run(std::string_view text,
                                                                             std::size_t pos,
                                                                             IsSpace&& is_space) {
  std::size_t p = pos;
  while (p < text.size()) {
    if (p > 0 && text[p - 1] != '\n') {
      const std::size_t lf = text.find('\n', p);
      if (lf == std::string_view::npos) return std::nullopt;
      p = lf + 1;
      continue;
    }
    std::size_t end = p;
    while (end < text.size()) {
      std::size_t next = end;
      if (!is_space(next_code_point(text, next))) break;
      end = next;
    }
    if (end > p) return std::pair{p, end};
    ++p;  // the line starts with something else: go to the next line
  }
  return std::nullopt;
}

// Finds the leftmost occurrence of any of a set of literal words: the same
// start as a search for the alternation "W1|W2|...", without a pattern. One
// table per leading byte position rules out almost every position with three
// lookups and no branch, where the pattern engine tries each position.
class WordFinder {
 public:
  // At most 16 words, each at least three bytes long.
  explicit WordFinder(std::initializer_list<std::string_view> words) {
    std::size_t i = 0;
    for (std::string_view w : words) {
      words_[i] = w;
      for (std::size_t k = 0; k < kLead; ++k) {
        lead_[k][static_cast<unsigned char>(w[k])] |= static_cast<std::uint16_t>(1U << i);
      }
      const std::pair<char, char> pair{w[0], w[1]};
      if (std::find(pairs_.begin(), pairs_.begin() + pair_count_, pair) ==
          pairs_.begin() + pair_count_) {
        pairs_[pair_count_++] = pair;
      }
      ++i;
    }
#ifdef __SSE2__
    for (std::size_t k = 0; k < pair_count_; ++k) {
      firsts_[k] = _mm_set1_epi8(pairs_[k].first);
      seconds_[k] = _mm_set1_epi8(pairs_[k].second);
    }
#endif
  }

  // Start of the leftmost occurrence at or after `from`, or npos.
  std::size_t find(std::string_view text, std::size_t from) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = from;
#ifdef __SSE2__
    // Sixteen positions at a time: only those where the first two bytes of
    // some word stand go on to the table test.
    for (; i + 16 + 1 <= text.size(); i += 16) {
      const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
      __m128i hit = _mm_setzero_si128();
      for (std::size_t k = 0; k < pair_count_; ++k) {
        hit = _mm_or_si128(
            hit, _mm_and_si128(_mm_cmpeq_epi8(v0, firsts_[k]), _mm_cmpeq_epi8(v1, seconds_[k])));
      }
      for (auto m = static_cast<unsigned>(_mm_movemask_epi8(hit)); m != 0; m &= m - 1) {
        const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(m));
        if (word_at(text, p, at)) return at;
      }
    }
#endif
    for (; i + kLead <= text.size(); ++i) {
      if (word_at(text, p, i)) return i;
    }
    return std::string_view::npos;
  }

 private:
  // True when one of the words begins at `i` (i + kLead <= text size).
  bool word_at(std::string_view text, const unsigned char* p, std::size_t i) const {
    if (i + kLead > text.size()) return false;
    unsigned m = lead_[0][p[i]] & lead_[1][p[i + 1]] & lead_[2][p[i + 2]];
    for (; m != 0; m &= m - 1) {
      if (text.substr(i).starts_with(words_[static_cast<std::size_t>(std::countr_zero(m))])) {
        return true;
      }
    }
    return false;
  }

  static constexpr std::size_t kLead = 3;
  std::array<std::string_view, 16> words_{};
  // lead_[k][byte], bit i: word i has `byte` at offset k.
  std::array<std::array<std::uint16_t, 256>, kLead> lead_{};
  // The distinct first two bytes of the words.
  std::array<std::pair<char, char>, 16> pairs_{};
  std::size_t pair_count_ = 0;
#ifdef __SSE2__
  // Each pair's bytes in every lane, made once rather than per block.
  __m128i firsts_[16] = {};
  __m128i seconds_[16] = {};
#endif
};

}  // namespace graph_builder::regex
