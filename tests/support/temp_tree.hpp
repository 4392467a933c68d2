#pragma once
// A fresh temporary directory for a test, removed (with everything below it)
// on destruction, with helpers to create files, directories and links.

#include <filesystem>
#include <string>
#include <string_view>

namespace graph_builder::testing {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path path(std::string_view rel) const { return root_ / rel; }
  // Creates `rel` with `bytes`, making parent directories.
  std::filesystem::path write(std::string_view rel, std::string_view bytes) const;
  std::filesystem::path mkdir(std::string_view rel) const;
  // Creates a symbolic link at `rel` pointing to `target` (as written).
  std::filesystem::path symlink(std::string_view target, std::string_view rel) const;

 private:
  std::filesystem::path root_;
};

// Whole file as bytes ("" when unreadable).
std::string read_file(const std::filesystem::path& p);

}  // namespace graph_builder::testing
