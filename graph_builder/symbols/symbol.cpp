#include "graph_builder/symbols/symbol.hpp"

#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/text/identifiers.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {

std::string _body_hash(const std::vector<std::string_view>& lines, std::int64_t start,
                       std::int64_t end) {
  std::string joined;
  const auto n = static_cast<std::int64_t>(lines.size());
  if (start >= 0 && start < n && start <= end) {
    std::int64_t last = std::min(end, n - 1);
    for (std::int64_t i = start; i <= last; ++i) {
      if (i > start) joined += '\n';
      joined.append(lines[static_cast<std::size_t>(i)]);
    }
  }
  return text::short_hash(joined);
}

SymbolRecorder::SymbolRecorder(std::string_view content, std::string_view file_path)
    : file_path_(file_path), lines_(text::split_lines_lf(content)) {
  for (std::size_t i = content.find('\n'); i != std::string_view::npos;
       i = content.find('\n', i + 1)) {
    lf_offsets_.push_back(i);
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
