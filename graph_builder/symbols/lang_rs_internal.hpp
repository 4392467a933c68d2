#pragma once
// The Rust extractor's searches for its first-column patterns, exposed only
// so that a differential test can compare them with the plain patterns. Not
// part of the installed interface.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::symbols::rs_internal {

// Calls fn(match) for every successive match of
//   "^(?P<pub>pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*)"  (multi-line)
// in `t`, as the plain pattern's for_each would; `lines` is letter_lines(t)
// (see line_starts_internal.hpp). `fn` returns true to go on.
void for_each_type(std::string_view t, const std::vector<std::size_t>& lines,
                   const std::function<bool(const regex::Match&)>& fn);

// The same for the public function pattern
//   "^pub(?:\s*\([^)]*\))?\s+(?:async\s+)?fn\s+([A-Za-z_]\w*)"  (multi-line)
void for_each_pub_function(std::string_view t, const std::vector<std::size_t>& lines,
                           const std::function<bool(const regex::Match&)>& fn);

}  // namespace graph_builder::symbols::rs_internal
