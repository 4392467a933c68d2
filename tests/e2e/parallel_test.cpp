// The documents do not depend on the number of jobs: the conformance kit and
// its trees, and a generated tree of thousands of small files of every
// extension scanned many times, give the same bytes with 1, 2, 3 and 8 jobs;
// skipped entries are reported in the same order; a scan asked to stop
// stops its workers, and an exception on the calling thread ends the scan.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/documents/documents.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/scan.hpp"
#include "support/conformance.hpp"
#include "support/run_cli.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

constexpr unsigned kJobCounts[] = {1, 2, 3, 8};

struct Documents {
  std::string graph;
  std::string index;
  bool operator==(const Documents&) const = default;
};

Documents documents_of(const graph::Graph& g) {
  return {documents::graph_document(g), documents::symbol_index_document(g)};
}

Documents scan_with_jobs(const std::string& root, unsigned jobs) {
  graph::ScanOptions options;
  options.jobs = jobs;
  return documents_of(graph::scan(root, nullptr, options));
}

// The whole kit, in one scan of its cases: the same bytes for every job
// count, through the library and through the program.
TEST(ParallelKit, CasesGiveTheSameDocumentsForEveryJobCount) {
  auto kit = conformance_dir();
  if (!kit) GTEST_SKIP() << "conformance kit not found";
  const std::string root = (*kit / "cases").string();
  const Documents one = scan_with_jobs(root, 1);
  ASSERT_NE(one.graph.find("\"file_count\": 68"), std::string::npos);
  for (unsigned jobs : kJobCounts) {
    EXPECT_TRUE(scan_with_jobs(root, jobs) == one) << jobs << " jobs";
    TempTree out;
    const CliResult r = run_cli(
        {"--root", root, "--out", out.path("g.json").string(), "--jobs", std::to_string(jobs)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(out.path("g.json")), one.graph) << jobs << " jobs";
    EXPECT_EQ(read_file(out.path("symbol_index.json")), one.index) << jobs << " jobs";
  }
}

class ParallelKitTree : public ::testing::TestWithParam<std::string> {};

// Each of the kit's trees, through the program with -j N: the expected bytes.
TEST_P(ParallelKitTree, ExpectedDocumentsForEveryJobCount) {
  auto kit = conformance_dir();
  if (!kit) GTEST_SKIP() << "conformance kit not found";
  const auto tree = *kit / "trees" / GetParam();
  const auto root = std::filesystem::canonical(tree / "tree");
  std::string expected_graph = read_file(tree / "expected" / "info_graph.json");
  const std::string marker = "\"<ROOT>\"";
  const auto at = expected_graph.find(marker);
  ASSERT_NE(at, std::string::npos);
  expected_graph.replace(at, marker.size(), json_literal(root.string()));
  const std::string expected_index = read_file(tree / "expected" / "symbol_index.json");
  for (unsigned jobs : kJobCounts) {
    TempTree out;
    const CliResult r = run_cli({"--root", root.string(), "--out", out.path("g.json").string(),
                                 "-j" + std::to_string(jobs)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(out.path("g.json")), expected_graph) << jobs << " jobs";
    EXPECT_EQ(read_file(out.path("symbol_index.json")), expected_index) << jobs << " jobs";
  }
}

INSTANTIATE_TEST_SUITE_P(Trees, ParallelKitTree, ::testing::ValuesIn(kKitTrees),
                         [](const ::testing::TestParamInfo<std::string>& tree_info) {
                           return kit_tree_test_name(tree_info.param);
                         });

// Small texts for every extension the scan reads (and two it does not), with
// symbols, imports and words that differ from file to file.
std::string synthetic_text(const std::string& ext, int i) {
  const std::string n = std::to_string(i);
  if (ext == ".py") {
    return "import os\nfrom app.models import User" + n + "\n\nclass Service" + n +
           ":\n    def run(self):\n        return " + n + "\n\ndef helper_" + n +
           "(x):\n    return x\n";
  }
  if (ext == ".ts" || ext == ".tsx" || ext == ".js" || ext == ".jsx") {
    return "import { api } from './api" + n + "';\nconst x = require('lib" + n +
           "');\n\nexport function handleThing" + n + "(req) {\n  return fetch('/api/v1/items/" +
           n + "');\n}\n\nexport const useWidget" + n + " = () => {\n  return null;\n};\n";
  }
  if (ext == ".rs") {
    return "use std::io;\nuse crate::store" + n + ";\n\npub fn parse_" + n +
           "(s: &str) -> usize {\n    s.len()\n}\n\npub struct Record" + n +
           " {\n    id: u32,\n}\n";
  }
  if (ext == ".java" || ext == ".kt" || ext == ".kts" || ext == ".scala" || ext == ".cs") {
    return "package com.example.p" + n + ";\nimport com.example.util.Helper" + n +
           ";\nusing System.Text;\n\npublic class Widget" + n +
           " {\n    public int compute(int a) {\n        return a + " + n + ";\n    }\n}\n";
  }
  if (ext == ".c" || ext == ".cpp" || ext == ".h" || ext == ".hpp") {
    return "#include <stdio.h>\n#include \"local" + n + ".h\"\n\nint compute_" + n +
           "(int a) {\n  return a * " + n + ";\n}\n\nstruct Point" + n + " {\n  int x;\n};\n";
  }
  if (ext == ".rb") {
    return "require 'json'\nrequire_relative 'helper" + n + "'\n\nclass Account" + n +
           " < Base\n  def balance\n    " + n + "\n  end\nend\n";
  }
  if (ext == ".php") {
    return "<?php\nnamespace App\\Models;\nuse App\\Support\\Helper" + n + ";\nrequire 'boot" + n +
           ".php';\n\nclass Invoice" + n + " {\n    public function total() {\n        return " +
           n + ";\n    }\n}\n";
  }
  if (ext == ".go") {
    return "package main\n\nimport (\n\t\"fmt\"\n\t\"example.com/pkg" + n + "\"\n)\n\nfunc Handle" +
           n + "() {\n\tfmt.Println(" + n + ")\n}\n";
  }
  if (ext == ".swift") {
    return "import Foundation\n\nstruct Model" + n + " {\n    func render() -> Int { " + n +
           " }\n}\n";
  }
  if (ext == ".json") return "{\"name\": \"pkg" + n + "\", \"main\": \"src/index" + n + ".js\"}\n";
  if (ext == ".yaml" || ext == ".yml") {
    return "service: api" + n + "\nimage: registry/app:" + n + "\nports:\n  - 80" + n + "\n";
  }
  if (ext == ".md") {
    return "# Notes " + n + "\n\nSee src/app" + n + ".ts and docs/guide.md for the setup.\n";
  }
  if (ext == ".xaml") {
    return "<Window x:Class=\"App.Main" + n + "\">\n  <Button Content=\"Go" + n +
           "\"/>\n</Window>\n";
  }
  return "plain text " + n + "\n";
}

// A tree of `files` small files of every extension (with the kit present,
// its case files mixed in), in directories of uneven sizes and depths, plus
// a few long files, one over the size limit, one of exactly the limit, a
// directory reached a second time through a link and a link loop.
void write_generated_tree(const TempTree& t, int files) {
  const std::vector<std::string> exts{".go",    ".py",   ".js",   ".jsx", ".ts",  ".tsx",  ".swift",
                                      ".rs",    ".java", ".cs",   ".rb",  ".php", ".kt",   ".kts",
                                      ".scala", ".c",    ".cpp",  ".h",   ".hpp", ".json", ".yaml",
                                      ".yml",   ".md",   ".xaml", ".TSX", ".txt"};
  std::vector<std::pair<std::string, std::string>> kit_files;  // name, text
  if (auto kit = conformance_dir()) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(*kit / "cases")) {
      if (e.is_regular_file()) kit_files.emplace_back(e.path().filename(), read_file(e.path()));
    }
  }
  const int dir_sizes[] = {1, 3, 60, 7, 25, 2, 40, 11};
  int dir = 0;
  int left_in_dir = dir_sizes[0];
  for (int i = 0; i < files; ++i) {
    if (left_in_dir-- == 0) {
      ++dir;
      left_in_dir = dir_sizes[dir % std::size(dir_sizes)] - 1;
    }
    std::string path = "p/d" + std::to_string(dir % 17);
    for (int level = 0; level < dir % 4; ++level) path += "/s" + std::to_string(dir);
    const std::string& ext = exts[static_cast<std::size_t>(i) % exts.size()];
    std::string lower = ext;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!kit_files.empty() && i % 5 == 0) {
      const auto& [name, text] = kit_files[static_cast<std::size_t>(i / 5) % kit_files.size()];
      t.write(path + "/" + std::to_string(i) + "_" + name, text + std::to_string(i) + "\n");
    } else {
      t.write(path + "/f" + std::to_string(i) + ext, synthetic_text(lower, i));
    }
  }
  std::string long_text;
  for (int i = 0; long_text.size() < 200000; ++i) long_text += synthetic_text(".py", i);
  for (int i = 0; i < 3; ++i) t.write("p/d" + std::to_string(i) + "/long.py", long_text);
  t.write("p/big.md", std::string(graph::MAX_FILE_BYTES + 1, 'x'));
  t.write("p/exact.md", std::string(graph::MAX_FILE_BYTES, 'y'));
  t.write("p/shared/lib.ts", synthetic_text(".ts", 1));
  t.write("p/shared/util.py", synthetic_text(".py", 2));
  t.symlink("../shared", "p/d5/shared_again");
  t.symlink("..", "p/d6/up");
}

