#include "graph_builder/text/short_hash.hpp"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "graph_builder/check.hpp"
#include "graph_builder/platform/cpu.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#define GB_WIDE_MD5 1
#endif

namespace graph_builder::text {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// The first four digest bytes, i.e. the first MD5 state word in little-endian
// order, as eight hexadecimal digits.
std::string hex_of_first_word(std::uint32_t a) {
  std::string out(8, '0');
  for (std::size_t i = 0; i < 4; ++i) {
    const unsigned byte = (a >> (8 * i)) & 0xFF;
    out[2 * i] = kHex[byte >> 4];
    out[2 * i + 1] = kHex[byte & 0xF];
  }
  return out;
}

#if GB_WIDE_MD5

// GCC 12 flags the deliberately undefined first operand inside its own
// 512-bit intrinsics as possibly uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// MD5 of sixteen messages at once: lane i of each vector holds the state
// (or the message word) of one message. A lane whose message is finished takes
// the next one, so lanes stay busy until fewer than sixteen messages are left.
constexpr std::array<std::uint32_t, 64> kSine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr std::array<std::uint32_t, 4> kInitial = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

#define GB_WIDE __attribute__((target("avx512f")))

// Rows r[0..15] (one 64-byte block per lane) become columns: r[w] then holds
// message word w of every lane.
GB_WIDE inline void transpose16(__m512i r[16]) {
  __m512i t[16];
  for (int i = 0; i < 8; ++i) {
    t[2 * i] = _mm512_unpacklo_epi32(r[2 * i], r[2 * i + 1]);
    t[2 * i + 1] = _mm512_unpackhi_epi32(r[2 * i], r[2 * i + 1]);
  }
  // u[4 * g + j]: within each 128-bit part k, word 4k + j of rows 4g..4g+3.
  __m512i u[16];
  for (int g = 0; g < 4; ++g) {
    u[4 * g + 0] = _mm512_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 1] = _mm512_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 2] = _mm512_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
    u[4 * g + 3] = _mm512_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
  }
  for (int j = 0; j < 4; ++j) {
    const __m512i v_even = _mm512_shuffle_i32x4(u[j], u[4 + j], 0x88);
    const __m512i v_odd = _mm512_shuffle_i32x4(u[j], u[4 + j], 0xDD);
    const __m512i w_even = _mm512_shuffle_i32x4(u[8 + j], u[12 + j], 0x88);
    const __m512i w_odd = _mm512_shuffle_i32x4(u[8 + j], u[12 + j], 0xDD);
    r[j] = _mm512_shuffle_i32x4(v_even, w_even, 0x88);
    r[8 + j] = _mm512_shuffle_i32x4(v_even, w_even, 0xDD);
    r[4 + j] = _mm512_shuffle_i32x4(v_odd, w_odd, 0x88);
    r[12 + j] = _mm512_shuffle_i32x4(v_odd, w_odd, 0xDD);
  }
}

// One MD5 step: a = b + rotl(a + f(b, c, d) + k + m, s); f is a three-input
// bit function given by its truth table. a + k + m does not wait for the
// previous step, so only f, one addition, the rotation and the last addition
// are on the chain from step to step.
#define GB_MD5_STEP(imm, a, b, c, d, i, m, s)                                                 \
  a = _mm512_add_epi32(                                                                       \
      b, _mm512_rol_epi32(                                                                    \
             _mm512_add_epi32(                                                                \
                 _mm512_ternarylogic_epi32(b, c, d, imm),                                     \
                 _mm512_add_epi32(                                                            \
                     a, _mm512_add_epi32(m, _mm512_set1_epi32(static_cast<int>(kSine[i]))))), \
             s))

