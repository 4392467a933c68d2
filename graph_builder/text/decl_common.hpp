#pragma once
// Steps that several families' declaration passes (decl_<family>.cpp) and the
// keyword pass share. Not installed.

#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/name_list.hpp"

#include <initializer_list>
#include <string_view>

namespace graph_builder::text::declarations {

// `add_name(group 1)` for every match of `re` in `content`, until `kw` is full.
inline void add_group1_names(KeywordList& kw, const regex::Regex& re, std::string_view content) {
  re.for_each(content, [&](const regex::Match& m) {
    kw.add_name(m.group(1));
    return !kw.full();
  });
}

// Offers group `g` of every match of `re` in `content` until `names` is full.
inline void offer_group(NameList& names, const regex::Regex& re, std::string_view content, int g) {
  re.for_each(content, [&](const regex::Match& m) { return names.offer(m.group(g)); });
}

// Offers group 1 of every match of `anchored` (a pattern led by "\G" whose
// matches all begin with one of `words`), searched only where a word stands.
inline void offer_group_at(NameList& names, std::initializer_list<std::string_view> words,
                           const regex::Regex& anchored, std::string_view content) {
  regex::for_each_at_literals(content, words, anchored,
                              [&](const regex::Match& m) { return names.offer(m.group(1)); });
}

// The first group of `m`, from 1 to `groups`, that took part and is non-empty.
inline std::string_view first_present(const regex::Match& m, int groups) {
  for (int g = 1; g <= groups; ++g) {
    if (!m.group(g).empty()) return m.group(g);
  }
  return {};
}

// Calls `fn(piece)` for every piece of `s` between single `sep` characters,
// empty pieces included ("a//b" gives "a", "", "b").
template <class Fn>
void for_each_piece(std::string_view s, char sep, Fn&& fn) {
  std::size_t start = 0;
  while (true) {
    const std::size_t at = s.find(sep, start);
    fn(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return;
    start = at + 1;
  }
}

}  // namespace graph_builder::text::declarations
