#pragma once
// Deciding once per ")" whether a pattern with a parenthesised run
// "\([^)]*\)" (or "\([^)]+\)") can match, instead of letting each try read
// to that ")".
//
// The run reads up to the first ")" after its "(", past any number of lines,
// so a text of lines that open one and never close it (or close it far below)
// costs the rest of the text per line when the pattern is tried at each line.

#include <cstddef>
#include <optional>
#include <string_view>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::regex {

// `head` is the pattern up to and including that "(" and `after` what must
// follow its ")" for a match, both "(*NO_START_OPT)\G"-led; `min_inside` is
// the least number of characters the run takes (0 for "*", 1 for "+"). Where
// `head` matches at a position, the pattern can match there only through
// that "(", hence only when the first ")" that follows is far enough and
// `after` matches right after it; the ")" is found, and `after` tried, once
// per ")" for positions taken in text order. Where `head` does not match,
// the run is never entered and the pattern costs what it did.
class ClosingParen {
 public:
  ClosingParen(std::string_view t, const Regex& head, const Regex& after,
               std::size_t min_inside = 0)
      : t_(t), head_(head), after_(after), min_inside_(min_inside) {}

  // False when the pattern cannot match at `at`.
  bool may_match(std::size_t at) {
    const std::optional<Match> h = head_.search(t_, at);
    if (!h) return true;
    const std::size_t from = h->end();
    if (close_from_ == kNone || from < close_from_ || (close_ != kNone && from > close_)) {
      close_from_ = from;
      close_ = t_.find(')', from);
    }
    if (close_ == kNone || close_ < from + min_inside_) return false;
    if (checked_ != close_) {
      checked_ = close_;
      after_ok_ = after_.search(t_, close_ + 1).has_value();
    }
    return after_ok_;
  }

 private:
  static constexpr std::size_t kNone = std::string_view::npos;
  std::string_view t_;
  const Regex& head_;
  const Regex& after_;
  std::size_t min_inside_;
  std::size_t close_from_ = kNone;
  std::size_t close_ = kNone;
  std::size_t checked_ = kNone;
  bool after_ok_ = false;
};

}  // namespace graph_builder::regex
