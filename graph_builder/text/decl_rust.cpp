// Rust declarations: functions and types at a line start.
#include "graph_builder/check.hpp"
#include "graph_builder/regex/closing_paren.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace graph_builder::text::declarations {

using regex::Flags;
using regex::Match;
using regex::Regex;

namespace {

constexpr std::size_t kNone = std::string_view::npos;

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
                       const regex::MatchVisitor& fn) {
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

}  // namespace

// The patterns below are led by "\G" and run only where one of their leading
// words stands. Each opens with (*NO_START_OPT): otherwise every anchored run
// first looks for the pattern's last fixed character in the rest of the
// text, which costs the text length per occurrence of a word.

void for_each_rust_type(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "pub struct Ledger" and "impl Display for Ledger" at a line start
  static const Regex kType(
      R"re((*NO_START_OPT)\G^(?:pub\s+)?(?:struct|enum|trait|impl(?:\s+\w+\s+for)?)\s+([A-Za-z_]\w*))re",
      Flags::multiline);
  regex::for_each_at_literals(text, {"pub", "struct", "enum", "trait", "impl"}, kType, fn);
}

void for_each_rust_function(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "pub(crate) fn parse(" and "fn main(" at a line start
  static const Regex kFn(R"re((*NO_START_OPT)\G^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*))re",
                         Flags::multiline);
  rust_line_matches(text, kFn, {"fn"}, fn);
}

void for_each_rust_declaration(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "pub(crate) fn parse" and "pub struct Ledger" at a line start
  static const Regex kDecl(
      R"re((*NO_START_OPT)\G(?:^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)|^(?:pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  rust_line_matches(text, kDecl, {"fn", "struct", "enum", "trait"}, fn);
}

void add_rust_keywords(KeywordList& kw, std::string_view content) {
  // Functions at a line start, e.g. "pub(crate) fn parse(" and "fn main(".
  for_each_rust_function(content, [&](const Match& m) {
    kw.add_name(m.group(1));
    return !kw.full();
  });
  for_each_rust_type(content, [&](const Match& m) {
    kw.add_name(m.group(1));
    return !kw.full();
  });
}

void offer_rust_names(NameList& names, std::string_view content) {
  // Functions and types at a line start, e.g. "pub(crate) fn parse" and "pub struct Ledger".
  for_each_rust_declaration(content, [&](const Match& m) {
    return names.offer(m.group(1).empty() ? m.group(2) : m.group(1));
  });
}

}  // namespace graph_builder::text::declarations
