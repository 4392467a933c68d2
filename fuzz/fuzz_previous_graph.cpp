// Reading a previous graph document: any bytes either give file nodes that
// serialise back to JSON, or an empty map; never a crash. The fast reader
// either gives up or returns exactly what the general reader returns.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "graph_builder/check.hpp"
#include "graph_builder/cli/previous_graph.hpp"
#include "graph_builder/cli/previous_graph_internal.hpp"
#include "graph_builder/graph/json.hpp"
#include "graph_builder/text/unicode.hpp"

namespace {

std::string serialised(const graph_builder::graph::JsonValue& v) {
  std::string out;
  graph_builder::graph::append_json(out, v, graph_builder::graph::Layout::indented);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace pgi = graph_builder::cli::previous_graph_internal;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto general = pgi::read_general(bytes);
  if (const auto fast = pgi::read_fast(bytes)) {
    GB_CHECK(fast->size() == general.size());
    for (const auto& [id, node] : general) {
      const auto it = fast->find(id);
      GB_CHECK(it != fast->end());
      GB_CHECK(it->second == node);
      GB_CHECK(serialised(it->second) == serialised(node));
    }
  }
  auto nodes = graph_builder::cli::parse_previous_graph(bytes);
  GB_CHECK(nodes.size() == general.size());
  for (const auto& [id, node] : nodes) {
    const std::string out = serialised(node);
    for (char c : out) GB_CHECK(static_cast<unsigned char>(c) < 0x80);
    GB_CHECK(graph_builder::text::is_valid_utf8(id));
  }
  return 0;
}
