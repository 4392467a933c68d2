#pragma once
// File discovery: which files of a project are analysed, in the order the
// operating system lists them (nothing is sorted), and the stable id of each.
// Reads no file contents and builds no graph records.
//
// The skip rules, in the order they apply (the first decisive one wins):
//   directories: 1. name in SKIP_DIRS -> pruned;
//                2. name in CONDITIONAL_SKIP and holding an artifact-marker
//                   sub-directory -> pruned;
//                3. a symbolic link resolving outside the root (or not
//                   resolvable) -> pruned;
//                4. otherwise walked; a directory already on the current walk
//                   path (same device and inode) is not entered again.
//   files:       1. path containing "/venv/" or "/.venv/" -> not scanned;
//                2. lower-cased extension scanned by the language table
//                   -> scanned, when it is a regular file (following links).
// All comparisons of names are exact and case-sensitive.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::discovery {

// Directory names that are never entered, wherever they stand.
inline constexpr std::array<std::string_view, 17> SKIP_DIRS{
    ".git",      ".beads",       ".beads-hooks", "node_modules",     "vendor", "dist",
    ".next",     ".idea",        ".vscode",      "__pycache__",      "venv",   ".venv",
    ".mirelane", "Intermediate", "Binaries",     "DerivedDataCache", "Saved"};
// Directory names that are not entered when they hold build artifacts (a
// sub-directory named "classes", "libs", "generated", "tmp" or "reports").
inline constexpr std::array<std::string_view, 1> CONDITIONAL_SKIP{"build"};

// Every file under `root` that passes should_scan() and is a regular file
// (following links), as `<directory>/<name>` paths built from `root` as given.
// Top-down: a directory's own files come before those of its sub-directories,
// which are visited depth-first in listing order after pruning. Symbolic links
// to directories inside the root are followed; a directory already on the
// current walk path (same device and inode) is not entered again. Unlistable
// directories and untestable entries are skipped silently; a missing root
// yields an empty list. Never throws.
std::vector<std::string> walk_files(const std::string& root);

// Why an entry was passed over for trouble (entries pruned by the skip rules
// above are not trouble and are not reported).
enum class SkipReason : std::uint8_t {
  too_large,     // a file over the size limit of the scan
  unreadable,    // a file that cannot be opened or read, a directory that cannot be listed
  outside_root,  // a linked directory that resolves outside the root (or not at all)
  link_loop,     // a linked directory that leads back to one on the current walk path
};
// A short description of `reason`, such as "over the size limit".
std::string_view describe(SkipReason reason);

// One entry passed over, by the path the walk built for it.
struct Skipped {
  std::string path;
  SkipReason reason;
};
// Receives each entry passed over, in the order the walk meets them.
using SkipObserver = std::function<void(const Skipped&)>;

// True when the file at `path` is of a kind that is analysed. Pure text test.
bool should_scan(std::string_view path);

// `path` made absolute with every symbolic link resolved and "." and ".."
// removed; a missing tail is kept lexically. Never throws.
std::string resolve_path(const std::filesystem::path& path);

// The file id of `path` relative to `root`: the components below the resolved
// root joined by "/", or, for a file living outside the root (reached through
// a link), the lexical relative path with ".." components. Never throws.
std::string rel(const std::filesystem::path& path, const std::filesystem::path& root);

}  // namespace graph_builder::discovery
