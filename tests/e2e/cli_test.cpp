// End-to-end runs of the built executable on small trees.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "graph_builder/version.hpp"
#include "support/run_cli.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

struct Scanned {
  CliResult result;
  std::string graph;
  std::string index;
};

Scanned scan_tree(const TempTree& tree, const fs::path& out) {
  Scanned s;
  s.result = run_cli({"--root", tree.path("p").string(), "--out", out.string()});
  s.graph = read_file(out);
  s.index = read_file(out.parent_path() / "symbol_index.json");
  return s;
}

Json node_of(const std::string& graph, const std::string& id) {
  const Json doc = Json::parse(graph);
  for (const Json& n : doc["nodes"]) {
    if (n["id"] == id) return n;
  }
  return Json();
}

// Usage errors exit 2 before anything is created or replaced: a malformed
// command line (usage line, then the error), and a root or output path that
// cannot be what it should (one line naming it and the reason). A good graph
// already at the output path stays as it was.
TEST(Cli, UsageErrorsExitTwoAndCreateNothing) {
  TempTree t;
  t.write("p/a.md", "# A\n");
  t.write("kept/g.json", "a good graph");
  t.mkdir("adir");
  const std::string made = t.path("made/g.json").string();
  const std::string kept = t.path("kept/g.json").string();
  const std::string root = t.path("p").string();
  const std::string usage =
      "usage: graph_builder [-h] [--version] [-v] [--root ROOT] [--out OUT] [-j N]\n";
  struct Case {
    std::vector<std::string> args;
    std::string err;  // a prefix of standard error
  };
  const std::vector<Case> cases{
      {{"--out", made, "--bogus"}, usage + "graph_builder: error: unrecognized arguments: --bogus"},
      {{"--out", made, "--root"}, usage + "graph_builder: error: argument --root: expected one"},
      {{"positional", "--out", made}, usage + "graph_builder: error: unrecognized arguments"},
      {{"--root=", "--out", made}, usage + "graph_builder: error: argument --root: expected a non"},
      {{"--root", root, "--out="}, usage + "graph_builder: error: argument --out: expected a non"},
      {{"--root", t.path("pp").string(), "--out", kept},
       "graph_builder: error: --root " + t.path("pp").string() + ": " + std::strerror(ENOENT) +
           "\n"},
      {{"--root", t.path("p/a.md").string(), "--out", kept},
       "graph_builder: error: --root " + t.path("p/a.md").string() + ": " + std::strerror(ENOTDIR) +
           "\n"},
      {{"--root=~/p", "--out", made},
       std::string("graph_builder: error: --root ~/p: ") + std::strerror(ENOENT) + "\n"},
      {{"--root", root, "--out", t.path("adir").string()},
       "graph_builder: error: --out must name a file: " + t.path("adir").string() + "\n"},
      {{"--root", root, "--out", t.path("made").string() + "/"},
       "graph_builder: error: --out must name a file: " + t.path("made").string() + "/\n"},
      {{"--root", root, "--out", t.path("made/.").string()},
       "graph_builder: error: --out must name a file: " + t.path("made/.").string() + "\n"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    CliResult r = run_cli(c.args, t.root());
    EXPECT_EQ(r.status, 2) << joined;
    EXPECT_EQ(r.out, "") << joined;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0U) << joined << "\n" << r.err;
    EXPECT_FALSE(fs::exists(t.path("made"))) << joined;
    EXPECT_EQ(read_file(t.path("kept/g.json")), "a good graph") << joined;
    EXPECT_FALSE(fs::exists(t.path("kept/symbol_index.json"))) << joined;
  }
  CliResult help = run_cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Scan project and build information graph JSON."), std::string::npos);
}

