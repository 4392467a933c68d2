#include "graph_builder/text/short_hash.hpp"

#include <openssl/evp.h>

#include "graph_builder/check.hpp"

namespace graph_builder::text {

std::string short_hash(std::string_view data) {
  // One digest context per thread, reused for every hash, and the digest
  // looked up once: naming it on every call costs a provider lookup each time.
  thread_local struct Ctx {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_MD* fetched = EVP_MD_fetch(nullptr, "MD5", nullptr);
    const EVP_MD* md = fetched != nullptr ? fetched : EVP_md5();
    ~Ctx() {
      EVP_MD_free(fetched);
      EVP_MD_CTX_free(ctx);
    }
  } holder;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  GB_CHECK(holder.ctx != nullptr);
  GB_CHECK(EVP_DigestInit_ex(holder.ctx, holder.md, nullptr) == 1);
  GB_CHECK(EVP_DigestUpdate(holder.ctx, data.data(), data.size()) == 1);
  GB_CHECK(EVP_DigestFinal_ex(holder.ctx, digest, &len) == 1);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(8, '0');
  for (std::size_t i = 0; i < 4; ++i) {
    out[2 * i] = kHex[digest[i] >> 4];
    out[2 * i + 1] = kHex[digest[i] & 0xF];
  }
  return out;
}

}  // namespace graph_builder::text
