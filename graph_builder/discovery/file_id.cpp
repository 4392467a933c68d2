#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/discovery/walk_internal.hpp"

#include <cstdlib>
#include <memory>
#include <system_error>
#include <vector>

namespace graph_builder::discovery {
namespace {

std::vector<std::string_view> components(std::string_view p) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < p.size()) {
    std::size_t j = p.find('/', i);
    if (j == std::string_view::npos) j = p.size();
    if (j > i) out.push_back(p.substr(i, j - i));
    i = j + 1;
  }
  return out;
}

}  // namespace

std::string resolve_path(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(path, ec);
  if (ec) abs = path;
  if (char* real = ::realpath(abs.c_str(), nullptr)) {
    std::string out(real);
    std::free(real);
    return out;
  }
  std::filesystem::path weak = std::filesystem::weakly_canonical(abs, ec);
  if (ec) return abs.lexically_normal().string();
  std::string out = weak.string();
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

std::string relative_id(std::string_view resolved_path, std::string_view resolved_root) {
  auto p = components(resolved_path);
  auto r = components(resolved_root);
  std::size_t common = 0;
  while (common < p.size() && common < r.size() && p[common] == r[common]) ++common;
  std::string out;
  if (common == r.size()) {
    for (std::size_t i = common; i < p.size(); ++i) {
      if (!out.empty()) out += '/';
      out += p[i];
    }
    return out.empty() ? "." : out;
  }
  for (std::size_t i = common; i < r.size(); ++i) {
    if (!out.empty()) out += '/';
    out += "..";
  }
  for (std::size_t i = common; i < p.size(); ++i) {
    out += '/';
    out += p[i];
  }
  return out;
}

std::string rel(const std::filesystem::path& path, const std::filesystem::path& root) {
  return relative_id(resolve_path(path), resolve_path(root));
}

}  // namespace graph_builder::discovery
