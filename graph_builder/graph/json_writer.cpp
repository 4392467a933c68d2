#include "graph_builder/graph/json_writer.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define GB_WIDE_ESCAPE 1
#include <immintrin.h>
#else
#define GB_WIDE_ESCAPE 0
#endif

#include "graph_builder/platform/cpu.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::graph {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// Integer literal as an arbitrary-precision integer prints: no "-0".
std::string canonical_integer(const std::string& digits) {
  bool negative = !digits.empty() && digits[0] == '-';
  std::string_view body(digits);
  if (negative) body.remove_prefix(1);
  while (body.size() > 1 && body[0] == '0') body.remove_prefix(1);
  if (body == "0") return "0";
  std::string out;
  if (negative) out += '-';
  out.append(body);
  return out;
}

// Shortest round-trip repr of a double, laid out like Python's float repr.
std::string float_repr(double d) {
  if (std::isinf(d)) return d < 0 ? "-Infinity" : "Infinity";
  if (std::isnan(d)) return "NaN";
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
  std::string sci(buf, res.ptr);
  bool negative = sci[0] == '-';
  if (negative) sci.erase(0, 1);
  std::size_t e = sci.find('e');
  std::string mantissa = sci.substr(0, e);
  int exp10 = std::atoi(sci.c_str() + e + 1);
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int decpt = exp10 + 1;  // value = 0.<digits> * 10^decpt
  std::string out = negative ? "-" : "";
  if (decpt <= -4 || decpt > 16) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += 'e';
    int x = decpt - 1;
    out += x < 0 ? '-' : '+';
    int ax = x < 0 ? -x : x;
    if (ax < 10) out += '0';
    out += std::to_string(ax);
  } else if (decpt <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-decpt), '0');
    out += digits;
  } else if (static_cast<std::size_t>(decpt) >= digits.size()) {
    out += digits;
    out.append(static_cast<std::size_t>(decpt) - digits.size(), '0');
    out += ".0";
  } else {
    out += digits.substr(0, static_cast<std::size_t>(decpt));
    out += '.';
    out += digits.substr(static_cast<std::size_t>(decpt));
  }
  return out;
}

}  // namespace

namespace {

// For each byte: 0 = copied as is, 1 = a two-character escape, 2 = a \u
// escape of a control character, 3 = starts a non-ASCII character.
constexpr std::array<unsigned char, 256> kEscapeClass = [] {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 0x20; ++c) t[static_cast<std::size_t>(c)] = 2;
  for (char c : {'"', '\\', '\b', '\f', '\n', '\r', '\t'}) {
    t[static_cast<unsigned char>(c)] = 1;
  }
  t[0x7F] = 2;
  for (int c = 0x80; c < 0x100; ++c) t[static_cast<std::size_t>(c)] = 3;
  return t;
}();

#ifdef __SSE2__
// Bit i set when byte i of `v` needs an escape: a control character, '"',
// '\\', DEL or a byte of a non-ASCII character.
inline unsigned special_mask(__m128i v) {
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i del = _mm_set1_epi8(0x7F);
  // As signed bytes, everything from 0x80 up is below the space too.
  const __m128i special =
      _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(v, space), _mm_cmpeq_epi8(v, quote)),
                   _mm_or_si128(_mm_cmpeq_epi8(v, backslash), _mm_cmpeq_epi8(v, del)));
  return static_cast<unsigned>(_mm_movemask_epi8(special));
}
#endif

char short_escape(char c) {
  switch (c) {
    case '\b':
      return 'b';
    case '\f':
      return 'f';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '\t':
      return 't';
    default:
      return c;  // quote and backslash stand for themselves
  }
}

}  // namespace

namespace {

// Writes "\\u" and four lower-case hexadecimal digits of `unit` at `dst`.
char* put_u_escape(char* dst, unsigned unit) {
  dst[0] = '\\';
  dst[1] = 'u';
  dst[2] = kHex[(unit >> 12) & 0xF];
  dst[3] = kHex[(unit >> 8) & 0xF];
  dst[4] = kHex[(unit >> 4) & 0xF];
  dst[5] = kHex[unit & 0xF];
  return dst + 6;
}

}  // namespace

