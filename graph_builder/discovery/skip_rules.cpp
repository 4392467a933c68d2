#include "graph_builder/discovery/skip_rules.hpp"

#include <algorithm>

#include "graph_builder/text/unicode.hpp"

namespace graph_builder::discovery {

std::string_view file_extension(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return {};
  return name.substr(dot);
}

std::string_view base_name(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool should_scan(std::string_view path) {
  if (path.find("/venv/") != std::string_view::npos ||
      path.find("/.venv/") != std::string_view::npos) {
    return false;
  }
  std::string_view ext = file_extension(base_name(path));
  if (ext.empty()) return false;
  std::string lower = text::to_lower(ext);
  return std::find(kScanExtensions.begin(), kScanExtensions.end(), lower) != kScanExtensions.end();
}

}  // namespace graph_builder::discovery
