#include "graph_builder/regex/find.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "support/differential.hpp"

namespace graph_builder::regex {
namespace {

// The same answer as the standard search, from every start offset, for texts
// long and short, literals of every length, occurrences overlapping, at the
// very start and at the very end.
TEST(FindLiteral, AgreesWithTheStandardSearch) {
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
  // (literal, start offset, where the literal is found) for every literal
  // and every start offset.
  using Found = std::vector<std::tuple<std::string, std::size_t, std::size_t>>;
  auto each_literal_and_start = [&](std::string_view t, auto&& find) {
    Found out;
    for (const std::string& lit : literals) {
      for (std::size_t from = 0; from <= t.size() + 1; ++from) {
        out.emplace_back(lit, from, find(t, lit, from));
      }
    }
    return out;
  };
  // Bytes, so that "\xC3\xA9" also comes apart.
  testing::compare_on_random_texts(
      {.seed = 12, .count = 3000}, testing::texts_of(testing::bytes_of("aab\n\xC3\xA9"), {0, 69}),
      [&](std::string_view t) {
        return each_literal_and_start(t, [](std::string_view s, std::string_view lit,
                                            std::size_t from) { return s.find(lit, from); });
      },
      [&](std::string_view t) { return each_literal_and_start(t, find_literal); });
}

TEST(FindEither, AgreesWithTheStandardSearch) {
  // (start offset, where ";" or "{" is, where ")" is) for every start offset.
  using Found = std::vector<std::tuple<std::size_t, std::size_t, std::size_t>>;
  testing::compare_on_random_texts(
      {.seed = 13, .count = 3000}, testing::texts_of(testing::bytes_of("ab;{)\n\xC3\xA9"), {0, 69}),
      [](std::string_view t) {
        Found out;
        for (std::size_t from = 0; from <= t.size() + 1; ++from) {
          out.emplace_back(from, t.find_first_of(";{", from), t.find(')', from));
        }
        return out;
      },
      [](std::string_view t) {
        Found out;
        for (std::size_t from = 0; from <= t.size() + 1; ++from) {
          out.emplace_back(from, find_either(t, ';', '{', from), find_either(t, ')', ')', from));
        }
        return out;
      });
}

// Every occurrence, in order, no other offset: texts of every length up to
// a few blocks, with the byte at every place in and across blocks.
TEST(ForEachByte, VisitsEveryOccurrenceInOrder) {
  testing::compare_on_random_texts(
      {.seed = 15, .count = 3000}, testing::texts_of(testing::bytes_of("..ab\xC3\xA9"), {0, 69}),
      [](std::string_view t) {
        std::vector<std::size_t> want;
        for (std::size_t i = 0; i < t.size(); ++i) {
          if (t[i] == '.') want.push_back(i);
        }
        return want;
      },
      [](std::string_view t) {
        std::vector<std::size_t> got;
        for_each_byte(t, '.', [&](std::size_t at) { got.push_back(at); });
        return got;
      });
}

}  // namespace
}  // namespace graph_builder::regex
