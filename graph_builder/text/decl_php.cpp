// PHP declarations: functions, classes, interfaces and traits, anywhere.
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <string_view>

namespace graph_builder::text::declarations {

using regex::Match;
using regex::Regex;

void for_each_php_declaration(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "function createOrder" and "trait Loggable" anywhere. Led by
  // "\G" and run only where a keyword stands; (*NO_START_OPT) spares each
  // run a look through the rest of the text for the pattern's last fixed
  // character.
  static const Regex kDecl(
      R"re((*NO_START_OPT)\G(?:function\s+([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|interface\s+([A-Za-z_]\w*)|trait\s+([A-Za-z_]\w*)))re");
  regex::for_each_at_literals(text, {"function", "class", "interface", "trait"}, kDecl, fn);
}

void add_php_keywords(KeywordList& kw, std::string_view content) {
  // Declarations anywhere, e.g. "function createOrder" and "trait Loggable".
  for_each_php_declaration(content, [&](const Match& m) {
    kw.add_name(first_present(m, 4));
    return !kw.full();
  });
}

void offer_php_names(NameList& names, std::string_view content) {
  // matches: "function createOrder" and "trait Loggable" anywhere
  static const Regex kDecl(R"re(\G(?:function|class|interface|trait)\s+([A-Za-z_]\w*))re");
  offer_group_at(names, {"function", "class", "interface", "trait"}, kDecl, content);
}

}  // namespace graph_builder::text::declarations
