// Reading a previous graph document: any bytes either give file nodes that
// serialise back to JSON, or an empty map; never a crash. The fast reader
// either gives up or returns exactly what the general reader returns, whether
// it is given the document whole or in pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "graph_builder/check.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/documents/previous_graph_internal.hpp"
#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/text/unicode.hpp"

namespace {

std::string serialised(const graph_builder::graph::JsonValue& v) {
  std::string out;
  graph_builder::graph::append_json(out, v, graph_builder::graph::Layout::indented);
  return out;
}

// Checks that `fast` is nullopt or equal to `general`.
void check_same(const std::optional<graph_builder::graph::PriorNodes>& fast,
                const graph_builder::graph::PriorNodes& general) {
  if (!fast) return;
  GB_CHECK(fast->size() == general.size());
  for (const auto& [id, node] : general) {
    const auto it = fast->find(id);
    GB_CHECK(it != fast->end());
    GB_CHECK(it->second == node);
    GB_CHECK(serialised(it->second) == serialised(node));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace pgi = graph_builder::documents::previous_graph_internal;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto general = pgi::read_general(bytes);
  check_same(pgi::read_fast(bytes), general);
  // The same bytes in pieces of 1 to 13 bytes, into a buffer that must grow.
  std::size_t pos = 0;
  std::size_t step = size;
  const pgi::ReadSome read = [&](char* dst, std::size_t room) {
    step = (step * 7 + 3) % 13;
    const std::size_t n = std::min({room, bytes.size() - pos, step + 1});
    std::copy_n(bytes.data() + pos, n, dst);
    pos += n;
    return static_cast<std::ptrdiff_t>(n);
  };
  check_same(pgi::read_fast(read, 16), general);
  auto nodes = graph_builder::documents::parse_previous_graph(bytes);
  GB_CHECK(nodes.size() == general.size());
  for (const auto& [id, node] : nodes) {
    const std::string out = serialised(node);
    for (char c : out) GB_CHECK(static_cast<unsigned char>(c) < 0x80);
    GB_CHECK(graph_builder::text::is_valid_utf8(id));
  }
  return 0;
}
