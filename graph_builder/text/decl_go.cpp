// Go declarations: exported functions and methods, for keywords.
#include "graph_builder/regex/closing_paren.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

namespace graph_builder::text::declarations {

using regex::Flags;
using regex::Match;
using regex::Regex;

void for_each_go_function(std::string_view text, const regex::MatchVisitor& fn) {
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
    if (at == std::string_view::npos) return;
    from = at + 1;
    if (at != 0 && text[at - 1] != '\n') continue;
    if (!receiver.may_match(at)) continue;
    if (std::optional<Match> m = kFunc.search(text, at)) {
      if (!fn(*m)) return;
      from = std::max(from, m->end());
    }
  }
}

void add_go_keywords(KeywordList& kw, std::string_view content) {
  // matches: "func Handle(" and "func (s *Server) Start(" (exported names only)
  for_each_go_function(content, [&](const Match& m) {
    kw.add_name(m.group(1));
    return !kw.full();
  });
}

}  // namespace graph_builder::text::declarations
