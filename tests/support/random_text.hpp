#pragma once
// The one source of random test inputs: seeded and deterministic, so that a
// failing text can be drawn again from its seed. A text is a run of pieces
// drawn from an alphabet the test chooses (the characters and tokens that
// decide what it tests): characters of one to four bytes, single bytes,
// words, white space of every kind, line breaks, quotes.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace graph_builder::testing {

// The alphabet of a random text. A piece listed twice comes twice as often.
using Pieces = std::vector<std::string>;

// The alphabet of a text made shape by shape: each shape is one piece of
// each slot, in order.
using Slots = std::vector<Pieces>;

// How many pieces (or shapes) a text has: from `min` to `max`, both included.
struct Lengths {
  int min = 0;
  int max = 0;
};

// Each byte of `bytes` as a piece of its own. A character of several bytes
// comes apart, so texts drawn from these pieces may be invalid UTF-8.
inline Pieces bytes_of(std::string_view bytes) {
  Pieces out;
  for (char c : bytes) out.emplace_back(1, c);
  return out;
}

// Random numbers, choices and texts; the same seed gives the same draws.
class RandomText {
 public:
  explicit RandomText(std::uint32_t seed) : engine_(seed) {}

  // A number from `min` to `max`, both included; no draw when they are equal,
  // so a slot of one piece leaves the draws of the others as they were.
  std::size_t number(std::size_t min, std::size_t max) {
    if (min == max) return min;
    return std::uniform_int_distribution<std::size_t>(min, max)(engine_);
  }

  // A number below `n`, which must be positive.
  std::size_t below(std::size_t n) { return number(0, n - 1); }

  // True about once in `n` calls.
  bool one_in(std::size_t n) { return below(n) == 0; }

  // One element of `choices`, which must not be empty.
  template <class Choices>
  const auto& pick(const Choices& choices) {
    return choices[below(std::size(choices))];
  }

  // A text of `lengths` pieces, each one of `pieces`.
  std::string text(const Pieces& pieces, Lengths lengths) {
    return text(lengths, [&]() -> const std::string& { return pick(pieces); });
  }

  // A text of `lengths` pieces, each what `draw()` returns (anything a
  // string can append): for alphabets whose pieces are not equally likely.
  template <class Draw>
  std::string text(Lengths lengths, Draw&& draw) {
    std::string out;
    for (std::size_t n = count(lengths); n > 0; --n) out += draw();
    return out;
  }

  // A text of `shapes` shapes, each one piece of every slot of `slots`.
  std::string shaped(const Slots& slots, Lengths shapes) {
    std::string out;
    for (std::size_t n = count(shapes); n > 0; --n) {
      for (const Pieces& slot : slots) out += pick(slot);
    }
    return out;
  }

 private:
  std::size_t count(Lengths lengths) {
    return number(static_cast<std::size_t>(lengths.min), static_cast<std::size_t>(lengths.max));
  }

  std::mt19937 engine_;
};

// Makers of texts for `compare_on_random_texts` (support/differential.hpp).

// Texts of `lengths` pieces of `pieces`.
inline auto texts_of(Pieces pieces, Lengths lengths) {
  return [pieces = std::move(pieces), lengths](RandomText& random) {
    return random.text(pieces, lengths);
  };
}

// Texts of `shapes` shapes of `slots`.
inline auto shapes_of(Slots slots, Lengths shapes) {
  return [slots = std::move(slots), shapes](RandomText& random) {
    return random.shaped(slots, shapes);
  };
}

}  // namespace graph_builder::testing
