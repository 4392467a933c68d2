#pragma once
// What the patterns' \s and \w mean, for one byte and for one code point, and
// the UTF-8 steps over valid text that hand-written scans take: the one
// definition shared by the engine's rule set, every scan that stands in for
// a pattern, and the text helpers that strip and split on white space.
// ASCII answers come from constexpr tables; outside ASCII, \s is the
// white-space set below and \w is whatever the engine's Unicode mode says.
// Texts must be valid UTF-8 (decoding guarantees it); nothing here checks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace graph_builder::regex {

// True when `c` (an ASCII byte) is in \s: U+0009 to U+000D and U+001C to
// U+0020. False for every byte of 0x80 and above.
constexpr bool is_ascii_space(unsigned char c);
// True when `c` is in \w on ASCII: [0-9A-Za-z_]. False from 0x80 up.
constexpr bool is_ascii_word(unsigned char c);
// True when `c` may begin a name of the patterns' "[A-Za-z_]\w*".
constexpr bool is_ascii_name_start(unsigned char c);
// The ASCII lower case of `c`; other bytes unchanged.
constexpr unsigned char fold_ascii(unsigned char c);
// True when every byte of `s` is below 0x80.
constexpr bool is_ascii(std::string_view s);

// True when code point `cp` is in \s: the ASCII members above, NEL, NBSP,
// U+1680, U+2000 to U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
constexpr bool is_space(char32_t cp);

// One code point of a text and the pattern classes the scans ask about.
struct CodePoint {
  std::size_t size;  // bytes
  bool space;        // \s
  bool word;         // \w (Unicode letters, marks, digits, connectors)
};

// The code point at byte `pos` (a code-point boundary inside `t`).
inline CodePoint classify(std::string_view t, std::size_t pos);

// Decodes the code point at byte `pos` and advances `pos` past it.
constexpr char32_t next_code_point(std::string_view t, std::size_t& pos);
// Start of the code point that ends at byte `pos` (pos > 0).
constexpr std::size_t previous_start(std::string_view t, std::size_t pos);
// Appends the UTF-8 encoding of `cp` (at most U+10FFFF) to `out`.
inline void append_utf8(std::string& out, char32_t cp);

// The first line start at or after `p` ("^" in multi-line mode), or npos.
constexpr std::size_t next_line_start(std::string_view t, std::size_t p);

namespace char_class_detail {

enum : std::uint8_t { kSpace = 1, kWord = 2, kNameStart = 4 };

inline constexpr std::array<std::uint8_t, 256> kAscii = [] {
  std::array<std::uint8_t, 256> t{};
  for (int c = 0x09; c <= 0x0D; ++c) t[static_cast<std::size_t>(c)] |= kSpace;
  for (int c = 0x1C; c <= 0x20; ++c) t[static_cast<std::size_t>(c)] |= kSpace;
  for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] |= kWord;
  for (int c = 'A'; c <= 'Z'; ++c) t[static_cast<std::size_t>(c)] |= kWord | kNameStart;
  for (int c = 'a'; c <= 'z'; ++c) t[static_cast<std::size_t>(c)] |= kWord | kNameStart;
  t['_'] |= kWord | kNameStart;
  return t;
}();

// classify() for a code point of two or more bytes.
CodePoint classify_non_ascii(std::string_view t, std::size_t pos);

}  // namespace char_class_detail

constexpr bool is_ascii_space(unsigned char c) {
  return (char_class_detail::kAscii[c] & char_class_detail::kSpace) != 0;
}
constexpr bool is_ascii_word(unsigned char c) {
  return (char_class_detail::kAscii[c] & char_class_detail::kWord) != 0;
}
constexpr bool is_ascii_name_start(unsigned char c) {
  return (char_class_detail::kAscii[c] & char_class_detail::kNameStart) != 0;
}
constexpr unsigned char fold_ascii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
constexpr bool is_ascii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

constexpr bool is_space(char32_t cp) {
  if (cp < 0x80) return is_ascii_space(static_cast<unsigned char>(cp));
  return cp == 0x85 || cp == 0xA0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200A) ||
         cp == 0x2028 || cp == 0x2029 || cp == 0x202F || cp == 0x205F || cp == 0x3000;
}

inline CodePoint classify(std::string_view t, std::size_t pos) {
  // Nearly every character a scan passes is ASCII: that answer stays inline.
  const auto c = static_cast<unsigned char>(t[pos]);
  if (c < 0x80) return {1, is_ascii_space(c), is_ascii_word(c)};
  return char_class_detail::classify_non_ascii(t, pos);
}

constexpr char32_t next_code_point(std::string_view t, std::size_t& pos) {
  const auto b0 = static_cast<unsigned char>(t[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  auto at = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(t[pos + k]) & 0x3F);
  };
  char32_t cp;
  if (b0 < 0xE0) {
    cp = (static_cast<char32_t>(b0 & 0x1F) << 6) | at(1);
    pos += 2;
  } else if (b0 < 0xF0) {
    cp = (static_cast<char32_t>(b0 & 0x0F) << 12) | (at(1) << 6) | at(2);
    pos += 3;
  } else {
    cp = (static_cast<char32_t>(b0 & 0x07) << 18) | (at(1) << 12) | (at(2) << 6) | at(3);
    pos += 4;
  }
  return cp;
}

constexpr std::size_t previous_start(std::string_view t, std::size_t pos) {
  do {
    --pos;
  } while (pos > 0 && (static_cast<unsigned char>(t[pos]) & 0xC0) == 0x80);
  return pos;
}

inline void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

constexpr std::size_t next_line_start(std::string_view t, std::size_t p) {
  if (p == 0 || (p <= t.size() && t[p - 1] == '\n')) return p;
  const std::size_t lf = t.find('\n', p);
  return lf == std::string_view::npos ? std::string_view::npos : lf + 1;
}

}  // namespace graph_builder::regex
