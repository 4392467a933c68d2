#pragma once
// The PHP extractor's function scan and type search, exposed only so that
// differential tests can compare them with the plain patterns. Not part of the
// installed interface.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"

namespace graph_builder::symbols::php_internal {

// Every successive match of the function pattern
//   "(?:public|private|protected|\s)(?:static\s+)?function\s+([A-Za-z_]\w*)"
// with its group 1 (the name, which ends the match), and the "function"
// keyword of the match as group 2.
std::vector<regex::Spans> function_matches(std::string_view t);

// Calls fn(match) for every successive match of the type pattern
//   "(?:class|interface|trait|enum)\s+([A-Za-z_]\w*)"
// in `t`, as the plain pattern's for_each would. `fn` returns true to go on.
void for_each_type(std::string_view t, const std::function<bool(const regex::Match&)>& fn);

}  // namespace graph_builder::symbols::php_internal
