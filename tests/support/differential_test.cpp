// The test support every differential test relies on: texts drawn from the
// given pieces within the given lengths, the same for the same seed; a
// difference reported with the text that shows it; texts printed readably.
#include "support/differential.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/random_text.hpp"

namespace graph_builder::testing {
namespace {

TEST(RandomText, TextsHoldOnlyTheirPiecesWithinTheirLengths) {
  RandomText random(7);
  const Pieces pieces = {"ab", "\xC3\xA9", "\r\n"};
  std::set<std::size_t> sizes;
  for (int i = 0; i < 2000; ++i) {
    const std::string t = random.text(pieces, {2, 5});
    // Every piece has two bytes, and no piece starts inside another.
    ASSERT_EQ(t.size() % 2, 0U) << escaped(t);
    for (std::size_t at = 0; at < t.size(); at += 2) {
      const std::string_view piece = std::string_view(t).substr(at, 2);
      ASSERT_TRUE(piece == "ab" || piece == "\xC3\xA9" || piece == "\r\n") << escaped(t);
    }
    sizes.insert(t.size() / 2);
  }
  EXPECT_EQ(sizes, (std::set<std::size_t>{2, 3, 4, 5}));
}

TEST(RandomText, SameSeedSameTextsOtherSeedOtherTexts) {
  const Pieces pieces = bytes_of("abc \n");
  const Slots slots = {{"x", "y"}, {" ", "\n", ""}};
  RandomText a(11);
  RandomText b(11);
  RandomText c(12);
  int differ = 0;
  for (int i = 0; i < 100; ++i) {
    const std::string t = a.text(pieces, {0, 20});
    ASSERT_EQ(b.text(pieces, {0, 20}), t);
    differ += c.text(pieces, {0, 20}) != t;
    ASSERT_EQ(a.shaped(slots, {1, 3}), b.shaped(slots, {1, 3}));
  }
  EXPECT_GT(differ, 80);
}

TEST(RandomText, ShapesTakeOnePieceOfEachSlotInOrder) {
  RandomText random(3);
  const Slots slots = {{"<"}, {"a", "bb"}, {">"}};
  for (int i = 0; i < 500; ++i) {
    const std::string t = random.shaped(slots, {1, 3});
    std::string rest = t;
    int shapes = 0;
    while (!rest.empty()) {
      ASSERT_TRUE(rest.starts_with("<a>") || rest.starts_with("<bb>")) << t;
      rest.erase(0, rest.find('>') + 1);
      ++shapes;
    }
    ASSERT_GE(shapes, 1) << t;
    ASSERT_LE(shapes, 3) << t;
  }
}

TEST(RandomText, BytesOfSplitsCharactersIntoBytes) {
  EXPECT_EQ(bytes_of("a\xC3\xA9"), (Pieces{"a", "\xC3", "\xA9"}));
  EXPECT_EQ(bytes_of(""), Pieces{});
}

TEST(Escaped, ShowsEveryByteReadably) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", R"("")"},
      {"plain text", R"("plain text")"},
      {"a\nb\tc\r\f\v", R"("a\nb\tc\r\f\v")"},
      {"say \"hi\" \\", R"("say \"hi\" \\")"},
      {std::string("\0\x01\x1f\x7f", 4), R"("\x00\x01\x1F\x7F")"},
      // A hex digit after a "\xHH" starts a new literal; other characters
      // do not.
      {"\xC3\xA9"
       "a",
       R"("\xC3\xA9" "a")"},
      {"\xC3\xA9z", R"("\xC3\xA9z")"},
      {"\xC2\xA0"
       "9\xE3\x80\x80",
       R"("\xC2\xA0" "9\xE3\x80\x80")"},
  };
  for (const auto& c : cases) EXPECT_EQ(escaped(c.in), c.out) << c.out;
}

// Where the "." of a text are; and a scan that misses those after a "!".
std::vector<std::size_t> dots(std::string_view t) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '.') out.push_back(i);
  }
  return out;
}
std::vector<std::size_t> dots_missing_after_bang(std::string_view t) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '.' && (i == 0 || t[i - 1] != '!')) out.push_back(i);
  }
  return out;
}

TEST(Differential, CountsTextsWithResultsWhenBothAgree) {
  const int with_results = compare_on_random_texts({.seed = 5, .count = 1000},
                                                   texts_of({".", "x", "!"}, {0, 6}), dots, dots);
  // About three texts in five hold a ".".
  EXPECT_GT(with_results, 500);
  EXPECT_LT(with_results, 700);
}

TEST(Differential, ReportsTheFirstDifferingTextWithItsSeed) {
  EXPECT_NONFATAL_FAILURE(
      compare_on_random_texts({.seed = 5, .count = 1000}, texts_of({".", "x", "!"}, {0, 6}), dots,
                              dots_missing_after_bang),
      "(seed 5)");
  EXPECT_NONFATAL_FAILURE(
      compare_on_random_texts({.seed = 5, .count = 1000}, texts_of({".", "x", "!"}, {0, 6}), dots,
                              dots_missing_after_bang),
      "!.");
  EXPECT_NONFATAL_FAILURE(
      compare_on_random_texts({.seed = 5, .count = 1000}, texts_of({".", "x", "!"}, {0, 6}), dots,
                              dots_missing_after_bang),
      "first difference at item");
}

TEST(Differential, FailsWhenTooFewTextsGiveResults) {
  EXPECT_NONFATAL_FAILURE(
      compare_on_random_texts({.seed = 5, .count = 100, .with_results_above = 100},
                              texts_of({".", "x"}, {0, 3}), dots, dots),
      "texts with a result");
}

}  // namespace
}  // namespace graph_builder::testing
