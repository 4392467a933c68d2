// Ruby declarations: methods, classes and modules.
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/runs.hpp"
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

void for_each_ruby_declaration(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "  def self.build" (gives build), "class Shop" and "module Billing"
  static const Regex kDecl(
      R"re(^\s*(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*)))re",
      Flags::multiline);
  static const Regex kTail(
      R"re((*NO_START_OPT)\G(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*)))re");
  static const regex::WordFinder kWords({"def", "class", "module"});
  // Searched from each keyword instead of from every line start.
  regex::for_each_from_line_start_found(
      text, [&](std::size_t from) { return kWords.find(text, from); }, is_space,
      [&](std::size_t at) { return kTail.search(text, at).has_value(); }, kDecl, fn);
}

void add_ruby_keywords(KeywordList& kw, std::string_view content) {
  // Methods, classes and modules, e.g. "  def self.build" (gives build).
  for_each_ruby_declaration(content, [&](const Match& m) {
    kw.add_name(first_present(m, 3));
    return !kw.full();
  });
}

void offer_ruby_names(NameList& names, std::string_view content) {
  // Methods, classes and modules, e.g. "  def self.build" (gives build).
  for_each_ruby_declaration(content, [&](const Match& m) {
    const std::string_view name = first_present(m, 3);
    return name.empty() ? true : names.offer(name);
  });
}

}  // namespace graph_builder::text::declarations
