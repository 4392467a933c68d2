#pragma once
// The only door to the regular-expression engine. Owns one rule set for every
// caller: UTF-8 subjects, Unicode-aware \w, LF as the only newline, JIT when
// available, bounded work per search. Subjects must be valid UTF-8 (the text
// decoder guarantees it), so searches skip the engine's UTF check.
//
// White space: `\s` (also inside a class) is rewritten at compile time to the
// same set the text helpers strip and split on (tab to carriage return, U+001C
// to U+0020, NEL, NBSP and the Unicode space separators), so patterns and
// string helpers never disagree about what white space is.
//
// Limits: a search that exceeds the engine's match limit (catastrophic
// backtracking on hostile input) or its stack is treated as "no further match"
// for that subject. It never throws, never aborts, and never runs unbounded.

#include "graph_builder/regex/span.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace graph_builder::regex {

enum class Flags : unsigned {
  none = 0,
  multiline = 1U << 0,  // ^ and $ also match after/before every LF
  dotall = 1U << 1,     // . also matches LF
  caseless = 1U << 2,   // letters match regardless of case
};
constexpr Flags operator|(Flags a, Flags b) {
  return static_cast<Flags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool has_flag(Flags set, Flags f) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(f)) != 0;
}

class Regex;

// Most capture groups any pattern of the program may have.
inline constexpr int kMaxGroups = 15;

// One successful match. Views point into the subject, which must outlive it.
class Match {
 public:
  std::size_t start() const { return ov_[0]; }
  std::size_t end() const { return ov_[1]; }
  std::string_view text() const { return subject_.substr(ov_[0], ov_[1] - ov_[0]); }
  // True when group `g` took part in the match (an empty capture counts).
  bool has(int g) const;
  // The text of group `g`; empty when it did not take part.
  std::string_view group(int g) const;
  std::size_t group_start(int g) const { return ov_[2 * static_cast<std::size_t>(g)]; }
  // Group `g` (0 for the whole match) as offsets; absent when it took no part.
  Span span(int g) const;
  // The whole match and groups 1 to kSpanGroups.
  Spans spans() const;
  // Named groups, resolved through the pattern's name table.
  bool has(std::string_view name) const;
  std::string_view group(std::string_view name) const;

 private:
  friend class Regex;
  Match(const Regex& re, std::string_view subject, const std::size_t* ov, int pairs);
  const Regex* re_;
  std::string_view subject_;
  std::array<std::size_t, 2 * (kMaxGroups + 1)> ov_{};
  int pairs_;
};

// Receives each match of a search that visits matches in turn; returns false
// to stop it.
using MatchVisitor = std::function<bool(const Match&)>;

// A compiled pattern. Compile once (e.g. as a function-local static) and share:
// a Regex is immutable after construction and safe to use from many threads.
class Regex {
 public:
  // Aborts (GB_CHECK) when the pattern does not compile: patterns are
  // constants of the program, so a bad one is a bug.
  explicit Regex(std::string_view pattern, Flags flags = Flags::none);
  ~Regex();
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  // Calls `fn(const Match&)` for every successive non-overlapping match, left
  // to right, starting at byte offset `from`. `fn` returns true to go on and
  // false to stop. Returns the number of matches visited.
  template <class Fn>
  std::size_t for_each(std::string_view subject, Fn&& fn, std::size_t from = 0) const;

  // First match at or after `from`, or nothing.
  std::optional<Match> search(std::string_view subject, std::size_t from = 0) const;
  // A match that begins exactly at offset 0 (Python's re.match), or nothing.
  std::optional<Match> match_start(std::string_view subject) const;
  // True when the whole subject matches.
  bool full_match(std::string_view subject) const;
  // Replaces every match; in `replacement`, \1..\9 insert groups (absent
  // groups insert nothing), any other character stands for itself.
  std::string replace_all(std::string_view subject, std::string_view replacement) const;

  int group_number(std::string_view name) const;
  const std::string& pattern() const { return pattern_; }

 private:
  struct State;
  // Runs one search from `from`; extra options for the empty-match retry.
  // Returns the number of ovector pairs, 0 for no match (or a limit reached).
  int run(std::string_view subject, std::size_t from, std::uint32_t options,
          const std::size_t** ov) const;
  static std::uint32_t kNotEmptyAtStartAnchored;

  std::string pattern_;
  void* code_ = nullptr;           // pcre2_code_8*
  void* anchored_code_ = nullptr;  // the same pattern compiled anchored, for JIT
  bool jit_ = false;
  bool anchored_jit_ = false;
};

// The pattern text after the white-space rewrite described above.
std::string rewrite_pattern(std::string_view pattern);

template <class Fn>
std::size_t Regex::for_each(std::string_view subject, Fn&& fn, std::size_t from) const {
  std::size_t count = 0;
  std::uint32_t options = 0;
  while (from <= subject.size()) {
    const std::size_t* ov = nullptr;
    int pairs = run(subject, from, options, &ov);
    if (pairs <= 0) {
      if (options == 0) break;
      // No non-empty match at this position: step one character forward.
      options = 0;
      ++from;
      while (from < subject.size() && (static_cast<unsigned char>(subject[from]) & 0xC0) == 0x80) {
        ++from;
      }
      continue;
    }
    ++count;
    // The match copies the offsets: fn may run other searches on this thread.
    const Match m(*this, subject, ov, pairs);
    if (!fn(m)) break;
    from = m.end();
    options = (m.start() == m.end()) ? kNotEmptyAtStartAnchored : 0;
  }
  return count;
}

}  // namespace graph_builder::regex
