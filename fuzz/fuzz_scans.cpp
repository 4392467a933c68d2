// The hand-written scans against the plain patterns they stand in for, on
// any text: same matches, same groups; and the side-by-side hashes against
// one digest at a time. The random-text tests pick their pieces by hand;
// this looks where nobody thought to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graph_builder/check.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_java_internal.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/keyword_scan_patterns.hpp"

namespace {

using graph_builder::regex::Regex;

void check_block_comments(std::string_view t) {
  static const Regex kComment(R"(/\*.*?\*/)", graph_builder::regex::Flags::dotall);
  std::vector<std::pair<std::size_t, std::size_t>> want;
  kComment.for_each(t, [&](const graph_builder::regex::Match& m) {
    want.emplace_back(m.start(), m.end());
    return true;
  });
  std::vector<std::pair<std::size_t, std::size_t>> got;
  graph_builder::symbols::java_internal::for_each_block_comment(
      t, [&](std::size_t s, std::size_t e) { got.emplace_back(s, e); });
  GB_CHECK(got == want);
}

void check_literal_search(std::string_view t) {
  for (std::string_view lit : {"import", "class", "/*", "aa", "\n\n"}) {
    for (std::size_t from = 0; from <= t.size(); from += 7) {
      GB_CHECK(graph_builder::regex::find_literal(t, lit, from) == t.find(lit, from));
    }
  }
}

// The input cut at every 0xFF byte (views of the raw bytes, so texts of any
// length and content), hashed together and one by one.
void check_hashes(std::string_view raw) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= raw.size(); ++i) {
    if (i == raw.size() || static_cast<unsigned char>(raw[i]) == 0xFF) {
      pieces.push_back(raw.substr(start, i - start));
      start = i + 1;
    }
  }
  const std::vector<std::string> many = graph_builder::text::short_hashes(pieces);
  GB_CHECK(many.size() == pieces.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    GB_CHECK(many[i] == graph_builder::text::short_hash(pieces[i]));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  check_hashes(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string text;
  graph_builder::text::decode_text(std::string_view(reinterpret_cast<const char*>(data), size),
                                   text);
  namespace support = graph_builder::testing;
  for (const support::ScanAndPattern& s : support::scans_and_patterns()) {
    GB_CHECK(s.scan(text) == support::plain_matches(s.pattern(), text));
  }
  check_block_comments(text);
  check_literal_search(text);
  return 0;
}
