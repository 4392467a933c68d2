#include "graph_builder/text/keywords.hpp"

namespace graph_builder::text {

// Placeholder until keyword extraction lands.
std::vector<std::string> extract_keywords(std::string_view /*content*/, std::string_view /*ext*/) {
  return {};
}

}  // namespace graph_builder::text
