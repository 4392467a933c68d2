#pragma once
// The one- or two-sentence summary of a file.

#include <string>
#include <string_view>

namespace graph_builder::text {

// A lead sentence (leading docstring or block comment, else the first long
// line, else "Handles " and domain words from `path`) and, when declarations
// are found for `ext`, a sentence naming up to four of them; at most 250 code
// points. `path` is the file id. Never fails; touches nothing but its
// arguments.
std::string make_summary(std::string_view content, std::string_view path, std::string_view ext);

}  // namespace graph_builder::text
