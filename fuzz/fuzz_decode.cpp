// UTF-8 decoding: the result is always valid UTF-8 without CR, decoding is
// idempotent, and valid input without CR comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "graph_builder/check.hpp"
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
  return 0;
}
