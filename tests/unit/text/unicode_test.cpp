#include "graph_builder/text/unicode.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/differential.hpp"

namespace graph_builder::text {
namespace {

std::string decoded(std::string_view bytes) {
  std::string out;
  decode_text(bytes, out);
  return out;
}

TEST(DecodeText, DropsUndecodableSequencesAndKeepsWhatFollows) {
  struct Case {
    const char* what;
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases{
      {"plain ascii", "abc", "abc"},
      {"latin-1 byte", "caf\xE9!", "caf!"},
      {"truncated 3-byte then ascii",
       "a\xE2\x82"
       "b",
       "ab"},
      {"truncated 4-byte then valid 2-byte", "\xF0\x9F\x98\xC3\xA9", "\xC3\xA9"},
      {"stray continuation bytes", "\x80\xBFx", "x"},
      {"overlong slash", "\xC0\xAF/", "/"},
      {"overlong 3-byte", "\xE0\x80\xAFz", "z"},
      {"surrogate", "\xED\xA0\x80q", "q"},
      {"above U+10FFFF", "\xF4\x90\x80\x80k", "k"},
      {"F5 lead", "\xF5\x80\x80\x80k", "k"},
      {"valid astral kept", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"BOM kept", "\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},
      {"NUL kept", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"CR LF", "a\r\nb\r\n", "a\nb\n"},
      {"lone CR", "a\rb\r", "a\nb\n"},
      {"CR CR LF", "a\r\r\nb", "a\n\nb"},
      {"LF CR", "a\n\rb", "a\n\nb"},
      {"CR, dropped byte, LF is one line end", "a\r\xFF\nb", "a\nb"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(decoded(c.in), c.out) << c.what;
}

// Plain ASCII is copied (and checked) eight bytes at a time; every special
// byte must still be seen at every offset within and across those words. Each piece decodes
// on its own ("\r" is always followed by a letter, so no piece's line end
// depends on the next one).
TEST(DecodeText, SpecialBytesAtEveryOffset) {
  struct Piece {
    std::string in;
    std::string out;
  };
  const std::string nul(1, '\0');
  const std::vector<Piece> pieces{{"a", "a"},
                                  {"Z", "Z"},
                                  {"\n", "\n"},
                                  {"\r\n", "\n"},
                                  {"\rq", "\nq"},
                                  {"\xC3\xA9", "\xC3\xA9"},
                                  {"\xFF", ""},
                                  {"\xC3z", "z"},
                                  {nul, nul},
                                  {"\x7F", "\x7F"},
                                  {"\xE2\x82\xAC", "\xE2\x82\xAC"}};
  testing::RandomText random(31);
  for (int round = 0; round < 20000; ++round) {
    std::string in;
    std::string expected;
    bool valid = true;  // no piece had a byte to drop
    for (std::size_t i = random.below(40); i > 0; --i) {
      // Mostly plain letters.
      const Piece& p = random.one_in(3) ? random.pick(pieces) : pieces[random.below(2)];
      in += p.in;
      expected += p.out;
      valid = valid && p.in != "\xFF" && p.in != "\xC3z";
    }
    ASSERT_EQ(decoded(in), expected) << testing::escaped(in);
    ASSERT_EQ(is_valid_utf8(in), valid) << testing::escaped(in);
  }
}

TEST(DecodeText, StrictValidity) {
  EXPECT_TRUE(is_valid_utf8("h\xC3\xA9llo \xF0\x9F\x98\x80"));
  EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));
  EXPECT_FALSE(is_valid_utf8("\xC3"));
  EXPECT_FALSE(is_valid_utf8("\xC1\xBF"));
}

TEST(Lines, UniversalAndLfOnlySplits) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(split_lines_universal(""), V{});
  EXPECT_EQ(split_lines_universal("a\n"), V{"a"});
  EXPECT_EQ(split_lines_universal("a\n\n"), (V{"a", ""}));
  EXPECT_EQ(split_lines_universal("a\r\nb\rc"), (V{"a", "b", "c"}));
  EXPECT_EQ(split_lines_universal("a\vb\fc\x1c"
                                  "d\x1d"
                                  "e\x1e"
                                  "f\x1fg"),
            (V{"a", "b", "c", "d", "e", "f\x1fg"}));
  EXPECT_EQ(split_lines_universal("a\xC2\x85"
                                  "b\xE2\x80\xA8"
                                  "c\xE2\x80\xA9"),
            (V{"a", "b", "c"}));
  EXPECT_EQ(split_lines_universal("a\nb\rc\n", 2), (V{"a", "b"}));
  EXPECT_EQ(split_lines_universal("a\nb", 5), (V{"a", "b"}));
  EXPECT_EQ(split_lines_universal("a\nb", 1), V{"a"});
  EXPECT_EQ(split_lines_lf(""), V{});
  EXPECT_EQ(split_lines_lf("a\fb\nc\n"), (V{"a\fb", "c"}));
  EXPECT_EQ(split_lines_lf("a\r\nb\rc"), (V{"a", "b\rc"}));
  EXPECT_EQ(split_lines_lf("\n"), V{""});
}

TEST(CodePoints, LengthAndPrefixCountCodePoints) {
  const std::string s = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z";  // a é 中 😀 z
  EXPECT_EQ(length(s), 5U);
  EXPECT_EQ(prefix(s, 0), "");
  EXPECT_EQ(prefix(s, 2), "a\xC3\xA9");
  EXPECT_EQ(prefix(s, 4), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(prefix(s, 99), s);
}

TEST(WhiteSpace, StripAndSplitUseTheUnicodeSet) {
  EXPECT_TRUE(is_space(0x1F));
  EXPECT_TRUE(is_space(0x3000));
  EXPECT_FALSE(is_space(0x180E));
  EXPECT_FALSE(is_space(0x200B));
  EXPECT_EQ(strip("\xC2\xA0 \t x y \x1c\xE3\x80\x80"), "x y");
  EXPECT_EQ(strip(" \n "), "");
  EXPECT_EQ(lstrip("  a "), "a ");
  EXPECT_EQ(rstrip("  a \xE2\x80\x83"), "  a");
  using V = std::vector<std::string_view>;
  EXPECT_EQ(split_whitespace("  a\xC2\xA0\xC2\xA0"
                             "b\n c  "),
            (V{"a", "b", "c"}));
  EXPECT_EQ(split_whitespace(""), V{});
  EXPECT_EQ(leading_space_count("\t \xE3\x80\x80x "), 3U);
  EXPECT_EQ(strip_chars("__a_b__", "_"), "a_b");
}

TEST(CaseMapping, FullUnicodeMappings) {
  EXPECT_EQ(to_lower("HeLLo"), "hello");
  EXPECT_EQ(to_lower("\xC3\x8Ele"), "\xC3\xAEle");              // Île
  EXPECT_EQ(to_lower("\xC4\xB0zmir"), "i\xCC\x87zmir");         // İzmir gains a code point
  EXPECT_EQ(to_lower("\xCE\x9F\xCE\xA3"), "\xCE\xBF\xCF\x82");  // final sigma
  EXPECT_EQ(to_upper("stra\xC3\x9F"
                     "e"),
            "STRASSE");
  EXPECT_TRUE(is_upper(U'A'));
  EXPECT_TRUE(is_upper(0x00C9));
  EXPECT_FALSE(is_upper(U'a'));
  EXPECT_FALSE(is_upper(U'_'));
  EXPECT_FALSE(is_upper(U'1'));
}

}  // namespace
}  // namespace graph_builder::text
