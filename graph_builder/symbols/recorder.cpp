#include "graph_builder/symbols/recorder.hpp"

#include <algorithm>
#include <utility>

#include "graph_builder/check.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/symbols/block_end.hpp"
#include "graph_builder/text/keywords.hpp"
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

// One pass over the text gives both the lines (split exactly as
// text::split_lines_lf does: at LF, one CR before it dropped, no empty line
// after a final LF) and the LF offsets.
SymbolRecorder::SymbolRecorder(std::string_view content, const languages::Profile& profile)
    : content_(content), block_(profile.block), window_(profile.window) {
  GB_CHECK(block_ != languages::BlockRule::none);
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

std::int64_t SymbolRecorder::block_end(std::int64_t line_no) const {
  switch (block_) {
    case languages::BlockRule::braces:
      return _find_block_end_ts(lines_, line_no);
    case languages::BlockRule::indentation:
      return _find_block_end_py(lines_, line_no);
    case languages::BlockRule::window:
      // Clamped to the last line (-1 for an empty text, where nothing matches).
      return std::min(line_no + window_, static_cast<std::int64_t>(lines_.size()) - 1);
    case languages::BlockRule::none:
      break;
  }
  return line_no;  // BlockRule::none never gets here: the constructor refuses it
}

bool public_within(std::string_view text, std::size_t start, std::size_t n) {
  return text::prefix(text.substr(start), n).find("public") != std::string_view::npos;
}

bool SymbolRecorder::add_sym(std::string_view name, std::int64_t line_no, std::string_view sym_type,
                             std::string_view confidence, bool exported) {
  if (name.empty() || seen_.count(std::string(name)) != 0) return false;
  seen_.insert(std::string(name));
  SymbolRecord r;
  r.name = std::string(name);
  r.symbol_type = std::string(sym_type);
  r.line_start = line_no;
  r.line_end = block_end(line_no);
  // The body is kept as a stretch of the text where it is one; the caller
  // hashes it.
  std::string joined;
  const std::string_view body = _body_text(lines_, r.line_start, r.line_end, joined);
  if (!joined.empty() && body.data() == joined.data()) {
    r.body.joined = std::move(joined);
  } else if (!body.empty()) {
    r.body.offset = static_cast<std::size_t>(body.data() - content_.data());
    r.body.length = body.size();
  }
  r.confidence = std::string(confidence);
  r.exported = exported;
  r.keywords = text::name_keywords(name);
  records_.push_back(std::move(r));
  return true;
}

}  // namespace graph_builder::symbols
