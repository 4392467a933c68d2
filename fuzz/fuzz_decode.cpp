// UTF-8 decoding: the result is always valid UTF-8 without CR, decoding is
// idempotent, and valid input without CR comes back unchanged. The decoded
// text, written as a JSON string, is the concatenation of its characters
// written one by one (long texts are escaped a block at a time, single
// characters a byte at a time).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "graph_builder/check.hpp"
#include "graph_builder/graph/json_writer.hpp"
#include "graph_builder/text/unicode.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::string out;
  graph_builder::text::decode_text(in, out);
  GB_CHECK(graph_builder::text::is_valid_utf8(out));
  GB_CHECK(out.find('\r') == std::string::npos);
  std::string again;
  graph_builder::text::decode_text(out, again);
  GB_CHECK(again == out);
  if (graph_builder::text::is_valid_utf8(in) && in.find('\r') == std::string_view::npos) {
    GB_CHECK(out == in);
  }
  std::string whole;
  graph_builder::graph::append_json_string(whole, out);
  std::string pieces = "\"";
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t start = i;
    graph_builder::text::next_code_point(out, i);
    std::string one;
    graph_builder::graph::append_json_string(one, std::string_view(out).substr(start, i - start));
    pieces.append(one, 1, one.size() - 2);
  }
  pieces += '"';
  GB_CHECK(whole == pieces);
  return 0;
}
