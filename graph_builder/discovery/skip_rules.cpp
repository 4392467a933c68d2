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
  // A name from the file system may hold bytes that are not UTF-8: such an
  // extension is none of the table's, and the case mapping needs valid text.
  if (ext.empty() || !text::is_valid_utf8(ext)) return false;
  return languages::profile(text::to_lower(ext)).scanned();
}

}  // namespace graph_builder::discovery
