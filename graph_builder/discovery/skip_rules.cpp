#include "graph_builder/discovery/walk.hpp"

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::discovery {

bool should_scan(std::string_view path) {
  if (path.find("/venv/") != std::string_view::npos ||
      path.find("/.venv/") != std::string_view::npos) {
    return false;
  }
  const std::string_view ext = languages::extension_of(languages::base_name(path));
  if (ext.empty()) return false;
  return languages::profile(text::to_lower(ext)).scanned();
}

}  // namespace graph_builder::discovery
