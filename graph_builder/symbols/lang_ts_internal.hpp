#pragma once
// The TS/JS extractor's search for its line-start declaration patterns,
// exposed only so that a differential test can compare it with the plain
// patterns. Not part of the installed interface.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::symbols::ts_internal {

// The extractor's first-column patterns searched this way, in the order it
// runs them.
enum class Declaration { route, function, type, class_type, schema };

// Calls fn(match) for every successive match of the pattern `d` in `t`, as
// the plain pattern's for_each would; `lines` is letter_lines(t) (see
// line_starts_internal.hpp). `fn` returns true to go on.
void for_each_declaration(std::string_view t, const std::vector<std::size_t>& lines, Declaration d,
                          const std::function<bool(const regex::Match&)>& fn);

// The same for the exported arrow or function constant pattern
//   "^export\s+(?:const|let)\s+([A-Za-z_]\w*)\s*=\s*(?:async\s+)?
//    (?:function|\([^)]*\)\s*=>|\w+\s*=>)"  (multi-line)
void for_each_const_function(std::string_view t, const std::vector<std::size_t>& lines,
                             const std::function<bool(const regex::Match&)>& fn);

}  // namespace graph_builder::symbols::ts_internal