namespace {

#if GB_WIDE_ESCAPE
#define GB_ESCAPE_TARGET \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt")))

// Escapes the start of p[0..n) thirty-two bytes at a time into w, as long as
// the bytes need at most a two-character escape (quote, backslash, \b \f \n
// \r \t) and w has room for a whole block's output (64 bytes). Stops short of
// the first byte that needs more (another control character, DEL, the start
// of a non-ASCII character) and of a last block of fewer than 32 bytes, which
// are left to the byte-wise code. Returns the bytes consumed; w moves past
// what was written.
//
// Each block's control characters are first replaced by their escape
// letters; the block is then spread out so that a backslash lands before
// each of those: every input byte gets two output slots, of which the first
// is used only by an escaped byte, and compressing the used slots' bit mask
// gives the positions of the input bytes in the output.
GB_ESCAPE_TARGET std::size_t escape_blocks_wide(const unsigned char* p, std::size_t n, char*& w,
                                                const char* w_end) {
  // The escape letter of each control character that has one.
  const __m256i letters = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 'b', 't', 'n', 0, 'f', 'r', 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i space = _mm256_set1_epi8(0x20);
  const __m256i quote = _mm256_set1_epi8('"');
  const __m256i backslash = _mm256_set1_epi8('\\');
  const __m256i del = _mm256_set1_epi8(0x7F);
  const __m512i backslashes = _mm512_set1_epi8('\\');
  constexpr std::uint64_t kSecondSlots = 0xAAAAAAAAAAAAAAAAULL;
  constexpr std::uint64_t kFirstSlots = 0x5555555555555555ULL;
  std::size_t pos = 0;
  while (pos + 32 <= n && w_end - w >= 64) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + pos));
    const __mmask32 control = _mm256_cmplt_epu8_mask(v, space);
    // Zero but for control characters with an escape letter.
    const __m256i letter = _mm256_maskz_permutexvar_epi8(control, v, letters);
    const __mmask32 lettered = _mm256_test_epi8_mask(letter, letter);
    const __mmask32 two_char =
        lettered | _mm256_cmpeq_epi8_mask(v, quote) | _mm256_cmpeq_epi8_mask(v, backslash);
    const __mmask32 hard =
        (control & ~lettered) | _mm256_cmpeq_epi8_mask(v, del) | _mm256_movepi8_mask(v);
    if (two_char == 0 && hard == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(w), v);
      w += 32;
      pos += 32;
      continue;
    }
    // Bytes before the first hard one, if any.
    const unsigned len = hard == 0 ? 32U : static_cast<unsigned>(__builtin_ctz(hard));
    const std::uint64_t in_block = len == 32 ? ~0ULL : (1ULL << (2 * len)) - 1;
    const std::uint64_t esc = static_cast<std::uint32_t>(two_char);
    const std::uint64_t used = (_pdep_u64(esc, kFirstSlots) | kSecondSlots) & in_block;
    const std::uint64_t at = _pext_u64(kSecondSlots, used);
    // Quote and backslash stand for themselves after their backslash.
    const __m256i shown = _mm256_mask_blend_epi8(lettered, v, letter);
    // The expansion takes one source byte per set bit of `at`, at most 32:
    // the upper half of the widened vector is never read.
    const __m512i spread = _mm512_mask_expand_epi8(backslashes, at, _mm512_castsi256_si512(shown));
    _mm512_storeu_si512(w, spread);
    w += __builtin_popcountll(used);
    pos += len;
    if (len < 32) break;
  }
  return pos;
}

bool wide_escape_available() { return platform::has_avx512_escaping(); }
#endif

// The general case: any length, any escapes. With `wide`, runs of bytes that
// need at most a two-character escape are handled a block at a time.
__attribute__((noinline)) void append_escaped(std::string& out, std::string_view s, bool wide) {
  // Escaped text is gathered in a small local buffer and appended to `out`
  // a few kilobytes at a time: a text with a line break every few dozen
  // bytes would otherwise cost several appends, each with its own capacity
  // check, per line.
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  constexpr std::size_t kBuffer = 4096;
  constexpr std::size_t kLongestEscape = 12;  // a surrogate pair
  char buf[kBuffer];
  char* w = buf;
  auto room = [&] { return static_cast<std::size_t>(buf + kBuffer - w); };
  auto spill = [&] {
    out.append(buf, static_cast<std::size_t>(w - buf));
    w = buf;
  };
  *w++ = '"';
  std::size_t pos = 0;
  (void)wide;
  while (pos < n) {
#if GB_WIDE_ESCAPE
    if (wide) {
      while (n - pos >= 32) {
        if (room() < 64) spill();
        const std::size_t done = escape_blocks_wide(p + pos, n - pos, w, buf + kBuffer);
        pos += done;
        // Stopped at a hard byte (or a short tail) rather than for room.
        if (room() >= 64) break;
      }
    }
#endif
#ifdef __SSE2__
    // Plain bytes are copied sixteen at a time as they are tested: each block
    // is stored whole, and the write position then moves past its plain
    // bytes only, up to the first byte that needs an escape.
    while (pos + 16 <= n) {
      if (room() < 16) spill();
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + pos));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(w), v);
      const unsigned mask = special_mask(v);
      if (mask != 0) {
        const auto plain = static_cast<std::size_t>(__builtin_ctz(mask));
        w += plain;
        pos += plain;
        break;
      }
      w += 16;
      pos += 16;
    }
