#include "graph_builder/documents/atomic_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "graph_builder/error.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::documents {
namespace {

using testing::read_file;
using testing::TempTree;
namespace fs = std::filesystem;

// The names in `dir`, sorted: what a run leaves behind.
std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Documents are produced in pieces; every size around block and megabyte
// boundaries (and the writeback stretch), fed in pieces of every awkward
// length, must come back byte for byte.
TEST(AtomicFile, AnySizeInAnyPiecesComesBackExactly) {
  constexpr std::size_t kMiB = 1U << 20;
  const std::vector<std::size_t> sizes{0,        1,    4095,     4096,        4097,
                                       kMiB - 1, kMiB, kMiB + 1, kMiB + 4097, 9 * kMiB + 123};
  const std::vector<std::size_t> pieces{1, 4096, 4099, kMiB, 3 * kMiB};
  TempTree t;
  for (std::size_t size : sizes) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
      bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    }
    for (std::size_t piece : pieces) {
      if (size > 4 * 4099 && piece == 1) continue;  // byte by byte only for small sizes
      const std::string path = t.path("doc.json").string();
      AtomicFile file(path);
      for (std::size_t at = 0; at < size; at += piece) {
        file.write(std::string_view(bytes).substr(at, piece));
      }
      file.commit();
      ASSERT_EQ(read_file(path), bytes) << "size " << size << " piece " << piece;
      ASSERT_EQ(names_in(t.root()), std::vector<std::string>{"doc.json"});
    }
  }
}

// Until the commit, the path keeps its old content; a file never committed
// (an exception while the document was produced) leaves no trace.
TEST(AtomicFile, UncommittedFileLeavesThePathAsItWas) {
  TempTree t;
  t.write("doc.json", "old");
  const std::string path = t.path("doc.json").string();
  try {
    AtomicFile file(path);
    file.write("new and longer");
    EXPECT_EQ(read_file(path), "old");
    EXPECT_EQ(names_in(t.root()).size(), 2U);
    throw std::runtime_error("producer failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(read_file(path), "old");
  EXPECT_EQ(names_in(t.root()), std::vector<std::string>{"doc.json"});
}

// Failures name the path and leave neither a temporary file nor a changed
// document: a missing directory (no temporary file can be made), and a
// directory where the document should go (the rename fails).
TEST(AtomicFile, FailuresThrowAndLeaveNoTemporaryFile) {
  TempTree t;
  t.mkdir("taken");
  t.write("taken/inside", "x");
  const std::string missing = t.path("missing/doc.json").string();
  try {
    AtomicFile file(missing);
    FAIL() << "no temporary file can be made in a missing directory";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot write " + missing + ": ", 0), 0U) << e.what();
  }
  const std::string taken = t.path("taken").string();
  {
    AtomicFile file(taken);
    file.write("document");
    EXPECT_THROW(file.commit(), FatalError);
  }
  EXPECT_TRUE(fs::is_directory(taken));
  EXPECT_EQ(names_in(t.root()), std::vector<std::string>{"taken"});
}

// A document is an ordinary file, readable as the umask allows (the
// temporary file it starts as is private).
TEST(AtomicFile, CommittedFileFollowsTheUmask) {
  TempTree t;
  const mode_t old_mask = ::umask(022);
  const std::string path = t.path("doc.json").string();
  AtomicFile file(path);
  file.write("x");
  file.commit();
  ::umask(old_mask);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
}

}  // namespace
}  // namespace graph_builder::documents
