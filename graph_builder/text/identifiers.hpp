#pragma once
// Identifier splitting and the keyword admission rule shared by symbol
// keywords and file keywords.

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace graph_builder::text {

// An ordered list of distinct keywords. `add` admits a word after
// lower-casing it and stripping outer underscores, when at least 3 code
// points remain and it is not yet held.
class KeywordList {
 public:
  // Returns true when the word was admitted.
  bool add(std::string_view word);
  // `add(name)`, then `add` of each camel-case word of `name`.
  void add_name(std::string_view name);
  std::size_t size() const { return tokens_.size(); }
  const std::vector<std::string>& tokens() const { return tokens_; }
  // The first `cap` keywords, moved out.
  std::vector<std::string> take(std::size_t cap);

 private:
  std::vector<std::string> tokens_;
  std::unordered_set<std::string> seen_;
};

// Camel-case words of `name`, lower-cased, each at least 3 code points, in
// order, duplicates kept. Underscores and hyphens do not separate words.
// Pure; never fails on any string.
std::vector<std::string> _split_camel(std::string_view name);

// Up to 10 keywords for a symbol name: the whole name, its camel-case words,
// then its underscore-separated pieces, each admitted by KeywordList::add.
// Pure; never fails on any string.
std::vector<std::string> _name_keywords(std::string_view name);

}  // namespace graph_builder::text