// Every entry a scan reports as passed over, in the order reported.
std::vector<std::string> skips_reported(const std::string& root, unsigned jobs) {
  std::vector<std::string> got;
  graph::ScanOptions options;
  options.jobs = jobs;
  options.on_skip = [&](const discovery::Skipped& s) {
    got.push_back(s.path + " " + std::string(discovery::describe(s.reason)));
  };
  (void)graph::scan(root, nullptr, options);
  return got;
}

// The stored summary of every file node of `doc` replaced, so that reuse
// shows in the output.
graph::PriorNodes previous_with_stored_summaries(const std::string& doc) {
  graph::PriorNodes prior = documents::parse_previous_graph(doc);
  for (auto& [id, node] : prior) node.set("summary", graph::JsonValue::string("stored " + id));
  return prior;
}

TEST(ParallelScan, GeneratedTreeScannedManyTimesGivesTheSameBytes) {
  TempTree t;
  write_generated_tree(t, 2500);
  const std::string root = t.path("p").string();
  const Documents one = scan_with_jobs(root, 1);
  // Every file the walk lists has its node, but the one over the size limit.
  const std::size_t listed = discovery::walk_files(root).size();
  ASSERT_GT(listed, 2000U);
  ASSERT_NE(one.graph.find("\"file_count\": " + std::to_string(listed - 1) + ","),
            std::string::npos);
  for (unsigned jobs : {2U, 3U}) EXPECT_TRUE(scan_with_jobs(root, jobs) == one) << jobs << " jobs";
  for (int run = 0; run < 10; ++run) {
    ASSERT_TRUE(scan_with_jobs(root, 8) == one) << "run " << run << " with 8 jobs";
  }

  // Reusing previous nodes, read only or handed over.
  const graph::PriorNodes prior = previous_with_stored_summaries(one.graph);
  graph::ScanOptions options;
  options.jobs = 1;
  const Documents reused = documents_of(graph::scan(root, &prior, options));
  EXPECT_NE(reused.graph, one.graph);
  EXPECT_NE(reused.graph.find("\"summary\": \"stored shared/lib.ts\""), std::string::npos);
  options.jobs = 8;
  EXPECT_TRUE(documents_of(graph::scan(root, &prior, options)) == reused) << "read only";
  graph::PriorNodes handed_over = prior;
  EXPECT_TRUE(documents_of(graph::scan(root, std::move(handed_over), options)) == reused)
      << "handed over";

  const std::vector<std::string> skips = skips_reported(root, 1);
  EXPECT_EQ(skips.size(), 2U);  // the file over the limit and the link loop
  EXPECT_EQ(skips_reported(root, 8), skips);
}

