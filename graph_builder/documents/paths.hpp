#pragma once
// Output paths as the tally prints them. Internal: not installed.

#include <string>

namespace graph_builder::documents {

// The path as a user would write it normalised: repeated separators, "."
// components and a trailing separator removed, ".." kept; "" becomes ".".
std::string normalize_path(const std::string& p);
// normalize_path(parent of `out`) joined with `name`; a parent of "." gives
// the bare name.
std::string sibling_path(const std::string& out, const std::string& name);

}  // namespace graph_builder::documents
