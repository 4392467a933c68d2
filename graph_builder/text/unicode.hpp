#pragma once
// Text primitives over UTF-8 strings: lossy decoding of file bytes, line
// splitting, code-point lengths and cuts, Unicode case mapping and the
// white-space set. Pure functions; nothing here touches the file system.

#include "graph_builder/regex/char_class.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// Decodes `bytes` as UTF-8 into `out` (replacing its content, reusing its
// capacity): every undecodable sequence (stray continuation bytes, truncated
// sequences, overlong forms, surrogates, values above U+10FFFF) is dropped and
// a valid character right after it survives. Then CR LF and lone CR become LF.
// A leading byte-order mark is kept as U+FEFF.
void decode_text(std::string_view bytes, std::string& out);

// True when `bytes` is well-formed UTF-8 (strict: no surrogates or overlongs).
bool is_valid_utf8(std::string_view bytes);

// Decoding and encoding one code point: the UTF-8 steps of the regex
// layer's character classes (regex/char_class.hpp).
using regex::append_utf8;
using regex::next_code_point;

// Number of code points in valid UTF-8.
std::size_t length(std::string_view s);
// The first `n` code points of `s` (all of it when shorter).
std::string_view prefix(std::string_view s, std::size_t n);

// Lines by the universal boundary rule: LF, CR LF, CR, VT, FF, U+001C..U+001E,
// NEL, U+2028, U+2029 end a line; terminators dropped; no empty last line after
// a final terminator; an empty text has no lines.
// At most `max_lines` lines are produced (the first ones).
std::vector<std::string_view> split_lines_universal(std::string_view s,
                                                    std::size_t max_lines = SIZE_MAX);
// Lines split at LF only; a CR right before an LF belongs to the terminator.
// Same final-terminator rule as above.
std::vector<std::string_view> split_lines_lf(std::string_view s);

// The white-space set of strip/split: the patterns' \s (U+0009..U+000D,
// U+001C..U+0020, NEL, NBSP, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F,
// U+205F, U+3000), defined once by the regex layer.
using regex::is_space;
std::string_view strip(std::string_view s);
std::string_view lstrip(std::string_view s);
std::string_view rstrip(std::string_view s);
// Strips the given ASCII characters from both ends / the front / the back.
std::string_view strip_chars(std::string_view s, std::string_view chars);
std::string_view lstrip_chars(std::string_view s, std::string_view chars);
std::string_view rstrip_chars(std::string_view s, std::string_view chars);
// Splits on runs of white space, dropping empty pieces.
std::vector<std::string_view> split_whitespace(std::string_view s);
// Number of leading white-space code points.
std::size_t leading_space_count(std::string_view s);

// Full Unicode case mapping (one code point may map to several).
std::string to_lower(std::string_view s);
std::string to_upper(std::string_view s);
// True for code points with the Unicode Uppercase property.
bool is_upper(char32_t cp);

}  // namespace graph_builder::text
