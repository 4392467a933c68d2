#include "graph_builder/documents/atomic_file.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "graph_builder/error.hpp"
#include "support/drain.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::documents {
namespace {

using testing::Drain;
using testing::read_file;
using testing::TempTree;
namespace fs = std::filesystem;

constexpr Temporary kBothTemporaries[] = {Temporary::unnamed_when_supported, Temporary::named};

const char* name_of(Temporary t) {
  return t == Temporary::named ? "named temporary" : "unnamed temporary";
}

// The names in `dir`, sorted: what a run leaves behind.
std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// True when the file system of `dir` gives unnamed files.
bool has_unnamed_files(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Bytes that show where a piece went missing or was repeated.
std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  }
  return bytes;
}

// Documents are produced in pieces; every size around block and megabyte
// boundaries (and the writeback stretch), fed in pieces of every awkward
// length, must come back byte for byte, through either kind of temporary.
TEST(AtomicFile, AnySizeInAnyPiecesComesBackExactly) {
  constexpr std::size_t kMiB = 1U << 20;
  const std::vector<std::size_t> sizes{0,        1,    4095,     4096,        4097,
                                       kMiB - 1, kMiB, kMiB + 1, kMiB + 4097, 9 * kMiB + 123};
  const std::vector<std::size_t> pieces{1, 4096, 4099, kMiB, 3 * kMiB};
  TempTree t;
  for (Temporary temporary : kBothTemporaries) {
    for (std::size_t size : sizes) {
      const std::string bytes = patterned(size);
      for (std::size_t piece : pieces) {
        if (size > 4 * 4099 && piece == 1) continue;  // byte by byte only for small sizes
        const std::string path = t.path("doc.json").string();
        AtomicFile file(path, temporary);
        for (std::size_t at = 0; at < size; at += piece) {
          file.write(std::string_view(bytes).substr(at, piece));
        }
        file.commit();
        ASSERT_EQ(read_file(path), bytes)
            << name_of(temporary) << " size " << size << " piece " << piece;
        ASSERT_EQ(names_in(t.root()), std::vector<std::string>{"doc.json"});
      }
    }
  }
}

// Until the commit, the path keeps its old content; a file never committed
// (an exception while the document was produced) leaves no trace. An unnamed
// temporary has no name to leave behind while it is written (what a run
// killed then leaves); a named one has.
TEST(AtomicFile, UncommittedFileLeavesThePathAsItWas) {
  TempTree t;
  for (Temporary temporary : kBothTemporaries) {
    t.write("doc.json", "old");
    const std::string path = t.path("doc.json").string();
    const bool unnamed =
        temporary == Temporary::unnamed_when_supported && has_unnamed_files(t.root());
    try {
      AtomicFile file(path, temporary);
      file.write("new and longer");
      EXPECT_EQ(read_file(path), "old");
      EXPECT_EQ(names_in(t.root()).size(), unnamed ? 1U : 2U) << name_of(temporary);
      throw std::runtime_error("producer failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(read_file(path), "old");
    EXPECT_EQ(names_in(t.root()), std::vector<std::string>{"doc.json"}) << name_of(temporary);
  }
}

// Failures name the path and leave neither a temporary file nor a changed
// document: a missing directory (no temporary file can be made), a directory
// at the path (refused before anything is written), and a directory put at
// the path while the document was written (found before the rename).
TEST(AtomicFile, FailuresThrowAndLeaveNoTemporaryFile) {
  for (Temporary temporary : kBothTemporaries) {
    TempTree t;
    t.mkdir("taken");
    t.write("taken/inside", "x");
    const std::string missing = t.path("missing/doc.json").string();
    try {
      AtomicFile file(missing, temporary);
      FAIL() << "no temporary file can be made in a missing directory";
    } catch (const FatalError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("cannot write " + missing + ": ", 0), 0U) << e.what();
    }
    const std::string taken = t.path("taken").string();
    try {
      AtomicFile file(taken, temporary);
      FAIL() << "a directory is not replaced";
    } catch (const FatalError& e) {
      EXPECT_EQ(std::string(e.what()), "cannot write " + taken + ": " + std::strerror(EISDIR));
    }
    const std::string later = t.path("later").string();
    {
      AtomicFile file(later, temporary);
      file.write("document");
      fs::create_directory(later);
      EXPECT_THROW(file.commit(), FatalError);
    }
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_TRUE(fs::is_empty(later));
    EXPECT_EQ(names_in(t.root()), (std::vector<std::string>{"later", "taken"}))
        << name_of(temporary);
  }
}

// A document is an ordinary file, readable as the umask allows (a named
// temporary starts private).
TEST(AtomicFile, CommittedFileFollowsTheUmask) {
  TempTree t;
  for (Temporary temporary : kBothTemporaries) {
    const mode_t old_mask = ::umask(022);
    const std::string path = t.path("doc.json").string();
    AtomicFile file(path, temporary);
    file.write("x");
    file.commit();
    ::umask(old_mask);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read)
        << name_of(temporary);
  }
}

