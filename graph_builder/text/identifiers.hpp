#pragma once
// Identifier splitting and the keyword admission rule shared by symbol
// keywords and file keywords.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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
  // Appends `key` (lower-cased and stripped) unless it is already held.
  bool admit(std::string_view key);
  void index(std::size_t i);

  std::vector<std::string> tokens_;
  std::vector<std::size_t> hashes_;  // hash of each token, in token order
  // Open-addressing index (token number + 1, 0 = empty), built only once the
  // list is long: short lists are searched through `hashes_`.
  std::vector<std::uint32_t> slots_;
  std::string scratch_;  // the lower-cased candidate, reused between calls
};

// Camel-case words of `name`, lower-cased, each at least 3 code points, in
// order, duplicates kept. Underscores and hyphens do not separate words.
// Pure; never fails on any string.
std::vector<std::string> split_camel(std::string_view name);

// Up to 10 keywords for a symbol name: the whole name, its camel-case words,
// then its underscore-separated pieces, each admitted by KeywordList::add.
// Pure; never fails on any string.
std::vector<std::string> name_keywords(std::string_view name);

}  // namespace graph_builder::text
