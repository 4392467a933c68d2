#include "graph_builder/documents/symbol_index.hpp"

#include <algorithm>
#include <utility>

#include <nlohmann/json.hpp>

#include "graph_builder/platform/read_file.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::documents {

std::optional<std::vector<SymbolIndexEntry>> read_symbol_index(const std::string& path) {
  std::string bytes;
  if (platform::read_file(path.c_str(), bytes, platform::kNoSizeLimit) !=
      platform::ReadStatus::ok) {
    return std::nullopt;
  }
  nlohmann::ordered_json doc = nlohmann::ordered_json::parse(bytes, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return std::nullopt;
  std::vector<SymbolIndexEntry> out;
  for (auto member = doc.begin(); member != doc.end(); ++member) {
    const nlohmann::ordered_json& v = member.value();
    if (!v.is_object()) return std::nullopt;
    SymbolIndexEntry e;
    e.id = member.key();
    auto int_of = [&](const char* key, std::int64_t& slot) {
      auto it = v.find(key);
      if (it == v.end() || !it->is_number_integer()) return false;
      slot = it->get<std::int64_t>();
      return true;
    };
    auto str_of = [&](const char* key, std::string& slot) {
      auto it = v.find(key);
      if (it == v.end() || !it->is_string()) return false;
      slot = it->get<std::string>();
      return true;
    };
    if (!int_of("line_start", e.line_start) || !int_of("line_end", e.line_end) ||
        !str_of("body_hash", e.body_hash) || !str_of("confidence", e.confidence) ||
        !str_of("path", e.path)) {
      return std::nullopt;
    }
    out.push_back(std::move(e));
  }
  return out;
}

std::optional<std::vector<std::string>> read_symbol_lines(const std::string& root,
                                                          const SymbolIndexEntry& entry) {
  std::string bytes;
  std::string file = root + "/" + entry.path;
  if (platform::read_file(file.c_str(), bytes, platform::kNoSizeLimit) !=
      platform::ReadStatus::ok) {
    return std::nullopt;
  }
  std::string textv;
  text::decode_text(bytes, textv);
  const auto lines = text::split_lines_lf(textv);
  std::vector<std::string> out;
  for (std::int64_t i = std::max<std::int64_t>(entry.line_start, 0);
       i <= entry.line_end && i < static_cast<std::int64_t>(lines.size()); ++i) {
    out.emplace_back(lines[static_cast<std::size_t>(i)]);
  }
  return out;
}

bool body_matches(const std::vector<std::string>& lines, const SymbolIndexEntry& entry) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  return symbols::body_hash(views, 0, static_cast<std::int64_t>(views.size()) - 1) ==
         entry.body_hash;
}

}  // namespace graph_builder::documents
