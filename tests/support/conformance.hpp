#pragma once
// Access to the conformance kit (realistic inputs with independently computed
// expected results). Tests read it where it stands; when it is absent they
// skip.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace graph_builder::testing {

// The kit directory: $GB_CONFORMANCE_DIR, else the location configured at
// build time; nothing when neither exists.
std::optional<std::filesystem::path> conformance_dir();

struct KitCase {
  std::string file_id;             // e.g. "ts/lib/pricing.ts"
  std::filesystem::path input;     // <kit>/cases/<file_id>
  std::filesystem::path expected;  // <kit>/expected/<file_id>.json
};

// Names a case by its file id in test output.
void PrintTo(const KitCase& c, std::ostream* os);

// Every per-file case of the kit, sorted by file id.
std::vector<KitCase> kit_cases();

// A case's expected fragment {"nodes": [...], "edges": [...]}, order kept.
nlohmann::ordered_json load_fragment(const KitCase& c);

// The case's input decoded the way the scan decodes files.
std::string decoded_input(const KitCase& c);

// The lower-cased extension of the case's file name, as the scan computes it.
std::string case_ext(const KitCase& c);

// The kit's whole trees (<kit>/trees/<name>), each with its expected documents.
inline const std::vector<std::string> kKitTrees{"escapes", "symbols", "dedupe", "empty-file"};

// A test name for the tree `name` ('-' is not allowed in test names).
inline std::string kit_tree_test_name(const std::string& name) {
  std::string n = name;
  for (char& ch : n) {
    if (ch == '-') ch = '_';
  }
  return n;
}

}  // namespace graph_builder::testing
