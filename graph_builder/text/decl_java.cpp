// Java-family declarations: types and methods (Java and Kotlin), Kotlin's own
// declarations, and the names a summary lists for both.
#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/keyword_lines.hpp"
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace graph_builder::text::declarations {

using regex::Match;
using regex::Regex;
using regex::Spans;

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The modifier words of the Java-family type and method patterns' leading
// run: none is a suffix of another, so the run reads backwards one token at
// a time.
constexpr std::array<std::string_view, 5> kModifiers{"public", "private", "protected", "static",
                                                     "final"};

unsigned char byte_at(std::string_view t, std::size_t i) {
  return static_cast<unsigned char>(t[i]);
}

// Bytes that may stand in a Java-family method match before its "(": word
// characters, "<>[]", white space, and any byte of a non-ASCII character.
bool method_char(unsigned char c) {
  return c >= 0x80 || regex::is_ascii_word(c) || regex::is_ascii_space(c) || c == '<' || c == '>' ||
         c == '[' || c == ']';
}

bool is_type_char(unsigned char c) {
  return regex::is_ascii_word(c) || c == '<' || c == '>' || c == '[' || c == ']';
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
  using regex::is_ascii_space;
  using regex::is_ascii_word;
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
  std::size_t run = type_end;
  while (run > floor && is_type_char(byte_at(t, run - 1))) --run;
  const std::size_t s = regex::spaces_and_words_back(t, run, floor, kModifiers, regex::is_space);
  // A non-ASCII character read or where the read stopped leaves the decision
  // to the pattern.
  if ((s > floor && byte_at(t, s - 1) >= 0x80) || !regex::is_ascii(t.substr(s, run - s))) {
    return kWholeStretch;
  }
  return s;
}

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
std::optional<Spans> plain_method_match(std::string_view t, std::size_t floor, std::size_t start,
                                        std::size_t q) {
  using regex::is_ascii_space;
  std::size_t e = q;
  while (e > floor && is_ascii_space(byte_at(t, e - 1))) --e;
  std::size_t b = e;
  while (b > floor && regex::is_ascii_word(byte_at(t, b - 1))) --b;
  std::size_t run = b - 1;
  while (run > floor && is_ascii_space(byte_at(t, run - 1))) --run;
  while (run > floor && is_type_char(byte_at(t, run - 1))) --run;
  if (start >= run || !regex::is_ascii_word(byte_at(t, run))) return std::nullopt;
  for (std::string_view w : {"class", "if", "for", "while", "return"}) {
    if (t.substr(run, w.size()) == w) return std::nullopt;
  }
  return Spans{{start, q + 1}, {regex::Span{b, e}}};
}

}  // namespace

std::vector<Spans> java_type_matches(std::string_view text) {
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
  std::vector<Spans> out;
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
      if (after < 0x80 && !regex::is_ascii_space(after)) continue;
    }
    const std::size_t s = regex::spaces_and_words_back(text, e, pos, kModifiers, regex::is_space);
    if (s == e || !kTail.search(text, e)) continue;
    const std::optional<Match> m = kType.search(text, s);
    if (!m) break;
    out.push_back({m->span(0), {m->span(1)}});
    pos = m->end();
    from = std::max(from, pos);
  }
  return out;
}

std::vector<Spans> java_method_matches(std::string_view text) {
  // matches: "    public List<Entry> entriesFor("
  static const Regex kMethod(
      R"re((?:public|private|protected|static|final|\s)+(?!class|if|for|while|return)\w[\w<>\[\]]*\s+([A-Za-z_]\w*)\s*\()re");
  // The pattern ends at the first "(" and holds only word characters, "<>[]"
  // and white space before it, so only the stretch of such characters before
  // each "(" is searched (as regex::for_each_before does), and only from
  // where a cheap backward read of that stretch leaves a match possible:
  // most "(" follow a name without a type in front ("x.size(", "if (",
  // "= load("), and a stretch of prose in a comment is read from its end.
  std::vector<Spans> out;
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
      std::optional<Spans> m;
      if (ascii) m = plain_method_match(text, floor, start, q);
      if (m) {
        out.push_back(*m);
        pos = m->whole.end;
      } else if (std::optional<Match> r = kMethod.search(text.substr(0, q + 1), start)) {
        out.push_back({r->span(0), {r->span(1)}});
        pos = r->end();
      }
    }
    window = q + 1;
  }
  return out;
}

std::vector<Spans> kotlin_declaration_matches(std::string_view text) {
  return regex::keyword_line_matches(
      text, {"public", "private", "internal", "protected", "open", "data", "sealed", "abstract"},
      {"class", "object", "interface", "fun"});
}

void add_java_keywords(KeywordList& kw, std::string_view content) {
  if (!kw.full()) {
    for (const Spans& m : java_type_matches(content)) {
      kw.add_name(m.group(1).in(content));
      if (kw.full()) break;
    }
  }
  if (!kw.full()) {
    for (const Spans& m : java_method_matches(content)) {
      kw.add_name(m.group(1).in(content));
      if (kw.full()) break;
    }
  }
}

void add_kotlin_keywords(KeywordList& kw, std::string_view content) {
  // Declarations such as "data class Entry" and "private fun audit".
  if (kw.full()) return;
  for (const Spans& m : kotlin_declaration_matches(content)) {
    kw.add_name(m.group(1).in(content));
    if (kw.full()) break;
  }
}

void offer_java_names(NameList& names, std::string_view content) {
  // matches: "class Bar", "fun audit" anywhere, comments included
  static const Regex kDecl(R"re(\G(?:class|interface|enum|fun|record)\s+([A-Za-z_]\w*))re");
  offer_group_at(names, {"class", "interface", "enum", "fun", "record"}, kDecl, content);
}

}  // namespace graph_builder::text::declarations
