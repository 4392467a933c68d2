#include "graph_builder/text/keywords.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "graph_builder/check.hpp"
#include "graph_builder/regex/closing_paren.hpp"
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/runs.hpp"
#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/text/identifiers.hpp"
#include "graph_builder/text/keywords_internal.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {
namespace {

using regex::classify;
using regex::CodePoint;
using regex::Flags;
using regex::Match;
using regex::next_line_start;
using regex::previous_start;
using regex::Regex;

using keywords_internal::ScanMatch;
using keywords_internal::Span;

constexpr std::size_t kNone = std::string_view::npos;

unsigned char byte_at(std::string_view t, std::size_t i) {
  return static_cast<unsigned char>(t[i]);
}

bool is_ascii_space(unsigned char c) {
  return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20);
}

// ASCII lower case of `c`; other bytes unchanged.
unsigned char fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

std::string_view span_text(std::string_view t, Span s) {
  return t.substr(s.begin, s.end - s.begin);
}

Span group_span(const Match& m, int g) {
  if (!m.has(g)) return {};
  return {m.group_start(g), m.group_start(g) + m.group(g).size()};
}

// Start of the run of white-space code points (the \s set) that ends at
// `end`; the run never reaches below `floor`, a code-point boundary.
std::size_t space_run_start(std::string_view t, std::size_t end, std::size_t floor) {
  std::size_t s = end;
  while (s > floor) {
    std::size_t cp = s - 1;
    if (byte_at(t, cp) < 0x80) {
      if (!is_ascii_space(byte_at(t, cp))) break;
    } else {
      while (cp > floor && (byte_at(t, cp) & 0xC0) == 0x80) --cp;
      std::size_t p = cp;
      if (!is_space(next_code_point(t, p))) break;
    }
    s = cp;
  }
  return s;
}

// The offset `n` code points before `end`, or kNone when fewer than `n` code
// points lie between `floor` and `end`.
std::size_t code_points_back(std::string_view t, std::size_t end, std::size_t n,
                             std::size_t floor) {
  std::size_t s = end;
  for (; n > 0; --n) {
    if (s <= floor) return kNone;
    --s;
    while (s > floor && (byte_at(t, s) & 0xC0) == 0x80) --s;
  }
  return s;
}

// The first byte after `at` that is not ASCII white space, or 0 at the end.
unsigned char first_after_spaces(std::string_view t, std::size_t at) {
  while (at < t.size() && is_ascii_space(byte_at(t, at))) ++at;
  return at < t.size() ? byte_at(t, at) : 0;
}

// True when `s` equals one of `words` (lower case) with ASCII letters
// compared regardless of case.
bool is_one_of_caseless(std::string_view s, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words) {
    if (w.size() != s.size()) continue;
    std::size_t i = 0;
    while (i < s.size() && fold(byte_at(s, i)) == static_cast<unsigned char>(w[i])) ++i;
    if (i == s.size()) return true;
  }
  return false;
}

bool is_ascii_text(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Anchor bytes (`x` or `y`) whose neighbours could let a match through:
// `next(from)` is the first at or after `from` whose byte before is ASCII
// white space, 0x80 or above, or one of `before`, and whose byte after is
// ASCII white space, 0x80 or above, or one of `after` (letters compared with
// ASCII case folded), or kNone. Sixteen anchors are tested at a time; the
// first and last bytes of the text, which lack a neighbour, are always
// given. Every anchor that passes the cheap tests of anchored_matches passes
// these (they are looser), so only anchors that could never start a match
// are skipped.
template <std::size_t NB, std::size_t NA>
class AnchorCandidates {
 public:
  AnchorCandidates(std::string_view t, char x, char y, std::array<char, NB> before,
                   std::array<char, NA> after)
      : t_(t), x_(x), y_(y), before_(before), after_(after) {}

  std::size_t next(std::size_t from) const {
    const std::size_t n = t_.size();
    std::size_t i = from;
    if (i == 0) {
      if (n == 0) return kNone;
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
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
          anchors, _mm_and_si128(neighbour_ok(load(p + i - 1), before_),
                                 neighbour_ok(load(p + i + 1), after_)))));
      if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    for (; i < n; ++i) {
      if (t_[i] == x_ || t_[i] == y_) return i;
    }
    return kNone;
  }

 private:
