// The fast reader of previous graph documents. It accepts a subset of JSON
// (everything this program writes) and, for every document it accepts,
// returns exactly what the general reader returns; anything else makes it
// give up so that the general reader decides. Giving up is always safe, so
// each rule below only has to be right about what it accepts.

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstddef>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "graph_builder/documents/previous_graph_internal.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::documents::previous_graph_internal {
namespace {

using graph::JsonValue;

// Deeper documents are left to the general reader, which does not recurse.
constexpr int kMaxDepth = 128;

// The end of the run from `p` of bytes a string copies as they are: the first
// quote, backslash, control character or non-ASCII byte, or `end`. Sixteen
// bytes at a time where the processor has the instructions for it: nearly all
// of a document's bytes are in the long "content" strings.
const char* plain_run_end(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i space = _mm_set1_epi8(0x20);
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // As signed bytes, everything from 0x80 up is below the space too.
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)),
                     _mm_cmplt_epi8(v, space));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
    if (mask != 0) return p + __builtin_ctz(mask);
    p += 16;
  }
#endif
  while (p < end) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) break;
    ++p;
  }
  return p;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A recursive-descent reader over the document, held in memory or read in
// pieces. Every `read_*` and `skip_*` member returns false to give up; the
// reader is then not used again.
//
// Pieces: the bytes in the buffer are parsed up to `end_`, just past the last
// line break read so far, and the rest is kept for the next piece. JSON has
// no line break inside a token (a string holds "\n", never the raw byte), so
// a token never straddles two pieces and only the white-space skip, on
// reaching `end_`, needs to ask for more.
class FastReader {
 public:
  explicit FastReader(std::string_view doc)
      : p_(doc.data()), end_(doc.data() + doc.size()), filled_(end_) {
    init_decimal_point();
  }

  FastReader(const ReadSome& read, std::size_t buffer_bytes) : read_(&read) {
    buffer_.resize(std::max<std::size_t>(buffer_bytes, 16));
    p_ = end_ = filled_ = buffer_.data();
    init_decimal_point();
  }

  // The file nodes by id, or nullopt to leave the document to the general reader.
  std::optional<graph::PriorNodes> read() {
    skip_ws();
    if (peek() != '{') return std::nullopt;
    ++p_;
    skip_ws();
    // Only the last "nodes" member counts, as a repeated key takes the last value.
    std::optional<graph::PriorNodes> nodes;
    if (peek() == '}') {
      ++p_;
    } else {
      while (true) {
        if (!read_string(key_)) return std::nullopt;
        if (!colon()) return std::nullopt;
        if (key_ == "nodes") {
          graph::PriorNodes m;
          if (!read_nodes(m)) return std::nullopt;
          nodes = std::move(m);
        } else if (!skip_value(2)) {
          return std::nullopt;
        }
        const char next = after_member();
        if (next == '}') break;
        if (next != ',') return std::nullopt;
      }
    }
    skip_ws();
    if (p_ != end_ || read_failed_) return std::nullopt;
    if (!nodes) return graph::PriorNodes{};
    return nodes;
  }

 private:
  void init_decimal_point() {
    // The general reader writes the locale's decimal point into the literal
    // text of a number with a fraction; only "." is handled here.
    const char* point = std::localeconv()->decimal_point;
    dot_point_ = point == nullptr || std::strcmp(point, ".") == 0;
  }

  char peek() const { return p_ < end_ ? *p_ : '\0'; }

  void skip_ws() {
    while (true) {
      while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
      if (p_ < end_ || !next_piece()) return;
    }
  }

  // Called with everything up to `end_` parsed: moves the unparsed rest to
  // the front of the buffer and reads until a line break or the end of the
  // document. False when nothing more is there (or reading failed).
  bool next_piece() {
    if (read_ == nullptr || at_eof_ || read_failed_) return false;
    char* base = buffer_.data();
    auto held = static_cast<std::size_t>(filled_ - end_);
    std::memmove(base, end_, held);
    p_ = end_ = filled_ = base;
    ++pieces_;
    while (true) {
      if (held == buffer_.size()) {
        // A line longer than the buffer.
        buffer_.resize(buffer_.size() * 2);
        base = buffer_.data();
      }
      const std::ptrdiff_t got = (*read_)(base + held, buffer_.size() - held);
      if (got < 0) {
        read_failed_ = true;
        p_ = end_ = filled_ = base;
        return false;
      }
      p_ = base;
      if (got == 0) {
        at_eof_ = true;
        end_ = filled_ = base + held;
        return held > 0;
      }
      const std::size_t fresh = held;
      held += static_cast<std::size_t>(got);
      filled_ = base + held;
      for (std::size_t i = held; i > fresh; --i) {
        if (base[i - 1] == '\n') {
          end_ = base + i;
          return true;
        }
      }
      end_ = base;
    }
  }

  // Skips white space, a ':' and white space again.
  bool colon() {
    skip_ws();
    if (peek() != ':') return false;
    ++p_;
    skip_ws();
    return true;
  }