// The documents written with several threads (the records made in stretches
// by helper threads, the index beside them) are those of one thread, for
// lists of several stretches, of one record, and empty ones.
TEST(ParallelScan, DocumentsWrittenWithEveryJobCountAreTheSame) {
  graph::Graph g;
  g.root = "/p";
  for (int f = 0; f < 700; ++f) {
    graph::Node file;
    file.id = file.path = "src/f" + std::to_string(f) + ".ts";
    file.kind = "file";
    file.ext = ".ts";
    file.content = synthetic_text(".ts", f);
    file.summary = "File \"" + std::to_string(f) + "\".";
    file.keywords = {"alpha", "beta" + std::to_string(f)};
    g.nodes.push_back(file);
    for (int k = 0; k < 4; ++k) {
      graph::Node sym;
      sym.id = file.id + "::fn" + std::to_string(k % 3);  // ids met twice: last value wins
      sym.kind = "symbol";
      sym.path = file.id;
      sym.name = "fn" + std::to_string(k);
      sym.line_start = k;
      sym.line_end = k + f % 5;
      g.nodes.push_back(sym);
      ++g.symbol_count;
      g.edges.push_back({file.id, sym.id, "contains"});
      g.edges.push_back({file.id, "lib" + std::to_string(k), "imports"});
    }
  }
  graph::Graph single;
  single.root = "/q";
  single.nodes.push_back(g.nodes[0]);
  single.edges.push_back(g.edges[0]);
  const graph::Graph empty;
  const graph::Graph* const graphs[] = {&g, &single, &empty};
  for (const graph::Graph* graph : graphs) {
    const Documents want = documents_of(*graph);
    for (unsigned jobs : kJobCounts) {
      TempTree out;
      const documents::WrittenDocuments written =
          documents::write_documents(*graph, out.path("g.json").string(), jobs);
      EXPECT_EQ(read_file(out.path("g.json")), want.graph) << jobs << " jobs";
      EXPECT_EQ(read_file(out.path("symbol_index.json")), want.index) << jobs << " jobs";
      std::size_t members = 0;
      (void)documents::symbol_index_document(*graph, &members);
      EXPECT_EQ(written.index_members, members);
    }
  }
}

