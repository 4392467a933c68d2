#pragma once
// The Ruby extractor's searches for its patterns, exposed only so that a
// differential test can compare them with the plain patterns. Not part of
// the installed interface.

#include <functional>
#include <string_view>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::symbols::rb_internal {

// Call fn(match) for every successive match of, respectively,
//   "^\s*def\s+(?:self\.)?([A-Za-z_]\w*)" and "^\s*(?:class|module)\s+([A-Za-z_]\w*)"
// (multi-line) in `t`, as the plain pattern's for_each would. `fn` returns
// true to go on.
void for_each_method(std::string_view t, const std::function<bool(const regex::Match&)>& fn);
void for_each_type(std::string_view t, const std::function<bool(const regex::Match&)>& fn);

}  // namespace graph_builder::symbols::rb_internal
