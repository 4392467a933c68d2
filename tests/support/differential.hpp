#pragma once
// Differential tests: a hand-written scan (or a fast reader) against the
// plain pattern (or the general reader) it stands in for, on many random
// texts; and `escaped`, the printable form of a text in failure messages.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "support/random_text.hpp"

namespace graph_builder::testing {

// `text` as a C++ string literal, quotes included: line breaks, tabs,
// quotes and backslashes by name, other control bytes, DEL and every byte
// of a non-ASCII character as "\xHH". Pasted into a test, it gives back the
// same bytes (a hex digit after "\xHH" starts a new literal).
inline std::string escaped(std::string_view text);

// The texts of a differential test.
struct RandomTexts {
  std::uint32_t seed = 0;  // of the RandomText that makes them, one after the other
  int count = 0;
  // The test fails unless more texts than this give the reference a
  // non-empty result: the texts must exercise matches, not only their
  // absence. Negative: the test counts what it needs itself.
  int with_results_above = -1;
};

// Makes `texts.count` texts with `make(random)`, one RandomText seeded with
// `texts.seed` for all of them, and compares `tested(text)` with
// `reference(text)` (results that have `==` and `empty()`). Stops at the
// first text where they differ and fails the test, showing the text's
// number and the seed, the text through `escaped` (its first 1000 bytes),
// both results and where they first differ (the item of a list, the byte of
// a text). Returns how many texts gave the reference a non-empty result.
template <class Make, class Reference, class Tested>
int compare_on_random_texts(const RandomTexts& texts, Make&& make, Reference&& reference,
                            Tested&& tested);

inline std::string escaped(std::string_view text) {
  static constexpr std::string_view kNamed = "\n\t\r\f\v\"\\";
  static constexpr std::string_view kNames = "ntrfv\"\\";
  std::string out = "\"";
  bool after_hex = false;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (const std::size_t k = kNamed.find(c); k != std::string_view::npos) {
      out += '\\';
      out += kNames[k];
      after_hex = false;
    } else if (u < 0x20 || u >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
      after_hex = true;
    } else {
      const bool hex_digit =
          (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
      if (after_hex && hex_digit) out += "\" \"";
      out += c;
      after_hex = false;
    }
  }
  return out + "\"";
}

namespace differential_internal {

template <class T>
struct IsVector : std::false_type {};
template <class T, class A>
struct IsVector<std::vector<T, A>> : std::true_type {};

// At most `limit` bytes of `shown`, and the size it had when cut.
inline std::string cut(std::string shown, std::size_t limit) {
  if (shown.size() <= limit) return shown;
  const std::size_t size = shown.size();
  shown.resize(limit);
  return shown + "... (" + std::to_string(size) + " bytes in all)";
}

// A text or a result as a failure message shows it: texts escaped, long
// ones cut.
template <class T>
std::string shown(const T& value) {
  if constexpr (std::is_convertible_v<const T&, std::string_view>) {
    const std::string_view text = value;
    if (text.size() <= 1000) return escaped(text);
    return escaped(text.substr(0, 1000)) + "... (" + std::to_string(text.size()) + " bytes)";
  } else {
    return cut(::testing::PrintToString(value), 4000);
  }
}

// Where two lists or two texts first differ, or nothing for other results.
template <class Reference, class Tested>
std::string first_difference(const Reference& reference, const Tested& tested) {
  if constexpr (IsVector<Reference>::value && IsVector<Tested>::value) {
    std::size_t i = 0;
    while (i < reference.size() && i < tested.size() && reference[i] == tested[i]) ++i;
    return "\n  first difference at item " + std::to_string(i) + ": " +
           (i < reference.size() ? shown(reference[i]) : "(none)") + " against " +
           (i < tested.size() ? shown(tested[i]) : "(none)");
  } else if constexpr (std::is_convertible_v<const Reference&, std::string_view> &&
                       std::is_convertible_v<const Tested&, std::string_view>) {
    const std::string_view r = reference;
    const std::string_view t = tested;
    std::size_t i = 0;
    while (i < r.size() && i < t.size() && r[i] == t[i]) ++i;
    return "\n  first difference at byte " + std::to_string(i) + ": " + escaped(r.substr(i, 40)) +
           " against " + escaped(t.substr(i, 40));
  } else {
    return {};
  }
}

}  // namespace differential_internal

template <class Make, class Reference, class Tested>
int compare_on_random_texts(const RandomTexts& texts, Make&& make, Reference&& reference,
                            Tested&& tested) {
  using differential_internal::shown;
  RandomText random(texts.seed);
  int with_results = 0;
  for (int i = 0; i < texts.count; ++i) {
    const std::string text = make(random);
    const auto want = reference(text);
    const auto got = tested(text);
    if (!(got == want)) {
      ADD_FAILURE() << "differs on text " << i << " of " << texts.count << " (seed " << texts.seed
                    << "): " << shown(text) << "\n  reference: " << shown(want)
                    << "\n  tested:    " << shown(got)
                    << differential_internal::first_difference(want, got);
      return with_results;
    }
    if (!want.empty()) ++with_results;
  }
  if (texts.with_results_above >= 0) {
    EXPECT_GT(with_results, texts.with_results_above)
        << "texts with a result among " << texts.count << " (seed " << texts.seed << ")";
  }
  return with_results;
}

}  // namespace graph_builder::testing
