// The character classes of the hand-written scans against the engine's own
// \s and \w, and the UTF-8 steps against each other, over every byte and
// every code point.
#include "graph_builder/regex/char_class.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::regex {
namespace {

std::string utf8(char32_t cp) {
  std::string s;
  append_utf8(s, cp);
  return s;
}

bool is_surrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

TEST(CharClass, AsciiTablesAgreeWithTheEngine) {
  static const Regex kSpace(R"(\s)");
  static const Regex kWord(R"(\w)");
  static const Regex kNameStart("[A-Za-z_]");
  for (int b = 0; b < 0x80; ++b) {
    const auto c = static_cast<unsigned char>(b);
    const std::string s(1, static_cast<char>(b));
    EXPECT_EQ(is_ascii_space(c), kSpace.full_match(s)) << b;
    EXPECT_EQ(is_ascii_word(c), kWord.full_match(s)) << b;
    EXPECT_EQ(is_ascii_name_start(c), kNameStart.full_match(s)) << b;
    EXPECT_EQ(fold_ascii(c), (b >= 'A' && b <= 'Z') ? b + 32 : b) << b;
  }
  // Bytes of multi-byte characters belong to no ASCII class.
  for (int b = 0x80; b < 0x100; ++b) {
    const auto c = static_cast<unsigned char>(b);
    EXPECT_FALSE(is_ascii_space(c) || is_ascii_word(c) || is_ascii_name_start(c)) << b;
    EXPECT_EQ(fold_ascii(c), c);
  }
}

TEST(CharClass, CodePointClassesAgreeWithTheEngine) {
  // \s of the engine comes from the pattern rewrite, is_space from its own
  // list; \w is the engine's outside ASCII, the tables' inside.
  static const Regex kSpace(R"(\s)");
  static const Regex kWord(R"(\w)");
  int spaces = 0;
  int words = 0;
  for (char32_t cp = 0; cp <= 0x10FFFF; cp += (cp < 0x30000 ? 1 : 97)) {
    if (is_surrogate(cp)) continue;
    const std::string s = utf8(cp);
    const bool space = kSpace.full_match(s);
    const bool word = kWord.full_match(s);
    ASSERT_EQ(is_space(cp), space) << std::hex << static_cast<unsigned>(cp);
    const CodePoint c = classify(s, 0);
    ASSERT_EQ(c.size, s.size()) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(c.space, space) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(c.word, word) << std::hex << static_cast<unsigned>(cp);
    spaces += space ? 1 : 0;
    words += word ? 1 : 0;
  }
  EXPECT_EQ(spaces, 29);
  EXPECT_GT(words, 100000);
}

TEST(CharClass, Utf8StepsRoundTripEveryCodePoint) {
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (is_surrogate(cp)) continue;
    const std::string one = utf8(cp);
    const std::size_t expected_size = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    ASSERT_EQ(one.size(), expected_size) << std::hex << static_cast<unsigned>(cp);
    // Between two ASCII characters, so that every step has a neighbour.
    const std::string s = "a" + one + "b";
    std::size_t pos = 1;
    ASSERT_EQ(next_code_point(s, pos), cp) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(pos, 1 + one.size());
    ASSERT_EQ(previous_start(s, pos), 1U);
    ASSERT_EQ(previous_start(s, s.size()), s.size() - 1);
  }
}

TEST(CharClass, AsciiTextAndLineStarts) {
  EXPECT_TRUE(is_ascii(""));
  EXPECT_TRUE(is_ascii("plain text\n\x7F"));
  EXPECT_FALSE(is_ascii("caf\xC3\xA9"));
  const struct {
    std::string_view text;
    std::size_t from;
    std::size_t want;
  } cases[] = {
      {"ab\ncd", 0, 0}, {"ab\ncd", 1, 3}, {"ab\ncd", 3, 3}, {"ab\ncd", 4, std::string_view::npos},
      {"ab\n", 3, 3},   {"", 0, 0},       {"\n\n", 1, 1},   {"a\n", 1, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(next_line_start(c.text, c.from), c.want) << c.text << " from " << c.from;
  }
}

}  // namespace
}  // namespace graph_builder::regex
