// Swift declarations: types and functions at a line start, for keywords.
#include "graph_builder/regex/keyword_lines.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"

#include <string_view>
#include <vector>

namespace graph_builder::text::declarations {

std::vector<regex::Spans> swift_type_matches(std::string_view text) {
  return regex::keyword_line_matches(text, {"public", "private", "internal", "open", "final"},
                                     {"class", "struct", "enum", "protocol", "actor", "extension"});
}

std::vector<regex::Spans> swift_function_matches(std::string_view text) {
  return regex::keyword_line_matches(
      text, {"public", "private", "internal", "open", "static", "class", "mutating", "override"},
      {"func"}, regex::LeadingSpace::yes);
}

void add_swift_keywords(KeywordList& kw, std::string_view content) {
  // matches: "public final class Store" and "extension Store" at a line start
  for (const regex::Spans& m : swift_type_matches(content)) {
    kw.add_name(m.group(1).in(content));
    if (kw.full()) return;
  }
  // matches: "    public static func make("
  for (const regex::Spans& m : swift_function_matches(content)) {
    kw.add_name(m.group(1).in(content));
    if (kw.full()) return;
  }
}

}  // namespace graph_builder::text::declarations
