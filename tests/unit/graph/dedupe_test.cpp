#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "graph_builder/graph/index_table.hpp"
#include "graph_builder/graph/scan.hpp"
#include "support/random_text.hpp"

namespace graph_builder::graph {
namespace {

// Against the obvious form: keep an edge when its three texts were not seen
// before, in order. Few distinct texts make many repeats, including repeats
// far apart and texts that differ only in one field.
TEST(DedupeEdges, KeepsEachFirstOccurrenceInOrder) {
  const std::vector<std::string> texts{"a", "b", "src/a.ts", "src/a.ts::f", "", "imports"};
  testing::RandomText random(5);
  for (int round = 0; round < 300; ++round) {
    std::vector<Edge> edges;
    for (std::size_t i = random.below(200); i > 0; --i) {
      edges.push_back({random.pick(texts), random.pick(texts), random.pick(texts)});
    }
    std::vector<Edge> expected;
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (const Edge& e : edges) {
      if (seen.emplace(e.from, e.to, e.rel).second) expected.push_back(e);
    }
    ASSERT_EQ(dedupe_edges(edges), expected);
    ASSERT_EQ(dedupe_edges(std::move(edges)), expected);
  }
}

// A table sized for fewer keys than it gets grows and still finds every key,
// even when all hashes collide.
TEST(IndexTable, GrowsAndResolvesCollisions) {
  for (std::uint64_t spread : {std::uint64_t{0}, std::uint64_t{0x9E3779B97F4A7C15ULL}}) {
    std::vector<int> keys;
    for (int i = 0; i < 3000; ++i) keys.push_back(i % 1000);
    IndexTable table(0);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const auto hash = static_cast<std::uint64_t>(keys[i]) * spread;
      const std::size_t first =
          table.first(hash, i, [&](std::size_t j) { return keys[j] == keys[i]; });
      ASSERT_EQ(first, i % 1000) << "key " << keys[i];
    }
  }
}

}  // namespace
}  // namespace graph_builder::graph
