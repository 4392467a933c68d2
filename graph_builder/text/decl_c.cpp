// C and C++ declarations: functions and types for keywords, types then
// function definitions for summaries.
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
#include <cstddef>
#include <string_view>
#include <vector>

namespace graph_builder::text::declarations {

using regex::Flags;
using regex::Match;
using regex::Regex;
using regex::Spans;

namespace {

// Keywords the function patterns capture in the name position ("if (x) {")
// that name no function.
bool is_statement_word(std::string_view name) {
  return regex::is_one_of(name, {"if", "for", "while", "switch", "return", "sizeof", "catch"});
}

}  // namespace

std::vector<Spans> c_function_matches(std::string_view text) {
  // From a line start s the class run cannot hold "(", so the "(" must be
  // the first character g outside the class at or after s, and the name can
  // only be the whole word before the white space in front of it, itself
  // after white space that leaves the lazy run one character. "[^;]*$" then
  // runs to the first ";" (or the end of the text, where "$" holds) and
  // backs up to the last line feed before it, which must lie after the "(".
  // Only "the lazy run needs one character" depends on s, and it holds for s
  // when it holds for any later line start of the same run, so the first
  // line start of a run decides for all of them.
  constexpr std::size_t kNone = std::string_view::npos;
  std::vector<Spans> out;
  std::size_t p = 0;
  std::size_t semicolon = 0;  // first ";" at or after the last "(" looked at
  std::size_t semicolon_from = 1;
  for (;;) {
    const std::size_t s = regex::next_line_start(text, p);
    if (s == kNone || s >= text.size()) break;
    const std::size_t g = regex::end_of_declarator_run(text, s);
    // Every later line start lies in the same run and also reaches the end.
    if (g == text.size()) break;
    p = g + 1;
    if (text[g] != '(') continue;
    const regex::Span name = regex::declarator_name_before(text, s, g);
    if (!name.present()) continue;
    if (semicolon_from > g + 1 || semicolon < g + 1) {
      semicolon_from = g + 1;
      semicolon = std::min(text.find(';', g + 1), text.size());
    }
    std::size_t end = text.size();
    if (semicolon < text.size()) {
      end = text.rfind('\n', semicolon);
      if (end == kNone || end < g + 1) continue;
    }
    out.push_back({{s, end}, {name}});
    p = end;
  }
  return out;
}

std::vector<Spans> c_type_matches(std::string_view text) {
  return regex::keyword_line_matches(text, {}, {"class", "struct", "enum", "namespace", "union"});
}

void add_c_keywords(KeywordList& kw, std::string_view content) {
  // Functions, e.g. "static int parse_header(const char *p," (the rest may run on).
  for (const Spans& m : c_function_matches(content)) {
    const std::string_view name = m.group(1).in(content);
    if (!is_statement_word(name)) kw.add_name(name);
    if (kw.full()) return;
  }
  // Types, e.g. "struct ring_buffer {" and "namespace net".
  for (const Spans& m : c_type_matches(content)) {
    kw.add_name(m.group(1).in(content));
    if (kw.full()) return;
  }
}

void offer_c_names(NameList& names, std::string_view content) {
  // matches: "struct ring_buffer" and "namespace net" at a line start
  static const Regex kType(R"re(\G^(?:class|struct|enum|union|namespace)\s+([A-Za-z_]\w*))re",
                           Flags::multiline);
  // matches: "int bar(int x)\n{" (a prototype ending in ";" does not)
  static const Regex kFunction(R"re(^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;{]*\{)re",
                               Flags::multiline);
  offer_group_at(names, {"class", "struct", "enum", "union", "namespace"}, kType, content);
  if (names.full()) return;
  kFunction.for_each(content, [&](const Match& m) {
    const std::string_view name = m.group(1);
    if (is_statement_word(name)) return true;
    return names.offer(name);
  });
}

}  // namespace graph_builder::text::declarations
