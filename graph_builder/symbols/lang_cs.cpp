#include <array>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {
namespace {

// Statement keywords the method pattern can capture in its name slot; such a
// match is not a method declaration.
constexpr std::array<std::string_view, 6> kNotNames{"if", "for", "while", "return", "new", "class"};

}  // namespace

std::vector<SymbolRecord> find_symbols_cs(std::string_view content,
                                          const languages::Profile& profile) {
  // matches: "public sealed partial class OrderService" and "internal record Line"
  static const regex::Regex kType(
      R"((?:public|internal|private|protected)\s+(?:(?:static|abstract|sealed|partial|new|override|virtual|extern|unsafe)\s+)*(?:class|interface|enum|struct|record)\s+([A-Za-z_]\w*))");
  // matches: "public async Task<Order> PlaceAsync(" and "private static int Count("
  static const regex::Regex kMethod(
      R"((?:public|private|protected|internal)\s+(?:static\s+)?(?:async\s+)?(?:virtual\s+|override\s+)?(?!class\b|if\b|for\b|while\b|return\b|new\b)[\w<>\[\]?]+\s+([A-Za-z_]\w*)\s*\()");

  SymbolRecorder rec(content, profile);
  kType.for_each(content, [&](const regex::Match& m) {
    rec.add_sym(m.group(1), rec.line_of(m.start()), "model", "high",
                public_within(content, m.start(), 20));
    return true;
  });
  kMethod.for_each(content, [&](const regex::Match& m) {
    std::string_view name = m.group(1);
    for (std::string_view word : kNotNames) {
      if (name == word) return true;
    }
    rec.add_sym(name, rec.line_of(m.start()), "use_case", "high",
                public_within(content, m.start(), 30));
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
