// The program run with --out naming each kind of thing: a FIFO, a device,
// a link, a directory where the symbol index goes. Nothing that is not a
// regular file is ever replaced or read from, and the two documents stay in
// step.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/drain.hpp"
#include "support/run_cli.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void write_project(const TempTree& t) {
  t.write("p/src/auth.ts",
          "import jwt from 'jsonwebtoken';\n\nexport function handleLogin(u) {\n"
          "  return jwt.sign(u);\n}\n");
  t.write("p/docs/guide.md", "# Guide\nRead src/auth.ts first.\n");
}

// The graph document of the project, written to a regular file elsewhere.
std::string reference_graph(const TempTree& t) {
  const fs::path out = t.path("reference/g.json");
  EXPECT_EQ(run_cli({"--root", t.path("p").string(), "--out", out.string()}).status, 0);
  return read_file(out);
}

// A reader on a FIFO gets the whole graph document, byte for byte; the FIFO
// is never read from (there is no previous graph in it) nor replaced.
TEST(CliOutput, FifoWithAReaderReceivesTheWholeGraph) {
  TempTree t;
  write_project(t);
  const std::string expected = reference_graph(t);
  ASSERT_FALSE(expected.empty());
  t.mkdir("o");
  const fs::path fifo = t.path("o/pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Drain reader = Drain::fifo(fifo);
  const BoundedCliResult run =
      run_cli_bounded({"--root", t.path("p").string(), "--out", fifo.string()});
  const std::string got = reader.join();
  ASSERT_FALSE(run.timed_out) << "the program waited on the FIFO";
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(read_file(t.path("o/symbol_index.json")),
            read_file(t.path("reference/symbol_index.json")));
  EXPECT_EQ(names_in(t.path("o")), (std::vector<std::string>{"pipe", "symbol_index.json"}));
}

// A device node is written into and is still that device afterwards: a null
// device takes the graph, and a full one fails the run at once (exit 1, the
// reason on standard error) without a previous graph being read from it.
TEST(CliOutput, DeviceNodesStayDevices) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a device node (mknod) needs root";
  TempTree t;
  write_project(t);
  t.mkdir("o");
  struct Device {
    const char* name;
    unsigned minor;
    int status;
    std::string err;
  };
  const std::vector<Device> devices{
      {"null", 3, 0, ""},
      {"full", 7, 1,
       "graph_builder: error: cannot write " + t.path("o/full").string() + ": " +
           std::strerror(ENOSPC) + "\n"},
  };
  for (const Device& d : devices) {
    const fs::path node = t.path(std::string("o/") + d.name);
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, d.minor)), 0)
        << std::strerror(errno);
    const BoundedCliResult run =
        run_cli_bounded({"--root", t.path("p").string(), "--out", node.string()});
    ASSERT_FALSE(run.timed_out) << d.name;
    EXPECT_EQ(run.result.status, d.status) << d.name << ": " << run.result.err;
    EXPECT_EQ(run.result.err, d.err) << d.name;
    if (d.status != 0) {
      EXPECT_EQ(run.result.out, "") << d.name;
    }
    struct stat st {};
    ASSERT_EQ(::lstat(node.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << d.name;
    EXPECT_EQ(st.st_rdev, ::makedev(1, d.minor)) << d.name;
  }
  // The failed run replaced nothing: the index is the null run's.
  EXPECT_EQ(names_in(t.path("o")), (std::vector<std::string>{"full", "null", "symbol_index.json"}));
}

// An output path that is a link (through a chain) stays a link; the file it
// finally points to holds the graph, and is read back as the previous graph
// on the next run.
TEST(CliOutput, LinkStaysALinkAndItsFileIsReadBack) {
  TempTree t;
  write_project(t);
  const std::string expected = reference_graph(t);
  t.mkdir("real");
  t.symlink("../real/g.json", "o/hop.json");
  t.symlink("hop.json", "o/g.json");
  const std::vector<std::string> args{"--root", t.path("p").string(), "--out",
                                      t.path("o/g.json").string()};
  ASSERT_EQ(run_cli(args).status, 0);
  EXPECT_TRUE(fs::is_symlink(t.path("o/g.json")));
  EXPECT_TRUE(fs::is_symlink(t.path("o/hop.json")));
  EXPECT_EQ(fs::read_symlink(t.path("o/g.json")), "hop.json");
  EXPECT_EQ(read_file(t.path("real/g.json")), expected);
  EXPECT_EQ(names_in(t.path("real")), std::vector<std::string>{"g.json"});

  // An unchanged file keeps the summary its previous node stored.
  std::string stored = expected;
  const std::size_t node = stored.find("\"id\": \"docs/guide.md\"");
  const std::string summary = "\"summary\": \"";
  const std::size_t at = stored.find(summary, node);
  ASSERT_NE(node, std::string::npos);
  ASSERT_NE(at, std::string::npos);
  stored.insert(at + summary.size(), "Stored. ");
  t.write("real/g.json", stored);
  ASSERT_EQ(run_cli(args).status, 0);
  EXPECT_EQ(read_file(t.path("real/g.json")), stored);
  EXPECT_TRUE(fs::is_symlink(t.path("o/g.json")));
}

// When the symbol index cannot be replaced (a directory holds its name),
// the graph is not replaced either: the two documents stay in step.
TEST(CliOutput, UnwritableIndexLeavesTheGraphAsItWas) {
  TempTree t;
  write_project(t);
  t.write("o/g.json", "previous graph");
  t.write("o/symbol_index.json/inside", "a directory where the index goes");
  const CliResult r =
      run_cli({"--root", t.path("p").string(), "--out", t.path("o/g.json").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind(
                "graph_builder: error: cannot write " + t.path("o/symbol_index.json").string(), 0),
            0U)
      << r.err;
  EXPECT_EQ(read_file(t.path("o/g.json")), "previous graph");
  EXPECT_EQ(names_in(t.path("o")), (std::vector<std::string>{"g.json", "symbol_index.json"}));
}

}  // namespace
}  // namespace graph_builder::testing
