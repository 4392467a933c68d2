#pragma once
// Stable file identifiers.

#include <filesystem>
#include <string>

namespace graph_builder::discovery {

// `path` made absolute with every symbolic link resolved and "." and ".."
// removed; a missing tail is kept lexically. Never throws.
std::string resolve_path(const std::filesystem::path& path);

// The file id of `path` relative to `root`: the components below the resolved
// root joined by "/", or, for a file living outside the root (reached through
// a link), the lexical relative path with ".." components. Never throws.
std::string rel(const std::filesystem::path& path, const std::filesystem::path& root);

// rel() for an already resolved path and root.
std::string relative_id(std::string_view resolved_path, std::string_view resolved_root);

}  // namespace graph_builder::discovery