  // Skips white space and the ',' or closing bracket after a member or item;
  // returns it (past a ',' also the white space), or '\0' for anything else.
  char after_member() {
    skip_ws();
    const char c = peek();
    if (c == ',' || c == '}' || c == ']') {
      ++p_;
      if (c == ',') skip_ws();
      return c;
    }
    return '\0';
  }

  // The "nodes" array: file nodes go into `out` by id, a later one replacing
  // an earlier one; other objects are read for validity and dropped.
  bool read_nodes(graph::PriorNodes& out) {
    if (peek() != '[') return false;
    ++p_;
    skip_ws();
    if (peek() == ']') {
      ++p_;
      return true;
    }
    while (true) {
      // An element that is not an object makes the whole document unusable,
      // and so does a file node without an id or with an array or object as
      // its id: left to the general reader, which says so.
      if (peek() != '{') return false;
      JsonValue node;
      bool file = false;
      if (!read_node(node, file)) return false;
      if (file) {
        const JsonValue* id = node.find("id");
        if (id == nullptr) return false;
        if (id->type() == JsonValue::Type::string) {
          std::string key = id->text();
          out.insert_or_assign(std::move(key), std::move(node));
        } else if (id->type() == JsonValue::Type::array || id->type() == JsonValue::Type::object) {
          return false;
        }
      }
      const char next = after_member();
      if (next == ']') return true;
      if (next != ',') return false;
    }
  }

  // One element of "nodes". Its members are built until a "kind" that is
  // not the text "file" shows the node will be dropped; the rest is then only
  // checked, unless "kind" comes again: the node is then read once more, all
  // built. `file` tells whether `out` is a file node.
  bool read_node(JsonValue& out, bool& file, bool stop_early = true) {
    const char* start = p_;
    const std::size_t pieces_at_start = pieces_;
    ++p_;
    skip_ws();
    out = JsonValue::object();
    bool building = true;
    if (peek() == '}') {
      ++p_;
      return true;
    }
    while (true) {
      if (building) {
        std::string key;
        if (!read_string(key)) return false;
        if (!colon()) return false;
        JsonValue v;
        if (!read_value(v, 4)) return false;
        const bool is_kind = key == "kind";
        out.set(std::move(key), std::move(v));
        if (is_kind) {
          const JsonValue* kind = out.find("kind");
          building =
              !stop_early || (kind->type() == JsonValue::Type::string && kind->text() == "file");
        }
      } else {
        if (!read_string(key_)) return false;
        if (key_ == "kind") {
          // Its start has left the buffer when a piece was read since.
          if (pieces_ != pieces_at_start) return false;
          p_ = start;
          return read_node(out, file, false);
        }
        if (!colon()) return false;
        if (!skip_value(4)) return false;
      }
      const char next = after_member();
      if (next == '}') break;
      if (next != ',') return false;
    }
    if (building) {
      const JsonValue* kind = out.find("kind");
      file = kind != nullptr && kind->type() == JsonValue::Type::string && kind->text() == "file";
    }
    return true;
  }

  // Any value at nesting level `depth` (the top-level object is level 1).
  bool read_value(JsonValue& out, int depth) {
    if (depth > kMaxDepth) return false;
    switch (peek()) {
      case '{': {
        ++p_;
        skip_ws();
        out = JsonValue::object();
        if (peek() == '}') {
          ++p_;
          return true;
        }
        while (true) {
          std::string key;
          if (!read_string(key)) return false;
          if (!colon()) return false;
          JsonValue v;
          if (!read_value(v, depth + 1)) return false;
          out.set(std::move(key), std::move(v));
          const char next = after_member();
          if (next == '}') return true;
          if (next != ',') return false;
        }
      }
      case '[': {
        ++p_;
        skip_ws();
        out = JsonValue::array();
        if (peek() == ']') {
          ++p_;
          return true;
        }
        while (true) {
          out.items().emplace_back();
          if (!read_value(out.items().back(), depth + 1)) return false;
          const char next = after_member();
          if (next == ']') return true;
          if (next != ',') return false;
        }
      }
      case '"': {
        std::string s;
        if (!read_string(s)) return false;
        out = JsonValue::string(std::move(s));
        return true;
      }
      case 't':
        out = JsonValue::boolean(true);
        return word("true");
      case 'f':
        out = JsonValue::boolean(false);
        return word("false");
      case 'n':
        out = JsonValue();
        return word("null");
      default:
        return read_number(&out);
    }
  }

  // Checks a value like `read_value` without building it.
  bool skip_value(int depth) {
    if (depth > kMaxDepth) return false;
    switch (peek()) {
      case '{': {
        ++p_;
        skip_ws();
        if (peek() == '}') {
          ++p_;
          return true;
        }
        while (true) {
          if (!skip_string()) return false;
          if (!colon()) return false;
          if (!skip_value(depth + 1)) return false;
          const char next = after_member();
          if (next == '}') return true;
          if (next != ',') return false;
        }
      }
      case '[': {
        ++p_;
        skip_ws();
        if (peek() == ']') {
          ++p_;
          return true;
        }
        while (true) {
          if (!skip_value(depth + 1)) return false;
          const char next = after_member();
          if (next == ']') return true;
          if (next != ',') return false;
        }
      }
      case '"':
        return skip_string();
      case 't':
        return word("true");
      case 'f':
        return word("false");
      case 'n':
        return word("null");
      default:
        return read_number(nullptr);
    }
  }