// True when `a` is listed before `b` in the directory `dir`.
bool listed_before(const std::filesystem::path& dir, const std::string& a, const std::string& b) {
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().filename() == a) return true;
    if (e.path().filename() == b) return false;
  }
  return false;
}

// Entries passed over by the walk and files that cannot be read are reported
// in walk order: each walk report after the reports of the files found
// before it and before those found after it, whatever the number of jobs.
TEST(ParallelScan, SkipsReportedInWalkOrder) {
  TempTree t;
  const std::string big(graph::MAX_FILE_BYTES + 1, 'x');
  t.write("p/a.md", big);
  t.write("p/d/b.md", "fine\n");
  t.write("p/d/e/c.md", big);
  t.symlink("..", "p/d/e/up");
  t.write("p/d/e/f/h.md", big);
  t.write("p/d/e/f/g/i.md", big);
  t.symlink("../..", "p/d/e/f/up2");
  const std::string root = t.path("p").string();
  const std::string too_large = " over the size limit";
  const std::string loop = " a link loop";
  // The directories e and f each hold a link loop and a directory, walked in
  // their listing order.
  std::vector<std::string> in_f{root + "/d/e/f/h.md" + too_large};
  if (listed_before(t.path("p/d/e/f"), "g", "up2")) {
    in_f.insert(in_f.end(), {root + "/d/e/f/g/i.md" + too_large, root + "/d/e/f/up2" + loop});
  } else {
    in_f.insert(in_f.end(), {root + "/d/e/f/up2" + loop, root + "/d/e/f/g/i.md" + too_large});
  }
  std::vector<std::string> want{root + "/a.md" + too_large, root + "/d/e/c.md" + too_large};
  if (listed_before(t.path("p/d/e"), "up", "f")) want.push_back(root + "/d/e/up" + loop);
  want.insert(want.end(), in_f.begin(), in_f.end());
  if (want.size() == 5) want.push_back(root + "/d/e/up" + loop);
  for (unsigned jobs : kJobCounts) EXPECT_EQ(skips_reported(root, jobs), want) << jobs << " jobs";
}

