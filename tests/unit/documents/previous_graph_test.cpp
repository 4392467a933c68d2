#include "graph_builder/documents/previous_graph.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace graph_builder::documents {
namespace {

TEST(PreviousGraph, AnyFailureGivesAnEmptyMap) {
  const std::vector<std::string> bad{
      "",
      "not json",
      R"({"nodes": [)",
      "[1, 2]",
      R"("text")",
      "\xEF\xBB\xBF{\"nodes\": [{\"kind\": \"file\", \"id\": \"a\"}]}",
      "{\"nodes\": [{\"kind\": \"file\", \"id\": \"\xC3\"}]}",
      R"({"nodes": [{"kind": "file", "id": "a"}, 5]})",
      R"({"nodes": [{"kind": "file"}]})",
      R"({"nodes": [{"kind": "file", "id": ["a"]}]})",
      R"({"nodes": [{"kind": "file", "id": {"x": 1}}]})",
      R"({"nodes": "abc"})",
      R"({"nodes": 3})",
      R"({"nodes": [{"kind": "file", "id": "a", "size": NaN}]})",
  };
  for (const std::string& doc : bad) EXPECT_TRUE(parse_previous_graph(doc).empty()) << doc;
}

TEST(PreviousGraph, KeepsFileNodesByIdLastOneWins) {
  auto m = parse_previous_graph(R"({
    "root": "/x",
    "nodes": [
      {"id": "a.py", "kind": "file", "summary": "first"},
      {"id": "a.py::f", "kind": "symbol"},
      {"id": "b.py", "kind": "File"},
      {"kind": "symbol"},
      {"id": 7, "kind": "file"},
      {"id": "a.py", "kind": "file", "summary": "second", "size": 1.50, "big": 123456789012345678901234567890}
    ]})");
  ASSERT_EQ(m.size(), 1U);
  const graph::JsonValue& a = m.at("a.py");
  EXPECT_EQ(a.find("summary")->text(), "second");
  EXPECT_EQ(a.find("size")->type(), graph::JsonValue::Type::real);
  EXPECT_EQ(a.find("size")->text(), "1.50");
  EXPECT_EQ(a.find("big")->text(), "123456789012345678901234567890");
  EXPECT_TRUE(parse_previous_graph(R"({"root": "/x"})").empty());
}

TEST(PreviousGraph, OnlyFileNodesAreKeptWhateverElseTheDocumentHolds) {
  auto m = parse_previous_graph(R"({
    "edges": [1, "x", {"from": "a"}],
    "nodes": [{"id": "gone.py", "kind": "file"}],
    "extra": {"nodes": [5]},
    "nodes": [{"id": "s", "kind": "symbol", "deep": [[{"x": [1.5e3]}]]},
              {"id": "a.py", "kind": "file", "keywords": [["nested"], {"k": null}]}]
  })");
  ASSERT_EQ(m.size(), 1U);
  const graph::JsonValue* kw = m.at("a.py").find("keywords");
  ASSERT_NE(kw, nullptr);
  EXPECT_EQ(kw->items().size(), 2U);
  EXPECT_TRUE(
      parse_previous_graph(R"({"nodes": [{"id": "a", "kind": "file"}], "nodes": [[]]})").empty());
}

TEST(PreviousGraph, RepeatedKeysKeepTheLastValue) {
  auto m = parse_previous_graph(
      R"({"nodes": [{"id": "a", "kind": "file", "summary": "x", "summary": "y"}]})");
  ASSERT_EQ(m.size(), 1U);
  EXPECT_EQ(m.at("a").find("summary")->text(), "y");
  EXPECT_EQ(m.at("a").members().size(), 3U);
}

}  // namespace
}  // namespace graph_builder::documents
