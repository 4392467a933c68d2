#pragma once
// Searching a pattern only where it can begin.
//
// A pattern such as "(?:class|interface|enum|fun|record)\s+(\w+)" can only
// match where one of its leading words stands, but a plain search tries every
// position whose first byte could start one (every 'c', 'i', 'e', 'f' and 'r'
// of the text). Finding the words themselves is a plain substring search, and
// the pattern then runs once per occurrence, anchored there.

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"

namespace graph_builder::regex {

// Most literals for_each_at_literals takes.
inline constexpr std::size_t kMaxLiterals = 12;

// Visits every match of a pattern exactly as its `for_each(text, fn)` would,
// for a pattern whose every match begins with one of `literals` (compared
// byte for byte, so the pattern must not be caseless). `anchored` is the
// pattern preceded by "\G": tried at each occurrence of a literal in text
// order, it gives the match the plain search finds starting there, and
// starting anywhere else the plain search finds none.
template <class Fn>
void for_each_at_literals(std::string_view text, std::initializer_list<std::string_view> literals,
                          const Regex& anchored, Fn&& fn) {
  std::array<std::string_view, kMaxLiterals> lits{};
  std::array<std::size_t, kMaxLiterals> next{};
  const std::size_t n = std::min(literals.size(), kMaxLiterals);
  if (n == 0) return;
  std::copy_n(literals.begin(), n, lits.begin());
  for (std::size_t i = 0; i < n; ++i) next[i] = find_literal(text, lits[i]);
  while (true) {
    const std::size_t at = *std::min_element(next.begin(), next.begin() + n);
    if (at == std::string_view::npos) return;
    std::size_t resume = at + 1;
    if (std::optional<Match> m = anchored.search(text, at)) {
      if (!fn(*m)) return;
      resume = std::max(resume, m->end());
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (next[i] < resume) next[i] = find_literal(text, lits[i], resume);
    }
  }
}

}  // namespace graph_builder::regex