// A path that is a symbolic link keeps the link: the file it finally points
// to is replaced, or made when the link dangles. Links are followed through
// chains and relative to the directory each one is in.
TEST(AtomicFile, LinksStayLinksAndTheirFinalFileIsReplaced) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // (link, target as written)
    std::string final_file;                                  // relative to the tree
    bool exists_before;
  };
  const std::vector<Case> cases{
      {"link to a file", {{"out/doc.json", "../real/doc.json"}}, "real/doc.json", true},
      {"chain of links",
       {{"out/doc.json", "hop.json"}, {"out/hop.json", "../real/doc.json"}},
       "real/doc.json",
       true},
      {"absolute target", {{"out/doc.json", "@real/doc.json"}}, "real/doc.json", true},
      {"dangling link", {{"out/doc.json", "../real/new.json"}}, "real/new.json", false},
  };
  for (Temporary temporary : kBothTemporaries) {
    for (const Case& c : cases) {
      TempTree t;
      t.mkdir("out");
      t.mkdir("real");
      if (c.exists_before) t.write(c.final_file, "old content");
      for (const auto& [link, target] : c.links) {
        t.symlink(target.starts_with('@') ? t.path(target.substr(1)).string() : target, link);
      }
      AtomicFile file(t.path("out/doc.json").string(), temporary);
      file.write("new content");
      file.commit();
      const std::string label = std::string(c.name) + ", " + name_of(temporary);
      for (const auto& [link, target] : c.links) {
        EXPECT_TRUE(fs::is_symlink(t.path(link))) << label;
      }
      EXPECT_EQ(read_file(t.path(c.final_file)), "new content") << label;
      EXPECT_FALSE(fs::is_symlink(t.path(c.final_file))) << label;
      EXPECT_EQ(names_in(t.path("real")),
                std::vector<std::string>{fs::path(c.final_file).filename().string()})
          << label;
      EXPECT_EQ(names_in(t.path("out")).size(), c.links.size()) << label;
    }
  }
  TempTree t;
  t.symlink("loop.json", "loop.json");
  EXPECT_THROW(AtomicFile(t.path("loop.json").string()), FatalError);
}

// A FIFO is written straight into, never replaced: a reader gets every byte,
// and the FIFO is still there afterwards with nothing beside it.
TEST(AtomicFile, FifoWithAReaderReceivesEveryByte) {
  TempTree t;
  const fs::path fifo = t.path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Drain reader = Drain::fifo(fifo);
  const std::string bytes = patterned(3U << 20);
  {
    AtomicFile file(fifo.string());
    EXPECT_TRUE(file.in_place());
    for (std::size_t at = 0; at < bytes.size(); at += 100000) {
      file.write(std::string_view(bytes).substr(at, 100000));
    }
    file.commit();
  }
  EXPECT_EQ(reader.join(), bytes);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(names_in(t.root()), std::vector<std::string>{"pipe"});
}

