#include "graph_builder/regex/regex.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace graph_builder::regex {
namespace {

std::vector<std::string> all(const Regex& re, std::string_view s) {
  std::vector<std::string> out;
  re.for_each(s, [&](const Match& m) {
    out.emplace_back(m.text());
    return true;
  });
  return out;
}

using V = std::vector<std::string>;

TEST(Regex, EveryMatchIsSuccessiveAndNonOverlapping) {
  EXPECT_EQ(all(Regex("aa"), "aaaaa"), (V{"aa", "aa"}));
  // Empty matches: one at each position not covered by a non-empty match.
  EXPECT_EQ(all(Regex("x*"), "axb"), (V{"", "x", "", ""}));
  // An empty match never splits a multi-byte character.
  EXPECT_EQ(all(Regex("(?=b)|\xC3\xA9"),
                "\xC3\xA9"
                "b")
                .size(),
            2U);
}

TEST(Regex, FlagsFollowTheMatchingRules) {
  EXPECT_EQ(all(Regex("^x"), "x\nx"), V{"x"});
  EXPECT_EQ(all(Regex("^x", Flags::multiline), "x\nx\rx"), (V{"x", "x"}));
  EXPECT_EQ(all(Regex("a.b"), "a\nb a\rb"), V{"a\rb"});
  EXPECT_EQ(all(Regex("a.b", Flags::dotall), "a\nb"), V{"a\nb"});
  EXPECT_EQ(all(Regex("get", Flags::caseless), "GET Get"), (V{"GET", "Get"}));
  EXPECT_EQ(all(Regex("x$", Flags::multiline), "x\nx"), (V{"x", "x"}));
}

TEST(Regex, UnicodeClassesAndAsciiRanges) {
  EXPECT_EQ(all(Regex(R"(\w+)"), "caf\xC3\xA9 \xE4\xB8\xAD_1"),
            (V{"caf\xC3\xA9", "\xE4\xB8\xAD_1"}));
  EXPECT_EQ(all(Regex("[A-Za-z]+"), "caf\xC3\xA9"), V{"caf"});
  // White space is the text helpers' set, line breaks and U+001C..U+001F included.
  EXPECT_EQ(all(Regex(R"(a\s+b)"),
                "a\x1f\n\xE3\x80\x80"
                "b"),
            V{"a\x1f\n\xE3\x80\x80"
              "b"});
  EXPECT_TRUE(all(Regex(R"(a\sb)"),
                  "a\xE1\xA0\x8E"
                  "b")
                  .empty());  // U+180E is not space
  EXPECT_EQ(all(Regex(R"([^,\s]+)"), "x, y\x1dz"), (V{"x", "y", "z"}));
  EXPECT_EQ(all(Regex(R"(\S+)"),
                "ab\x1f"
                "cd"),
            (V{"ab", "cd"}));
}

TEST(Regex, AbsentGroupsDifferFromEmptyOnes) {
  Regex re("(a)?(b*)(?P<tail>c)?");
  auto m = re.search("x");
  ASSERT_TRUE(m.has_value());
  EXPECT_FALSE(m->has(1));
  EXPECT_TRUE(m->has(2));
  EXPECT_EQ(m->group(2), "");
  EXPECT_FALSE(m->has("tail"));
  auto m2 = re.search("abbc");
  ASSERT_TRUE(m2.has_value());
  EXPECT_EQ(m2->group(1), "a");
  EXPECT_EQ(m2->group("tail"), "c");
  EXPECT_EQ(m2->group_start(2), 1U);
  EXPECT_FALSE(m2->has(7));
}

TEST(Regex, SpansAreTheGroupsAsOffsets) {
  // Group 1 absent, group 2 an empty capture, group 3 a capture; groups past
  // the pattern's are absent too.
  const Regex re("x(a)?(b*)(c)");
  const std::optional<Match> m = re.search("..xc");
  ASSERT_TRUE(m.has_value());
  const Spans spans = m->spans();
  EXPECT_EQ(spans.whole, (Span{2, 4}));
  EXPECT_EQ(spans.whole, m->span(0));
  EXPECT_FALSE(spans.group(1).present());
  EXPECT_EQ(spans.group(1), Span{});
  EXPECT_EQ(spans.group(2), (Span{3, 3}));
  EXPECT_TRUE(spans.group(2).present());
  EXPECT_EQ(spans.group(3), (Span{3, 4}));
  EXPECT_EQ(spans.group(3), m->span(3));
  EXPECT_FALSE(spans.group(4).present());
  EXPECT_EQ(spans.group(3).in("..xc"), "c");
  EXPECT_EQ(spans.group(1).in("..xc"), "");
  EXPECT_EQ(spans.group(3).size(), 1U);
  EXPECT_EQ(spans.group(1).size(), 0U);
  // Two matches differing only in an absent or empty group differ as spans.
  const Regex other("x(a)?(b*)(c)()");
  const std::optional<Match> n = other.search("..xc");
  ASSERT_TRUE(n.has_value());
  EXPECT_NE(n->spans(), spans);
}

TEST(Regex, AnchoredAndFullMatches) {
  Regex re(R"(\s*/\*)");
  EXPECT_TRUE(re.match_start("  /* x").has_value());
  EXPECT_FALSE(re.match_start("x /* x").has_value());
  EXPECT_TRUE(Regex("a+").full_match("aaa"));
  EXPECT_FALSE(Regex("a+").full_match("aab"));
}

TEST(Regex, ReplaceAllUsesGroupsAndDropsAbsentOnes) {
  EXPECT_EQ(Regex("([a-z0-9])([A-Z])").replace_all("loadXMLDocument9X", "\\1 \\2"),
            "load XMLDocument9 X");
  EXPECT_EQ(Regex("(x)|y").replace_all("xyz", "[\\1]"), "[x][]z");
  EXPECT_EQ(Regex("[{}:<>]").replace_all("{id}<int:x>", ""), "idintx");
}

TEST(Regex, RunawayBacktrackingStopsInsteadOfHanging) {
  // Nested quantifiers over a long non-matching subject blow any match limit.
  Regex re("^(a+)+$");
  std::string subject(40, 'a');
  subject += 'b';
  EXPECT_TRUE(all(re, subject).empty());
  // The same pattern still works on ordinary input.
  EXPECT_EQ(all(re, "aaaa"), V{"aaaa"});
}

TEST(Regex, PatternRewriteTouchesOnlyWhiteSpaceEscapes) {
  EXPECT_EQ(rewrite_pattern(R"(a\\s\d[\]s])"), R"(a\\s\d[\]s])");
  EXPECT_NE(rewrite_pattern(R"([\s])").find("\\x{3000}"), std::string::npos);
  EXPECT_EQ(rewrite_pattern(R"([]\s])").substr(0, 3), "[]\\");
}

}  // namespace
}  // namespace graph_builder::regex
