// The one call that does what the command line does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/documents/documents.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/error.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::documents {
namespace {

using testing::read_file;
using testing::TempTree;

void write_tree(const TempTree& t) {
  t.write("p/src/auth.ts",
          "import jwt from 'jsonwebtoken';\n\nexport function handleLogin(u) {\n"
          "  return jwt.sign(u);\n}\n\nexport function useSession() {\n  return null;\n}\n");
  t.write("p/docs/guide.md", "# Guide\nRead src/auth.ts first.\n");
}

// The counts and paths the tally prints, the documents of the returned
// graph, written where the paths say, in a directory made for them.
TEST(Build, WritesBothDocumentsAndReturnsWhatTheTallyPrints) {
  TempTree t;
  write_tree(t);
  const std::string out = t.path("made/deeper//g.json").string();
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const Built built = build(t.path("p").string(), out);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(built.graph.root, t.path("p").string());
  EXPECT_EQ(built.graph.file_count(), 2U);
  EXPECT_EQ(built.graph.symbol_count, 2U);
  EXPECT_EQ(built.written.graph_path, t.path("made/deeper/g.json").string());
  EXPECT_EQ(built.written.index_path, t.path("made/deeper/symbol_index.json").string());
  EXPECT_EQ(built.written.index_members, 2U);
  EXPECT_EQ(read_file(built.written.graph_path), graph_document(built.graph));
  EXPECT_EQ(read_file(built.written.index_path), symbol_index_document(built.graph));
  EXPECT_TRUE(built.previous.empty());
}

// A root given relative or through a link is resolved; the graph names it
// resolved.
TEST(Build, ResolvesTheRoot) {
  TempTree t;
  write_tree(t);
  t.symlink("p", "link");
  const Built built = build(t.path("link/./src/..").string(), t.path("o/g.json").string());
  EXPECT_EQ(built.graph.root, t.path("p").string());
  EXPECT_EQ(built.graph.file_count(), 2U);
}

// A previous graph document at the output path is read back: an unchanged
// file keeps what it stored, even where the analysis would give something
// else now; an unreadable one means a full scan.
TEST(Build, ReadsThePreviousGraphBack) {
  TempTree t;
  write_tree(t);
  const std::string root = t.path("p").string();
  const std::string out = t.path("o/g.json").string();
  const Built first = build(root, out);
  std::string doc = read_file(out);
  const std::string summary = "\"summary\": \"" + first.graph.nodes[0].summary + "\"";
  const std::size_t at = doc.find(summary);
  ASSERT_NE(at, std::string::npos);
  doc.replace(at, summary.size(), "\"summary\": \"stored summary\"");
  t.write("o/g.json", doc);
  const Built second = build(root, out);
  EXPECT_EQ(second.previous.size(), 2U);
  EXPECT_NE(read_file(out).find("\"summary\": \"stored summary\""), std::string::npos);

  t.write("o/g.json", "{not json");
  const Built third = build(root, out);
  EXPECT_TRUE(third.previous.empty());
  EXPECT_EQ(read_file(out), graph_document(first.graph));
}

// Names in the directory `dir`, sorted.
std::vector<std::string> names_in(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// True when this process has a file open in the directory `dir` (a
// temporary document, named or not, shows there as soon as it is created).
bool file_open_in(const std::filesystem::path& dir) {
  const std::string prefix = dir.string() + "/";
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    const std::filesystem::path target = std::filesystem::read_symlink(e.path(), ec);
    if (!ec && target.string().starts_with(prefix)) return true;
  }
  return false;
}

// A build asked to stop once the graph document is being written stops
// there: both previous documents stay as they were, and no temporary file is
// left beside them.
TEST(Build, StopWhileWritingLeavesThePreviousDocuments) {
  TempTree t;
  write_tree(t);
  const std::string out = t.path("o/g.json").string();
  (void)build(t.path("p").string(), out);
  const std::string old_graph = read_file(out);
  const std::string old_index = read_file(t.path("o/symbol_index.json"));
  const std::vector<std::string> documents{"g.json", "symbol_index.json"};
  t.write("p/src/more.ts", "export function more() {}\n");
  for (unsigned jobs : {1U, 2U}) {
    bool writing = false;
    graph::ScanOptions options;
    options.jobs = jobs;
    // Writing has begun once a temporary file is open beside the documents.
    options.cancelled = [&] { return writing = file_open_in(t.path("o")); };
    EXPECT_THROW(build(t.path("p").string(), out, options), Cancelled);
    EXPECT_TRUE(writing);
    EXPECT_EQ(read_file(out), old_graph);
    EXPECT_EQ(read_file(t.path("o/symbol_index.json")), old_index);
    EXPECT_EQ(names_in(t.path("o")), documents);
  }
}

// Run-level failures throw, print nothing, and create nothing more.
TEST(Build, UnwritableOutputThrows) {
  TempTree t;
  write_tree(t);
  t.write("blocker", "a file where a directory should be");
  ::testing::internal::CaptureStdout();
  EXPECT_THROW(build(t.path("p").string(), t.path("blocker/g.json").string()), FatalError);
  t.mkdir("dir_out");
  EXPECT_THROW(build(t.path("p").string(), t.path("dir_out").string()), FatalError);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(read_file(t.path("blocker")), "a file where a directory should be");
}

// A root that is not a directory, or an output path naming a directory, is
// refused before anything is created or replaced: an empty graph never
// takes the place of a good one. The scan alone still gives the empty graph.
TEST(Build, RefusesAMissingRootOrADirectoryOutputBeforeCreatingAnything) {
  TempTree t;
  write_tree(t);
  t.write("kept/g.json", "a good graph");
  const std::string kept = t.path("kept/g.json").string();
  const std::string made = t.path("made/g.json").string();
  const std::vector<std::pair<std::string, std::string>> refused{
      {t.path("missing").string(), kept},
      {t.path("p/docs/guide.md").string(), kept},
      {t.path("p").string(), t.path("made").string() + "/"},
      {t.path("p").string(), t.path("made/..").string()},
      {t.path("p").string(), t.path("kept").string()},
  };
  for (const auto& [root, out] : refused) {
    EXPECT_THROW(build(root, out), FatalError) << root << " " << out;
    EXPECT_FALSE(std::filesystem::exists(t.path("made"))) << root << " " << out;
    EXPECT_EQ(read_file(kept), "a good graph") << root << " " << out;
  }
  EXPECT_EQ(graph::scan(t.path("missing").string()).node_count(), 0U);
}

}  // namespace
}  // namespace graph_builder::documents
