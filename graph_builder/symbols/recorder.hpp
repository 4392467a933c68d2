#pragma once
// The recording step every extractor shares (internal to the extractors).

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "graph_builder/symbols/body_hashes.hpp"
#include "graph_builder/symbols/symbol.hpp"

namespace graph_builder::symbols {

// Per-call state of one extractor: the text's lines (split at LF only, so
// that line indexes, ranges and body hashes always refer to the same lines),
// the names already recorded, and the records. `add_sym` is the shared
// recording step: first recording of a name wins.
class SymbolRecorder {
 public:
  SymbolRecorder(std::string_view content, std::string_view file_path);

  const std::vector<std::string_view>& lines() const { return lines_; }
  // Number of LF characters in the content before byte `offset`.
  std::int64_t line_of(std::size_t offset) const;
  // Last valid line index (-1 for an empty text).
  std::int64_t last_line() const { return static_cast<std::int64_t>(lines_.size()) - 1; }
  // min(line_no + window, last line): the fixed-window block end.
  std::int64_t window_end(std::int64_t line_no, std::int64_t window) const {
    return std::min(line_no + window, last_line());
  }
  bool seen(std::string_view name) const { return seen_.count(std::string(name)) != 0; }

  // Records `name` unless it is empty or already seen. `end_rule(lines,
  // line_no)` gives the block end. Returns true when a record was added.
  template <class EndRule>
  bool add_sym(std::string_view name, std::int64_t line_no, std::string_view sym_type,
               std::string_view confidence, bool exported, EndRule&& end_rule) {
    if (name.empty() || seen(name)) return false;
    seen_.insert(std::string(name));
    record(name, line_no, end_rule(lines_, line_no), sym_type, confidence, exported);
    return true;
  }
  // Marks `name` as recorded without a record.
  void mark_seen(std::string_view name) { seen_.insert(std::string(name)); }
  // Appends a record with a known end (callers that compute the end before
  // the duplicate test).
  void record(std::string_view name, std::int64_t line_no, std::int64_t end,
              std::string_view sym_type, std::string_view confidence, bool exported);

  // The records, with their body hashes (computed together here, or left
  // empty and handed to the thread's BodyHashDeferral).
  std::vector<Symbol> take();

 private:
  std::string file_path_;
  std::vector<std::string_view> lines_;
  std::vector<std::size_t> lf_offsets_;
  std::unordered_set<std::string> seen_;
  std::vector<Symbol> symbols_;
  PendingBodies bodies_;  // one per record
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
