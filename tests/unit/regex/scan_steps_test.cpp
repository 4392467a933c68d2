// The scan steps against the pattern parts they read, from every offset of
// random texts made of the characters that decide them.
#include "graph_builder/regex/scan_steps.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/regex.hpp"
#include "support/differential.hpp"
#include "support/match_offsets.hpp"

namespace graph_builder::regex {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// White space and word characters of one to three bytes, the declarator
// class's punctuation, characters outside every class, and the modifiers.
const testing::Pieces kPieces = {
    " ",
    "\t",
    "\n",
    "\x0C",
    "\x1C",
    "\xC2\xA0",
    "\xE3\x80\x80",
    "\xE2\x80\xA8",
    "a",
    "Z",
    "_",
    "9",
    "\xC3\xA9",
    "\xE4\xB8\xAD",
    "\xCC\x81",
    ":",
    "*",
    "&",
    "<",
    ">",
    "(",
    ";",
    "{",
    "-",
    "\xE2\x80\x94",
    "public",
    "private",
    "static",
    "final",
    "protected",
    "ublic",
    "xfinal",
};

// The code-point boundaries of `t`, its end included.
std::vector<std::size_t> boundaries(std::string_view t) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i <= t.size(); ++i) {
    if (i == t.size() || (static_cast<unsigned char>(t[i]) & 0xC0) != 0x80) out.push_back(i);
  }
  return out;
}

// The end of the match of `anchored` ("\G"-led) at `pos`.
std::size_t match_end(const Regex& anchored, std::string_view t, std::size_t pos) {
  const std::optional<Match> m = anchored.search(t, pos);
  return m ? m->end() : kNone;
}

TEST(ScanSteps, ForwardRunsEndWhereThePatternsDo) {
  static const Regex kSpaces(R"(\G\s*)");
  static const Regex kWord(R"(\G\w*)");
  static const Regex kDeclarator(R"(\G[\w:*&<>\s]*)");
  // From each code-point boundary: (offset, end of the white-space run, end
  // of the word run, end of the declarator run).
  using Ends = std::vector<std::array<std::size_t, 4>>;
  int long_runs = 0;
  // Up to 60 pieces: declarator runs longer than sixteen bytes take the
  // vector path.
  testing::compare_on_random_texts(
      {.seed = 2024, .count = 3000}, testing::texts_of(kPieces, {0, 60}),
      [&](std::string_view t) {
        Ends out;
        for (std::size_t pos : boundaries(t)) {
          const std::size_t end = match_end(kDeclarator, t, pos);
          if (end >= pos + 17) ++long_runs;
          out.push_back({pos, match_end(kSpaces, t, pos), match_end(kWord, t, pos), end});
        }
        return out;
      },
      [](std::string_view t) {
        Ends out;
        for (std::size_t pos : boundaries(t)) {
          out.push_back(
              {pos, skip_spaces(t, pos), skip_word(t, pos), end_of_declarator_run(t, pos)});
        }
        return out;
      });
  EXPECT_GT(long_runs, 1000);
}

TEST(ScanSteps, DeclaratorRunStopsAtEveryAsciiByteOutsideTheClass) {
  // Each ASCII byte at each offset of texts of 1 to 40 bytes: inside a
  // sixteen-byte block and in the bytes after the last whole block.
  static const Regex kMember(R"([\w:*&<>\s])");
  for (int b = 1; b < 0x80; ++b) {
    const bool member = kMember.full_match(std::string(1, static_cast<char>(b)));
    for (std::size_t size = 1; size <= 40; ++size) {
      for (std::size_t at = 0; at < size; ++at) {
        std::string t(size, 'a');
        t[at] = static_cast<char>(b);
        ASSERT_EQ(end_of_declarator_run(t, 0), member ? size : at) << b << " at " << at;
      }
    }
  }
}

// The starts s <= end, code-point boundaries of `t` (`at`), from which `run`
// matches the text [s, end) whole, in order.
std::vector<std::size_t> run_starts(const Regex& run, std::string_view t,
                                    const std::vector<std::size_t>& at, std::size_t end) {
  std::vector<std::size_t> out;
  for (std::size_t s : at) {
    if (s <= end && run.full_match(t.substr(s, end - s))) out.push_back(s);
  }
  return out;
}

// The first of `starts` at or after `floor`.
std::size_t first_from(const std::vector<std::size_t>& starts, std::size_t floor) {
  const auto it = std::lower_bound(starts.begin(), starts.end(), floor);
  return it == starts.end() ? kNone : *it;
}

