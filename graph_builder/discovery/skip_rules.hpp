#pragma once
// Which directories are walked and which files are scanned. The rules, in the
// order they apply:
//   directories: 1. name in SKIP_DIRS -> pruned;
//                2. name in CONDITIONAL_SKIP and holding an artifact-marker
//                   sub-directory -> pruned;
//                3. a symbolic link resolving outside the root (or not
//                   resolvable) -> pruned;
//                4. otherwise walked (see walk.hpp for the loop guard).
//   files:       1. path containing "/venv/" or "/.venv/" -> not scanned;
//                2. lower-cased extension scanned by the language table
//                   (languages/languages.hpp) -> scanned,
//                   when it is a regular file (following links).
// All comparisons of names are exact and case-sensitive.

#include <array>
#include <string>
#include <string_view>

namespace graph_builder::discovery {

inline constexpr std::array<std::string_view, 17> SKIP_DIRS{
    ".git",   ".beads", ".beads-hooks", "node_modules", "vendor",       "dist",
    ".next",  ".idea",  ".vscode",      "__pycache__",  "venv",         ".venv",
    ".mirelane", "Intermediate", "Binaries", "DerivedDataCache", "Saved"};
inline constexpr std::array<std::string_view, 1> CONDITIONAL_SKIP{"build"};
inline constexpr std::array<std::string_view, 5> kArtifactMarkers{"classes", "libs", "generated",
                                                                  "tmp", "reports"};

// True when the file at `path` is of a kind that is analysed. Pure text test.
bool should_scan(std::string_view path);

}  // namespace graph_builder::discovery
