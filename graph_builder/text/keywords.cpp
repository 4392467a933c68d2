// Which words become keywords: the admission rule (KeywordList), the words of
// an identifier, and the passes over a file in their order, under the cap.
#include "graph_builder/text/keywords.hpp"

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/decl_common.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/keyword_list.hpp"
#include "graph_builder/text/passes.hpp"
#include "graph_builder/text/routes.hpp"
#include "graph_builder/text/unicode.hpp"

#include <functional>
#include <string>

namespace graph_builder::text {
namespace {

using regex::Match;
using regex::Regex;

// A file keeps its first 80 keywords, a symbol its first 10.
constexpr std::size_t kMaxFileKeywords = 80;
constexpr std::size_t kMaxNameKeywords = 10;

// Lists up to this long are searched linearly; longer ones get a hash index.
constexpr std::size_t kLinearLimit = 16;

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
  auto is_upper = [](unsigned char c) { return c >= 'A' && c <= 'Z'; };
  auto is_lower = [](unsigned char c) { return c >= 'a' && c <= 'z'; };
  auto is_digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
  const std::size_t n = name.size();
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
  std::size_t word = std::string_view::npos;
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = at(i);
    std::size_t size = 1;
    bool space = false;
    if (c < 0x80) {
      space = regex::is_ascii_space(c);
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
    } else if (is_upper(c)) {
      const unsigned char prev = at(i - 1);
      const bool lower_then_upper = is_lower(prev) || is_digit(prev);
      const bool end_of_capital_run = is_upper(prev) && i + 1 < n && is_lower(at(i + 1));
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
    if (regex::is_ascii(word)) {
      list.add(word);
    } else {
      list.add(to_lower(word));
    }
  });
}

// `s` without any of the ASCII characters in `drop`.
std::string without_chars(std::string_view s, std::string_view drop) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (drop.find(c) == std::string_view::npos) out.push_back(c);
  }
  return out;
}

// The verb and the path segments of one route registration or decorator.
void add_route(KeywordList& kw, std::string_view verb, std::string_view path) {
  kw.add(to_upper(verb));
  declarations::for_each_piece(strip_chars(path, "/"), '/', [&](std::string_view seg) {
    // "{orderId}" -> "orderId", "<int:check_id>" -> "intcheck_id"
    std::string cleaned = without_chars(seg, "{}:<>");
    if (!cleaned.empty()) kw.add(cleaned);
  });
}

// The path segments of one outgoing HTTP call.
void add_http_call(KeywordList& kw, std::string_view url_text) {
  std::string url(url_text);
  // Only lower-case schemes are removed: "HTTPS://" stays and gives "https:".
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    for (std::size_t at = url.find(scheme); at != std::string::npos; at = url.find(scheme, at)) {
      url.erase(at, scheme.size());
    }
  }
  declarations::for_each_piece(strip_chars(url, "/"), '/', [&](std::string_view piece) {
    std::string cleaned = without_chars(piece, "{}?=&<>");
    const std::size_t dot = cleaned.find('.');
    if (dot != std::string::npos) cleaned.resize(dot);
    if (length(cleaned) >= 3) kw.add(cleaned);
  });
}

// `add` of every run of four or more ASCII letters in `text`.
void add_letter_runs(KeywordList& kw, std::string_view text) {
  static const Regex kRun(R"re([a-zA-Z]{4,})re");
  kRun.for_each(text, [&](const Match& m) {
    kw.add(m.text());
    return !kw.full();
  });
}

// The declarations the profile names, in its pass order.
void add_declarations(KeywordList& kw, std::string_view content, languages::KeywordScan scan) {
  using languages::KeywordScan;
  switch (scan) {
    case KeywordScan::none:
      return;
    case KeywordScan::ts:
      return declarations::add_ts_keywords(kw, content);
    case KeywordScan::py:
      return declarations::add_py_keywords(kw, content);
    case KeywordScan::go:
      return declarations::add_go_keywords(kw, content);
    case KeywordScan::swift:
      return declarations::add_swift_keywords(kw, content);
    case KeywordScan::rs:
      return declarations::add_rust_keywords(kw, content);
    case KeywordScan::cs:
      return declarations::add_cs_keywords(kw, content);
    case KeywordScan::xaml:
      return declarations::add_xaml_keywords(kw, content);
    case KeywordScan::rb:
      return declarations::add_ruby_keywords(kw, content);
    case KeywordScan::php:
      return declarations::add_php_keywords(kw, content);
    case KeywordScan::c:
      return declarations::add_c_keywords(kw, content);
    case KeywordScan::java:
      return declarations::add_java_keywords(kw, content);
    case KeywordScan::kotlin:
      // Kotlin runs the Java passes and then its own.
      declarations::add_java_keywords(kw, content);
      return declarations::add_kotlin_keywords(kw, content);
  }
}

}  // namespace

bool KeywordList::add(std::string_view word) {
  if (regex::is_ascii(word)) {
    // Lower-casing ASCII never makes or removes an underscore, so stripping
    // first gives the same key without a copy of the whole word.
    const std::string_view stripped = strip_chars(word, "_");
    if (stripped.size() < 3) return false;
    scratch_.assign(stripped);
    for (char& c : scratch_)
      c = static_cast<char>(regex::fold_ascii(static_cast<unsigned char>(c)));
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

std::vector<std::string> KeywordList::take() {
  if (tokens_.size() > cap_) tokens_.resize(cap_);
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
  KeywordList list(kMaxNameKeywords);
  list.add(name);
  add_camel_words(list, name);
  declarations::for_each_piece(name, '_', [&](std::string_view piece) { list.add(piece); });
  return list.take();
}

std::vector<std::string> keywords_for(std::string_view content, const languages::Profile& profile) {
  // matches: a docstring opening the file: "\"\"\"Billing service ..."
  static const Regex kLeadDocstring(R"re(\s*\"\"\"([^\"]{10,200}))re");
  // matches: "/** Prices an order line." opening the file
  static const Regex kLeadComment(R"re(\s*/\*\*?\s*([^\n*]{10,200}))re");

  KeywordList kw(kMaxFileKeywords);
  for (const regex::Spans& m : routes::route_matches(content)) {
    add_route(kw, m.group(1).in(content), m.group(2).in(content));
    if (kw.full()) break;
  }
  if (!kw.full()) {
    routes::for_each_decorator_route(content, [&](const Match& m) {
      add_route(kw, m.group(1), m.group(2));
      return !kw.full();
    });
  }
  if (!kw.full()) add_declarations(kw, content, profile.keywords);
  if (!kw.full()) {
    if (auto m = kLeadDocstring.match_start(content)) add_letter_runs(kw, m->group(1));
  }
  if (!kw.full()) {
    if (auto m = kLeadComment.match_start(content)) add_letter_runs(kw, m->group(1));
  }
  if (!kw.full()) {
    for (const regex::Spans& m : routes::http_call_matches(content)) {
      add_http_call(kw, m.group(1).in(content));
      if (kw.full()) break;
    }
  }
  return kw.take();
}

std::vector<std::string> extract_keywords(std::string_view content, std::string_view ext) {
  return keywords_for(content, languages::profile(ext));
}

}  // namespace graph_builder::text
