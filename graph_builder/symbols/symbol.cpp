#include "graph_builder/symbols/symbol.hpp"

#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/text/identifiers.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {

std::string _body_hash(const std::vector<std::string_view>& lines, std::int64_t start,
                       std::int64_t end) {
  const auto n = static_cast<std::int64_t>(lines.size());
  if (start < 0 || start >= n || start > end) return text::short_hash({});
  const auto first = static_cast<std::size_t>(start);
  const auto last = static_cast<std::size_t>(std::min(end, n - 1));
  // Lines split from one text at a bare LF follow each other with that LF
  // between them: the joined bytes are then the text itself from the first
  // line to the end of the last, hashed without a copy. Lines cut before a
  // CR LF, or taken from separate strings, are joined.
  bool one_slice = true;
  for (std::size_t i = first + 1; i <= last && one_slice; ++i) {
    const std::string_view prev = lines[i - 1];
    one_slice = lines[i].data() == prev.data() + prev.size() + 1 && lines[i].data()[-1] == '\n';
  }
  if (one_slice) {
    const char* begin = lines[first].data();
    const char* stop = lines[last].data() + lines[last].size();
    return text::short_hash(std::string_view(begin, static_cast<std::size_t>(stop - begin)));
  }
  std::string joined;
  for (std::size_t i = first; i <= last; ++i) {
    if (i > first) joined += '\n';
    joined.append(lines[i]);
  }
  return text::short_hash(joined);
}

// One pass over the text gives both the lines (split exactly as
// text::split_lines_lf does: at LF, one CR before it dropped, no empty line
// after a final LF) and the LF offsets.
SymbolRecorder::SymbolRecorder(std::string_view content, std::string_view file_path)
    : file_path_(file_path) {
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t lf = content.find('\n', start);
    if (lf == std::string_view::npos) {
      lines_.push_back(content.substr(start));
      break;
    }
    lf_offsets_.push_back(lf);
    std::size_t stop = lf;
    if (stop > start && content[stop - 1] == '\r') --stop;
    lines_.push_back(content.substr(start, stop - start));
    start = lf + 1;
  }
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
  s.body_hash = _body_hash(lines_, line_no, end);
  s.confidence = std::string(confidence);
  s.exported = exported;
  s.keywords = text::_name_keywords(name);
  symbols_.push_back(std::move(s));
}

}  // namespace graph_builder::symbols
