// TypeScript and JavaScript declarations: exported names for keywords,
// functions and classes for summaries.
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"
#include "graph_builder/text/unicode.hpp"

#include <cstddef>
#include <string_view>

namespace graph_builder::text::declarations {

using regex::Flags;
using regex::Match;
using regex::Regex;

void add_ts_keywords(KeywordList& kw, std::string_view content) {
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
    return !kw.full();
  });
}

void offer_ts_names(NameList& names, std::string_view content) {
  // matches: "export async function ProfileCard" and "class Cart"
  static const Regex kDecl(
      R"re(\G(?:(?:export\s+)?(?:async\s+)?function\s+([A-Za-z_]\w*)|(?:export\s+)?class\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  regex::for_each_at_literals(
      content, {"export", "async", "function", "class"}, kDecl,
      [&](const Match& m) { return names.offer(m.group(1).empty() ? m.group(2) : m.group(1)); });
}

}  // namespace graph_builder::text::declarations