TEST(ScanSteps, BackwardReadsStopAtTheLeftmostRunStart) {
  static const Regex kSpaces(R"(\s*)");
  static const Regex kModifierRun(R"((?:public|private|protected|static|final|\s)*)");
  static constexpr std::array<std::string_view, 5> kModifiers{"public", "private", "protected",
                                                              "static", "final"};
  // For each end and each floor at or before it: (end, floor, start of the
  // white-space run, start of the run of white space and modifiers).
  using Starts = std::vector<std::array<std::size_t, 4>>;
  int past_words = 0;
  testing::compare_on_random_texts(
      {.seed = 77, .count = 2500}, testing::texts_of(kPieces, {0, 14}),
      [&](std::string_view t) {
        const std::vector<std::size_t> at = boundaries(t);
        Starts out;
        for (std::size_t end : at) {
          const std::vector<std::size_t> spaces = run_starts(kSpaces, t, at, end);
          const std::vector<std::size_t> words = run_starts(kModifierRun, t, at, end);
          for (std::size_t floor : at) {
            if (floor > end) break;
            const std::size_t space_start = first_from(spaces, floor);
            const std::size_t word_start = first_from(words, floor);
            if (word_start + 5 < space_start) ++past_words;
            out.push_back({end, floor, space_start, word_start});
          }
        }
        return out;
      },
      [&](std::string_view t) {
        const std::vector<std::size_t> at = boundaries(t);
        Starts out;
        for (std::size_t end : at) {
          for (std::size_t floor : at) {
            if (floor > end) break;
            out.push_back({end, floor, space_run_start(t, end, floor),
                           spaces_and_words_back(t, end, floor, kModifiers, is_space)});
          }
        }
        return out;
      });
  EXPECT_GT(past_words, 1000);
}

TEST(ScanSteps, CodePointsBackCountsCharactersNotBytes) {
  const std::string t =
      "a\xC3\xA9\xE4\xB8\xAD"
      "b";  // a, é, a CJK letter, b: 7 bytes
  const struct {
    std::size_t end;
    std::size_t n;
    std::size_t floor;
    std::size_t want;
  } cases[] = {
      {7, 1, 0, 6},     {7, 2, 0, 3}, {7, 3, 0, 1},     {7, 4, 0, 0},
      {7, 5, 0, kNone}, {7, 3, 1, 1}, {7, 4, 1, kNone}, {3, 0, 0, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(code_points_back(t, c.end, c.n, c.floor), c.want)
        << c.n << " back from " << c.end << " above " << c.floor;
  }
}

TEST(ScanSteps, DeclaratorNameIsTheWordBeforeTheParenthesis) {
  const struct {
    std::string_view text;  // a declarator run followed by "("
    Span want;
  } cases[] = {
      {"int main(", {4, 8}},
      {"static int\nparse (", {11, 16}},
      {"Foo::bar(", {}},             // no white space before the name
      {"main(", {}},                 // nothing before the name
      {" main(", {}},                // the lazy run needs a character before the space
      {"int 9x(", {}},               // a name begins with a letter or "_"
      {"int _x\xC3\xA9 (", {4, 8}},  // a non-ASCII letter continues it
      {"int\xC2\xA0"
       "f(",
       {5, 6}},               // NBSP is white space
      {"int \xC3\xA9(", {}},  // but may not begin it
  };
  for (const auto& c : cases) {
    const std::size_t paren = c.text.rfind('(');
    EXPECT_EQ(declarator_name_before(c.text, 0, paren), c.want) << c.text;
  }
}

TEST(ScanSteps, WordsAtAnOffsetAndWordSets) {
  EXPECT_EQ(word_at("public class", 0, {"private", "public"}), 6U);
  EXPECT_EQ(word_at("public class", 7, {"class", "cla"}), 5U);
  EXPECT_EQ(word_at("public class", 7, {"cla", "class"}), 3U);
  EXPECT_EQ(word_at("public", 1, {"public"}), 0U);
  EXPECT_EQ(word_at("pub", 0, {"public"}), 0U);
  EXPECT_EQ(word_at("x", 1, {"x"}), 0U);
  EXPECT_TRUE(is_one_of("for", {"if", "for"}));
  EXPECT_FALSE(is_one_of("For", {"if", "for"}));
  EXPECT_FALSE(is_one_of("", {"if", "for"}));
  EXPECT_TRUE(is_one_of_caseless("RoUtEr", {"app", "router"}));
  EXPECT_FALSE(is_one_of_caseless("route", {"app", "router"}));
  // Only ASCII letters fold: U+017F is no "s" here.
  EXPECT_FALSE(is_one_of_caseless("po\xC5\xBFt", {"post"}));
  EXPECT_FALSE(is_one_of_caseless("@pp", {"`pp"}));
}

}  // namespace
}  // namespace graph_builder::regex
