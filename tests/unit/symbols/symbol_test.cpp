#include "graph_builder/symbols/symbols.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/recorder.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/differential.hpp"
#include "support/random_text.hpp"

namespace graph_builder::symbols {
namespace {

// Texts whose lines meet at a bare LF, at CR LF, or hold a lone CR, with
// empty lines, a final LF or none, and multi-byte characters.
const std::vector<std::string> kTexts{
    "",
    "a",
    "a\n",
    "\n",
    "\n\n\n",
    "a\nb",
    "a\r\nb",
    "a\r\nb\r\n",
    "\r\n\r\n",
    "x\r\r\ny\rz\n",
    "one\n\ntwo\r\n\nthree",
    "\xC3\xA9\n\xE2\x80\xA8z\n\xE3\x80\x80",
    "a\nb\r\nc\nd\n",
};

// The body hash as its definition reads: the selected lines joined with LF.
std::string joined_hash(const std::vector<std::string_view>& lines, std::int64_t start,
                        std::int64_t end) {
  std::string joined;
  const auto n = static_cast<std::int64_t>(lines.size());
  if (start >= 0 && start < n && start <= end) {
    for (std::int64_t i = start; i <= std::min(end, n - 1); ++i) {
      if (i > start) joined += '\n';
      joined.append(lines[static_cast<std::size_t>(i)]);
    }
  }
  return text::short_hash(joined);
}

TEST(BodyHash, EqualsTheHashOfTheJoinedLinesForEveryRange) {
  for (const std::string& t : kTexts) {
    const std::vector<std::string_view> in_text = text::split_lines_lf(t);
    // The same lines in separate strings, as a caller holding copies has them.
    const std::vector<std::string> copies(in_text.begin(), in_text.end());
    const std::vector<std::string_view> separate(copies.begin(), copies.end());
    const auto n = static_cast<std::int64_t>(in_text.size());
    for (std::int64_t start = -2; start <= n + 1; ++start) {
      for (std::int64_t end = -2; end <= n + 1; ++end) {
        const std::string want = joined_hash(in_text, start, end);
        EXPECT_EQ(body_hash(in_text, start, end), want)
            << "text \"" << t << "\" lines " << start << ".." << end;
        EXPECT_EQ(body_hash(separate, start, end), want)
            << "copied lines of \"" << t << "\" " << start << ".." << end;
      }
    }
  }
}

TEST(BodyHash, LinesOneByteApartAreJoinedWithLfWhateverLiesBetween) {
  const std::string t = "a,b\nc";
  const std::vector<std::string_view> lines{std::string_view(t).substr(0, 1),
                                            std::string_view(t).substr(2, 1),
                                            std::string_view(t).substr(4, 1)};
  EXPECT_EQ(body_hash(lines, 0, 2), text::short_hash("a\nb\nc"));
  EXPECT_EQ(body_hash(lines, 1, 2), text::short_hash("b\nc"));
}

TEST(SymbolRecorder, LinesAndLineIndexesFollowTheLfSplit) {
  // The fixed texts, then random ones long enough for line feeds and CR LF
  // pairs to fall at every place in and across sixteen-byte blocks.
  std::vector<std::string> texts = kTexts;
  testing::RandomText random(16);
  for (int i = 0; i < 400; ++i)
    texts.push_back(random.text(testing::bytes_of("ab \r\n\n"), {0, 89}));
  for (const std::string& t : texts) {
    const SymbolRecorder rec(t, languages::profile(".py"));
    EXPECT_EQ(rec.lines(), text::split_lines_lf(t)) << "text " << testing::escaped(t);
    for (std::size_t offset = 0; offset <= t.size(); ++offset) {
      const auto lfs = std::count(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
      EXPECT_EQ(rec.line_of(offset), lfs) << "text " << testing::escaped(t) << " offset " << offset;
    }
  }
}

}  // namespace
}  // namespace graph_builder::symbols
