#include "graph_builder/text/unicode.hpp"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include "graph_builder/check.hpp"

#include <cstdint>
#include <cstring>

namespace graph_builder::text {
namespace {

// Length of the well-formed UTF-8 sequence at `p`, or 0 when none starts there.
std::size_t valid_sequence_length(const unsigned char* p, std::size_t avail) {
  unsigned char b0 = p[0];
  if (b0 < 0x80) return 1;
  auto cont = [&](std::size_t i) { return i < avail && (p[i] & 0xC0) == 0x80; };
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (avail < 2) return 0;
    unsigned char b1 = p[1];
    if (b0 == 0xE0 && b1 < 0xA0) return 0;  // overlong
    if (b0 == 0xED && b1 > 0x9F) return 0;  // surrogate
    return cont(1) && cont(2) ? 3 : 0;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (avail < 2) return 0;
    unsigned char b1 = p[1];
    if (b0 == 0xF0 && b1 < 0x90) return 0;  // overlong
    if (b0 == 0xF4 && b1 > 0x8F) return 0;  // above U+10FFFF
    return cont(1) && cont(2) && cont(3) ? 4 : 0;
  }
  return 0;
}

bool is_universal_break(char32_t cp) {
  return cp == 0x0A || cp == 0x0B || cp == 0x0C || cp == 0x0D || (cp >= 0x1C && cp <= 0x1E) ||
         cp == 0x85 || cp == 0x2028 || cp == 0x2029;
}

std::string icu_map(std::string_view s, bool lower) {
  // ASCII fast path: most identifiers and keywords never leave it.
  if (regex::is_ascii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (lower && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (!lower && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  std::u16string src;
  src.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    char32_t cp = next_code_point(s, pos);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      src.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      src.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      src.push_back(static_cast<char16_t>(cp));
    }
  }
  std::u16string dst(src.size() * 3 + 4, u'\0');
  UErrorCode err = U_ZERO_ERROR;
  int32_t n;
  if (lower) {
    n = u_strToLower(reinterpret_cast<UChar*>(dst.data()), static_cast<int32_t>(dst.size()),
                     reinterpret_cast<const UChar*>(src.data()), static_cast<int32_t>(src.size()),
                     "", &err);
  } else {
    n = u_strToUpper(reinterpret_cast<UChar*>(dst.data()), static_cast<int32_t>(dst.size()),
                     reinterpret_cast<const UChar*>(src.data()), static_cast<int32_t>(src.size()),
                     "", &err);
  }
  GB_CHECK(U_SUCCESS(err));
  std::string out;
  out.reserve(s.size());
  for (int32_t i = 0; i < n; ++i) {
    char32_t cp = dst[static_cast<std::size_t>(i)];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n) {
      char32_t lo = dst[static_cast<std::size_t>(i) + 1];
      cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
      ++i;
    }
    append_utf8(out, cp);
  }
  return out;
}

}  // namespace

namespace {

// True when none of the eight bytes at `p` is non-ASCII.
bool ascii_word(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return (w & 0x8080808080808080ULL) == 0;
}

// True when none of the eight bytes at `p` is non-ASCII or a carriage return.
bool plain_ascii_word(const unsigned char* p) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  const std::uint64_t cr = w ^ (kOnes * '\r');
  return ((w & kHigh) | ((cr - kOnes) & ~cr & kHigh)) == 0;
}

}  // namespace

void decode_text(std::string_view bytes, std::string& out) {
  out.clear();
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  bool pending_cr = false;  // a CR was emitted as LF; a following LF is swallowed
  std::size_t i = 0;
  while (i < n) {
    // Bulk-copy runs of plain ASCII (no CR): most source text is nothing else.
    std::size_t run = i;
    while (run + 8 <= n && plain_ascii_word(p + run)) run += 8;
    while (run < n && p[run] < 0x80 && p[run] != '\r') ++run;
    if (run > i) {
      if (pending_cr && p[i] == '\n') ++i;
      out.append(bytes.substr(i, run - i));
      pending_cr = false;
      i = run;
      if (i == n) break;
    }
    unsigned char b = p[i];
    if (b < 0x80) {
      if (b == '\r') {
        out.push_back('\n');
        pending_cr = true;
      } else if (b == '\n') {
        if (!pending_cr) out.push_back('\n');
        pending_cr = false;
      } else {
        out.push_back(static_cast<char>(b));
        pending_cr = false;
      }
      ++i;
      continue;
    }
    std::size_t len = valid_sequence_length(p + i, n - i);
    if (len == 0) {
      ++i;  // dropped bytes do not separate a CR from its LF
      continue;
    }
    out.append(bytes.substr(i, len));
    pending_cr = false;
    i += len;
  }
}

