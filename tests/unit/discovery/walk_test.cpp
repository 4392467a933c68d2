#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/languages/languages.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graph_builder/discovery/walk_internal.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::discovery {
namespace {

using graph_builder::testing::TempTree;

// File ids of everything the walk lists, sorted (listing order is the OS's).
std::vector<std::string> walked_ids(const TempTree& t) {
  std::vector<std::string> ids;
  for (const std::string& p : walk_files(t.root().string())) ids.push_back(rel(p, t.root()));
  std::sort(ids.begin(), ids.end());
  return ids;
}

using V = std::vector<std::string>;

TEST(ShouldScan, ExtensionsAndVenvPaths) {
  struct Case {
    const char* path;
    bool scanned;
  };
  const Case cases[] = {
      {"/p/src/a.ts", true},
      {"/p/README.MD", true},
      {"/p/Config.Yaml", true},
      {"/p/.py", false},
      {"/p/Makefile", false},
      {"/p/notes.txt", false},
      {"/p/a.tar.gz", false},
      {"/p/x.", false},
      {"/p/app/venv/x.py", false},
      {"/p/.venv/lib/x.py", false},
      {"/venv/p/x.py", false},
      {"/p/myvenv/x.py", true},
      {"/p/a.xaml", true},
      {"/p/A.KTS", true},
      {"rel.py", true},
      // Extensions holding bytes that are not UTF-8 (a stray byte, a
      // truncated sequence at the very end of the name).
      {"/p/x.\xff", false},
      {"/p/x.p\xc3", false},
      {"/p/x.\xe2\x84", false},
  };
  for (const Case& c : cases) EXPECT_EQ(should_scan(c.path), c.scanned) << c.path;
}

TEST(FileExtension, LastDotNotFirstNorLast) {
  EXPECT_EQ(languages::extension_of("a.tar.gz"), ".gz");
  EXPECT_EQ(languages::extension_of(".env"), "");
  EXPECT_EQ(languages::extension_of("name."), "");
  EXPECT_EQ(languages::extension_of("..py"), ".py");
  EXPECT_EQ(languages::extension_of("Main.JAVA"), ".JAVA");
  EXPECT_EQ(languages::extension_of("Makefile"), "");
}

TEST(Walk, PrunesSkipDirectoriesCaseSensitively) {
  TempTree t;
  t.write("src/a.ts", "");
  t.write("node_modules/x/i.js", "");
  t.write("deep/dist/b.js", "");
  t.write(".mirelane/c.md", "");
  t.write("Node_Modules/d.js", "");
  t.write("Dist/e.js", "");
  t.write("app/venv/x.py", "");
  t.write("Saved/f.md", "");
  t.write("notes.txt", "");
  EXPECT_EQ(walked_ids(t), (V{"Dist/e.js", "Node_Modules/d.js", "src/a.ts"}));
}

TEST(Walk, BuildDirectoryPrunedOnlyWithArtifactMarkers) {
  TempTree t;
  t.write("a/build/generated/v.h", "");
  t.write("a/build/top.h", "");
  t.write("b/build/src/m.c", "");
  t.write("b/build/x.c", "");
  t.write("c/build/tmp", "a file named like a marker does not count");
  t.write("c/build/y.c", "");
  EXPECT_EQ(walked_ids(t), (V{"b/build/src/m.c", "b/build/x.c", "c/build/y.c"}));
}

TEST(Walk, DirectoryFilesComeBeforeSubdirectories) {
  TempTree t;
  t.write("z/deep.py", "");
  t.write("top.py", "");
  auto files = walk_files(t.root().string());
  ASSERT_EQ(files.size(), 2U);
  EXPECT_EQ(rel(files[0], t.root()), "top.py");
  EXPECT_EQ(files[0], t.root().string() + "/top.py");
}

TEST(Walk, LinksInsideFollowedOutsidePrunedLoopsStopped) {
  TempTree outside;
  outside.write("shared/util.ts", "");
  outside.write("lone.py", "");
  TempTree t;
  t.write("real/a.py", "");
  t.symlink("real", "alias");                                   // inside: walked again
  t.symlink((outside.root() / "shared").string(), "ext");       // outside dir: pruned
  t.symlink((outside.root() / "lone.py").string(), "lone.py");  // outside file: listed
  t.symlink("..", "real/up");                                   // loop to the root
  t.symlink(".", "real/self");                                  // loop to itself
  t.symlink("missing.py", "broken.py");                         // broken: not a file
  EXPECT_EQ(walked_ids(t),
            (V{"../" + outside.root().filename().string() + "/lone.py", "real/a.py", "real/a.py"}));
}

// Each file's resolved path is what resolving its walked path gives, whether
// it is reached through plain directories (resolved by name), through a
// linked directory and the plain ones below it, or from a root given through
// a link.
TEST(Walk, ResolvedPathsAgreeWithResolvingEachPath) {
  TempTree outside;
  TempTree t;
  t.write("src/a/b/deep.py", "");
  t.write("src/top.ts", "");
  t.symlink("src/a", "alias");
  t.symlink(t.path("src").string(), outside.path("root-link").string());
  for (const std::string& root : {t.root().string(), outside.path("root-link").string()}) {
    const std::vector<WalkedFile> files = walk_files_resolved(root);
    ASSERT_GE(files.size(), 2U) << root;
    for (const WalkedFile& f : files) EXPECT_EQ(f.resolved, resolve_path(f.path)) << f.path;
  }
  EXPECT_EQ(walk_files_resolved(t.root().string()).size(), 3U);  // deep.py twice, top.ts
}

TEST(Walk, UnreadableDirectoriesAndMissingRootsAreSkipped) {
  TempTree t;
  t.write("ok.py", "");
  t.write("locked/secret.py", "");
  ::chmod(t.path("locked").c_str(), 0);
  bool root_user = ::geteuid() == 0;
  auto ids = walked_ids(t);
  if (root_user) {
    EXPECT_EQ(ids, (V{"locked/secret.py", "ok.py"}));
  } else {
    EXPECT_EQ(ids, V{"ok.py"});
  }
  EXPECT_TRUE(walk_files((t.root() / "nope").string()).empty());
  EXPECT_TRUE(walk_files((t.root() / "ok.py").string()).empty());
}

TEST(FileId, RelativeIdsWithDotDotFallback) {
  EXPECT_EQ(relative_id("/r/src/a.ts", "/r"), "src/a.ts");
  EXPECT_EQ(relative_id("/shared/u.ts", "/r/p"), "../../shared/u.ts");
  EXPECT_EQ(relative_id("/r2/a.ts", "/r"), "../r2/a.ts");
  EXPECT_EQ(relative_id("/a.ts", "/"), "a.ts");
}

}  // namespace
}  // namespace graph_builder::discovery
