#include "graph_builder/text/identifiers.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {

bool KeywordList::add(std::string_view word) {
  std::string w = to_lower(word);
  std::string_view stripped = strip_chars(w, "_");
  if (length(stripped) < 3) return false;
  std::string key(stripped);
  if (!seen_.insert(key).second) return false;
  tokens_.push_back(std::move(key));
  return true;
}

void KeywordList::add_name(std::string_view name) {
  add(name);
  for (const std::string& p : _split_camel(name)) add(p);
}

std::vector<std::string> KeywordList::take(std::size_t cap) {
  if (tokens_.size() > cap) tokens_.resize(cap);
  return std::move(tokens_);
}

std::vector<std::string> _split_camel(std::string_view name) {
  // matches: "aB" and "9X" (lower-case letter or digit, then a capital)
  static const regex::Regex kLowerUpper("([a-z0-9])([A-Z])");
  // matches: "MLP" in "HTMLParser" (capital run before a capitalised word)
  static const regex::Regex kCapitalRun("([A-Z]+)([A-Z][a-z])");
  std::string spaced = kCapitalRun.replace_all(kLowerUpper.replace_all(name, "\\1 \\2"), "\\1 \\2");
  std::vector<std::string> out;
  for (std::string_view piece : split_whitespace(spaced)) {
    if (length(piece) >= 3) out.push_back(to_lower(piece));
  }
  return out;
}

std::vector<std::string> _name_keywords(std::string_view name) {
  KeywordList list;
  list.add(name);
  for (const std::string& p : _split_camel(name)) list.add(p);
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
