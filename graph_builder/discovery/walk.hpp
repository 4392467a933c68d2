#pragma once
// The directory walk: which files of a project are analysed, in the order the
// operating system lists them (nothing is sorted).

#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::discovery {

// Every file under `root` that passes should_scan() and is a regular file
// (following links), as `<directory>/<name>` paths built from `root` as given.
// Top-down: a directory's own files come before those of its sub-directories,
// which are visited depth-first in listing order after pruning. Symbolic links
// to directories inside the root are followed; a directory already on the
// current walk path (same device and inode) is not entered again. Unlistable
// directories and untestable entries are skipped silently; a missing root
// yields an empty list. Never throws.
std::vector<std::string> walk_files(const std::string& root);

// A listed file with its path resolved (absolute, links resolved), which the
// walk gets almost for free: a directory is resolved once for all its files.
struct WalkedFile {
  std::string path;
  std::string resolved;
};
// walk_files() with each file's resolved path. Never throws.
std::vector<WalkedFile> walk_files_resolved(const std::string& root);

// Whether the sub-directory `d` of `base` is walked (see skip_rules.hpp).
// `root_resolved` is the resolved project root.
bool keep_dir(std::string_view base, std::string_view d, std::string_view root_resolved);

}  // namespace graph_builder::discovery
