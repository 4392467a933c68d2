#pragma once
// The walk's internals, shared by the scan driver and the tests; not part of
// the installed interface (see walk.hpp for the rules and their order).

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/discovery/walk.hpp"

namespace graph_builder::discovery {

// Sub-directory names that mark a CONDITIONAL_SKIP directory as build output.
inline constexpr std::array<std::string_view, 5> kArtifactMarkers{"classes", "libs", "generated",
                                                                  "tmp", "reports"};

// A listed file with its path resolved (absolute, links resolved), which the
// walk gets almost for free: a directory is resolved once for all its files.
struct WalkedFile {
  std::string path;
  std::string resolved;
};
// Receives what the walk finds, in walk order, on the walking thread.
class WalkSink {
 public:
  virtual ~WalkSink() = default;
  // A file to scan.
  virtual void file(WalkedFile&& f) = 0;
  // An entry passed over for trouble.
  virtual void skipped(Skipped&& s) = 0;
  // Asked before each directory is listed: true ends the walk there (what
  // was found stays found).
  virtual bool stopped() { return false; }
};

// The walk of walk_files_resolved(), handing each finding to `sink` as it is
// made. Never throws (unless `sink` does).
void walk_files_into(const std::string& root, WalkSink& sink);

// walk_files() with each file's resolved path. Directories passed over for
// trouble are reported to `on_skip` when it is set. Never throws (unless
// `on_skip` does).
std::vector<WalkedFile> walk_files_resolved(const std::string& root,
                                            const SkipObserver* on_skip = nullptr);

// Whether the sub-directory `d` of `base` is walked (directory rules 1 to 3).
// `root_resolved` is the resolved project root.
bool keep_dir(std::string_view base, std::string_view d, std::string_view root_resolved);

// rel() for an already resolved path and root.
std::string relative_id(std::string_view resolved_path, std::string_view resolved_root);

}  // namespace graph_builder::discovery
