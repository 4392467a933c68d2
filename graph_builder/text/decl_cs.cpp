// C# declarations: types and methods for keywords, type names for summaries.
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <string_view>

namespace graph_builder::text::declarations {

using regex::Regex;

void add_cs_keywords(KeywordList& kw, std::string_view content) {
  // matches: "public sealed partial class Customer"
  static const Regex kType(
      R"re((?:public|private|protected|internal)\s+(?:(?:static|abstract|sealed|partial|new|override|virtual|extern|unsafe)\s+)*(?:class|interface|enum|struct|record)\s+([A-Za-z_]\w*))re");
  // matches: "public async Task<Order> PlaceOrder("
  static const Regex kMethod(
      R"re((?:public|private|protected|internal)\s+(?:static\s+)?(?:async\s+)?(?:virtual\s+|override\s+)?(?!class|if|for|while|return)[\w<>\[\]?]+\s+([A-Za-z_]\w*)\s*\()re");
  add_group1_names(kw, kType, content);
  add_group1_names(kw, kMethod, content);
}

void offer_cs_names(NameList& names, std::string_view content) {
  // matches: "partial class Customer" and "record Money"
  static const Regex kDecl(R"re(\G(?:class|interface|enum|struct|record)\s+([A-Za-z_]\w*))re");
  offer_group_at(names, {"class", "interface", "enum", "struct", "record"}, kDecl, content);
}

}  // namespace graph_builder::text::declarations
