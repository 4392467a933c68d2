// The floor of a scan: reads each file named on standard input (one path a
// line) whole into a reused buffer and MD5-hashes it, the least any scanner
// of these files must do. Prints the file count, the bytes read, the wall
// seconds spent and a digest of all the digests (so the work cannot be
// skipped and two runs over the same files can be compared).
//
// Build: the `floor` target (-DGB_BUILD_BENCH=ON, see bench/README.md).
// Usage: floor < list.txt
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

// Reads the whole file into `buf` (resized to its length). False when the file
// cannot be opened, sized or read.
bool read_whole(const std::string& path, std::vector<unsigned char>& buf) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  std::size_t len = 0;
  if (ok) {
    buf.resize(static_cast<std::size_t>(st.st_size));
    while (len < buf.size()) {
      const ssize_t got = ::read(fd, buf.data() + len, buf.size() - len);
      if (got <= 0) break;
      len += static_cast<std::size_t>(got);
    }
    buf.resize(len);
  }
  ::close(fd);
  return ok;
}

}  // namespace

int main() {
  std::vector<std::string> paths;
  for (std::string line; std::getline(std::cin, line);) {
    if (!line.empty()) paths.push_back(line);
  }

  DigestContext ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  const EVP_MD* md5 = EVP_md5();
  std::vector<unsigned char> buf;
  unsigned char combined[EVP_MAX_MD_SIZE] = {};
  std::size_t files = 0;
  std::size_t bytes = 0;
  std::size_t unreadable = 0;

  const auto start = std::chrono::steady_clock::now();
  for (const std::string& path : paths) {
    if (!read_whole(path, buf)) {
      ++unreadable;
      continue;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digest_len = 0;
    if (EVP_DigestInit_ex(ctx.get(), md5, nullptr) != 1 ||
        EVP_DigestUpdate(ctx.get(), buf.data(), buf.size()) != 1 ||
        EVP_DigestFinal_ex(ctx.get(), digest, &digest_len) != 1) {
      std::fprintf(stderr, "floor: MD5 failed\n");
      return 1;
    }
    for (unsigned int i = 0; i < digest_len; ++i) combined[i] ^= digest[i];
    ++files;
    bytes += buf.size();
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

  std::printf("files %zu bytes %zu wall_s %.3f unreadable %zu xor ", files, bytes, wall.count(),
              unreadable);
  for (int i = 0; i < 16; ++i) std::printf("%02x", combined[i]);
  std::printf("\n");
  return 0;
}
