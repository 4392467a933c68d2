#pragma once
// Output paths as the tally prints them, and the checks made on the root and
// the output path before anything is created. Internal: not installed.

#include <string>

namespace graph_builder::documents {

// The path as a user would write it normalised: repeated separators, "."
// components and a trailing separator removed, ".." kept; "" becomes ".".
std::string normalize_path(const std::string& p);
// normalize_path(parent of `out`) joined with `name`; a parent of "." gives
// the bare name.
std::string sibling_path(const std::string& out, const std::string& name);

// Why `root` cannot be scanned as a project root, following links: the
// system's reason ("No such file or directory", "Not a directory", ...);
// empty when it is a directory.
std::string root_problem(const std::string& root);
// True when `out` names a directory rather than a file: it ends in "/", its
// last component is "." or "..", or it is an existing directory (links
// followed). An empty `out` names nothing and counts as a directory.
bool names_a_directory(const std::string& out);

}  // namespace graph_builder::documents