  bool word(std::string_view w) {
    if (static_cast<std::size_t>(end_ - p_) < w.size() ||
        std::memcmp(p_, w.data(), w.size()) != 0) {
      return false;
    }
    p_ += w.size();
    return true;
  }

  // A number literal; into `out` unless it is null. The literal text is kept
  // as the general reader keeps it: integers as written (but "-0", read as
  // the integer 0, is "0"), other numbers as written when they fit a double.
  bool read_number(JsonValue* out) {
    const char* start = p_;
    if (peek() == '-') ++p_;
    if (peek() == '0') {
      ++p_;
    } else if (is_digit(peek())) {
      while (is_digit(peek())) ++p_;
    } else {
      return false;
    }
    bool integral = true;
    if (peek() == '.') {
      integral = false;
      ++p_;
      if (!is_digit(peek())) return false;
      while (is_digit(peek())) ++p_;
    }
    if (peek() == 'e' || peek() == 'E') {
      integral = false;
      ++p_;
      if (peek() == '+' || peek() == '-') ++p_;
      if (!is_digit(peek())) return false;
      while (is_digit(peek())) ++p_;
    }
    const std::string_view literal(start, static_cast<std::size_t>(p_ - start));
    if (integral) {
      // One too long for 64 bits is read as a double, and one of 309 digits
      // or more overflows it: that fails the general reader.
      if (literal.size() > 300) return false;
      if (out != nullptr) {
        *out =
            literal == "-0" ? JsonValue::integer(0) : JsonValue::integer_text(std::string(literal));
      }
      return true;
    }
    if (!dot_point_) return false;
    // The general reader rejects a number that overflows a double; one that
    // underflows is left to it too.
    double value = 0;
    const auto res = std::from_chars(start, p_, value);
    if (res.ec != std::errc() || res.ptr != p_) return false;
    if (out != nullptr) *out = JsonValue::real_text(std::string(literal));
    return true;
  }

  // A string literal at `p_` decoded into `out` (replacing its contents).
  // Gives up on anything but a quote at `p_`, on non-ASCII bytes, control
  // characters and invalid escapes. Decodes into a reused buffer first, so
  // that a long text gets one allocation of its exact size.
  bool read_string(std::string& out) {
    if (peek() != '"') return false;
    ++p_;
    text_.clear();
    while (true) {
      const char* run = plain_run_end(p_, end_);
      text_.append(p_, static_cast<std::size_t>(run - p_));
      p_ = run;
      if (p_ == end_) return false;
      if (*p_ == '"') {
        ++p_;
        out.assign(text_);
        return true;
      }
      if (*p_ != '\\' || !read_escape(text_)) return false;
    }
  }

  // Checks a string literal like `read_string` without decoding it.
  bool skip_string() {
    if (peek() != '"') return false;
    ++p_;
    while (true) {
      p_ = plain_run_end(p_, end_);
      if (p_ == end_) return false;
      if (*p_ == '"') {
        ++p_;
        return true;
      }
      if (*p_ != '\\' || !read_escape(scratch_)) return false;
      scratch_.clear();
    }
  }

  // The escape at `p_` (a backslash) appended to `out` as UTF-8. A \u escape
  // of a high surrogate must be followed by one of a low surrogate; any other
  // surrogate escape gives up.
  bool read_escape(std::string& out) {
    if (end_ - p_ < 2) return false;
    const char e = p_[1];
    p_ += 2;
    switch (e) {
      case '"':
      case '\\':
      case '/':
        out += e;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        break;
      default:
        return false;
    }
    char32_t cp = 0;
    if (!hex4(cp)) return false;
    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') return false;
      p_ += 2;
      char32_t low = 0;
      if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    text::append_utf8(out, cp);
    return true;
  }

  // Four hexadecimal digits at `p_` as a code unit.
  bool hex4(char32_t& unit) {
    if (end_ - p_ < 4) return false;
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const int d = hex_value(p_[i]);
      if (d < 0) return false;
      unit = unit * 16 + static_cast<char32_t>(d);
    }
    p_ += 4;
    return true;
  }

  // Parse position, end of what may be parsed, end of the bytes held.
  const char* p_ = nullptr;
  const char* end_ = nullptr;
  const char* filled_ = nullptr;
  // Reading in pieces: the source, the buffer, pieces read so far.
  const ReadSome* read_ = nullptr;
  std::string buffer_;
  std::size_t pieces_ = 0;
  bool at_eof_ = false;
  bool read_failed_ = false;
  bool dot_point_ = true;
  std::string key_;
  std::string text_;
  std::string scratch_;
};

}  // namespace

std::optional<graph::PriorNodes> read_fast(std::string_view bytes) {
  FastReader reader(bytes);
  return reader.read();
}

std::optional<graph::PriorNodes> read_fast(const ReadSome& read, std::size_t buffer_bytes) {
  FastReader reader(read, buffer_bytes);
  return reader.read();
}

}  // namespace graph_builder::documents::previous_graph_internal
