#include "graph_builder/regex/find.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace graph_builder::regex {
namespace {

// The same answer as the standard search, from every start offset, for texts
// long and short, literals of every length, occurrences overlapping, at the
// very start and at the very end.
TEST(FindLiteral, AgreesWithTheStandardSearch) {
  const std::string alphabet = "aab\n\xC3\xA9";
  const std::vector<std::string> literals{"",
                                          "a",
                                          "ab",
                                          "aa",
                                          "aba",
                                          "abaab",
                                          "ba\n",
                                          "\xC3\xA9"
                                          "a",
                                          "aaaaaaaaaaaaaaaaab",
                                          "b\nab"};
  std::mt19937 rng(12);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = static_cast<int>(rng() % 70); i > 0; --i) {
      text += alphabet[rng() % alphabet.size()];
    }
    const std::string_view t(text);
    for (const std::string& lit : literals) {
      for (std::size_t from = 0; from <= t.size() + 1; ++from) {
        ASSERT_EQ(find_literal(t, lit, from), t.find(lit, from))
            << "text '" << text << "' literal '" << lit << "' from " << from;
      }
    }
  }
}

TEST(FindEither, AgreesWithTheStandardSearch) {
  const std::string alphabet = "ab;{)\n\xC3\xA9";
  std::mt19937 rng(13);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = static_cast<int>(rng() % 70); i > 0; --i) {
      text += alphabet[rng() % alphabet.size()];
    }
    const std::string_view t(text);
    for (std::size_t from = 0; from <= t.size() + 1; ++from) {
      ASSERT_EQ(find_either(t, ';', '{', from), t.find_first_of(";{", from)) << text << from;
      ASSERT_EQ(find_either(t, ')', ')', from), t.find(')', from)) << text << from;
    }
  }
}

// Every occurrence, in order, no other offset: texts of every length up to
// a few blocks, with the byte at every place in and across blocks.
TEST(ForEachByte, VisitsEveryOccurrenceInOrder) {
  std::mt19937 rng(15);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = static_cast<int>(rng() % 70); i > 0; --i) text += "..ab\xC3\xA9"[rng() % 6];
    std::vector<std::size_t> want;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '.') want.push_back(i);
    }
    std::vector<std::size_t> got;
    for_each_byte(text, '.', [&](std::size_t at) { got.push_back(at); });
    ASSERT_EQ(got, want) << "text '" << text << "'";
  }
}

}  // namespace
}  // namespace graph_builder::regex
