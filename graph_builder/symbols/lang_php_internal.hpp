#pragma once
// The PHP extractor's hand-written function scan, exposed only so that a
// differential test can compare it with the plain pattern. Not part of the
// installed interface.

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace graph_builder::symbols::php_internal {

// Every successive match of the function pattern
//   "(?:public|private|protected|\s)(?:static\s+)?function\s+([A-Za-z_]\w*)"
// as {match start, name start, name end, "function" keyword start}; the
// match ends with the name.
std::vector<std::array<std::size_t, 4>> function_matches(std::string_view t);

}  // namespace graph_builder::symbols::php_internal