#ifdef __SSE2__
  static __m128i load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }

  // Per byte: all ones when it is ASCII white space, 0x80 or above, or one of
  // `set` after folding.
  template <std::size_t N>
  static __m128i neighbour_ok(__m128i v, const std::array<char, N>& set) {
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
//   - `next_anchor(from)` is the first anchor at or after `from` (or kNone);
//   - `may_end_word(byte)` and `may_follow_anchor(byte)` are cheap necessary
//     conditions on the byte before the white space in front of the anchor
//     and on the first byte after the ASCII white space behind it (both must
//     accept every byte of 0x80 and above);
//   - `words` are in lower case, and `lengths` are their lengths in code
//     points, longest first;
//   - `head` is "\G" WORDS \s* [anchors], and `tail` is "\G" TAIL.
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
std::vector<ScanMatch> anchored_matches(std::string_view t, NextAnchor&& next_anchor,
                                        EndsWord&& may_end_word, FollowsAnchor&& may_follow_anchor,
                                        std::initializer_list<std::string_view> words,
                                        std::initializer_list<std::size_t> lengths,
                                        const Regex& head, const Regex& tail) {
  std::vector<ScanMatch> out;
  std::size_t pos = 0;   // where the plain search would go on
  std::size_t from = 0;  // where the next anchor is looked for
  while (from < t.size()) {
    const std::size_t a = next_anchor(from);
    if (a == kNone) break;
    from = a + 1;
    const std::size_t w = space_run_start(t, a, pos);
    if (w == pos || !may_end_word(byte_at(t, w - 1))) continue;
    if (!may_follow_anchor(first_after_spaces(t, a + 1))) continue;
    for (std::size_t n : lengths) {
      const std::size_t s = code_points_back(t, w, n, pos);
      if (s == kNone) continue;
      const std::string_view word = t.substr(s, w - s);
      if (is_ascii_text(word)) {
        if (!is_one_of_caseless(word, words)) continue;
      } else {
        const std::optional<Match> h = head.search(t, s);
        if (!h || h->end() != a + 1) continue;
      }
      const std::optional<Match> rest = tail.search(t, a);
      if (!rest) break;
      out.push_back({{s, rest->end()}, group_span(*rest, 1), group_span(*rest, 2)});
      pos = rest->end();
      from = std::max(from, pos);
      break;
    }
  }
  return out;
}

// Later admissions never change the first kCap keywords, so every pass stops
// as soon as the list is full.
constexpr std::size_t kCap = 80;

// Calls `fn(piece)` for every piece of `s` between single `sep` characters,
// empty pieces included ("a//b" gives "a", "", "b").
template <class Fn>
void for_each_piece(std::string_view s, char sep, Fn&& fn) {
  std::size_t start = 0;
  while (true) {
    const std::size_t at = s.find(sep, start);
    fn(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return;
    start = at + 1;
  }
}

// `s` without any of the ASCII characters in `drop`.
std::string without_chars(std::string_view s, std::string_view drop) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (drop.find(c) == std::string_view::npos) out.push_back(c);
  }
  return out;
}

bool is_one_of(std::string_view s, std::initializer_list<std::string_view> set) {
  for (std::string_view x : set) {
    if (s == x) return true;
  }
  return false;
}

// The verb and the path segments of one route registration or decorator.
void add_route(KeywordList& kw, std::string_view verb, std::string_view path) {
  kw.add(to_upper(verb));
  for_each_piece(strip_chars(path, "/"), '/', [&](std::string_view seg) {
    // "{orderId}" -> "orderId", "<int:check_id>" -> "intcheck_id"
    std::string cleaned = without_chars(seg, "{}:<>");
    if (!cleaned.empty()) kw.add(cleaned);
  });
}

// `add_name(group 1)` for every match of `re`, until the list is full.
void add_group1_names(KeywordList& kw, const Regex& re, std::string_view content) {
  re.for_each(content, [&](const Match& m) {
    kw.add_name(m.group(1));
    return kw.size() < kCap;
  });
}

// Bytes that may stand in a Java-family method match before its "(": word
// characters, "<>[]", white space, and any byte of a non-ASCII character.
bool method_char(unsigned char c) {
  return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '<' || c == '>' || c == '[' || c == ']' || (c >= 0x09 && c <= 0x0D) ||
         (c >= 0x1C && c <= 0x20);
}

