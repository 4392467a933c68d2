#include "graph_builder/symbols/symbol.hpp"


#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/find.hpp"

#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {

std::string_view _body_text(const std::vector<std::string_view>& lines, std::int64_t start,
                            std::int64_t end, std::string& joined) {
  const auto n = static_cast<std::int64_t>(lines.size());
  if (start < 0 || start >= n || start > end) return {};
  const auto first = static_cast<std::size_t>(start);
  const auto last = static_cast<std::size_t>(std::min(end, n - 1));
  // Lines split from one text at a bare LF follow each other with that LF
  // between them: the joined bytes are then the text itself from the first
  // line to the end of the last, used without a copy. Lines cut before a
  // CR LF, or taken from separate strings, are joined.
  bool one_slice = true;
  for (std::size_t i = first + 1; i <= last && one_slice; ++i) {
    const std::string_view prev = lines[i - 1];
    one_slice = lines[i].data() == prev.data() + prev.size() + 1 && lines[i].data()[-1] == '\n';
  }
  if (one_slice) {
    const char* begin = lines[first].data();
    const char* stop = lines[last].data() + lines[last].size();
    return std::string_view(begin, static_cast<std::size_t>(stop - begin));
  }
  joined.clear();
  for (std::size_t i = first; i <= last; ++i) {
    if (i > first) joined += '\n';
    joined.append(lines[i]);
  }
  return joined;
}

std::string body_hash(const std::vector<std::string_view>& lines, std::int64_t start,
                       std::int64_t end) {
  std::string joined;
  return text::short_hash(_body_text(lines, start, end, joined));
}

// One pass over the text gives both the lines (split exactly as
// text::split_lines_lf does: at LF, one CR before it dropped, no empty line
// after a final LF) and the LF offsets.
SymbolRecorder::SymbolRecorder(std::string_view content, std::string_view file_path)
    : file_path_(file_path) {
  std::size_t start = 0;
  auto line_feed_at = [&](std::size_t lf) {
    lf_offsets_.push_back(lf);
    std::size_t stop = lf;
    if (stop > start && content[stop - 1] == '\r') --stop;
    lines_.push_back(content.substr(start, stop - start));
    start = lf + 1;
  };
  regex::for_each_byte(content, '\n', line_feed_at);
  if (start < content.size()) lines_.push_back(content.substr(start));
}

std::int64_t SymbolRecorder::line_of(std::size_t offset) const {
  // Binary search over the LF positions: no rescan of the text per match.
  auto it = std::lower_bound(lf_offsets_.begin(), lf_offsets_.end(), offset);
  return static_cast<std::int64_t>(it - lf_offsets_.begin());
}

bool public_within(std::string_view text, std::size_t start, std::size_t n) {
  return text::prefix(text.substr(start), n).find("public") != std::string_view::npos;
}

void SymbolRecorder::record(std::string_view name, std::int64_t line_no, std::int64_t end,
                            std::string_view sym_type, std::string_view confidence,
                            bool exported) {
  Symbol s;
  s.id = file_path_ + "::" + std::string(name);
  s.name = std::string(name);
  s.symbol_type = std::string(sym_type);
  s.line_start = line_no;
  s.line_end = end;
  // The body is hashed in take(), with every other body of the text.
  std::string joined;
  const std::string_view body = _body_text(lines_, line_no, end, joined);
  if (joined.empty() || body.data() != joined.data()) {
    bodies_.add(body);
  } else {
    bodies_.add_joined(std::move(joined));
  }
  s.confidence = std::string(confidence);
  s.exported = exported;
  s.keywords = text::name_keywords(name);
  symbols_.push_back(std::move(s));
}

std::vector<Symbol> SymbolRecorder::take() {
  if (BodyHashDeferral* deferral = BodyHashDeferral::active()) {
    deferral->hand_over(std::move(bodies_));
  } else {
    std::vector<std::string> hashes = bodies_.hash_all();
    for (std::size_t i = 0; i < symbols_.size(); ++i) symbols_[i].body_hash = std::move(hashes[i]);
  }
  bodies_ = PendingBodies();
  return std::move(symbols_);
}

void PendingBodies::add_joined(std::string joined) {
  joined_at_.push_back(bodies_.size());
  bodies_.emplace_back();
  joined_.push_back(std::move(joined));
}

void PendingBodies::append(PendingBodies&& other) {
  const std::size_t offset = bodies_.size();
  bodies_.insert(bodies_.end(), other.bodies_.begin(), other.bodies_.end());
  for (std::size_t at : other.joined_at_) joined_at_.push_back(offset + at);
  for (std::string& j : other.joined_) joined_.push_back(std::move(j));
  other = PendingBodies();
}

std::vector<std::string> PendingBodies::hash_all() {
  for (std::size_t k = 0; k < joined_at_.size(); ++k) bodies_[joined_at_[k]] = joined_[k];
  std::vector<std::string> hashes = text::short_hashes(bodies_);
  bodies_.clear();
  joined_.clear();
  joined_at_.clear();
  return hashes;
}

namespace {
thread_local BodyHashDeferral* active_deferral = nullptr;
}  // namespace

BodyHashDeferral::BodyHashDeferral() : outer_(active_deferral) { active_deferral = this; }
BodyHashDeferral::~BodyHashDeferral() { active_deferral = outer_; }
BodyHashDeferral* BodyHashDeferral::active() { return active_deferral; }

}  // namespace graph_builder::symbols