GB_WIDE inline void compress16(__m512i state[4], const __m512i w[16]) {
  __m512i a = state[0], b = state[1], c = state[2], d = state[3];
  // Round 1: f = b ? c : d.
#pragma GCC unroll 4
  for (int i = 0; i < 16; i += 4) {
    GB_MD5_STEP(0xCA, a, b, c, d, i, w[i], 7);
    GB_MD5_STEP(0xCA, d, a, b, c, i + 1, w[i + 1], 12);
    GB_MD5_STEP(0xCA, c, d, a, b, i + 2, w[i + 2], 17);
    GB_MD5_STEP(0xCA, b, c, d, a, i + 3, w[i + 3], 22);
  }
  // Round 2: f = d ? b : c, message word (5i + 1) mod 16.
#pragma GCC unroll 4
  for (int i = 16; i < 32; i += 4) {
    GB_MD5_STEP(0xE4, a, b, c, d, i, w[(5 * i + 1) % 16], 5);
    GB_MD5_STEP(0xE4, d, a, b, c, i + 1, w[(5 * (i + 1) + 1) % 16], 9);
    GB_MD5_STEP(0xE4, c, d, a, b, i + 2, w[(5 * (i + 2) + 1) % 16], 14);
    GB_MD5_STEP(0xE4, b, c, d, a, i + 3, w[(5 * (i + 3) + 1) % 16], 20);
  }
  // Round 3: f = b ^ c ^ d, message word (3i + 5) mod 16.
#pragma GCC unroll 4
  for (int i = 32; i < 48; i += 4) {
    GB_MD5_STEP(0x96, a, b, c, d, i, w[(3 * i + 5) % 16], 4);
    GB_MD5_STEP(0x96, d, a, b, c, i + 1, w[(3 * (i + 1) + 5) % 16], 11);
    GB_MD5_STEP(0x96, c, d, a, b, i + 2, w[(3 * (i + 2) + 5) % 16], 16);
    GB_MD5_STEP(0x96, b, c, d, a, i + 3, w[(3 * (i + 3) + 5) % 16], 23);
  }
  // Round 4: f = c ^ (b | ~d), message word 7i mod 16.
#pragma GCC unroll 4
  for (int i = 48; i < 64; i += 4) {
    GB_MD5_STEP(0x39, a, b, c, d, i, w[(7 * i) % 16], 6);
    GB_MD5_STEP(0x39, d, a, b, c, i + 1, w[(7 * (i + 1)) % 16], 10);
    GB_MD5_STEP(0x39, c, d, a, b, i + 2, w[(7 * (i + 2)) % 16], 15);
    GB_MD5_STEP(0x39, b, c, d, a, i + 3, w[(7 * (i + 3)) % 16], 21);
  }
  state[0] = _mm512_add_epi32(state[0], a);
  state[1] = _mm512_add_epi32(state[1], b);
  state[2] = _mm512_add_epi32(state[2], c);
  state[3] = _mm512_add_epi32(state[3], d);
}

#undef GB_MD5_STEP

// The padded closing block(s) of a message: its last n % 64 bytes, 0x80,
// zeros and the length in bits; one block, or two when the length does not
// fit after the last bytes. Returns the number of blocks.
unsigned build_tail(std::string_view text, unsigned char tail[128]) {
  const std::size_t n = text.size();
  const std::size_t rest = n % 64;
  const unsigned blocks = rest < 56 ? 1 : 2;
  std::memset(tail, 0, 64 * blocks);
  if (rest != 0) std::memcpy(tail, text.data() + (n - rest), rest);
  tail[rest] = 0x80;
  const std::uint64_t bits = static_cast<std::uint64_t>(n) * 8;
  for (std::size_t i = 0; i < 8; ++i) {
    tail[64 * blocks - 8 + i] = static_cast<unsigned char>(bits >> (8 * i));
  }
  return blocks;
}