bool is_ascii_word(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool is_type_char(unsigned char c) {
  return is_ascii_word(c) || c == '<' || c == '>' || c == '[' || c == ']';
}

// First offset at or after `pos` outside the class [\w:*&<>\s].
std::size_t end_of_declarator_run(std::string_view t, std::size_t pos) {
  while (pos < t.size()) {
    const unsigned char b = byte_at(t, pos);
    if (b < 0x80) {
      if (!is_ascii_word(b) && !is_ascii_space(b) && b != ':' && b != '*' && b != '&' &&
          b != '<' && b != '>') {
        break;
      }
      ++pos;
      continue;
    }
    const CodePoint c = classify(t, pos);
    if (!c.space && !c.word) break;
    pos += c.size;
  }
  return pos;
}

// The offset after the white space (the \s set) that starts at `pos`.
std::size_t skip_spaces(std::string_view t, std::size_t pos) {
  while (pos < t.size()) {
    const CodePoint c = classify(t, pos);
    if (!c.space) break;
    pos += c.size;
  }
  return pos;
}

// Every match of a multi-line Rust pattern that begins with
// "^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)", optionally followed by
// other branches that begin at a line start with "pub" or one of `others`:
// `anchored` is that pattern led by "\G", run only where "pub" or one of
// `others` starts a line. After "pub" and white space, "(" leaves one way
// to match: "[^)]*" up to the first ")" (a shorter run cannot end in ")"),
// then "\s+fn\s+" and a name; without that nothing matches there (every
// other way needs a letter after the white space). That run may be long and
// many such lines may share it, so it is decided here once per ")", and the
// pattern runs only where it matches.
void rust_line_matches(std::string_view text, const Regex& anchored,
                       std::initializer_list<std::string_view> others,
                       const keywords_internal::MatchVisitor& fn) {
  // "pub" and white space up to the "(", and what must follow its ")".
  static const Regex kScopeOpen(R"re((*NO_START_OPT)\Gpub\s*\()re");
  static const Regex kAfterScope(R"re((*NO_START_OPT)\G\s+fn\s+[A-Za-z_])re");
  regex::ClosingParen scope(text, kScopeOpen, kAfterScope);
  constexpr std::size_t kMaxOthers = 4;
  GB_CHECK(others.size() <= kMaxOthers);
  std::array<std::string_view, kMaxOthers> words{};
  std::array<std::size_t, kMaxOthers> next{};
  next.fill(kNone);
  std::size_t n = 0;
  for (std::string_view w : others) {
    words[n] = w;
    next[n] = regex::find_literal(text, w);
    ++n;
  }
  std::size_t next_pub = regex::find_literal(text, "pub");
  while (true) {
    const std::size_t at = std::min(next_pub, *std::min_element(next.begin(), next.end()));
    if (at == kNone) return;
    std::size_t resume = at + 1;
    const bool line_start = at == 0 || text[at - 1] == '\n';
    if (line_start && !(at == next_pub && !scope.may_match(at))) {
      if (std::optional<Match> m = anchored.search(text, at)) {
        if (!fn(*m)) return;
        resume = std::max(resume, m->end());
      }
    }
    if (next_pub < resume) next_pub = regex::find_literal(text, "pub", resume);
    for (std::size_t i = 0; i < n; ++i) {
      if (next[i] < resume) next[i] = regex::find_literal(text, words[i], resume);
    }
  }
}

// The length of whichever of `words` begins at `pos`, or 0.
std::size_t word_at(std::string_view t, std::size_t pos,
                    std::initializer_list<std::string_view> words) {
  if (pos >= t.size()) return 0;
  // Most lines begin with none of them: the first byte rules out most words.
  const char first = t[pos];
  for (std::string_view w : words) {
    if (!w.empty() && w[0] != first) continue;
    if (t.substr(pos, w.size()) == w) return w.size();
  }
  return 0;
}

// Every match of the multi-line pattern
//   "^(?:(?:M1|...|Mj)\s+)*(?:K1|...|Kn)\s+([A-Za-z_]\w*)"
// for `modifiers` M and `keywords` K, when no word of either list begins
// another: then at most one word fits at any offset, white space cannot
// begin a word, and a keyword is no modifier, so the pattern has a single
// way through a line and backtracking never finds another. The modifiers
// and their white space may run over several lines ("public\npublic\n..."),
// and a line start inside that run reads the rest of the same run, so it
// fails where the first one failed: the next try is after the run, which
// keeps the scan linear where the pattern is quadratic. With
// `LeadingSpace::yes` the pattern begins "^\s*": white space first, which
// can only be read whole (a word cannot begin with white space), so the same
// holds.
enum class LeadingSpace { no, yes };

std::vector<ScanMatch> line_declaration_matches(std::string_view text,
                                                std::initializer_list<std::string_view> modifiers,
                                                std::initializer_list<std::string_view> keywords,
                                                LeadingSpace leading = LeadingSpace::no) {
  std::vector<ScanMatch> out;
  std::size_t p = 0;
  for (;;) {
    const std::size_t s = next_line_start(text, p);
    if (s == kNone || s >= text.size()) break;
    std::size_t at = leading == LeadingSpace::yes ? skip_spaces(text, s) : s;
    while (const std::size_t n = word_at(text, at, modifiers)) {
      const std::size_t after = skip_spaces(text, at + n);
      if (after == at + n) break;
      at = after;
    }
    p = at + 1;
    const std::size_t n = word_at(text, at, keywords);
    if (n == 0) continue;
    at += n;
    const std::size_t name = skip_spaces(text, at);
    if (name == at || name == text.size()) continue;
    const unsigned char first = byte_at(text, name);
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_')) {
      continue;
    }
    std::size_t end = name + 1;
    while (end < text.size()) {
      const CodePoint c = classify(text, end);
      if (!c.word) break;
      end += c.size;
    }
    out.push_back({{s, end}, {name, end}, {}});
    p = end;
  }
  return out;
}

// Answer of `method_search_start` that leaves the decision to the pattern.
constexpr std::size_t kWholeStretch = kNone - 1;