// The version, as the library gives it, on standard output.
TEST(Cli, VersionIsTheLibraryVersion) {
  const std::string v(version());
  EXPECT_TRUE(std::regex_match(v, std::regex(R"([0-9]+\.[0-9]+\.[0-9]+)"))) << v;
  CliResult r = run_cli({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "graph_builder " + v + "\n");
  EXPECT_EQ(r.err, "");
}

TEST(Cli, EmptyRootWritesEmptyDocuments) {
  TempTree t;
  t.mkdir("empty");
  CliResult r = run_cli({"--root", t.path("empty").string(), "--out", t.path("o/g.json").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Scanned: 0 files, 0 symbols, 0 edges\nWrote: " + t.path("o/g.json").string() +
                       "\nSymbol index: " + t.path("o/symbol_index.json").string() +
                       " (0 symbols)\n");
  EXPECT_EQ(read_file(t.path("o/g.json")),
            "{\n  \"root\": " + json_literal(t.path("empty").string()) +
                ",\n  \"node_count\": 0,\n  \"edge_count\": 0,\n  \"file_count\": 0,\n"
                "  \"symbol_count\": 0,\n  \"nodes\": [],\n  \"edges\": []\n}");
  EXPECT_EQ(read_file(t.path("o/symbol_index.json")), "{}");
}

// With -v, each entry passed over is named on standard error with its
// reason, then the time taken; standard output is the same three lines.
TEST(Cli, VerboseNamesWhatIsPassedOverAndTheTime) {
  TempTree t;
  const std::string root = t.path("p").string();
  t.write("p/src/a.ts", "export function a() {\n}\n");
  t.write("p/big/huge.md", std::string(300001, 'x'));
  t.write("outside/o.md", "# O\n");
  t.symlink(t.path("outside").string(), "p/linked");
  t.symlink("..", "p/src/up");
  std::vector<std::string> expected{
      "graph_builder: skipped " + root + "/big/huge.md: over the size limit",
      "graph_builder: skipped " + root + "/linked: a linked directory outside the root",
      "graph_builder: skipped " + root + "/src/up: a link loop",
  };
  if (::geteuid() != 0) {
    // Root reads anything, so only others see an unreadable file.
    t.write("p/locked.md", "# L\n");
    ::chmod(t.path("p/locked.md").c_str(), 0);
    expected.push_back("graph_builder: skipped " + root + "/locked.md: unreadable");
  }
  std::sort(expected.begin(), expected.end());
  const std::vector<std::string> quiet_args{"--root", root, "--out", t.path("o/g.json").string()};
  std::vector<std::string> verbose_args = quiet_args;
  verbose_args.insert(verbose_args.begin(), "-v");
  const CliResult quiet = run_cli(quiet_args);
  const CliResult verbose = run_cli(verbose_args);
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  ASSERT_EQ(verbose.status, 0) << verbose.err;
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(verbose.out, quiet.out);
  std::vector<std::string> lines;
  std::istringstream err(verbose.err);
  for (std::string line; std::getline(err, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(
      std::regex_match(lines.back(), std::regex(R"(graph_builder: took [0-9]+\.[0-9]{3} s)")))
      << lines.back();
  lines.pop_back();
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, expected);
}

TEST(Cli, PrintedPathsAreNormalisedAndBareNamesStayBare) {
  TempTree t;
  t.mkdir("proj");
  CliResult r = run_cli({"--root=proj", "--out=./a//b/./g.json"}, t.root());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nWrote: a/b/g.json\nSymbol index: a/b/symbol_index.json (0 symbols)\n"),
            std::string::npos)
      << r.out;
  CliResult bare = run_cli({"--root", "proj", "--out", "g.json"}, t.root());
  ASSERT_EQ(bare.status, 0) << bare.err;
  EXPECT_NE(bare.out.find("Symbol index: symbol_index.json (0 symbols)"), std::string::npos);
  EXPECT_TRUE(fs::exists(t.path("symbol_index.json")));
  EXPECT_EQ(Json::parse(read_file(t.path("g.json")))["root"], t.path("proj").string());
}

TEST(Cli, SizeLimitContentCutAndHashOfDecodedText) {
  TempTree t;
  t.write("p/exact.md", std::string(300000, 'a'));
  t.write("p/over.md", std::string(300001, 'a'));
  std::string long_text;
  for (int i = 0; i < 15000; ++i)
    long_text +=
        "\xC3\xA9"
        "b";  // 30000 code points
  t.write("p/long.md", long_text);
  t.write("p/crlf.md", "one\r\ntwo\r\n");
  t.write("p/lf.md", "one\ntwo\n");
  t.write("p/cr.md", "one\rtwo\r");
  t.write("p/latin.md", "caf\xE9 ok");
  t.write("p/bom.md", "\xEF\xBB\xBFhi");
  Scanned s = scan_tree(t, t.path("o/g.json"));
  ASSERT_EQ(s.result.status, 0) << s.result.err;
  EXPECT_FALSE(node_of(s.graph, "exact.md").is_null());
  EXPECT_TRUE(node_of(s.graph, "over.md").is_null());
  Json lng = node_of(s.graph, "long.md");
  EXPECT_EQ(lng["size"], 45000);
  std::string content = lng["content"];
  EXPECT_EQ(content.size(), 36000U);  // 24000 code points, 12000 of them two bytes
  EXPECT_EQ(node_of(s.graph, "crlf.md")["file_hash"], node_of(s.graph, "lf.md")["file_hash"]);
  EXPECT_EQ(node_of(s.graph, "cr.md")["file_hash"], node_of(s.graph, "lf.md")["file_hash"]);
  EXPECT_EQ(node_of(s.graph, "crlf.md")["content"], "one\ntwo\n");
  EXPECT_EQ(node_of(s.graph, "crlf.md")["size"], 10);
  EXPECT_EQ(node_of(s.graph, "latin.md")["content"], "caf ok");
  EXPECT_EQ(node_of(s.graph, "bom.md")["content"], "\xEF\xBB\xBFhi");
  EXPECT_NE(s.graph.find("\"content\": \"\\ufeffhi\""), std::string::npos);
  for (char c : s.graph) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
  EXPECT_NE(s.graph.back(), '\n');
  EXPECT_EQ(s.index.find('\n'), std::string::npos);
}

TEST(Cli, SecondRunIsByteIdenticalAndReusesStoredValues) {
  TempTree t;
  t.write("p/src/auth.ts", "export function handleLogin() {\n  return 1;\n}\n");
  t.write("p/docs/guide.md", "# Guide\nSee src/auth.ts for the login flow.\n");
  Scanned first = scan_tree(t, t.path("o/g.json"));
  ASSERT_EQ(first.result.status, 0) << first.result.err;
  Scanned second = scan_tree(t, t.path("o/g.json"));
  EXPECT_EQ(second.graph, first.graph);
  EXPECT_EQ(second.index, first.index);
  EXPECT_EQ(second.result.out, first.result.out);

  // Stored values of an unchanged file are carried over verbatim, whatever
  // their type; a changed file is analysed afresh.
  Json g = Json::parse(first.graph);
  for (Json& n : g["nodes"]) {
    if (n["id"] == "docs/guide.md") {
      n["summary"] = "kept summary \xC3\xA9";
      n["keywords"] = Json::object({{"odd", 1}});
      n["size"] = "not a number";
      n.erase("content");
    }
    if (n["id"] == "src/auth.ts") n["file_hash"] = "00000000";
  }
  t.write("o/g.json", g.dump(2));
  Scanned third = scan_tree(t, t.path("o/g.json"));
  ASSERT_EQ(third.result.status, 0) << third.result.err;
  Json guide = node_of(third.graph, "docs/guide.md");
  EXPECT_EQ(guide["summary"], "kept summary \xC3\xA9");
  EXPECT_EQ(guide["keywords"], Json::object({{"odd", 1}}));
  EXPECT_EQ(guide["size"], "not a number");
  EXPECT_EQ(guide["content"], "# Guide\nSee src/auth.ts for the login flow.\n");
  EXPECT_EQ(node_of(third.graph, "src/auth.ts"), node_of(first.graph, "src/auth.ts"));
  EXPECT_NE(third.graph.find("\"keywords\": {\n        \"odd\": 1\n      },"), std::string::npos);
}

TEST(Cli, FileSeenTwiceThroughALinkIsReusedTwice) {
  TempTree t;
  t.write("p/real/notes.md", "# Notes\nPlain words here.\n");
  t.symlink("real", "p/alias");
  Scanned first = scan_tree(t, t.path("o/g.json"));
  ASSERT_EQ(first.result.status, 0);
  Json g = Json::parse(first.graph);
  ASSERT_EQ(g["file_count"], 2);
  for (Json& n : g["nodes"]) n["summary"] = "stored";
  t.write("o/g.json", g.dump(2));
  Scanned second = scan_tree(t, t.path("o/g.json"));
  Json g2 = Json::parse(second.graph);
  ASSERT_EQ(g2["nodes"].size(), 2U);
  EXPECT_EQ(g2["nodes"][0]["summary"], "stored");
  EXPECT_EQ(g2["nodes"][1]["summary"], "stored");
  EXPECT_EQ(g2["nodes"][0]["id"], "real/notes.md");
  EXPECT_EQ(g2["nodes"][1]["id"], "real/notes.md");
}

TEST(Cli, UnreadablePreviousDocumentMeansAFullSilentScan) {
  TempTree t;
  t.write("p/a.md", "hello there world\n");
  Scanned clean = scan_tree(t, t.path("o/g.json"));
  ASSERT_EQ(clean.result.status, 0);
  for (const std::string& prev :
       {std::string("{broken"), std::string("[]"), std::string("\xEF\xBB\xBF") + clean.graph,
        std::string(R"({"nodes": [{"kind": "file"}]})")}) {
    t.write("o/g.json", prev);
    Scanned s = scan_tree(t, t.path("o/g.json"));
    EXPECT_EQ(s.result.status, 0);
    EXPECT_EQ(s.result.err, "");
    EXPECT_EQ(s.graph, clean.graph);
  }
}

TEST(Cli, UnwritableOutputFailsWithoutTally) {
  TempTree t;
  t.write("p/a.md", "x\n");
  t.write("blocker", "a file where a directory should be");
  CliResult r =
      run_cli({"--root", t.path("p").string(), "--out", t.path("blocker/g.json").string()});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("graph_builder: error: ", 0), 0U) << r.err;

  t.mkdir("dir_out");
  CliResult d = run_cli({"--root", t.path("p").string(), "--out", t.path("dir_out").string()});
  EXPECT_NE(d.status, 0);
  EXPECT_EQ(d.out, "");
}

TEST(Cli, FailedWriteLeavesThePreviousDocumentsWhole) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can write into read-only directories";
  TempTree t;
  t.write("p/a.md", "first version\n");
  Scanned first = scan_tree(t, t.path("o/g.json"));
  ASSERT_EQ(first.result.status, 0);
  t.write("p/a.md", "second version\n");
  ::chmod(t.path("o").c_str(), 0555);
  Scanned second = scan_tree(t, t.path("o/g.json"));
  ::chmod(t.path("o").c_str(), 0755);
  EXPECT_NE(second.result.status, 0);
  EXPECT_EQ(second.graph, first.graph);
}

}  // namespace
}  // namespace graph_builder::testing
