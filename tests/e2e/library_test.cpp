// The library gives exactly what the command line gives, and the symbol index
// leads back to each symbol's lines.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "graph_builder/discovery/walk_internal.hpp"
#include "graph_builder/graph/assemble_internal.hpp"
#include "graph_builder/graph_builder.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/conformance.hpp"
#include "support/run_cli.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

void write_sample(const TempTree& t) {
  t.write("p/src/auth.ts",
          "import jwt from 'jsonwebtoken';\n\nexport function handleLogin(u) {\n  return "
          "jwt.sign(u);\n}\n");
  t.write("p/app/models.py",
          "class User:\n    name = ''\n\n\ndef load_user(id):\n    return User()\n");
  t.write("p/docs/guide.md", "# Guide\nRead src/auth.ts first. \xC3\xA9t\xC3\xA9\n");
}

TEST(Library, ScanAndWritersEqualTheProgramByteForByte) {
  TempTree t;
  write_sample(t);
  std::string root = t.path("p").string();
  if (auto kit = conformance_dir()) root = (*kit / "cases").string();
  const std::string resolved = discovery::resolve_path(root);

  graph::Graph g = graph::scan(resolved);
  const documents::WrittenDocuments written =
      documents::write_documents(g, t.path("lib/g.json").string());
  const std::size_t members = written.index_members;
  EXPECT_EQ(written.index_path, t.path("lib/symbol_index.json").string());

  CliResult r = run_cli({"--root", root, "--out", t.path("cli/g.json").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(t.path("lib/g.json")), read_file(t.path("cli/g.json")));
  EXPECT_EQ(read_file(t.path("lib/symbol_index.json")), read_file(t.path("cli/symbol_index.json")));
  EXPECT_EQ(documents::graph_document(g), read_file(t.path("cli/g.json")));
  std::string tally_count = "(";
  tally_count += std::to_string(members);
  tally_count += " symbols)";
  EXPECT_NE(r.out.find(tally_count), std::string::npos);
}

// The edges of a scan are every file's relation and "contains" edges in walk
// order, each kept only where it first occurs in the whole list: within one
// file (few edges, or many) and across files that share an id through a
// linked directory.
std::vector<graph::Edge> first_of_each_edge(const std::string& root) {
  const std::string resolved_root = discovery::resolve_path(root);
  std::vector<graph::Edge> all;
  for (const discovery::WalkedFile& f : discovery::walk_files_resolved(root)) {
    std::string text;
    text::decode_text(read_file(f.path), text);
    const std::string id = discovery::relative_id(f.resolved, resolved_root);
    const std::string_view raw_ext = languages::extension_of(languages::base_name(f.path));
    std::vector<relations::Relation> found =
        relations::find_relations(text, languages::profile(raw_ext));
    graph::append_relation_edges(all, id, found);
    const std::string ext = text::to_lower(raw_ext);
    std::vector<graph::Node> nodes;
    graph::append_symbol_nodes(nodes, all, symbols::extract_symbols_for_file(text, id, ext), id,
                               ext);
  }
  std::set<std::tuple<std::string, std::string, std::string>> seen;
  std::vector<graph::Edge> firsts;
  for (const graph::Edge& e : all) {
    if (seen.insert({e.from, e.to, e.rel}).second) firsts.push_back(e);
  }
  return firsts;
}

TEST(Library, EachEdgeKeptWhereItFirstOccurs) {
  std::string many;
  for (int i = 0; i < 60; ++i) many += "import mod" + std::to_string(i % 23) + "\n";
  many += "def run():\n    pass\n\ndef run():\n    pass\n";
  for (bool linked : {false, true}) {
    TempTree t;
    t.write("p/real/many.py", many);
    t.write("p/real/few.py", "import os\nimport os\nimport sys\n\ndef go():\n    pass\n");
    t.write("p/other.ts", "import a from './real/few';\nimport a from './real/few';\n");
    if (linked) t.symlink("real", "p/alias");
    const std::string root = t.path("p").string();
    const graph::Graph g = graph::scan(root);
    const std::vector<graph::Edge> want = first_of_each_edge(root);
    EXPECT_GT(want.size(), 25U);
    EXPECT_EQ(g.edges, want) << (linked ? "with" : "without") << " a linked directory";
  }
}

std::size_t occurrences(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// A previous graph is reused alike whether the scan reads it or takes it
// over: an unchanged file keeps its stored values (of a member named twice,
// the last), also where its id is met twice through a linked directory; a
// node without stored content gets the current text; a changed file is
// analysed afresh. Reading it leaves it as it was.
TEST(Library, PreviousNodesReusedAlikeByCopyAndByMove) {
  using graph::JsonValue;
  TempTree t;
  const std::string a = "def run():\n    pass\n";
  const std::string b = "export function go() {}\n";
  t.write("p/real/a.py", a);
  t.write("p/b.ts", b);
  t.write("p/c.md", "# C\nnew text\n");
  t.symlink("real", "p/alias");
  const std::string root = t.path("p").string();
  auto str = [](std::string v) { return JsonValue::string(std::move(v)); };
  graph::PriorNodes prior;
  prior["real/a.py"] = JsonValue::object({{"id", str("real/a.py")},
                                          {"kind", str("file")},
                                          {"file_hash", str(text::short_hash(a))},
                                          {"summary", str("first stored")},
                                          {"summary", str("last stored")},
                                          {"keywords", JsonValue::array({str("kept")})},
                                          {"size", JsonValue::integer(1)},
                                          {"content", str("stored text")}});
  prior["b.ts"] = JsonValue::object(
      {{"id", str("b.ts")}, {"file_hash", str(text::short_hash(b))}, {"summary", str("b stored")}});
  prior["c.md"] = JsonValue::object(
      {{"id", str("c.md")}, {"file_hash", str("00000000")}, {"summary", str("stale")}});
  const graph::PriorNodes before = prior;

  const std::string by_copy = documents::graph_document(graph::scan(root, &prior));
  EXPECT_EQ(prior, before);
  const std::string by_move = documents::graph_document(graph::scan(root, std::move(prior)));
  EXPECT_EQ(by_copy, by_move);
  EXPECT_EQ(occurrences(by_move, "\"summary\": \"last stored\""), 2U);
  EXPECT_EQ(occurrences(by_move, "\"content\": \"stored text\""), 2U);
  EXPECT_EQ(occurrences(by_move, "first stored"), 0U);
  EXPECT_EQ(occurrences(by_move, "\"summary\": \"b stored\""), 1U);
  EXPECT_EQ(occurrences(by_move, "\"content\": \"export function go() {}\\n\""), 1U);
  EXPECT_EQ(occurrences(by_move, "stale"), 0U);
  EXPECT_EQ(occurrences(by_move, "\"content\": \"# C\\nnew text\\n\""), 1U);
  // The symbols of reused files are found afresh.
  EXPECT_EQ(occurrences(by_move, "\"id\": \"real/a.py::run\""), 2U);
}

TEST(Library, SymbolIndexLeadsBackToTheSymbolLines) {
  TempTree t;
  write_sample(t);
  t.write("p/src/ff.ts", "export function a() {\n  return 1;\n}\n\f\nexport function b() {\n}\n");
  const std::string root = t.path("p").string();
  graph::Graph g = graph::scan(root);
  documents::write_documents(g, t.path("o/g.json").string());
  auto index = documents::read_symbol_index(t.path("o/symbol_index.json").string());
  ASSERT_TRUE(index.has_value());
  std::size_t checked = 0;
  for (const documents::SymbolIndexEntry& e : *index) {
    auto lines = documents::read_symbol_lines(root, e);
    ASSERT_TRUE(lines.has_value()) << e.id;
    EXPECT_TRUE(documents::body_matches(*lines, e)) << e.id;
    ++checked;
    if (e.id == "src/ff.ts::b") {
      EXPECT_EQ((*lines)[0], "export function b() {");
    }
  }
  EXPECT_GE(checked, 3U);
  t.write("p/src/auth.ts", "// moved\nexport function handleLogin(u) {\n}\n");
  for (const documents::SymbolIndexEntry& e : *index) {
    if (e.id != "src/auth.ts::handleLogin") continue;
    EXPECT_FALSE(documents::body_matches(*documents::read_symbol_lines(root, e), e));
  }
  t.write("o/bad.json", "[1]");
  EXPECT_FALSE(documents::read_symbol_index(t.path("o/bad.json").string()).has_value());
  EXPECT_FALSE(documents::read_symbol_index(t.path("o/none.json").string()).has_value());
}

}  // namespace
}  // namespace graph_builder::testing