// Where to search for a Java-family method match that ends at the "(" at
// `q`: kNone when there is none, kWholeStretch to search the whole stretch
// of `method_char` bytes before `q`, else an offset inside it. The search
// may not start before `floor` (the previous "(" or the previous match); the
// bytes read backwards here are all `method_char` bytes, so they never leave
// the stretch. The match is RUN TYPE \s+ NAME \s* "(" with RUN one or more of
// white space and the five modifier words:
//   - NAME ("[A-Za-z_]\w*" after white space) can only be the whole word
//     before the white space in front of the "(", and TYPE ends before the
//     white space in front of NAME, with at least one RUN byte before it;
//   - TYPE starts inside the run of type characters ending there, and a
//     white-space character before that run separates RUN tokens, so RUN up
//     to the run start reads backwards one token at a time (no modifier is a
//     suffix of another), and no match starts before where that read stops.
// Decided on ASCII; a non-ASCII character where it matters (it may be a
// letter or white space) leaves the decision to the pattern.
std::size_t method_search_start(std::string_view t, std::size_t floor, std::size_t q) {
  std::size_t e = q;
  while (e > floor && is_ascii_space(byte_at(t, e - 1))) --e;
  if (e > floor && byte_at(t, e - 1) >= 0x80) return kWholeStretch;
  std::size_t b = e;
  while (b > floor && is_ascii_word(byte_at(t, b - 1))) --b;
  if (b > floor && byte_at(t, b - 1) >= 0x80) return kWholeStretch;
  if (b == e || b == floor || !is_ascii_space(byte_at(t, b - 1))) return kNone;
  const unsigned char first = byte_at(t, b);
  if (first >= '0' && first <= '9') return kNone;
  std::size_t type_end = b - 1;
  while (type_end > floor && is_ascii_space(byte_at(t, type_end - 1))) --type_end;
  if (type_end > floor && byte_at(t, type_end - 1) >= 0x80) return kWholeStretch;
  if (type_end < floor + 2 || !is_type_char(byte_at(t, type_end - 1)) ||
      !method_char(byte_at(t, type_end - 2))) {
    return kNone;
  }
  std::size_t s = type_end;
  while (s > floor && is_type_char(byte_at(t, s - 1))) --s;
  while (s > floor) {
    const unsigned char c = byte_at(t, s - 1);
    if (c >= 0x80) return kWholeStretch;
    if (is_ascii_space(c)) {
      --s;
      continue;
    }
    bool took = false;
    for (std::string_view w : {"public", "private", "protected", "static", "final"}) {
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

// The first group of `m`, from 1 to `groups`, that took part and is non-empty.
std::string_view first_present(const Match& m, int groups) {
  for (int g = 1; g <= groups; ++g) {
    if (!m.group(g).empty()) return m.group(g);
  }
  return {};
}

// `add` of every run of four or more ASCII letters in `text`.
void add_letter_runs(KeywordList& kw, std::string_view text) {
  static const Regex kRun(R"re([a-zA-Z]{4,})re");
  kRun.for_each(text, [&](const Match& m) {
    kw.add(m.text());
    return kw.size() < kCap;
  });
}

void add_ts_declarations(KeywordList& kw, std::string_view content) {
  // matches: "export default async function handler" and "export const API_URL"
  static const Regex kExport(
      R"re(export\s+(?:default\s+)?(?:async\s+)?(?:function|class|const|type|interface|enum)\s+([A-Za-z_]\w*))re");
  // matches: "export { foo, bazQux as Quux }"
  static const Regex kExportList(R"re(export\s*\{([^}]+)\})re");
  static const Regex kListSeparator(R"re([,\s]+)re");
  add_group1_names(kw, kExport, content);
  kExportList.for_each(content, [&](const Match& m) {
    const std::string_view list = m.group(1);
    // Split at separator runs; a run at either end leaves an empty piece there.
    std::size_t start = 0;
    auto take = [&](std::string_view piece) {
      piece = strip(piece);
      if (!piece.empty()) kw.add_name(piece);
    };
    kListSeparator.for_each(list, [&](const Match& sep) {
      take(list.substr(start, sep.start() - start));
      start = sep.end();
      return true;
    });
    take(list.substr(start));
    return kw.size() < kCap;
  });
}

void add_py_declarations(KeywordList& kw, std::string_view content) {
  // Functions and classes at a line start, e.g. "async def load(" and "class Store:".
  keywords_internal::for_each_python_declaration(content, [&](const Match& m) {
    const std::string_view name = m.group(1).empty() ? m.group(2) : m.group(1);
    // Private names ("_helper") say nothing about the file.
    if (!name.empty() && name.front() != '_') {
      kw.add_name(name);
      for_each_piece(name, '_', [&](std::string_view part) { kw.add(part); });
    }
    return kw.size() < kCap;
  });
}

void add_c_declarations(KeywordList& kw, std::string_view content) {
  // Functions, e.g. "static int parse_header(const char *p," (the rest may run on).
  for (const ScanMatch& m : keywords_internal::c_function_matches(content)) {
    const std::string_view name = span_text(content, m.group1);
    if (!is_one_of(name, {"if", "for", "while", "switch", "return", "sizeof", "catch"})) {
      kw.add_name(name);
    }
    if (kw.size() >= kCap) return;
  }
  // Types, e.g. "struct ring_buffer {" and "namespace net".
  for (const ScanMatch& m : keywords_internal::c_type_matches(content)) {
    kw.add_name(span_text(content, m.group1));
    if (kw.size() >= kCap) return;
  }
}

void add_declarations(KeywordList& kw, std::string_view content, std::string_view ext) {
  if (ext == ".ts" || ext == ".tsx" || ext == ".js" || ext == ".jsx") {
    add_ts_declarations(kw, content);
  } else if (ext == ".py") {
    add_py_declarations(kw, content);
  } else if (ext == ".go") {
    // matches: "func Handle(" and "func (s *Server) Start(" (exported names only)
    keywords_internal::for_each_go_function(content, [&](const Match& m) {
      kw.add_name(m.group(1));
      return kw.size() < kCap;
    });
  } else if (ext == ".swift") {
    // matches: "public final class Store" and "extension Store" at a line start
    for (const ScanMatch& m : keywords_internal::swift_type_matches(content)) {
      kw.add_name(span_text(content, m.group1));
      if (kw.size() >= kCap) return;
    }
    // matches: "    public static func make("
    for (const ScanMatch& m : keywords_internal::swift_function_matches(content)) {
      kw.add_name(span_text(content, m.group1));
      if (kw.size() >= kCap) return;
    }
  } else if (ext == ".rs") {
    // Functions at a line start, e.g. "pub(crate) fn parse(" and "fn main(".
    keywords_internal::for_each_rust_function(content, [&](const Match& m) {
      kw.add_name(m.group(1));
      return kw.size() < kCap;
    });
    keywords_internal::for_each_rust_type(content, [&](const Match& m) {
      kw.add_name(m.group(1));
      return kw.size() < kCap;
    });
  } else if (ext == ".cs") {
    // matches: "public sealed partial class Customer"
    static const Regex kType(
        R"re((?:public|private|protected|internal)\s+(?:(?:static|abstract|sealed|partial|new|override|virtual|extern|unsafe)\s+)*(?:class|interface|enum|struct|record)\s+([A-Za-z_]\w*))re");
    // matches: "public async Task<Order> PlaceOrder("
    static const Regex kMethod(
        R"re((?:public|private|protected|internal)\s+(?:static\s+)?(?:async\s+)?(?:virtual\s+|override\s+)?(?!class|if|for|while|return)[\w<>\[\]?]+\s+([A-Za-z_]\w*)\s*\()re");
    add_group1_names(kw, kType, content);
    add_group1_names(kw, kMethod, content);
  } else if (ext == ".xaml") {
    // matches: x:Class="Acme.Views.MainWindow" (the name after the last dot)
    static const Regex kClass(R"re(x:Class="[\w.]*\.([A-Za-z_]\w*)")re");
    // matches: x:Name="SaveButton"
    static const Regex kName(R"re(x:Name="([A-Za-z_]\w*)")re");
    // matches: "<Grid>" and "<StackPanel " but not "<ui:Card "
    static const Regex kElement(R"re(<([A-Za-z][A-Za-z0-9]*)[\s>])re");
    add_group1_names(kw, kClass, content);
    add_group1_names(kw, kName, content);
    kElement.for_each(content, [&](const Match& m) {
      kw.add(m.group(1));
      return kw.size() < kCap;
    });
  } else if (ext == ".rb") {
    // Methods, classes and modules, e.g. "  def self.build" (gives build).
    keywords_internal::for_each_ruby_declaration(content, [&](const Match& m) {
      kw.add_name(first_present(m, 3));
      return kw.size() < kCap;
    });
  } else if (ext == ".php") {
    // Declarations anywhere, e.g. "function createOrder" and "trait Loggable".
    keywords_internal::for_each_php_declaration(content, [&](const Match& m) {
      kw.add_name(first_present(m, 4));
      return kw.size() < kCap;
    });
  } else if (ext == ".c" || ext == ".cpp" || ext == ".h" || ext == ".hpp") {
    add_c_declarations(kw, content);
  }
  // Kotlin runs the Java patterns and then its own.
  if (ext == ".java" || ext == ".kt") {
    if (kw.size() < kCap) {
      for (const ScanMatch& m : keywords_internal::java_type_matches(content)) {
        kw.add_name(span_text(content, m.group1));
        if (kw.size() >= kCap) break;
      }
    }
    if (kw.size() < kCap) {
      for (const ScanMatch& m : keywords_internal::java_method_matches(content)) {
        kw.add_name(span_text(content, m.group1));
        if (kw.size() >= kCap) break;
      }
    }
  }
  if (ext == ".kt") {
    // Declarations such as "data class Entry" and "private fun audit".
    if (kw.size() < kCap) {
      for (const ScanMatch& m : keywords_internal::kotlin_declaration_matches(content)) {
        kw.add_name(span_text(content, m.group1));
        if (kw.size() >= kCap) break;
      }
    }
  }
}

// The path segments of one outgoing HTTP call.
void add_http_call(KeywordList& kw, std::string_view url_text) {
  std::string url(url_text);
  // Only lower-case schemes are removed: "HTTPS://" stays and gives "https:".
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    for (std::size_t at = url.find(scheme); at != std::string::npos; at = url.find(scheme, at)) {
      url.erase(at, scheme.size());
    }
  }
  for_each_piece(strip_chars(url, "/"), '/', [&](std::string_view piece) {
    std::string cleaned = without_chars(piece, "{}?=&<>");
    const std::size_t dot = cleaned.find('.');
    if (dot != std::string::npos) cleaned.resize(dot);
    if (length(cleaned) >= 3) kw.add(cleaned);
  });
}

}  // namespace

namespace keywords_internal {

std::vector<ScanMatch> route_matches(std::string_view text) {
  // matches: "app.get('/api/users/:userId'" and "mux.HandleFunc(\"/orders\"" (and
  // "router .post(" or "api@delete(\"/x\""), found from each "." and "@"
  static const Regex kHead(R"re(\G(?:app|router|r|mux|api)\s*[.\@])re", Flags::caseless);
  static const Regex kTail(
      R"re(\G[.\@]\s*(get|post|put|delete|patch|handle|handlefunc)\s*\(\s*['\"/]([^'\")\s]+))re",
      Flags::caseless);
  // The words end in p, r, x or i; the verbs begin with g, p, d or h. Dots
  // are common, and most stand between other letters ("this.x", "foo.bar").
  const AnchorCandidates<4, 4> anchors(text, '.', '@', {'p', 'r', 'x', 'i'},
                                       {'g', 'p', 'd', 'h'});
  auto next_anchor = [&](std::size_t from) { return anchors.next(from); };
  auto may_end_word = [](unsigned char c) {
    const unsigned char f = fold(c);
    return c >= 0x80 || f == 'p' || f == 'r' || f == 'x' || f == 'i';
  };
  auto may_follow_anchor = [](unsigned char c) {
    const unsigned char f = fold(c);
    return c >= 0x80 || f == 'g' || f == 'p' || f == 'd' || f == 'h';
  };
  return anchored_matches(text, next_anchor, may_end_word, may_follow_anchor,
                          {"app", "router", "r", "mux", "api"}, {6, 3, 1}, kHead, kTail);
}

std::vector<ScanMatch> http_call_matches(std::string_view text) {
  // matches: "fetch(`/api/orders/${id}`" and "requests.get('https://api.acme.io/v1'",
  // found from each "("
  static const Regex kHead(
      R"re(\G(?:fetch|axios\.(?:get|post|put|delete)|requests\.(?:get|post|put|delete))\s*\()re",
      Flags::caseless);
  static const Regex kTail(R"re(\G\(\s*[`'\"](https?://[^`'\"]+|/[^`'\"]+)[`'\"])re",
                           Flags::caseless);
  // The words end in h, t or e; a quote or backtick opens the argument.
  const AnchorCandidates<3, 3> anchors(text, '(', '(', {'h', 't', 'e'}, {'`', '\'', '"'});
  auto next_anchor = [&](std::size_t from) { return anchors.next(from); };
  auto may_end_word = [](unsigned char c) {
    const unsigned char f = fold(c);
    return c >= 0x80 || f == 'h' || f == 't' || f == 'e';
  };
  auto may_follow_anchor = [](unsigned char c) {
    return c >= 0x80 || c == '`' || c == '\'' || c == '"';
  };
  // Lengths: requests.delete, requests.post, requests.get/put and
  // axios.delete, axios.post, axios.get/put, fetch.
  return anchored_matches(
      text, next_anchor, may_end_word, may_follow_anchor,
      {"fetch", "axios.get", "axios.post", "axios.put", "axios.delete", "requests.get",
       "requests.post", "requests.put", "requests.delete"},
      {15, 13, 12, 10, 9, 5}, kHead, kTail);
}

std::vector<ScanMatch> java_type_matches(std::string_view text) {
  // matches: "public final class Ledger"
  static const Regex kType(
      R"re((?:public|private|protected|static|final|\s)+(?:class|interface|enum|record)\s+([A-Za-z_]\w*))re");
  static const Regex kTail(R"re(\G(?:class|interface|enum|record)\s+([A-Za-z_]\w*))re");
  // The leading run would make a plain search quadratic on long blank
  // stretches. Every match ends in a type keyword, the run before it reads
  // backwards one token at a time (no token starts with white space or a
  // modifier, and no modifier is a suffix of another), and the leftmost
  // start of a match ending in that keyword is where the backward read
  // stops. So each keyword costs a short backward read and the full pattern
  // runs only where it matches (the reading regex::for_each_by_keywords
  // does, with the keywords found by a substring search per keyword).
  static constexpr std::array<std::string_view, 4> kKeywords{"class", "interface", "enum",
                                                             "record"};
  // memmem skips ahead by the needle; string_view::find stops at every
  // first letter, and c, e, i and r are common.
  auto find = [&](std::string_view word, std::size_t from) {
    const void* at = ::memmem(text.data() + from, text.size() - from, word.data(), word.size());
    return at == nullptr ? kNone
                         : static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
  };
  std::array<std::size_t, 4> next{};
  for (std::size_t k = 0; k < kKeywords.size(); ++k) next[k] = find(kKeywords[k], 0);
  std::vector<ScanMatch> out;
  std::size_t pos = 0;   // where the plain search would go on
  std::size_t from = 0;  // where the next keyword is looked for
  while (from < text.size()) {
    std::size_t e = kNone;
    std::size_t len = 0;
    for (std::size_t k = 0; k < kKeywords.size(); ++k) {
      if (next[k] != kNone && next[k] < from) next[k] = find(kKeywords[k], from);
      if (next[k] < e) {
        e = next[k];
        len = kKeywords[k].size();
      }
    }
    if (e == kNone) break;
    from = e + 1;
    // The tail needs white space right after the keyword.
    if (e + len < text.size()) {
      const unsigned char after = byte_at(text, e + len);
      if (after < 0x80 && !is_ascii_space(after)) continue;
    }
    std::size_t s = e;
    while (s > pos) {
      std::size_t cp = s - 1;
      while (cp > pos && (byte_at(text, cp) & 0xC0) == 0x80) --cp;
      std::size_t p = cp;
      if (is_space(next_code_point(text, p))) {
        s = cp;
        continue;
      }
      bool took = false;
      for (std::string_view w : {"public", "private", "protected", "static", "final"}) {
        if (s >= pos + w.size() && text.substr(s - w.size(), w.size()) == w) {
          s -= w.size();
          took = true;
          break;
        }
      }
      if (!took) break;
    }
    if (s == e || !kTail.search(text, e)) continue;
    const std::optional<Match> m = kType.search(text, s);
    if (!m) break;
    out.push_back({{m->start(), m->end()}, group_span(*m, 1), {}});
    pos = m->end();
    from = std::max(from, pos);
  }
  return out;
}

}  // namespace keywords_internal

namespace {

// The Java-family method match that ends at the "(" at `q`, when
// `method_search_start` gave `start` inside an ASCII stretch and the common
// shape decides it without the pattern, else nothing (the pattern decides).
// The match can only end at `q`, and NAME is the word before the white space
// in front of "(" (see `method_search_start`), so what is left is where it
// starts. TYPE ends where the white space before NAME begins, inside the run
// of type characters before it; when that run begins with a word character
// that starts none of class, if, for, while and return, and the backward
// read of modifiers and white space stopped before it (start < run), RUN is
// [start, run) and TYPE the whole run: the match starts at `start`, the
// first offset the pattern tries.
std::optional<ScanMatch> plain_method_match(std::string_view t, std::size_t floor,
                                            std::size_t start, std::size_t q) {
  std::size_t e = q;
  while (e > floor && is_ascii_space(byte_at(t, e - 1))) --e;
  std::size_t b = e;
  while (b > floor && is_ascii_word(byte_at(t, b - 1))) --b;
  std::size_t run = b - 1;
  while (run > floor && is_ascii_space(byte_at(t, run - 1))) --run;
  while (run > floor && is_type_char(byte_at(t, run - 1))) --run;
  if (start >= run || !is_ascii_word(byte_at(t, run))) return std::nullopt;
  for (std::string_view w : {"class", "if", "for", "while", "return"}) {
    if (t.substr(run, w.size()) == w) return std::nullopt;
  }
  return ScanMatch{{start, q + 1}, {b, e}, {}};
}

}  // namespace

namespace keywords_internal {

std::vector<ScanMatch> java_method_matches(std::string_view text) {
  // matches: "    public List<Entry> entriesFor("
  static const Regex kMethod(
      R"re((?:public|private|protected|static|final|\s)+(?!class|if|for|while|return)\w[\w<>\[\]]*\s+([A-Za-z_]\w*)\s*\()re");
  // The pattern ends at the first "(" and holds only word characters, "<>[]"
  // and white space before it, so only the stretch of such characters before
  // each "(" is searched (as regex::for_each_before does), and only from
  // where a cheap backward read of that stretch leaves a match possible:
  // most "(" follow a name without a type in front ("x.size(", "if (",
  // "= load("), and a stretch of prose in a comment is read from its end.
  std::vector<ScanMatch> out;
  std::size_t pos = 0;     // where the plain search would go on
  std::size_t window = 0;  // first byte after the previous "("
  while (window < text.size()) {
    const std::size_t q = text.find('(', window);
    if (q == kNone) break;
    const std::size_t floor = std::max(window, pos);
    std::size_t start = method_search_start(text, floor, q);
    const bool ascii = start != kWholeStretch;
    if (start == kWholeStretch) {
      start = q;
      while (start > floor && method_char(byte_at(text, start - 1))) --start;
    }
    if (start != kNone) {
      std::optional<ScanMatch> m;
      if (ascii) m = plain_method_match(text, floor, start, q);
      if (m) {
        out.push_back(*m);
        pos = m->whole.end;
      } else if (std::optional<Match> r = kMethod.search(text.substr(0, q + 1), start)) {
        out.push_back({{r->start(), r->end()}, group_span(*r, 1), {}});
        pos = r->end();
      }
    }
    window = q + 1;
  }
  return out;
}

std::vector<ScanMatch> c_function_matches(std::string_view text) {
  // From a line start s the class run cannot hold "(", so the "(" must be
  // the first character g outside the class at or after s, and the name can
  // only be the whole word before the white space in front of it, itself
  // after white space that leaves the lazy run one character. "[^;]*$" then
  // runs to the first ";" (or the end of the text, where "$" holds) and
  // backs up to the last line feed before it, which must lie after the "(".
  // Only "the lazy run needs one character" depends on s, and it holds for s
  // when it holds for any later line start of the same run, so the first
  // line start of a run decides for all of them.
  std::vector<ScanMatch> out;
  std::size_t p = 0;
  std::size_t semicolon = 0;  // first ";" at or after the last "(" looked at
  std::size_t semicolon_from = 1;
  for (;;) {
    const std::size_t s = next_line_start(text, p);
    if (s == kNone || s >= text.size()) break;
    const std::size_t g = end_of_declarator_run(text, s);
    // Every later line start lies in the same run and also reaches the end.
    if (g == text.size()) break;
    p = g + 1;
    if (text[g] != '(') continue;
    std::size_t name_end = g;
    while (name_end > s && classify(text, previous_start(text, name_end)).space) {
      name_end = previous_start(text, name_end);
    }
    std::size_t name_begin = name_end;
    while (name_begin > s && classify(text, previous_start(text, name_begin)).word) {
      name_begin = previous_start(text, name_begin);
    }
    if (name_begin == name_end || name_begin == s) continue;
    const unsigned char first = byte_at(text, name_begin);
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_')) {
      continue;
    }
    const std::size_t space_before = previous_start(text, name_begin);
    if (space_before == s || !classify(text, space_before).space) continue;
    if (semicolon_from > g + 1 || semicolon < g + 1) {
      semicolon_from = g + 1;
      semicolon = std::min(text.find(';', g + 1), text.size());
    }
    std::size_t end = text.size();
    if (semicolon < text.size()) {
      end = text.rfind('\n', semicolon);
      if (end == kNone || end < g + 1) continue;
    }
    out.push_back({{s, end}, {name_begin, name_end}, {}});
    p = end;
  }
  return out;
}

std::vector<ScanMatch> c_type_matches(std::string_view text) {
  return line_declaration_matches(text, {}, {"class", "struct", "enum", "namespace", "union"});
}

std::vector<ScanMatch> kotlin_declaration_matches(std::string_view text) {
  return line_declaration_matches(
      text, {"public", "private", "internal", "protected", "open", "data", "sealed", "abstract"},
      {"class", "object", "interface", "fun"});
}

std::vector<ScanMatch> swift_type_matches(std::string_view text) {
  return line_declaration_matches(text, {"public", "private", "internal", "open", "final"},
                                  {"class", "struct", "enum", "protocol", "actor", "extension"});
}

std::vector<ScanMatch> swift_function_matches(std::string_view text) {
  return line_declaration_matches(text,
                                  {"public", "private", "internal", "open", "static", "class",
                                   "mutating", "override"},
                                  {"func"}, LeadingSpace::yes);
}

// The scans below run a pattern led by "\G" only where one of its leading
// words stands (regex::for_each_at_literals). Each opens with
// (*NO_START_OPT): otherwise every anchored run first looks for the
// pattern's last fixed character in the rest of the text, which costs the
// text length per occurrence of a word.

void for_each_decorator_route(std::string_view text, const MatchVisitor& fn) {
  // matches: "@router.get(\"/items/{item_id}\"", found from each "@" (a
  // character without case variants, so a byte search finds every start)
  static const Regex kRoute(
      R"re((*NO_START_OPT)\G@\w+\.(get|post|put|delete|patch)\s*\(\s*[\'\"]([^\'\"]+)[\'\"])re",
      Flags::caseless);
  regex::for_each_at_literals(text, {"@"}, kRoute, fn);
}

void for_each_rust_type(std::string_view text, const MatchVisitor& fn) {
  // matches: "pub struct Ledger" and "impl Display for Ledger" at a line start
  static const Regex kType(
      R"re((*NO_START_OPT)\G^(?:pub\s+)?(?:struct|enum|trait|impl(?:\s+\w+\s+for)?)\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  regex::for_each_at_literals(text, {"pub", "struct", "enum", "trait", "impl"}, kType, fn);
}

void for_each_python_declaration(std::string_view text, const MatchVisitor& fn) {
  // matches: "def load(", "async def load(" and "class Store:" at a line start
  static const Regex kDecl(
      R"re((*NO_START_OPT)\G(?:^(?:async\s+)?def\s+([A-Za-z_]\w*)|^class\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  regex::for_each_at_literals(text, {"async", "def", "class"}, kDecl, fn);
}

void for_each_ruby_declaration(std::string_view text, const MatchVisitor& fn) {
  // matches: "  def self.build" (gives build), "class Shop" and "module Billing"
  static const Regex kDecl(
      R"re(^\s*(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  static const Regex kTail(
      R"re((*NO_START_OPT)\G(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*)))re");
  static const regex::WordFinder kWords({"def", "class", "module"});
  // Searched from each keyword instead of from every line start.
  regex::for_each_from_line_start_found(
      text, [&](std::size_t from) { return kWords.find(text, from); }, is_space,
      [&](std::size_t at) { return kTail.search(text, at).has_value(); }, kDecl, fn);
}

void for_each_php_declaration(std::string_view text, const MatchVisitor& fn) {
  // matches: "function createOrder" and "trait Loggable" anywhere
  static const Regex kDecl(
      R"re((*NO_START_OPT)\G(?:function\s+([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|interface\s+([A-Za-z_]\w*)|trait\s+([A-Za-z_]\w*)))re");
  regex::for_each_at_literals(text, {"function", "class", "interface", "trait"}, kDecl, fn);
}

void for_each_rust_function(std::string_view text, const MatchVisitor& fn) {
  // matches: "pub(crate) fn parse(" and "fn main(" at a line start
  static const Regex kFn(
      R"re((*NO_START_OPT)\G^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  rust_line_matches(text, kFn, {"fn"}, fn);
}

void for_each_go_function(std::string_view text, const MatchVisitor& fn) {
  // matches: "func Handle(" and "func (s *Server) Start(" at a line start
  static const Regex kFunc(R"re((*NO_START_OPT)\G^func\s+(?:\([^)]+\)\s+)?([A-Z]\w*))re",
                           Flags::multiline);
  // A receiver "([^)]+)" reads up to the first ")" after its "(", past any
  // number of lines: where "func" and white space are followed by "(", only
  // the receiver way can match, and only if that ")" is not the very next
  // character and is followed by white space and an upper-case letter. That
  // is decided once per ")", so lines of "func (" without a ")" are read once.
  static const Regex kReceiverOpen(R"re((*NO_START_OPT)\Gfunc\s+\()re");
  static const Regex kAfterReceiver(R"re((*NO_START_OPT)\G\s+[A-Z])re");
  regex::ClosingParen receiver(text, kReceiverOpen, kAfterReceiver, 1);
  std::size_t from = 0;
  while (true) {
    const std::size_t at = regex::find_literal(text, "func", from);
    if (at == kNone) return;
    from = at + 1;
    if (at != 0 && text[at - 1] != '\n') continue;
    if (!receiver.may_match(at)) continue;
    if (std::optional<Match> m = kFunc.search(text, at)) {
      if (!fn(*m)) return;
      from = std::max(from, m->end());
    }
  }
}

void for_each_rust_declaration(std::string_view text, const MatchVisitor& fn) {
  // matches: "pub(crate) fn parse" and "pub struct Ledger" at a line start
  static const Regex kDecl(
      R"re((*NO_START_OPT)\G(?:^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)|^(?:pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  rust_line_matches(text, kDecl, {"fn", "struct", "enum", "trait"}, fn);
}

}  // namespace keywords_internal

std::vector<std::string> extract_keywords(std::string_view content, std::string_view ext) {
  // matches: a docstring opening the file: "\"\"\"Billing service ..."
  static const Regex kLeadDocstring(R"re(\s*\"\"\"([^\"]{10,200}))re");
  // matches: "/** Prices an order line." opening the file
  static const Regex kLeadComment(R"re(\s*/\*\*?\s*([^\n*]{10,200}))re");

  KeywordList kw;
  for (const keywords_internal::ScanMatch& m : keywords_internal::route_matches(content)) {
    add_route(kw, span_text(content, m.group1), span_text(content, m.group2));
    if (kw.size() >= kCap) break;
  }
  if (kw.size() < kCap) {
    keywords_internal::for_each_decorator_route(content, [&](const Match& m) {
      add_route(kw, m.group(1), m.group(2));
      return kw.size() < kCap;
    });
  }
  if (kw.size() < kCap) add_declarations(kw, content, ext);
  if (kw.size() < kCap) {
    if (auto m = kLeadDocstring.match_start(content)) add_letter_runs(kw, m->group(1));
  }
  if (kw.size() < kCap) {
    if (auto m = kLeadComment.match_start(content)) add_letter_runs(kw, m->group(1));
  }
  if (kw.size() < kCap) {
    for (const keywords_internal::ScanMatch& m : keywords_internal::http_call_matches(content)) {
      add_http_call(kw, span_text(content, m.group1));
      if (kw.size() >= kCap) break;
    }
  }
  return kw.take(kCap);
}

}  // namespace graph_builder::text