bool is_valid_utf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t i = 0;
  while (i < bytes.size()) {
    while (i + 8 <= bytes.size() && ascii_word(p + i)) i += 8;
    if (i == bytes.size()) break;
    std::size_t len = valid_sequence_length(p + i, bytes.size() - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::size_t length(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string_view prefix(std::string_view s, std::size_t n) {
  if (n >= s.size()) return s;  // n code points span at least n bytes
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (count == n) return s.substr(0, i);
      ++count;
    }
  }
  return s;
}

std::vector<std::string_view> split_lines_universal(std::string_view s, std::size_t max_lines) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < s.size()) {
    if (lines.size() >= max_lines) return lines;
    std::size_t at = pos;
    char32_t cp = next_code_point(s, pos);
    if (!is_universal_break(cp)) continue;
    lines.push_back(s.substr(start, at - start));
    if (cp == '\r' && pos < s.size() && s[pos] == '\n') ++pos;
    start = pos;
  }
  if (start < s.size() && lines.size() < max_lines) lines.push_back(s.substr(start));
  return lines;
}

std::vector<std::string_view> split_lines_lf(std::string_view s) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < s.size()) {
    std::size_t nl = s.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.push_back(s.substr(start));
      break;
    }
    std::size_t end = nl;
    if (end > start && s[end - 1] == '\r') --end;
    lines.push_back(s.substr(start, end - start));
    start = nl + 1;
  }
  return lines;
}

std::string_view lstrip(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t at = pos;
    if (!is_space(next_code_point(s, pos))) return s.substr(at);
  }
  return {};
}

std::string_view rstrip(std::string_view s) {
  std::size_t end = s.size();
  while (end > 0) {
    std::size_t start = regex::previous_start(s, end);
    std::size_t p = start;
    if (!is_space(next_code_point(s, p))) break;
    end = start;
  }
  return s.substr(0, end);
}

std::string_view strip(std::string_view s) { return rstrip(lstrip(s)); }

std::string_view lstrip_chars(std::string_view s, std::string_view chars) {
  std::size_t i = s.find_first_not_of(chars);
  return i == std::string_view::npos ? std::string_view{} : s.substr(i);
}
std::string_view rstrip_chars(std::string_view s, std::string_view chars) {
  std::size_t i = s.find_last_not_of(chars);
  return i == std::string_view::npos ? std::string_view{} : s.substr(0, i + 1);
}
std::string_view strip_chars(std::string_view s, std::string_view chars) {
  return rstrip_chars(lstrip_chars(s, chars), chars);
}

std::vector<std::string_view> split_whitespace(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  std::size_t word = std::string_view::npos;
  while (pos < s.size()) {
    std::size_t at = pos;
    bool space = is_space(next_code_point(s, pos));
    if (space && word != std::string_view::npos) {
      out.push_back(s.substr(word, at - word));
      word = std::string_view::npos;
    } else if (!space && word == std::string_view::npos) {
      word = at;
    }
  }
  if (word != std::string_view::npos) out.push_back(s.substr(word));
  return out;
}

std::size_t leading_space_count(std::string_view s) {
  std::size_t pos = 0;
  std::size_t n = 0;
  while (pos < s.size() && is_space(next_code_point(s, pos))) ++n;
  return n;
}

std::string to_lower(std::string_view s) { return icu_map(s, true); }
std::string to_upper(std::string_view s) { return icu_map(s, false); }

bool is_upper(char32_t cp) { return u_isUUppercase(static_cast<UChar32>(cp)) != 0; }

}  // namespace graph_builder::text
