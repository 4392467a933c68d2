#include "support/temp_tree.hpp"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace graph_builder::testing {

TempTree::TempTree() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "gb_test_XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = std::filesystem::canonical(buf.data());
}

TempTree::~TempTree() {
  std::error_code ec;
  // Restore permissions a test may have removed, so everything can be deleted.
  for (auto it = std::filesystem::recursive_directory_iterator(
           root_, std::filesystem::directory_options::skip_permission_denied, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink()) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
  }
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path TempTree::write(std::string_view rel, std::string_view bytes) const {
  auto p = root_ / rel;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

std::filesystem::path TempTree::mkdir(std::string_view rel) const {
  auto p = root_ / rel;
  std::filesystem::create_directories(p);
  return p;
}

std::filesystem::path TempTree::symlink(std::string_view target, std::string_view rel) const {
  auto p = root_ / rel;
  std::filesystem::create_directories(p.parent_path());
  std::filesystem::create_symlink(std::filesystem::path(target), p);
  return p;
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace graph_builder::testing