// Each lane reads its message's whole blocks in place, then the closing
// blocks from its tail buffer. cur[i] is the next block of lane i and stop[i]
// the end of the stretch it is in; all lanes advance together, and only a
// lane that reaches its stop needs attention. An idle lane re-reads a block
// of zeros (stride 0, and a stop it never reaches).
GB_WIDE void first_words_wide(std::span<const std::string_view> texts,
                              const std::vector<std::uint32_t>& order, std::uint32_t* out) {
  alignas(64) static constexpr unsigned char kIdle[64] = {};
  alignas(64) unsigned char tails[16][128];
  alignas(64) std::uint64_t cur[16];
  alignas(64) std::uint64_t stop[16];
  alignas(64) std::uint64_t stride[16];
  std::size_t message[16];
  bool in_tail[16];
  std::uint64_t tail_end[16];
  std::size_t next_message = 0;
  unsigned busy = 0;
  __mmask16 restart = 0;

  auto start = [&](unsigned i) {
    message[i] = order[next_message++];
    const std::string_view text = texts[message[i]];
    const unsigned blocks = build_tail(text, tails[i]);
    const auto tail = reinterpret_cast<std::uint64_t>(tails[i]);
    tail_end[i] = tail + 64 * blocks;
    const std::size_t whole = text.size() / 64;
    if (whole != 0) {
      cur[i] = reinterpret_cast<std::uint64_t>(text.data());
      stop[i] = cur[i] + 64 * whole;
      in_tail[i] = false;
    } else {
      cur[i] = tail;
      stop[i] = tail_end[i];
      in_tail[i] = true;
    }
    stride[i] = 64;
    restart |= static_cast<__mmask16>(1u << i);
  };
  for (unsigned i = 0; i < 16; ++i) {
    if (next_message < texts.size()) {
      start(i);
      ++busy;
    } else {
      cur[i] = reinterpret_cast<std::uint64_t>(kIdle);
      stop[i] = 0;
      stride[i] = 0;
    }
  }
  __m512i state[4];
  for (int k = 0; k < 4; ++k) state[k] = _mm512_set1_epi32(static_cast<int>(kInitial[k]));
  while (busy != 0) {
    if (restart != 0) {
      for (int k = 0; k < 4; ++k) {
        state[k] = _mm512_mask_blend_epi32(restart, state[k],
                                           _mm512_set1_epi32(static_cast<int>(kInitial[k])));
      }
      restart = 0;
    }
    __m512i w[16];
    unsigned reached = 0;
    for (unsigned i = 0; i < 16; ++i) {
      w[i] = _mm512_loadu_si512(reinterpret_cast<const void*>(cur[i]));
      cur[i] += stride[i];
      reached |= static_cast<unsigned>(cur[i] == stop[i]) << i;
    }
    transpose16(w);
    compress16(state, w);
    if (reached == 0) continue;
    alignas(64) std::uint32_t first[16];
    _mm512_store_si512(first, state[0]);
    for (unsigned i = 0; i < 16; ++i) {
      if ((reached & (1u << i)) == 0) continue;
      if (!in_tail[i]) {
        // Whole blocks done: the closing blocks follow in the same message.
        cur[i] = reinterpret_cast<std::uint64_t>(tails[i]);
        stop[i] = tail_end[i];
        in_tail[i] = true;
        continue;
      }
      out[message[i]] = first[i];
      if (next_message < texts.size()) {
        start(i);
      } else {
        cur[i] = reinterpret_cast<std::uint64_t>(kIdle);
        stop[i] = 0;
        stride[i] = 0;
        --busy;
      }
    }
  }
}

#undef GB_WIDE

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif  // GB_WIDE_MD5

}  // namespace

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
  return hex_of_first_word(
      static_cast<std::uint32_t>(digest[0]) | static_cast<std::uint32_t>(digest[1]) << 8 |
      static_cast<std::uint32_t>(digest[2]) << 16 | static_cast<std::uint32_t>(digest[3]) << 24);
}

bool wide_hashing_available() {
#if GB_WIDE_MD5
  return platform::has_avx512_hashing();
#else
  return false;
#endif
}

std::vector<std::string> short_hashes(std::span<const std::string_view> texts) {
  std::vector<std::string> out;
  out.reserve(texts.size());
#if GB_WIDE_MD5
  if (texts.size() > 1 && wide_hashing_available()) {
    // Longest first: the lanes then run out of work at nearly the same
    // time, instead of one lane finishing a long text alone.
    std::vector<std::uint32_t> order(texts.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return texts[a].size() > texts[b].size();
    });
    std::vector<std::uint32_t> first(texts.size());
    first_words_wide(texts, order, first.data());
    for (std::uint32_t a : first) out.push_back(hex_of_first_word(a));
    return out;
  }
#endif
  for (std::string_view t : texts) out.push_back(short_hash(t));
  return out;
}

}  // namespace graph_builder::text
