#pragma once
// Where a match and its groups lie in the text, as byte offsets: the one form
// in which hand-written scans report what they found, so that a differential
// test can hold a scan to the pattern it stands in for by comparing values.
// `Match::spans()` gives a pattern's match in the same form.

#include <array>
#include <cstddef>
#include <string_view>

namespace graph_builder::regex {

// Byte offsets [begin, end) of a match or of one of its groups in the text it
// was found in. A group that took no part in its match is absent: both
// offsets npos (an empty capture is present, with begin == end).
struct Span {
  std::size_t begin = std::string_view::npos;
  std::size_t end = std::string_view::npos;

  constexpr bool present() const { return begin != std::string_view::npos; }
  constexpr std::size_t size() const { return present() ? end - begin : 0; }
  // The spanned bytes of `text` (the text the offsets were taken in); empty
  // when absent.
  constexpr std::string_view in(std::string_view text) const {
    return present() ? text.substr(begin, end - begin) : std::string_view{};
  }
  bool operator==(const Span&) const = default;
};

// Most groups a Spans records.
inline constexpr int kSpanGroups = 4;

// One match: the whole match and groups 1 to kSpanGroups (absent beyond the
// pattern's groups). A scan that stands in for a pattern gives the pattern's
// groups; where a scan reports one more position (a keyword its caller needs),
// its declaration says which group holds it.
struct Spans {
  Span whole;
  std::array<Span, kSpanGroups> groups{};  // groups[0] is group 1

  // Group `g` (1 to kSpanGroups).
  constexpr const Span& group(int g) const { return groups[static_cast<std::size_t>(g - 1)]; }
  bool operator==(const Spans&) const = default;
};

}  // namespace graph_builder::regex
