// Reading a previous graph document: any bytes either give file nodes that
// serialise back to JSON, or an empty map; never a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "graph_builder/check.hpp"
#include "graph_builder/cli/previous_graph.hpp"
#include "graph_builder/graph/json.hpp"
#include "graph_builder/text/unicode.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto nodes = graph_builder::cli::parse_previous_graph(
      std::string_view(reinterpret_cast<const char*>(data), size));
  for (const auto& [id, node] : nodes) {
    std::string out;
    graph_builder::graph::append_json(out, node, graph_builder::graph::Layout::indented);
    for (char c : out) GB_CHECK(static_cast<unsigned char>(c) < 0x80);
    GB_CHECK(graph_builder::text::is_valid_utf8(id));
  }
  return 0;
}