#endif
    // The last few bytes, or none when a special byte was found above.
    while (pos < n && kEscapeClass[p[pos]] == 0) {
      if (room() < 1) spill();
      *w++ = s[pos++];
    }
    if (pos == n) break;
    if (room() < kLongestEscape) spill();
    switch (kEscapeClass[p[pos]]) {
      case 1:
        w[0] = '\\';
        w[1] = short_escape(s[pos]);
        w += 2;
        ++pos;
        break;
      case 2:
        w = put_u_escape(w, p[pos]);
        ++pos;
        break;
      default: {
        char32_t cp = text::next_code_point(s, pos);
        if (cp >= 0x10000) {
          char32_t v = cp - 0x10000;
          w = put_u_escape(w, 0xD800 + (v >> 10));
          w = put_u_escape(w, 0xDC00 + (v & 0x3FF));
        } else {
          w = put_u_escape(w, cp);
        }
      }
    }
  }
  if (room() < 1) spill();
  *w++ = '"';
  spill();
}

void append_escaped(std::string& out, std::string_view s) {
#if GB_WIDE_ESCAPE
  append_escaped(out, s, wide_escape_available());
#else
  append_escaped(out, s, false);
#endif
}

}  // namespace

bool is_plain_json(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
#ifdef __SSE2__
  if (n >= 16) {
    // Whole blocks, the last one overlapping the one before.
    unsigned special = 0;
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
      special |= special_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
    }
    special |= special_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16)));
    return special == 0;
  }
#endif
  unsigned special = 0;
  for (std::size_t i = 0; i < n; ++i) special |= kEscapeClass[p[i]];
  return special == 0;
}

void append_json_string(std::string& out, std::string_view s) {
  // Most strings (names, keywords, ids, hashes) are short and need no
  // escape: a test of their bytes, then a plain copy.
  constexpr std::size_t kShort = 64;
  if (s.size() <= kShort && is_plain_json(s)) {
    out += '"';
    out.append(s);
    out += '"';
    return;
  }
  append_escaped(out, s);
}

void append_json_number(std::string& out, const JsonValue& number) {
  if (number.type() == JsonValue::Type::integer) {
    out += canonical_integer(number.text());
    return;
  }
  out += float_repr(std::strtod(number.text().c_str(), nullptr));
}

void append_integer(std::string& out, std::int64_t v) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
}

void append_newline_indent(std::string& out, int level) {
  out += '\n';
  out.append(static_cast<std::size_t>(2 * level), ' ');
}

void append_json(std::string& out, const JsonValue& v, Layout layout, int level) {
  switch (v.type()) {
    case JsonValue::Type::null:
      out += "null";
      return;
    case JsonValue::Type::boolean:
      out += v.as_bool() ? "true" : "false";
      return;
    case JsonValue::Type::integer:
    case JsonValue::Type::real:
      append_json_number(out, v);
      return;
    case JsonValue::Type::string:
      append_json_string(out, v.text());
      return;
    case JsonValue::Type::array: {
      if (v.items().empty()) {
        out += "[]";
        return;
      }
      out += '[';
      bool first = true;
      for (const JsonValue& item : v.items()) {
        if (!first) out += layout == Layout::indented ? "," : ", ";
        first = false;
        if (layout == Layout::indented) append_newline_indent(out, level + 1);
        append_json(out, item, layout, level + 1);
      }
      if (layout == Layout::indented) append_newline_indent(out, level);
      out += ']';
      return;
    }
    case JsonValue::Type::object: {
      if (v.members().empty()) {
        out += "{}";
        return;
      }
      out += '{';
      bool first = true;
      for (const auto& [key, value] : v.members()) {
        if (!first) out += layout == Layout::indented ? "," : ", ";
        first = false;
        if (layout == Layout::indented) append_newline_indent(out, level + 1);
        append_json_string(out, key);
        out += ": ";
        append_json(out, value, layout, level + 1);
      }
      if (layout == Layout::indented) append_newline_indent(out, level);
      out += '}';
      return;
    }
  }
}

}  // namespace graph_builder::graph
