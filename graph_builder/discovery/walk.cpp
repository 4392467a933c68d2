#include "graph_builder/discovery/walk.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "graph_builder/discovery/walk_internal.hpp"

namespace graph_builder::discovery {
namespace {

std::string join(std::string_view base, std::string_view name) {
  std::string out(base);
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

using DirKey = std::pair<dev_t, ino_t>;

struct Listing {
  std::vector<std::string> dirs;
  // For each of `dirs`: true when the entry is a directory itself, not a link.
  std::vector<bool> plain_dirs;
  // For each of `dirs`: its device and inode (links followed).
  std::vector<DirKey> dir_keys;
  std::vector<std::string> others;
  // For each of `others`: its directory entry type (DT_REG, DT_LNK, ...).
  std::vector<unsigned char> other_types;
};

// Lists `dir` in the order readdir returns it, splitting entries into
// directories (following links) and everything else. False when the directory
// cannot be opened or read to the end.
bool list_dir(const std::string& dir, Listing& out) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  bool ok = true;
  while (true) {
    errno = 0;
    dirent* e = ::readdir(d);
    if (e == nullptr) {
      ok = errno == 0;
      break;
    }
    std::string_view name(e->d_name);
    if (name == "." || name == "..") continue;
    // Sub-directories are looked up relative to the open directory (one
    // name, not the whole path), following links.
    struct stat st {};
    bool is_dir = false;
    if (e->d_type == DT_DIR || e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      is_dir = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
      // A directory whose lookup fails is listed anyway and skipped later,
      // as one that vanished before it was walked.
      if (e->d_type == DT_DIR && !is_dir) {
        is_dir = true;
        st.st_dev = 0;
        st.st_ino = 0;
      }
    }
    if (is_dir) {
      out.dirs.emplace_back(name);
      out.plain_dirs.push_back(e->d_type == DT_DIR);
      out.dir_keys.emplace_back(st.st_dev, st.st_ino);
    } else {
      out.others.emplace_back(name);
      out.other_types.push_back(e->d_type);
    }
  }
  ::closedir(d);
  return ok;
}

bool is_regular_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_below_or_equal(std::string_view path, std::string_view root) {
  if (path == root) return true;
  if (root == "/") return !path.empty() && path[0] == '/';
  return path.size() > root.size() && path.substr(0, root.size()) == root &&
         path[root.size()] == '/';
}

std::string resolve_c(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return resolve_path(path);
  std::string out(real);
  std::free(real);
  return out;
}

// What keep_dir decides, and why when a directory is pruned for trouble.
enum class KeepDir { walk, pruned, outside_root };

// keep_dir, told whether the listing already showed `d` is no link.
KeepDir keep_dir(std::string_view base, std::string_view d, std::string_view root_resolved,
                 bool known_plain);

class Walker {
 public:
  Walker(std::string root_resolved, WalkSink& sink)
      : root_resolved_(std::move(root_resolved)), sink_(sink) {}

  // `base_resolved` is the resolved form of `base` when known, else empty
  // (then resolved once, when the first file needs it).
  void walk(const std::string& base, std::string base_resolved) {
    if (sink_.stopped()) return;
    Listing listing;
    if (!list_dir(base, listing)) {
      report(base, SkipReason::unreadable);
      return;
    }
    for (std::size_t i = 0; i < listing.others.size(); ++i) {
      const std::string& name = listing.others[i];
      const unsigned char type = listing.other_types[i];
      std::string path = join(base, name);
      if (!should_scan(path)) continue;
      // An entry the listing reports as a regular file needs no stat; links
      // and unknown types are tested following the link.
      if (type != DT_REG && !is_regular_file(path)) continue;
      bool plain = type == DT_REG;
      if (type == DT_UNKNOWN) {
        struct stat lst {};
        plain = ::lstat(path.c_str(), &lst) == 0 && !S_ISLNK(lst.st_mode);
      }
      std::string resolved;
      if (plain) {
        if (base_resolved.empty()) base_resolved = resolve_c(base);
        resolved = join(base_resolved, name);
      } else {
        resolved = resolve_c(path);
      }
      sink_.file({std::move(path), std::move(resolved)});
    }
    for (std::size_t i = 0; i < listing.dirs.size(); ++i) {
      const std::string& d = listing.dirs[i];
      const KeepDir keep = keep_dir(base, d, root_resolved_, listing.plain_dirs[i]);
      if (keep == KeepDir::outside_root) report(join(base, d), SkipReason::outside_root);
      if (keep != KeepDir::walk) continue;
      std::string path = join(base, d);
      const DirKey key = listing.dir_keys[i];
      if (key == DirKey{0, 0}) {
        report(path, SkipReason::unreadable);
        continue;
      }
      // A link back to a directory on the current path would loop forever.
      if (std::find(ancestors_.begin(), ancestors_.end(), key) != ancestors_.end()) {
        report(path, SkipReason::link_loop);
        continue;
      }
      ancestors_.push_back(key);
      // A directory (not a link) inside a resolved directory is resolved by
      // its name alone: no path lookup per directory.
      walk(path, listing.plain_dirs[i] && !base_resolved.empty() ? join(base_resolved, d)
                                                                 : std::string());
      ancestors_.pop_back();
    }
  }

