#include "graph_builder/symbols/lang_ts.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/lang_ts_internal.hpp"
#include "graph_builder/symbols/line_starts_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"
#include "graph_builder/text/unicode.hpp"

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {
namespace {

using regex::Flags;
using regex::Match;
using regex::Regex;

bool is_http_method(std::string_view name) {
  for (std::string_view m : {"GET", "POST", "PUT", "PATCH", "DELETE", "HEAD", "OPTIONS"}) {
    if (name == m) return true;
  }
  return false;
}

// True when the code point at index `index` of `name` exists and is upper case.
bool upper_at(std::string_view name, std::size_t index) {
  std::size_t pos = 0;
  for (std::size_t i = 0; pos < name.size(); ++i) {
    const char32_t cp = text::next_code_point(name, pos);
    if (i == index) return text::is_upper(cp);
  }
  return false;
}

}  // namespace

TsClassification _classify_ts(std::string_view name, bool exported) {
  if (is_http_method(name)) return {"api_route", "high"};
  // "useAuth" is a hook; "user" and "use" are not.
  if (name.starts_with("use") && upper_at(name, 3)) return {"hook", "high"};
  if (exported) {
    if (upper_at(name, 0)) return {"use_case", "medium"};
    return {"use_case", "high"};
  }
  return {"utility", "medium"};
}

namespace ts_internal {

// Every pattern is anchored at a line start: indented declarations (members,
// nested functions) are not symbols. `\s` crosses line ends, so "export" and
// "function" may sit on different lines; the line is that of the match start.
// Each pattern is written "\G" + the plain multi-line pattern and runs only
// at the line starts where one of its first words stands (every match begins
// with one). "(*NO_START_OPT)" keeps the engine from first looking for a
// character every match needs ("n" of "function") up to the end of the text,
// which a search from every line start would repeat for each line.
void for_each_declaration(std::string_view t, const std::vector<std::size_t>& lines, Declaration d,
                          const std::function<bool(const Match&)>& fn) {
  struct Row {
    Regex pattern;
    std::vector<std::string_view> first_words;
  };
  static const std::array<Row, 5> kRows{{
      // matches: "export async function POST(req) {"
      {Regex(
           R"((*NO_START_OPT)\G^export\s+(?:async\s+)?function\s+(GET|POST|PUT|PATCH|DELETE|HEAD|OPTIONS)\s*[\(<])",
           Flags::multiline),
       {"export"}},
      // matches: "function helper(", "export default async function Page(", "function id<T>("
      {Regex(
           R"((*NO_START_OPT)\G^(export\s+)?(default\s+)?(async\s+)?function\s+([A-Za-z_]\w*)\s*[\(<])",
           Flags::multiline),
       {"export", "default", "async", "function"}},
      // matches: "export interface User {" and "type Id = string;"
      {Regex(R"((*NO_START_OPT)\G^(export\s+)?(?:interface|type)\s+([A-Za-z_]\w*)\s*[={<])",
             Flags::multiline),
       {"export", "interface", "type"}},
      // matches: "export default class App {" and "class Repo"
      {Regex(R"((*NO_START_OPT)\G^(export\s+)?(?:default\s+)?class\s+([A-Za-z_]\w*))",
             Flags::multiline),
       {"export", "default", "class"}},
      // matches: "const userSchema = z.object({"
      {Regex(R"((*NO_START_OPT)\G^(?:export\s+)?const\s+([A-Za-z_]\w*[Ss]chema)\s*=\s*z\.)",
             Flags::multiline),
       {"export", "const"}},
  }};
  const Row& row = kRows[static_cast<std::size_t>(d)];
  for_each_at_letter_lines(t, lines, row.first_words, row.pattern, fn);
}

void for_each_const_function(std::string_view t, const std::vector<std::size_t>& lines,
                             const std::function<bool(const Match&)>& fn) {
  // matches: "export const fetchUser = async (id) =>" and "export let f = x =>"
  static const Regex kConstFunction(
      R"((*NO_START_OPT)\G^export\s+(?:const|let)\s+([A-Za-z_]\w*)\s*=\s*(?:async\s+)?(?:function|\([^)]*\)\s*=>|\w+\s*=>))",
      Flags::multiline);
  static const Regex kParameters(
      R"((*NO_START_OPT)\Gexport\s+(?:const|let)\s+[A-Za-z_]\w*\s*=\s*(?:async\s+)?\()");
  static const Regex kArrow(R"((*NO_START_OPT)\G\s*=>)");
  static constexpr std::array<std::string_view, 1> kFirst{"export"};
  regex::ClosingParen paren(t, kParameters, kArrow);
  for_each_at_letter_lines(t, lines, kFirst, kConstFunction, paren, fn);
}

}  // namespace ts_internal

std::vector<SymbolRecord> find_symbols_ts(std::string_view content,
                                          const languages::Profile& profile) {
  using ts_internal::Declaration;
  const std::vector<std::size_t> lines = letter_lines(content);
  auto for_each = [&](Declaration d, const std::function<bool(const Match&)>& fn) {
    ts_internal::for_each_declaration(content, lines, d, fn);
  };

  SymbolRecorder rec(content, profile);
  auto add_sym = [&](std::string_view name, std::size_t match_start, std::string_view sym_type,
                     std::string_view confidence, bool exported) {
    rec.add_sym(name, rec.line_of(match_start), sym_type, confidence, exported);
  };

  for_each(Declaration::route, [&](const Match& m) {
    add_sym(m.group(1), m.start(), "api_route", "high", true);
    return true;
  });
  for_each(Declaration::function, [&](const Match& m) {
    const bool exported = m.has(1);
    const TsClassification c = _classify_ts(m.group(4), exported);
    // HTTP-method functions count only as exported handlers (first pattern).
    if (c.symbol_type != "api_route") {
      add_sym(m.group(4), m.start(), c.symbol_type, c.confidence, exported);
    }
    return true;
  });
  ts_internal::for_each_const_function(content, lines, [&](const Match& m) {
    const TsClassification c = _classify_ts(m.group(1), true);
    add_sym(m.group(1), m.start(), c.symbol_type, c.confidence, true);
    return true;
  });
  for_each(Declaration::type, [&](const Match& m) {
    add_sym(m.group(2), m.start(), "model", "high", m.has(1));
    return true;
  });
  for_each(Declaration::class_type, [&](const Match& m) {
    add_sym(m.group(2), m.start(), "model", "high", m.has(1));
    return true;
  });
  // Schemas count as exported even without the keyword: they are shared models.
  for_each(Declaration::schema, [&](const Match& m) {
    add_sym(m.group(1), m.start(), "model", "high", true);
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
