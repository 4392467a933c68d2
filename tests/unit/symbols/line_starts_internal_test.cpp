#include "graph_builder/symbols/line_starts_internal.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "support/differential.hpp"

namespace graph_builder::symbols {
namespace {

std::vector<std::size_t> plain_letter_lines(std::string_view t) {
  static const regex::Regex kLetterLine(R"(^[a-z])", regex::Flags::multiline);
  std::vector<std::size_t> out;
  kLetterLine.for_each(t, [&](const regex::Match& m) {
    out.push_back(m.start());
    return true;
  });
  return out;
}

TEST(LineStarts, LetterLinesAgreeWithThePlainPatternOnRandomInputs) {
  // Long texts (read sixteen bytes at a time) of line feeds and the bytes
  // next to the letter range, upper case, white space, non-ASCII letters
  // (whose bytes look negative to signed compares) and line separators.
  const std::vector<std::string> pieces = {
      "\n",
      "\n",
      "\n",
      "\n",
      "a",
      "z",
      "m",
      "`",
      "{",
      "A",
      "Z",
      "@",
      "[",
      " ",
      "\t",
      "\r",
      "0",
      "_",
      "\xC3\xA9",
      "\xE3\x80\x80",
      "\xE2\x80\xA8",
      "\xC2\x85",
      "\xF0\x9F\x98\x80",
  };
  std::size_t lines_found = 0;
  testing::compare_on_random_texts(
      {.seed = 17, .count = 50000}, testing::texts_of(pieces, {0, 80}),
      [&](std::string_view t) {
        std::vector<std::size_t> expected = plain_letter_lines(t);
        lines_found += expected.size();
        return expected;
      },
      letter_lines);
  EXPECT_GT(lines_found, 40000U);
}

TEST(LineStarts, SearchStopsWhenTheCallerSaysSoAndGoesOnAfterAMatch) {
  // "^(?:ab|a)[\w\n]*": the second match runs over the next three line
  // starts, which the search must then pass over.
  static const regex::Regex kAnchored(R"(\G^(?:ab|a)[\w\n]*)", regex::Flags::multiline);
  static constexpr std::array<std::string_view, 1> kFirst{"a"};
  const std::string t = "ab x\nab\nab\nb\nab";
  const std::vector<std::size_t> lines = letter_lines(t);
  std::vector<std::size_t> starts;
  for_each_at_letter_lines(t, lines, kFirst, kAnchored, [&](const regex::Match& m) {
    starts.push_back(m.start());
    return true;
  });
  EXPECT_EQ(starts, (std::vector<std::size_t>{0, 5}));
  starts.clear();
  for_each_at_letter_lines(t, lines, kFirst, kAnchored, [&](const regex::Match& m) {
    starts.push_back(m.start());
    return false;
  });
  EXPECT_EQ(starts, (std::vector<std::size_t>{0}));
}

}  // namespace
}  // namespace graph_builder::symbols
