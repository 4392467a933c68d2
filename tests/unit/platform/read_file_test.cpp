#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_builder/platform/read_file.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::platform {
namespace {

// Whole files come back byte for byte up to the limit, with the size the file
// had; a larger or missing file is reported, not read.
TEST(ReadFile, WholeFilesUpToTheLimit) {
  testing::TempTree t;
  const std::size_t limit = 5000;
  for (std::size_t size : std::vector<std::size_t>{0, 1, 4095, 4096, 4999, 5000}) {
    std::string bytes(size, 'x');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    const std::string path = t.write(std::to_string(size) + ".bin", bytes).string();
    std::string out = "stale";
    std::size_t got_size = 12345;
    ASSERT_EQ(read_file(path.c_str(), out, limit, &got_size), ReadStatus::ok) << size;
    EXPECT_EQ(out, bytes) << size;
    EXPECT_EQ(got_size, size);
  }
  std::string out;
  std::size_t got_size = 0;
  const std::string big = t.write("big", std::string(limit + 1, 'y')).string();
  EXPECT_EQ(read_file(big.c_str(), out, limit, &got_size), ReadStatus::too_large);
  EXPECT_EQ(got_size, limit + 1);
  EXPECT_EQ(read_file(t.path("none").c_str(), out, limit, &got_size), ReadStatus::unreadable);
}

}  // namespace
}  // namespace graph_builder::platform
