#pragma once
// The recording step every extractor shares (internal to the extractors).

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/find_symbols.hpp"

namespace graph_builder::symbols {

// Per-call state of one extractor: the text's lines (split at LF only, so
// that line indexes, ranges and bodies always refer to the same lines), the
// block rule of the file's profile, the names already recorded, and the
// records. `add_sym` is the shared recording step: first recording of a name
// wins, and its body ends where the profile's block rule says.
class SymbolRecorder {
 public:
  // `profile` must name a block rule (every profile with an extractor does).
  SymbolRecorder(std::string_view content, const languages::Profile& profile);

  const std::vector<std::string_view>& lines() const { return lines_; }
  // Number of LF characters in the content before byte `offset`.
  std::int64_t line_of(std::size_t offset) const;

  // Records `name` at line `line_no` unless it is empty or already recorded.
  // Returns true when a record was added.
  bool add_sym(std::string_view name, std::int64_t line_no, std::string_view sym_type,
               std::string_view confidence, bool exported);

  // The records, in recording order.
  std::vector<SymbolRecord> take() { return std::move(records_); }

 private:
  // The last line of the body declared on line `line_no`, by the block rule.
  std::int64_t block_end(std::int64_t line_no) const;

  std::string_view content_;
  languages::BlockRule block_;
  std::int64_t window_;
  std::vector<std::string_view> lines_;
  std::vector<std::size_t> lf_offsets_;
  std::unordered_set<std::string> seen_;
  std::vector<SymbolRecord> records_;
};

// The bytes body_hash(lines, start, end) hashes: a slice of the text the
// lines were split from where they follow each other at bare LFs, otherwise
// the lines joined into `joined` (and a view of it).
std::string_view _body_text(const std::vector<std::string_view>& lines, std::int64_t start,
                            std::int64_t end, std::string& joined);

// True when the `n` code points of `text` from byte `start` contain "public"
// (a plain, case-sensitive substring test; fewer where the text ends sooner).
bool public_within(std::string_view text, std::size_t start, std::size_t n);

}  // namespace graph_builder::symbols
