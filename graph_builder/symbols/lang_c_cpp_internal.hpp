#pragma once
// Hand-written scans that stand in for C/C++ patterns with the same matches,
// exposed only so that differential tests can compare them with the plain
// patterns. Not part of the installed interface.

#include "graph_builder/regex/span.hpp"

#include <cstddef>
#include <string_view>
#include <vector>

namespace graph_builder::symbols::c_cpp_internal {

// Every successive match of the function-definition pattern, with its group 1
// (the name).
std::vector<regex::Spans> function_definition_matches(std::string_view t);
// Every successive match of the UFUNCTION pattern, in the same form.
std::vector<regex::Spans> unreal_function_matches(std::string_view t);
// Every successive match of the type pattern
//   "^\s*(?:class|struct|union|namespace)\s+(?:\w+_API\s+)?([A-Za-z_]\w*)|
//    ^\s*enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*)"  (multi-line)
// with its groups 1 and 2 (the name, in the branch that took part), and the
// keyword the match begins with ("class", ..., "enum") as group 3.
std::vector<regex::Spans> type_matches(std::string_view t);
// Offsets of the line starts ("^" in multi-line mode) whose first byte is
// `first`, in order, found by one search for the two bytes LF and `first`.
std::vector<std::size_t> lines_starting_with(std::string_view t, char first);
// Every successive match of the UCLASS/USTRUCT/UINTERFACE pattern, and of the
// UENUM pattern, in the same form; `u_lines` is lines_starting_with(t, 'U').
std::vector<regex::Spans> unreal_type_matches(std::string_view t,
                                              const std::vector<std::size_t>& u_lines);
std::vector<regex::Spans> unreal_enum_matches(std::string_view t,
                                              const std::vector<std::size_t>& u_lines);

}  // namespace graph_builder::symbols::c_cpp_internal
