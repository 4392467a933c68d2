#include "support/conformance.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/text/unicode.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::testing {

std::optional<std::filesystem::path> conformance_dir() {
  std::filesystem::path p;
  if (const char* env = std::getenv("GB_CONFORMANCE_DIR"); env != nullptr && *env != '\0') {
    p = env;
  } else {
    p = GB_CONFORMANCE_DIR;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(p / "expected", ec)) return std::nullopt;
  return std::filesystem::canonical(p, ec);
}

void PrintTo(const KitCase& c, std::ostream* os) { *os << c.file_id; }

std::vector<KitCase> kit_cases() {
  std::vector<KitCase> out;
  auto dir = conformance_dir();
  if (!dir) return out;
  const auto expected = *dir / "expected";
  for (const auto& e : std::filesystem::recursive_directory_iterator(expected)) {
    if (!e.is_regular_file() || e.path().extension() != ".json") continue;
    std::string rel = std::filesystem::relative(e.path(), expected).generic_string();
    rel.resize(rel.size() - 5);
    out.push_back({rel, *dir / "cases" / rel, e.path()});
  }
  std::sort(out.begin(), out.end(),
            [](const KitCase& a, const KitCase& b) { return a.file_id < b.file_id; });
  return out;
}

nlohmann::ordered_json load_fragment(const KitCase& c) {
  return nlohmann::ordered_json::parse(read_file(c.expected));
}

std::string decoded_input(const KitCase& c) {
  std::string out;
  text::decode_text(read_file(c.input), out);
  return out;
}

std::string case_ext(const KitCase& c) {
  return text::to_lower(languages::extension_of(languages::base_name(c.file_id)));
}

}  // namespace graph_builder::testing