// A reader that goes away fails the write with a message instead of ending
// the process.
TEST(AtomicFile, FifoWhoseReaderLeavesFailsTheWrite) {
  TempTree t;
  const fs::path fifo = t.path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Drain reader = Drain::fifo(fifo, 1000);
  AtomicFile file(fifo.string());
  const std::string bytes = patterned(1U << 20);
  try {
    for (int i = 0; i < 64; ++i) file.write(bytes);
    FAIL() << "64 MiB went into a FIFO whose reader stopped after 1000 bytes";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write " + fifo.string() + ": " + std::strerror(EPIPE));
  }
  reader.join();
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// A listening socket is connected to and written into; it stays a socket.
TEST(AtomicFile, ListeningSocketReceivesEveryByte) {
  TempTree t;
  const fs::path path = t.path("sock");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.string().size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  Drain reader = Drain::first_connection(listener);
  const std::string bytes = patterned(2U << 20);
  {
    AtomicFile file(path.string());
    file.write(bytes);
    file.commit();
  }
  EXPECT_EQ(reader.join(), bytes);
  ::close(listener);
  EXPECT_TRUE(fs::is_socket(path));
  EXPECT_EQ(names_in(t.root()), std::vector<std::string>{"sock"});
}

// A character device is written into and is still that device afterwards
// (/dev/null made afresh in a temporary directory, which needs root).
TEST(AtomicFile, DeviceNodeIsWrittenIntoAndStaysADevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a device node (mknod) needs root";
  TempTree t;
  const fs::path node = t.path("null");
  ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0) << std::strerror(errno);
  {
    AtomicFile file(node.string());
    EXPECT_TRUE(file.in_place());
    file.write(patterned(1U << 20));
    file.commit();
  }
  struct stat st {};
  ASSERT_EQ(::lstat(node.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(st.st_rdev, ::makedev(1, 3));
  EXPECT_EQ(names_in(t.root()), std::vector<std::string>{"null"});
}

// A device that refuses the bytes (/dev/full: no space) fails the first
// write, naming the device and the reason.
TEST(AtomicFile, WriteErrorOfADeviceFailsAtOnce) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  AtomicFile file("/dev/full");
  try {
    file.write("x");
    FAIL() << "/dev/full took a byte";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()),
              std::string("cannot write /dev/full: ") + std::strerror(ENOSPC));
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// Temporaries left by writers that died before their commit are removed
// when the next document is written in their directory; one still held by
// a writer, and names that are not temporaries, stay.
TEST(AtomicFile, AbandonedTemporariesAreRemovedAndHeldOnesKept) {
  TempTree t;
  t.write(".graph_builder.tmp.aB3xY9", "left by a killed run");
  t.write(".graph_builder.tmp.held01", "being written");
  t.write(".graph_builder.tmp.toolong", "not a temporary name");
  t.write("graph_builder.tmp.abcdef", "not a temporary name");
  t.mkdir(".graph_builder.tmp.dir001");
  const int held = ::open(t.path(".graph_builder.tmp.held01").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  {
    AtomicFile file(t.path("doc.json").string(), Temporary::named);
    file.write("x");
    // Another writer in the same directory takes this one's temporary for
    // one in use.
    AtomicFile other(t.path("other.json").string());
    other.commit();
    file.commit();
  }
  ::close(held);
  EXPECT_EQ(names_in(t.root()),
            (std::vector<std::string>{".graph_builder.tmp.dir001", ".graph_builder.tmp.held01",
                                      ".graph_builder.tmp.toolong", "doc.json",
                                      "graph_builder.tmp.abcdef", "other.json"}));
  EXPECT_EQ(read_file(t.path("doc.json")), "x");
}

// Documents committed together are all put in place or none: a path that
// cannot be replaced is found before the first rename.
TEST(AtomicFile, CommittedTogetherAllOrNone) {
  for (Temporary temporary : kBothTemporaries) {
    TempTree t;
    t.write("a.json", "old a");
    t.write("b.json", "old b");
    {
      AtomicFile a(t.path("a.json").string(), temporary);
      AtomicFile b(t.path("b.json").string(), temporary);
      a.write("new a");
      b.write("new b");
      fs::remove(t.path("b.json"));
      fs::create_directory(t.path("b.json"));
      EXPECT_THROW(commit_together({&a, &b}), FatalError);
    }
    EXPECT_EQ(read_file(t.path("a.json")), "old a") << name_of(temporary);
    EXPECT_EQ(names_in(t.root()), (std::vector<std::string>{"a.json", "b.json"}));
    fs::remove(t.path("b.json"));
    {
      AtomicFile a(t.path("a.json").string(), temporary);
      AtomicFile b(t.path("b.json").string(), temporary);
      a.write("new a");
      b.write("new b");
      commit_together({&a, &b});
    }
    EXPECT_EQ(read_file(t.path("a.json")), "new a");
    EXPECT_EQ(read_file(t.path("b.json")), "new b");
    EXPECT_EQ(names_in(t.root()), (std::vector<std::string>{"a.json", "b.json"}));
  }
}

}  // namespace
}  // namespace graph_builder::documents
