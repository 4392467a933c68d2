#include "graph_builder/text/short_hash.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "support/random_text.hpp"

namespace graph_builder::text {
namespace {

TEST(ShortHash, KnownDigests) {
  // First eight digits of well-known MD5 digests.
  EXPECT_EQ(short_hash(""), "d41d8cd9");
  EXPECT_EQ(short_hash("abc"), "90015098");
  EXPECT_EQ(short_hash("The quick brown fox jumps over the lazy dog"), "9e107d9d");
}

// The side-by-side hashes against one digest at a time, over batches whose
// lengths straddle every padding case (55, 56, 63, 64 bytes and their
// multiples), whose sizes leave lanes idle or refill them many times, and
// whose texts share storage (views into one buffer, like symbol bodies).
TEST(ShortHash, ManyEqualsOneAtATime) {
  testing::RandomText random(20261208);
  std::string pool(1 << 16, '\0');
  for (char& c : pool) c = static_cast<char>(random.below(256));
  const std::vector<std::size_t> batch_sizes = {0, 1, 2, 3, 15, 16, 17, 31, 33, 100, 257};
  for (int round = 0; round < 40; ++round) {
    for (std::size_t count : batch_sizes) {
      std::vector<std::string_view> texts;
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t kind = random.below(4);
        std::size_t len = random.below(5000);        // spread
        if (kind == 0) len = random.number(55, 64);  // around one block
        if (kind == 1) len = 64 * random.number(1, 4) + random.number(0, 2) - 1;  // block multiples
        if (kind == 2) len = random.below(8);                                     // tiny
        const std::size_t at = random.below(pool.size() - len);
        texts.emplace_back(pool.data() + at, len);
      }
      const std::vector<std::string> many = short_hashes(texts);
      ASSERT_EQ(many.size(), count);
      for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(many[i], short_hash(texts[i]))
            << "length " << texts[i].size() << ", " << i << " of " << count;
      }
    }
  }
}

TEST(ShortHash, ManyOfEveryLengthUpTo300) {
  std::string text;
  std::vector<std::string> owned;
  for (std::size_t len = 0; len <= 300; ++len) owned.push_back(std::string(len, 'a' + len % 26));
  // One long text among short ones keeps a lane busy while the others refill.
  owned.push_back(std::string(100000, 'z'));
  const std::vector<std::string_view> texts(owned.begin(), owned.end());
  const std::vector<std::string> many = short_hashes(texts);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(many[i], short_hash(texts[i])) << "length " << texts[i].size();
  }
}

}  // namespace
}  // namespace graph_builder::text
