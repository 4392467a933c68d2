#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/relations.hpp"
#include "support/conformance.hpp"

namespace graph_builder::relations {
namespace {

std::string show(const std::vector<graph::Edge>& edges) {
  std::string out;
  for (const auto& e : edges) out += "  " + e.rel + " -> " + e.to + "\n";
  return out;
}

// Every kit file's relations, made edges from its id and de-duplicated as the
// scan does, equal the non-"contains" edges of its expected fragment, in order.
TEST(RelationsKit, EveryCaseMatchesItsFragment) {
  if (!testing::conformance_dir()) GTEST_SKIP() << "conformance kit not found";
  const auto cases = testing::kit_cases();
  ASSERT_FALSE(cases.empty());
  std::size_t matched = 0;
  for (const auto& c : cases) {
    const auto fragment = testing::load_fragment(c);
    std::vector<graph::Edge> expected;
    for (const auto& e : fragment["edges"]) {
      if (e["rel"] == "contains") continue;
      expected.push_back(
          {e["from"].get<std::string>(), e["to"].get<std::string>(), e["rel"].get<std::string>()});
    }
    const std::string_view ext = languages::extension_of(languages::base_name(c.file_id));
    std::vector<Relation> found =
        find_relations(testing::decoded_input(c), languages::profile(ext));
    std::vector<graph::Edge> edges;
    graph::append_relation_edges(edges, c.file_id, found);
    const auto actual = graph::dedupe_edges(std::move(edges));
    if (actual == expected) {
      ++matched;
    } else {
      ADD_FAILURE() << c.file_id << "\nexpected:\n"
                    << show(expected) << "actual:\n"
                    << show(actual);
    }
  }
  RecordProperty("matched", std::to_string(matched) + " of " + std::to_string(cases.size()));
  EXPECT_EQ(matched, cases.size());
}

}  // namespace
}  // namespace graph_builder::relations
