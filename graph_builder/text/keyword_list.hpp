#pragma once
// The keyword admission rule shared by symbol keywords and file keywords, as
// an ordered list that the keyword passes fill. Not installed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::text {

// An ordered list of distinct keywords. `add` admits a word after
// lower-casing it and stripping outer underscores, when at least 3 code
// points remain and it is not yet held. The list keeps only its first `cap`
// keywords: later admissions never change those, so passes stop once it is
// `full()`, and `take()` drops anything admitted past the cap.
class KeywordList {
 public:
  explicit KeywordList(std::size_t cap) : cap_(cap) {}

  // Returns true when the word was admitted.
  bool add(std::string_view word);
  // `add(name)`, then `add` of each camel-case word of `name`.
  void add_name(std::string_view name);
  std::size_t size() const { return tokens_.size(); }
  // True once `cap` keywords are held.
  bool full() const { return tokens_.size() >= cap_; }
  const std::vector<std::string>& tokens() const { return tokens_; }
  // The first `cap` keywords, moved out.
  std::vector<std::string> take();

 private:
  // Appends `key` (lower-cased and stripped) unless it is already held.
  bool admit(std::string_view key);
  void index(std::size_t i);

  std::size_t cap_;
  std::vector<std::string> tokens_;
  std::vector<std::size_t> hashes_;  // hash of each token, in token order
  // Open-addressing index (token number + 1, 0 = empty), built only once the
  // list is long: short lists are searched through `hashes_`.
  std::vector<std::uint32_t> slots_;
  std::string scratch_;  // the lower-cased candidate, reused between calls
};

}  // namespace graph_builder::text