// `dirs` directories of `per_dir` files of `bytes` bytes each.
void write_wide_tree(const TempTree& t, int dirs, int per_dir, std::size_t bytes) {
  std::string body;
  while (body.size() < bytes) body += "def step(x):\n    return x + 1\n";
  body.resize(bytes);
  for (int d = 0; d < dirs; ++d) {
    for (int f = 0; f < per_dir; ++f) {
      t.write("p/d" + std::to_string(d) + "/f" + std::to_string(f) + ".py", body);
    }
  }
}

// A scan asked to stop throws Cancelled, having asked the calling thread's
// question exactly until the first yes; one never asked to stop runs to the
// end. The walk asks before each directory, so the first answers come before
// any file is done.
TEST(ParallelScan, StopsWhenAskedAndOnlyThen) {
  TempTree t;
  write_wide_tree(t, 4, 20, 100);
  const std::string root = t.path("p").string();
  for (unsigned jobs : {2U, 8U}) {
    for (int stop_after : {0, 1, 2}) {
      int asked = 0;
      graph::ScanOptions options;
      options.jobs = jobs;
      options.cancelled = [&] { return asked++ == stop_after; };
      EXPECT_THROW(graph::scan(root, nullptr, options), Cancelled) << jobs << " " << stop_after;
      EXPECT_EQ(asked, stop_after + 1) << jobs << " jobs";
    }
    int asked = 0;
    graph::ScanOptions options;
    options.jobs = jobs;
    options.cancelled = [&] {
      ++asked;
      return false;
    };
    EXPECT_EQ(graph::scan(root, nullptr, options).file_count(), 80U);
    EXPECT_GE(asked, 5);  // the root and its four directories at least
  }
}

// Bytes this process has read so far (read() and its kin; listing
// directories does not count).
std::uint64_t bytes_read_so_far() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

// Once asked to stop, the workers read no further than the files they were
// at: a scan stopped after its first batch of files reads far less than the
// tree, even where the workers could run ahead of the calling thread by the
// most batches that may wait to go into the graph.
TEST(ParallelScan, WorkersStopPromptlyWhenAsked) {
  TempTree t;
  constexpr int kDirs = 60;
  constexpr int kPerDir = 100;
  constexpr std::size_t kBytes = 4096;
  write_wide_tree(t, kDirs, kPerDir, kBytes);
  const std::string root = t.path("p").string();
  const std::uint64_t tree_bytes = std::uint64_t{kDirs} * kPerDir * kBytes;
  for (unsigned jobs : {2U, 3U}) {
    bool some_done = false;
    graph::ScanOptions options;
    options.jobs = jobs;
    options.on_progress = [&](const graph::ScanProgress& p) { some_done = p.files_done > 0; };
    options.cancelled = [&] { return some_done; };
    const std::uint64_t before = bytes_read_so_far();
    EXPECT_THROW(graph::scan(root, nullptr, options), Cancelled);
    const std::uint64_t read = bytes_read_so_far() - before;
    EXPECT_GT(read, 0U);
    EXPECT_LT(read, tree_bytes / 2) << jobs << " jobs";
  }
}

// What the calling thread's callbacks throw ends the scan, workers stopped,
// and reaches the caller.
TEST(ParallelScan, ExceptionOnTheCallingThreadEndsTheScan) {
  TempTree t;
  write_wide_tree(t, 10, 50, 200);
  t.write("p/d3/huge.md", std::string(graph::MAX_FILE_BYTES + 1, 'x'));
  const std::string root = t.path("p").string();
  for (unsigned jobs : {2U, 8U}) {
    graph::ScanOptions options;
    options.jobs = jobs;
    options.on_skip = [](const discovery::Skipped&) { throw std::runtime_error("from on_skip"); };
    EXPECT_THROW(graph::scan(root, nullptr, options), std::runtime_error);
    graph::ScanOptions progress;
    progress.jobs = jobs;
    progress.on_progress = [](const graph::ScanProgress& p) {
      if (p.files_done > 100) throw std::runtime_error("from on_progress");
    };
    EXPECT_THROW(graph::scan(root, nullptr, progress), std::runtime_error);
  }
}

}  // namespace
}  // namespace graph_builder::testing
