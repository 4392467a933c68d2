#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/extractors.hpp"
#include "graph_builder/symbols/recorder.hpp"

namespace graph_builder::symbols {
namespace {

// Lines after its first line that a Rust symbol is taken to extend.
constexpr std::int64_t kWindow = 50;

}  // namespace

std::vector<Symbol> extract_symbols_rs(std::string_view content, std::string_view file_path) {
  // matches: "pub fn open(", "pub(crate) fn load(" and "pub async fn serve(" at a line start
  static const regex::Regex kPubFn(R"(^pub(?:\s*\([^)]*\))?\s+(?:async\s+)?fn\s+([A-Za-z_]\w*))",
                                   regex::Flags::multiline);
  // matches: "pub struct Store", "enum Mode" and "trait Codec" at a line start
  static const regex::Regex kType(R"(^(?P<pub>pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*))",
                                  regex::Flags::multiline);

  SymbolRecorder rec(content, file_path);
  auto window = [&rec](const auto&, std::int64_t line_no) {
    return rec.window_end(line_no, kWindow);
  };
  kPubFn.for_each(content, [&](const regex::Match& m) {
    rec.add_sym(m.group(1), rec.line_of(m.start()), "use_case", "high", true, window);
    return true;
  });
  kType.for_each(content, [&](const regex::Match& m) {
    rec.add_sym(m.group(2), rec.line_of(m.start()), "model", "high", m.has("pub"), window);
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
