#pragma once
// The keyword list of a whole file.

#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// At most 80 distinct keywords for `content`, in order of first admission, from
// route registrations and decorators, declarations chosen by `ext` (exact,
// case-sensitive), a leading docstring or block comment, and outgoing HTTP
// calls. Never fails; touches nothing but its arguments.
std::vector<std::string> extract_keywords(std::string_view content, std::string_view ext);

}  // namespace graph_builder::text
