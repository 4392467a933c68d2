#include "graph_builder/regex/regex.hpp"

#include <gtest/gtest.h>

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

TEST(Regex, EveryMatchIsSuccessiveAndNonOverlapping) {
  EXPECT_EQ(all(Regex("aa"), "aaaaa"), (std::vector<std::string>{"aa", "aa"}));
  // Empty matches: one at each position not covered by a non-empty match.
  EXPECT_EQ(all(Regex("x*"), "axb"), (std::vector<std::string>{"", "x", "", ""}));
}
}  // namespace
}  // namespace graph_builder::regex
