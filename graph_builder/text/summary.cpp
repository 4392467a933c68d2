#include "graph_builder/text/summary.hpp"

namespace graph_builder::text {

// Placeholder until summaries land.
std::string _make_summary(std::string_view /*content*/, std::string_view /*path*/,
                          std::string_view /*ext*/) {
  return {};
}

}  // namespace graph_builder::text