  void push_root(const std::string& root) {
    struct stat st {};
    if (::stat(root.c_str(), &st) == 0) ancestors_.push_back({st.st_dev, st.st_ino});
  }

 private:
  void report(const std::string& path, SkipReason reason) const {
    sink_.skipped(Skipped{path, reason});
  }

  std::string root_resolved_;
  WalkSink& sink_;
  std::vector<DirKey> ancestors_;
};

}  // namespace

namespace {

KeepDir keep_dir(std::string_view base, std::string_view d, std::string_view root_resolved,
                 bool known_plain) {
  if (std::find(SKIP_DIRS.begin(), SKIP_DIRS.end(), d) != SKIP_DIRS.end()) return KeepDir::pruned;
  std::string p = join(base, d);
  if (std::find(CONDITIONAL_SKIP.begin(), CONDITIONAL_SKIP.end(), d) != CONDITIONAL_SKIP.end()) {
    Listing inner;
    // A listing error skips the marker test and falls through to the link check.
    if (list_dir(p, inner)) {
      for (const std::string& sub : inner.dirs) {
        if (std::find(kArtifactMarkers.begin(), kArtifactMarkers.end(), sub) !=
            kArtifactMarkers.end()) {
          return KeepDir::pruned;
        }
      }
    }
  }
  // A directory the listing reports as such is no link.
  if (known_plain) return KeepDir::walk;
  struct stat lst {};
  if (::lstat(p.c_str(), &lst) != 0) return KeepDir::walk;
  if (S_ISLNK(lst.st_mode)) {
    char* real = ::realpath(p.c_str(), nullptr);
    if (real == nullptr) return KeepDir::outside_root;
    std::string resolved(real);
    std::free(real);
    if (!is_below_or_equal(resolved, root_resolved)) return KeepDir::outside_root;
  }
  return KeepDir::walk;
}

}  // namespace

std::string_view describe(SkipReason reason) {
  switch (reason) {
    case SkipReason::too_large:
      return "over the size limit";
    case SkipReason::unreadable:
      return "unreadable";
    case SkipReason::outside_root:
      return "a linked directory outside the root";
    case SkipReason::link_loop:
      return "a link loop";
  }
  return "skipped";
}

bool keep_dir(std::string_view base, std::string_view d, std::string_view root_resolved) {
  return keep_dir(base, d, root_resolved, false) == KeepDir::walk;
}

void walk_files_into(const std::string& root, WalkSink& sink) {
  const std::string root_resolved = resolve_path(root);
  Walker walker(root_resolved, sink);
  walker.push_root(root);
  walker.walk(root, root_resolved);
}

std::vector<WalkedFile> walk_files_resolved(const std::string& root, const SkipObserver* on_skip) {
  // Collects the files and passes each skip straight on.
  class Collect final : public WalkSink {
   public:
    explicit Collect(const SkipObserver* on_skip) : on_skip_(on_skip) {}
    void file(WalkedFile&& f) override { files.push_back(std::move(f)); }
    void skipped(Skipped&& s) override {
      if (on_skip_ != nullptr && *on_skip_) (*on_skip_)(s);
    }
    std::vector<WalkedFile> files;

   private:
    const SkipObserver* on_skip_;
  };
  Collect collect(on_skip);
  walk_files_into(root, collect);
  return std::move(collect.files);
}

std::vector<std::string> walk_files(const std::string& root) {
  std::vector<std::string> paths;
  for (WalkedFile& f : walk_files_resolved(root)) paths.push_back(std::move(f.path));
  return paths;
}

}  // namespace graph_builder::discovery
