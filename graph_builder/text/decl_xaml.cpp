// XAML declarations: the code-behind class, named elements, and (for
// keywords) every element name.
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <string_view>

namespace graph_builder::text::declarations {

using regex::Match;
using regex::Regex;

namespace {

// matches: x:Class="Acme.Views.MainWindow" (the name after the last dot)
const Regex& class_pattern() {
  static const Regex kClass(R"re(x:Class="[\w.]*\.([A-Za-z_]\w*)")re");
  return kClass;
}

// matches: x:Name="SaveButton"
const Regex& name_pattern() {
  static const Regex kName(R"re(x:Name="([A-Za-z_]\w*)")re");
  return kName;
}

}  // namespace

void add_xaml_keywords(KeywordList& kw, std::string_view content) {
  // matches: "<Grid>" and "<StackPanel " but not "<ui:Card "
  static const Regex kElement(R"re(<([A-Za-z][A-Za-z0-9]*)[\s>])re");
  add_group1_names(kw, class_pattern(), content);
  add_group1_names(kw, name_pattern(), content);
  kElement.for_each(content, [&](const Match& m) {
    kw.add(m.group(1));
    return !kw.full();
  });
}

void offer_xaml_names(NameList& names, std::string_view content) {
  // The class name comes first, whatever follows.
  if (auto m = class_pattern().search(content)) names.append(m->group(1));
  offer_group(names, name_pattern(), content, 1);
}

}  // namespace graph_builder::text::declarations
