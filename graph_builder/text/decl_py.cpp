// Python declarations: functions and classes at a line start.
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <string_view>

namespace graph_builder::text::declarations {

using regex::Flags;
using regex::Match;
using regex::Regex;

// The scans below run a pattern led by "\G" only where one of its leading
// words stands (regex::for_each_at_literals). Each opens with
// (*NO_START_OPT): otherwise every anchored run first looks for the
// pattern's last fixed character in the rest of the text, which costs the
// text length per occurrence of a word.
void for_each_python_declaration(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "def load(", "async def load(" and "class Store:" at a line start
  static const Regex kDecl(
      R"re((*NO_START_OPT)\G(?:^(?:async\s+)?def\s+([A-Za-z_]\w*)|^class\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  regex::for_each_at_literals(text, {"async", "def", "class"}, kDecl, fn);
}

void add_py_keywords(KeywordList& kw, std::string_view content) {
  // Functions and classes at a line start, e.g. "async def load(" and "class Store:".
  for_each_python_declaration(content, [&](const Match& m) {
    const std::string_view name = m.group(1).empty() ? m.group(2) : m.group(1);
    // Private names ("_helper") say nothing about the file.
    if (!name.empty() && name.front() != '_') {
      kw.add_name(name);
      for_each_piece(name, '_', [&](std::string_view part) { kw.add(part); });
    }
    return !kw.full();
  });
}

void offer_py_names(NameList& names, std::string_view content) {
  // Functions and classes at a line start, e.g. "def create_invoice(" and "class Store:".
  for_each_python_declaration(content, [&](const Match& m) {
    const std::string_view name = m.group(1).empty() ? m.group(2) : m.group(1);
    // Private names ("_x") are not worth naming in a summary.
    if (!name.empty() && name.front() == '_') return true;
    return names.offer(name);
  });
}

}  // namespace graph_builder::text::declarations
