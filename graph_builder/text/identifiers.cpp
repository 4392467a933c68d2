#include "graph_builder/text/identifiers.hpp"

#include <functional>

#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {
namespace {

// Lists up to this long are searched linearly; longer ones get a hash index.
constexpr std::size_t kLinearLimit = 16;

bool is_ascii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool is_ascii_space(unsigned char c) {
  return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20);
}
bool is_ascii_upper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool is_ascii_lower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool is_ascii_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Calls `fn(word)` for each camel-case word of `name`, in order, before any
// length rule or lower-casing. The words are what is left between white
// space after inserting a break
//   - between an ASCII lower-case letter or digit and an ASCII capital
//     ("aB", "9X"), and
//   - before the last capital of a run of two or more ASCII capitals that
//     is followed by an ASCII lower-case letter ("HTMLParser": "HTML Parser").
// These are the spaces the substitutions "([a-z0-9])([A-Z])" -> "\1 \2" and
// then "([A-Z]+)([A-Z][a-z])" -> "\1 \2" insert: the first never splits a
// run of capitals nor separates one from the lower-case letter after it, so
// the second sees the same runs in the original name, and its matches end
// at a lower-case letter, so each run is matched from its first capital.
template <class Fn>
void for_each_camel_word(std::string_view name, Fn&& fn) {
  const std::size_t n = name.size();
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
  std::size_t word = std::string_view::npos;
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = at(i);
    std::size_t size = 1;
    bool space = false;
    if (c < 0x80) {
      space = is_ascii_space(c);
    } else {
      std::size_t next = i;
      space = is_space(next_code_point(name, next));
      size = next - i;
    }
    if (space) {
      if (word != std::string_view::npos) fn(name.substr(word, i - word));
      word = std::string_view::npos;
    } else if (word == std::string_view::npos) {
      word = i;
    } else if (is_ascii_upper(c)) {
      const unsigned char prev = at(i - 1);
      const bool lower_then_upper = is_ascii_lower(prev) || is_ascii_digit(prev);
      const bool end_of_capital_run =
          is_ascii_upper(prev) && i + 1 < n && is_ascii_lower(at(i + 1));
      if (lower_then_upper || end_of_capital_run) {
        fn(name.substr(word, i - word));
        word = i;
      }
    }
    i += size;
  }
  if (word != std::string_view::npos) fn(name.substr(word));
}

// `add` of each camel-case word of `name` of at least 3 code points, as
// `split_camel` gives it (lower-cased once before `add` lower-cases again;
// for ASCII words that first pass changes nothing `add` would not).
void add_camel_words(KeywordList& list, std::string_view name) {
  for_each_camel_word(name, [&](std::string_view word) {
    if (length(word) < 3) return;
    if (is_ascii(word)) {
      list.add(word);
    } else {
      list.add(to_lower(word));
    }
  });
}

}  // namespace

bool KeywordList::add(std::string_view word) {
  if (is_ascii(word)) {
    // Lower-casing ASCII never makes or removes an underscore, so stripping
    // first gives the same key without a copy of the whole word.
    const std::string_view stripped = strip_chars(word, "_");
    if (stripped.size() < 3) return false;
    scratch_.assign(stripped);
    for (char& c : scratch_) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return admit(scratch_);
  }
  const std::string w = to_lower(word);
  const std::string_view stripped = strip_chars(w, "_");
  if (length(stripped) < 3) return false;
  return admit(stripped);
}

bool KeywordList::admit(std::string_view key) {
  const std::size_t h = std::hash<std::string_view>{}(key);
  if (slots_.empty()) {
    for (std::size_t i = 0; i < hashes_.size(); ++i) {
      if (hashes_[i] == h && tokens_[i] == key) return false;
    }
  } else {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = h & mask; slots_[s] != 0; s = (s + 1) & mask) {
      const std::size_t i = slots_[s] - 1;
      if (hashes_[i] == h && tokens_[i] == key) return false;
    }
  }
  tokens_.emplace_back(key);
  hashes_.push_back(h);
  if (!slots_.empty() && 2 * tokens_.size() <= slots_.size()) {
    index(tokens_.size() - 1);
  } else if (tokens_.size() > kLinearLimit) {
    // Grow (or build) the index at a load of at most one half.
    std::size_t size = 1;
    while (size < 4 * tokens_.size()) size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < tokens_.size(); ++i) index(i);
  }
  return true;
}

void KeywordList::index(std::size_t i) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t s = hashes_[i] & mask;
  while (slots_[s] != 0) s = (s + 1) & mask;
  slots_[s] = static_cast<std::uint32_t>(i + 1);
}

void KeywordList::add_name(std::string_view name) {
  add(name);
  add_camel_words(*this, name);
}

std::vector<std::string> KeywordList::take(std::size_t cap) {
  if (tokens_.size() > cap) tokens_.resize(cap);
  hashes_.clear();
  slots_.clear();
  return std::move(tokens_);
}

std::vector<std::string> split_camel(std::string_view name) {
  std::vector<std::string> out;
  for_each_camel_word(name, [&](std::string_view word) {
    if (length(word) >= 3) out.push_back(to_lower(word));
  });
  return out;
}

std::vector<std::string> name_keywords(std::string_view name) {
  KeywordList list;
  list.add(name);
  add_camel_words(list, name);
  std::size_t start = 0;
  while (true) {
    std::size_t us = name.find('_', start);
    list.add(name.substr(start, us == std::string_view::npos ? std::string_view::npos : us - start));
    if (us == std::string_view::npos) break;
    start = us + 1;
  }
  return list.take(10);
}

}  // namespace graph_builder::text
